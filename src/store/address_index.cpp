#include "store/address_index.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/mbtext.h"
#include "common/prefetch.h"

namespace pinote {

namespace {

// Eight bytes of single-byte characters folded as UpperAnsi folds them: add so that the top bit
// of each byte tells ">= 'a'" and "> 'z'", and clear bit 5 of the bytes between.
uint64_t UpperWord(uint64_t w) noexcept {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  const uint64_t atLeastA = w + kOnes * (0x80 - 'a');
  const uint64_t aboveZ = w + kOnes * (0x80 - 'z' - 1);
  return w ^ ((atLeastA & ~aboveZ & kHigh) >> 2);
}

// Appends UpperAnsi(t, cp) to `out` (which has room for t.size() more bytes).
char* AppendUpper(std::string_view t, char* out, const CodePage& cp) noexcept {
  size_t i = 0;
  // Eight single-byte characters at a time while no byte has its top bit set (then none can be
  // part of a multibyte character on any code page).
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  for (; i + 8 <= t.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, t.data() + i, 8);
    if ((w & kHigh) != 0) break;
    w = UpperWord(w);
    std::memcpy(out, &w, 8);
    out += 8;
  }
  while (i < t.size()) {
    const size_t n = cp.CharSize(t, i);
    if (n > 1) {
      std::memcpy(out, t.data() + i, n);
      out += n;
      i += n;
      continue;
    }
    const auto b = static_cast<unsigned char>(t[i++]);
    *out++ = static_cast<char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
  }
  return out;
}

// A word-at-a-time hash of an upper-cased key; the slot is taken from its low bits.
uint64_t HashKey(const char* p, size_t n) noexcept {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  uint64_t h = n * kMul;
  while (n >= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * kMul;
    h ^= h >> 29;
    p += 8;
    n -= 8;
  }
  uint64_t w = 0;
  for (size_t i = 0; i < n; ++i) w |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  h = (h ^ w) * kMul;
  h ^= h >> 32;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return h;
}

// UpperAnsi of an address in a stack buffer when it is short (all real addresses are).
class UpperKey {
 public:
  UpperKey(std::string_view t, const CodePage& cp) {
    char* data = buffer_;
    if (t.size() > sizeof buffer_) {
      heap_.resize(t.size());
      data = heap_.data();
    }
    AppendUpper(t, data, cp);
    key_ = std::string_view(data, t.size());
  }
  [[nodiscard]] std::string_view view() const noexcept { return key_; }

 private:
  char buffer_[256];
  std::string heap_;
  std::string_view key_;
};

// Slot positions and the first test of equality come from 32 bits of the 64-bit hash.
uint32_t Fold32(uint64_t h) noexcept { return static_cast<uint32_t>(h ^ (h >> 32)); }

constexpr size_t kMaxArena = UINT32_MAX;

void CheckArena(size_t bytes) {
  if (bytes > kMaxArena) throw std::length_error("address keys of this size cannot be kept");
}

}  // namespace

bool SameAddressKey(std::string_view a, std::string_view b, const CodePage& cp) noexcept {
  if (a.size() != b.size()) return false;  // folding keeps the length
  size_t i = 0;
  // Eight bytes at a time while neither has a byte with the top bit set (no multibyte character
  // can start there, so none runs across the eight).
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  for (; i + 8 <= a.size(); i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (((x | y) & kHigh) != 0) break;
    if (UpperWord(x) != UpperWord(y)) return false;
  }
  // Each text keeps how many bytes of its current multibyte character are still to come.
  size_t restA = 0, restB = 0;
  const auto fold = [&cp](std::string_view t, size_t i, size_t& rest) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (rest > 0) {
      --rest;
      return c;
    }
    rest = cp.CharSize(t, i) - 1;
    if (rest > 0) return c;
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
  };
  for (; i < a.size(); ++i) {
    if (fold(a, i, restA) != fold(b, i, restB)) return false;
  }
  return true;
}

void AddressIndex::Clear() noexcept {
  arena_.clear();
  std::fill(slots_.begin(), slots_.end(), Slot{});
  count_ = 0;
}

void AddressIndex::Reserve(size_t keys, size_t bytes) {
  CheckArena(arena_.size() + bytes);
  arena_.reserve(arena_.size() + bytes);
  size_t slots = 16;
  while (slots / 4 * 3 < count_ + keys) slots *= 2;
  if (slots > slots_.size()) Grow(slots);
}

void AddressIndex::Grow(size_t slots) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(slots, Slot{});
  const size_t mask = slots - 1;
  for (const Slot& s : old) {
    if (s.record < 0) continue;
    size_t at = s.hash & mask;
    while (slots_[at].record >= 0) at = (at + 1) & mask;
    slots_[at] = s;
  }
}

size_t AddressIndex::Probe(uint32_t hash, std::string_view upperKey) const noexcept {
  const size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  while (true) {
    const Slot& s = slots_[at];
    if (s.record < 0) return at;
    // An empty key may meet an arena that has no storage yet: memcmp must not see its null.
    if (s.hash == hash && s.length == upperKey.size() &&
        (upperKey.empty() ||
         std::memcmp(arena_.data() + s.offset, upperKey.data(), upperKey.size()) == 0)) {
      return at;
    }
    at = (at + 1) & mask;
  }
}

bool AddressIndex::Place(uint32_t hash, uint32_t offset, uint32_t length, int record) {
  Slot& s = slots_[Probe(hash, std::string_view(arena_.data() + offset, length))];
  if (s.record >= 0) return false;
  s = Slot{hash, offset, length, record};
  ++count_;
  return true;
}

void AddressIndex::ClaimAll(const std::vector<Entry>& entries) {
  size_t bytes = 0;
  for (const Entry& e : entries) bytes += e.address.size();
  Reserve(entries.size(), bytes);
  // Folded and hashed in one pass, as by Assign; a key that is there already gives its bytes
  // back, so the ones kept move down over them.
  const size_t base = arena_.size();
  arena_.resize(base + bytes);
  std::vector<uint32_t> hashes(entries.size());
  size_t read = base;
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string_view a = entries[i].address;
    AppendUpper(a, arena_.data() + read, codePage_);
    hashes[i] = Fold32(HashKey(arena_.data() + read, a.size()));
    read += a.size();
  }
  const size_t mask = slots_.size() - 1;
  constexpr size_t kAhead = 16;
  size_t write = base;
  read = base;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i + kAhead < entries.size()) PrefetchMemory(&slots_[hashes[i + kAhead] & mask]);
    const auto length = static_cast<uint32_t>(entries[i].address.size());
    Slot& s = slots_[Probe(hashes[i], std::string_view(arena_.data() + read, length))];
    if (s.record < 0) {
      // An empty key's arena may have no storage: memmove must not see its null.
      if (length > 0) std::memmove(arena_.data() + write, arena_.data() + read, length);
      s = Slot{hashes[i], static_cast<uint32_t>(write), length, entries[i].record};
      ++count_;
      write += length;
    } else if (s.record > entries[i].record) {
      s.record = entries[i].record;
    }
    read += length;
  }
  arena_.resize(write);
}

void AddressIndex::Assign(const std::vector<Entry>& entries) {
  size_t bytes = 0;
  for (const Entry& e : entries) bytes += e.address.size();
  BeginAssign(bytes);
  for (const Entry& e : entries) AddToAssign(e.address, e.record);
  EndAssign();
}

void AddressIndex::BeginAssign(size_t bytes) {
  Clear();
  pending_.clear();
  CheckArena(bytes);
  arena_.reserve(bytes);
}

void AddressIndex::AddToAssign(std::string_view address, int record) {
  // Folded and hashed as they come, one after the other; placing them afterwards touches the
  // slots in random order, so they are asked for a few keys ahead.
  const uint32_t offset = AppendKey(address);
  pending_.push_back({Fold32(HashKey(arena_.data() + offset, address.size())),
                      static_cast<uint32_t>(address.size()), record});
}

void AddressIndex::EndAssign() {
  Reserve(pending_.size(), 0);
  const size_t mask = slots_.size() - 1;
  constexpr size_t kAhead = 16;
  uint32_t offset = 0;
  for (size_t i = 0; i < pending_.size(); ++i) {
    if (i + kAhead < pending_.size()) PrefetchMemory(&slots_[pending_[i + kAhead].hash & mask]);
    const Pending& p = pending_[i];
    Place(p.hash, offset, p.length, p.record);  // a repeated key keeps the first
    offset += p.length;
  }
  pending_ = std::vector<Pending>();
}

uint32_t AddressIndex::AppendKey(std::string_view address) {
  const size_t offset = arena_.size();
  CheckArena(offset + address.size());
  if (offset + address.size() > arena_.capacity()) {
    arena_.reserve(std::max(offset + address.size(), 2 * arena_.capacity()));
  }
  arena_.resize(offset + address.size());
  AppendUpper(address, arena_.data() + offset, codePage_);
  return static_cast<uint32_t>(offset);
}

bool AddressIndex::Insert(std::string_view address, int record) {
  Reserve(1, 0);
  const uint32_t offset = AppendKey(address);
  const uint32_t hash = Fold32(HashKey(arena_.data() + offset, address.size()));
  if (Place(hash, offset, static_cast<uint32_t>(address.size()), record)) return true;
  arena_.resize(offset);
  return false;
}

void AddressIndex::Claim(std::string_view address, int record) {
  Reserve(1, 0);
  const uint32_t offset = AppendKey(address);
  const uint32_t hash = Fold32(HashKey(arena_.data() + offset, address.size()));
  Slot& s = slots_[Probe(hash, std::string_view(arena_.data() + offset, address.size()))];
  if (s.record < 0) {
    s = Slot{hash, offset, static_cast<uint32_t>(address.size()), record};
    ++count_;
    return;
  }
  arena_.resize(offset);
  if (s.record > record) s.record = record;
}

void AddressIndex::Prefetch(std::string_view address) const noexcept {
  char upper[64];
  if (count_ == 0 || address.size() > sizeof upper) return;
  AppendUpper(address, upper, codePage_);
  PrefetchMemory(&slots_[Fold32(HashKey(upper, address.size())) & (slots_.size() - 1)]);
}

int AddressIndex::Find(std::string_view address) const noexcept {
  if (count_ == 0) return -1;
  const UpperKey key(address, codePage_);
  return slots_[Probe(Fold32(HashKey(key.view().data(), key.view().size())), key.view())].record;
}

}  // namespace pinote
