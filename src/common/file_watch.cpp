#include "common/file_watch.h"

#include <algorithm>
#include <cstring>

namespace pinote {

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87u;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Fu;

uint64_t Rotate(uint64_t v, int n) noexcept { return (v << n) | (v >> (64 - n)); }

template <typename Lane>
Lane Load(const unsigned char* p) noexcept {
  Lane v = 0;
  std::memcpy(&v, p, sizeof v);  // byte order only has to agree with itself on this machine
  return v;
}

// One input word into one lane: multiply, rotate, multiply, by the lane's width (each build
// uses one of the two).
[[maybe_unused]] uint64_t MixLane(uint64_t lane, uint64_t input) noexcept {
  return Rotate(lane + input * kPrime2, 31) * kPrime1;
}
[[maybe_unused]] uint32_t MixLane(uint32_t lane, uint32_t input) noexcept {
  constexpr uint32_t kPrime32a = 0x9E3779B1u, kPrime32b = 0x85EBCA77u;
  lane += input * kPrime32b;
  return ((lane << 13) | (lane >> 19)) * kPrime32a;
}

uint64_t Finish(uint64_t h) noexcept {
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime1;
  h ^= h >> 32;
  return h;
}

}  // namespace

ContentHash::ContentHash() noexcept {
  uint64_t seed = 0x9E3779B97F4A7C15u;
  for (Lane& lane : lanes_) {
    seed = Finish(seed + kPrime2);
    lane = static_cast<Lane>(seed);
  }
}

void ContentHash::Mix(const unsigned char* block) noexcept {
  // Independent lanes, so that the multiplications of one block overlap.
  for (size_t i = 0; i < kLanes; ++i) {
    lanes_[i] = MixLane(lanes_[i], Load<Lane>(block + sizeof(Lane) * i));
  }
}

void ContentHash::Add(std::string_view bytes) noexcept {
  if (bytes.empty()) return;  // an empty view may carry no pointer at all
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  total_ += n;
  if (pendingSize_ > 0) {
    const size_t take = std::min(n, sizeof pending_ - pendingSize_);
    std::memcpy(pending_ + pendingSize_, p, take);
    pendingSize_ += take;
    p += take;
    n -= take;
    if (pendingSize_ < sizeof pending_) return;
    Mix(pending_);
    pendingSize_ = 0;
  }
  for (; n >= sizeof pending_; p += sizeof pending_, n -= sizeof pending_) Mix(p);
  std::memcpy(pending_, p, n);
  pendingSize_ = n;
}

uint64_t ContentHash::Value() const noexcept {
  uint64_t h = total_ * kPrime1;
  for (size_t i = 0; i < kLanes; ++i) h = Rotate(h ^ (uint64_t{lanes_[i]} * kPrime2), 27) * kPrime1;
  for (size_t i = 0; i < pendingSize_; ++i) h = Rotate(h ^ (pending_[i] * kPrime1), 23) * kPrime2;
  return Finish(h);
}

uint64_t HashOf(std::string_view bytes) noexcept {
  ContentHash h;
  h.Add(bytes);
  return h.Value();
}

int64_t TimeGranule(int64_t writeTime, int64_t clockTick) noexcept {
  int64_t granule = 1;
  for (const int64_t step : {2 * kFileTimeSecond, kFileTimeSecond, kFileTimeSecond / 100}) {
    if (writeTime % step == 0) {
      granule = step;
      break;
    }
  }
  return std::max(granule, clockTick);
}

bool IsSettled(int64_t writeTime, int64_t now, int64_t clockTick) noexcept {
  return now - writeTime > 2 * TimeGranule(writeTime, clockTick);
}

void FileWatch::Remember(FileSystem& fs, const FileStamp& stamp,
                         const std::function<uint64_t()>& contentHash) {
  known_ = true;
  stamp_ = stamp;
  settled_ = !stamp.exists || IsSettled(stamp.writeTime, fs.Now(), fs.ClockTick());
  hash_ = settled_ || !contentHash ? 0 : contentHash();
}

void FileWatch::RememberMarked(const FileStamp& stamp) noexcept {
  known_ = true;
  stamp_ = stamp;
  settled_ = true;
  hash_ = 0;
}

void FileWatch::RememberUnsure(const FileStamp& stamp, uint64_t contentHash) noexcept {
  known_ = true;
  stamp_ = stamp;
  settled_ = !stamp.exists;
  hash_ = contentHash;
}

FileWatch::Look FileWatch::LookAt(FileSystem& fs, const std::string& path) {
  Look look;
  look.stamp = fs.Stat(path);
  if (!known_ || look.stamp != stamp_) {
    look.changed = true;
    return look;
  }
  if (settled_) return look;
  // Same size and time, but another write within the same step of the clock would look alike.
  look.text = fs.ReadAll(path);
  if (HashOf(*look.text) != hash_) {
    look.changed = true;
    return look;
  }
  settled_ = IsSettled(stamp_.writeTime, fs.Now(), fs.ClockTick());
  return look;
}

}  // namespace pinote
