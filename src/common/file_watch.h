// Noticing that another writer changed a file: what this copy knows of the file since it last
// read or wrote it, checked with one metadata call, and with a read only while a later write
// could still carry the same size and time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_io.h"

namespace pinote {

// A 64-bit hash of bytes fed in pieces: the same bytes give the same value however they are cut.
// The value is only ever compared within one process, so each word size uses its own lanes.
class ContentHash {
 public:
  ContentHash() noexcept;
  void Add(std::string_view bytes) noexcept;
  [[nodiscard]] uint64_t Value() const noexcept;

 private:
  // 64-bit lanes where a 64-bit multiplication is one instruction; on 32-bit x86 it is three,
  // and 32-bit lanes hash a block several times faster (a keystroke hashes the whole file).
#if UINTPTR_MAX > 0xFFFFFFFFu
  using Lane = uint64_t;
#else
  using Lane = uint32_t;
#endif
  static constexpr size_t kBlock = 32;
  static constexpr size_t kLanes = kBlock / sizeof(Lane);

  void Mix(const unsigned char* block) noexcept;  // one block of kBlock bytes
  Lane lanes_[kLanes];
  unsigned char pending_[kBlock] = {};
  size_t pendingSize_ = 0;
  uint64_t total_ = 0;
};

[[nodiscard]] uint64_t HashOf(std::string_view bytes) noexcept;

// How long after `writeTime` another write can still be given the same time: the step the file
// system keeps times in, as the time shows it (an even second on FAT, a whole second on some
// network shares, a hundredth on exFAT), and at least the clock's own tick.
[[nodiscard]] int64_t TimeGranule(int64_t writeTime, int64_t clockTick) noexcept;

// True when no write after `now` can be given `writeTime` any more: twice the granule has
// passed. A time ahead of `now` (a file server whose clock runs ahead) is never settled.
[[nodiscard]] bool IsSettled(int64_t writeTime, int64_t now, int64_t clockTick) noexcept;

class FileWatch {
 public:
  // Nothing is known: the next look reports a change.
  void Forget() noexcept { known_ = false; }
  [[nodiscard]] bool Known() const noexcept { return known_; }
  [[nodiscard]] const FileStamp& Stamp() const noexcept { return stamp_; }

  // After reading or writing the file: `stamp` as it was taken before the read or after the
  // write. `contentHash` gives the hash of its content; it is called only while the stamp alone
  // cannot be trusted.
  void Remember(FileSystem& fs, const FileStamp& stamp,
                const std::function<uint64_t()>& contentHash);
  // After writing the file with a last-write time of this copy's own choosing that the file
  // system kept (`stamp` carries it): no other write comes by that time but by chance, so the
  // stamp is trusted at once, without a hash and without a read at the next look.
  void RememberMarked(const FileStamp& stamp) noexcept;
  // After writing bytes whose hash is `contentHash` when the stamp read afterwards may be another
  // writer's: the next look reads the file and compares, however old its time.
  void RememberUnsure(const FileStamp& stamp, uint64_t contentHash) noexcept;

  struct Look {
    bool changed = false;             // differs from what was remembered (or nothing was)
    FileStamp stamp;                  // as the metadata call gave it
    std::optional<std::string> text;  // the content, when the look had to read it
  };
  // One metadata call. The file is read only when its stamp equals the remembered one but was
  // not settled; the hash then decides. Throws FileError when the stamp or that read fails.
  [[nodiscard]] Look LookAt(FileSystem& fs, const std::string& path);

 private:
  bool known_ = false;
  bool settled_ = false;
  FileStamp stamp_;
  uint64_t hash_ = 0;
};

}  // namespace pinote
