// The one seam between the core and the file system: whole-file read, safe whole-file write,
// existence, metadata, folders, rename, removal, a lock between processes, and the clock that
// file times come from. Paths are ANSI byte strings. Every failure throws FileError carrying the
// path and the system's message; nothing is swallowed.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_time.h"

namespace pinote {

class FileError : public std::runtime_error {
 public:
  FileError(std::string path, std::string systemMessage)
      : std::runtime_error(path + ": " + systemMessage),
        path_(std::move(path)),
        message_(std::move(systemMessage)) {}
  [[nodiscard]] const std::string& path() const noexcept { return path_; }
  [[nodiscard]] const std::string& systemMessage() const noexcept { return message_; }

 private:
  std::string path_;
  std::string message_;
};

// Another writer held the file's lock for the whole wait: nothing was read or written. Only
// where an outcome meets code that reports thrown errors (SaveSettingsFile).
class FileBusyError : public FileError {
 public:
  using FileError::FileError;
};

// Whether `name` starts with `prefix`, ASCII letters compared in either case (as file names are
// on Windows); other bytes exactly.
[[nodiscard]] bool NameStartsWith(std::string_view name, std::string_view prefix) noexcept;

// A name beside `path` for the temporary file of a safe write, which no other writer in this
// process or another one (`processId` tells them apart) will pick.
[[nodiscard]] std::string TempNameFor(const std::string& path, unsigned long processId);

// A file's content read to its end through `read(buffer, room)`, which returns how many bytes it
// read (0 at the end) and throws on failure: straight into a string of `expectedSize` (what it
// is read into is often kept as long as the file is), and on past it when the file grew
// meanwhile. For the platforms' ReadAll.
template <class Read>
[[nodiscard]] std::string ReadToEnd(size_t expectedSize, Read&& read) {
  std::string out(expectedSize, '\0');
  size_t got = 0;
  for (;;) {
    char more[65536];
    const bool full = got == out.size();
    const size_t n = full ? read(more, sizeof more) : read(out.data() + got, out.size() - got);
    if (n == 0) break;
    if (full) out.append(more, n);
    got += n;
  }
  out.resize(got);
  return out;
}

// File times count 100-nanosecond steps since 1601-01-01 UTC, as Windows file times do.
constexpr int64_t kFileTimeSecond = 10'000'000;

// What one metadata call tells of a file. Equal stamps mean "as far as the system can tell,
// the same file with the same content".
struct FileStamp {
  bool exists = false;     // a file (not a folder) is there
  uint64_t size = 0;
  int64_t writeTime = 0;   // last write, in file-time units
  uint64_t identity = 0;   // what else the call tells apart: the inode (POSIX), the creation time
                           // (Windows); 0 where the platform gives nothing
};

inline bool operator==(const FileStamp& a, const FileStamp& b) noexcept {
  return a.exists == b.exists && a.size == b.size && a.writeTime == b.writeTime &&
         a.identity == b.identity;
}
inline bool operator!=(const FileStamp& a, const FileStamp& b) noexcept { return !(a == b); }

// How long a writer waits for another one's lock before it gives up (FileBusyError): long enough
// for another copy to merge and write a large file, short enough for a keystroke.
constexpr int kLockWaitMilliseconds = 1000;
// The wait while a lock refused before is still being asked for (typing on while another program
// holds it): a keystroke must not stop the window for a second each time.
constexpr int kLockRetryMilliseconds = 50;

// Held while the lock file is; releasing it (destroying it) lets the next writer in.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Whole content of the file; throws FileError when it exists but cannot be read.
  [[nodiscard]] virtual std::string ReadAll(const std::string& path) = 0;
  // Replaces the file's content in one step: writes a temporary file beside it, flushes it and
  // puts it in the old one's place, keeping the old file's attributes and permissions. On
  // failure the old file is intact and FileError is thrown.
  virtual void WriteAllSafely(const std::string& path, std::string_view data) = 0;
  // WriteAllSafely of the pieces joined in order, without joining them in memory first where the
  // platform can write them one after the other into the temporary file. No piece ("" content)
  // writes an empty file. When `keepOldAs` is not "" and the file exists, the old file is kept
  // under that name (an older file there is replaced) in the same step. A `writeTime` other than
  // 0 is given to the new file as its last-write time before it takes the old one's place (where
  // the platform can; Stat tells whether it stuck). This default joins the pieces, copies the
  // old content and calls WriteAllSafely.
  virtual void WritePiecesSafely(const std::string& path,
                                 const std::vector<std::string_view>& pieces,
                                 const std::string& keepOldAs = std::string(),
                                 int64_t writeTime = 0);
  // True when a file (not a folder) exists at `path`. "" gives false.
  [[nodiscard]] virtual bool Exists(const std::string& path) = 0;
  // Renames or moves `from` to `to` in the same volume (not replacing an existing `to`); throws
  // FileError on failure.
  virtual void Rename(const std::string& from, const std::string& to) = 0;

  // The file's size, last-write time and identity from one metadata call; exists false when no
  // file is there (a folder is none). Throws FileError when the system cannot tell.
  [[nodiscard]] virtual FileStamp Stat(const std::string& path) = 0;
  // The names of the files (not folders) in `folder` ("" or a path ending in a separator) that
  // start with `namePrefix` (ASCII letters in either case; "" for all), in no particular order.
  // Throws FileError when the folder cannot be listed.
  [[nodiscard]] virtual std::vector<std::string> ListFiles(const std::string& folder,
                                                           const std::string& namePrefix = "") = 0;
  // Appends `data` to the file, making it when missing; not flushed. Throws FileError.
  virtual void AppendToFile(const std::string& path, std::string_view data) = 0;
  // Makes the folder; nothing when it is there already. Throws FileError.
  virtual void CreateFolder(const std::string& path) = 0;
  // Deletes the file; throws FileError (a missing file included).
  virtual void Remove(const std::string& path) = 0;
  // Takes the lock file `path` for this process alone, creating it; it is deleted when the lock
  // is released. A lock file left by a process that ended is taken at once. nullptr when another
  // holder kept it through `waitMilliseconds`; FileError when it cannot be made at all.
  [[nodiscard]] virtual std::unique_ptr<FileLock> Lock(const std::string& path,
                                                       int waitMilliseconds) = 0;

  // The clock file times are taken from, now, in file-time units.
  [[nodiscard]] virtual int64_t Now() = 0;
  // The step of that clock: two writes within one step can be given the same time even where
  // the file system keeps finer times (about 15.6 ms on Windows, a few ms on Linux).
  [[nodiscard]] virtual int64_t ClockTick() = 0;
  // `time` (file-time units) as the local calendar date and time.
  [[nodiscard]] virtual SettingDate LocalTime(int64_t time) = 0;
  // Lets `milliseconds` pass (another writer finishing what it does to a file).
  virtual void Wait(int milliseconds);
};

// The platform's implementation (POSIX natively, the Win32 API on Windows).
[[nodiscard]] FileSystem& SystemFileSystem();

}  // namespace pinote
