// The file seam on Windows. Paths arrive as byte strings in the system code page and are widened
// here for the wide API (common/win32/text.h, which joins the core with this file).
#include <windows.h>

#include <algorithm>
#include <optional>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/file_io.h"
#include "common/win32/handles.h"
#include "common/win32/text.h"

namespace pinote {

namespace {

// The system's own text for `err`, without the line break FormatMessage appends.
std::string SystemMessage(DWORD err) {
  char buf[512] = {};
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             err, 0, buf, sizeof buf, nullptr);
  while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) --n;
  if (n == 0) return "System error " + std::to_string(err);
  return std::string(buf, n);
}

[[noreturn]] void ThrowLastError(const std::string& path, DWORD err) {
  throw FileError(path, SystemMessage(err));
}

int64_t FromFileTime(const FILETIME& t) noexcept {
  return static_cast<int64_t>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime);
}
FILETIME ToFileTime(int64_t time) noexcept {
  return {static_cast<DWORD>(static_cast<uint64_t>(time)),
          static_cast<DWORD>(static_cast<uint64_t>(time) >> 32)};
}

// CreateFileW reports failure as INVALID_HANDLE_VALUE; the owner wants null for "none".
UniqueKernelHandle OpenFile(const std::string& path, DWORD access, DWORD share,
                            DWORD disposition, DWORD flags) {
  HANDLE h =
      ::CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
  return UniqueKernelHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

void WriteFully(HANDLE file, std::string_view data, const std::string& path) {
  size_t done = 0;
  while (done < data.size()) {
    const DWORD chunk =
        static_cast<DWORD>(data.size() - done > (1u << 30) ? (1u << 30) : data.size() - done);
    DWORD wrote = 0;
    if (!::WriteFile(file, data.data() + done, chunk, &wrote, nullptr)) {
      ThrowLastError(path, ::GetLastError());
    }
    if (wrote == 0) ThrowLastError(path, ERROR_WRITE_FAULT);
    done += wrote;
  }
}

// Writes pieces one after the other: large ones with a call each, small ones gathered first, so
// that a file made of many short runs costs few calls. (WriteFileGather wants unbuffered,
// page-aligned I/O, which these pieces are not.)
class PieceWriter {
 public:
  PieceWriter(HANDLE file, const std::string& path) : file_(file), path_(path) {}
  void Write(std::string_view piece) {
    if (piece.size() >= kGathered) {
      Flush();
      WriteFully(file_, piece, path_);
      return;
    }
    if (used_ + piece.size() > kGathered) Flush();
    piece.copy(gathered_.data() + used_, piece.size());
    used_ += piece.size();
  }
  void Flush() {
    WriteFully(file_, std::string_view(gathered_.data(), used_), path_);
    used_ = 0;
  }

 private:
  static constexpr size_t kGathered = 64 * 1024;
  HANDLE file_;
  const std::string& path_;
  std::vector<char> gathered_ = std::vector<char>(kGathered);
  size_t used_ = 0;
};

// The lock file stays open, unshared, until the lock is released; the system deletes it then,
// and also when the process ends without releasing it.
class Win32Lock final : public FileLock {
 public:
  explicit Win32Lock(UniqueKernelHandle file) : file_(std::move(file)) {}

 private:
  UniqueKernelHandle file_;
};

// Puts the temporary file `temp` in the place of `path`.
void PutInPlace(const std::string& temp, const std::string& path, const std::string& keepOldAs,
                bool hadOld) {
  const std::wstring target = Widen(path), replacement = Widen(temp);
  if (!hadOld) {
    if (!::MoveFileExW(replacement.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ThrowLastError(path, ::GetLastError());
    }
    return;
  }
  // ReplaceFileW gives the new content the old file's attributes, security and creation time.
  // Wine's ReplaceFileW is a plain move: the replacement keeps its own attributes and creation
  // time (the old file, attributes and all, goes to the backup name), which is why the temporary
  // file is made with the old file's attributes. Over a read-only file both refuse (access
  // denied); the failure codes are the documented ones.
  const std::wstring backup = Widen(keepOldAs);
  if (::ReplaceFileW(target.c_str(), replacement.c_str(),
                     keepOldAs.empty() ? nullptr : backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return;
  }
  const DWORD err = ::GetLastError();
  if (err == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
    // The old file went to the backup name and the new one could not follow it: finish the
    // move, or put the old file back so that `path` is never left without its file.
    if (::MoveFileExW(replacement.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return;
    const DWORD moveErr = ::GetLastError();
    ::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    ThrowLastError(path, moveErr);
  }
  ThrowLastError(path, err);
}

class Win32FileSystem final : public FileSystem {
 public:
  std::string ReadAll(const std::string& path) override {
    // Delete sharing too: another copy replacing the file while this one reads it must not fail
    // (its replace renames the file away, which an open handle without it refuses).
    UniqueKernelHandle file =
        OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!file) ThrowLastError(path, ::GetLastError());
    LARGE_INTEGER size{};
    const bool sized = ::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
                       static_cast<unsigned long long>(size.QuadPart) < std::string().max_size();
    return ReadToEnd(sized ? static_cast<size_t>(size.QuadPart) : 0, [&](char* to, size_t room) {
      DWORD n = 0;
      if (!::ReadFile(file.get(), to, static_cast<DWORD>(std::min<size_t>(room, 1u << 30)), &n,
                      nullptr)) {
        ThrowLastError(path, ::GetLastError());
      }
      return size_t{n};
    });
  }

  void WriteAllSafely(const std::string& path, std::string_view data) override {
    WritePiecesSafely(path, {data});
  }

  void WritePiecesSafely(const std::string& path, const std::vector<std::string_view>& pieces,
                         const std::string& keepOldAs = std::string(),
                         int64_t writeTime = 0) override {
    const DWORD attrs = ::GetFileAttributesW(Widen(path).c_str());
    const bool hadOld = attrs != INVALID_FILE_ATTRIBUTES;
    if (hadOld) {
      if (attrs & FILE_ATTRIBUTE_DIRECTORY) ThrowLastError(path, ERROR_ACCESS_DENIED);
      // Windows refuses to replace a read-only file, but Wine lets it through; say no
      // ourselves so that a file the user protected is never replaced.
      if (attrs & FILE_ATTRIBUTE_READONLY) ThrowLastError(path, ERROR_ACCESS_DENIED);
    }
    const std::string temp = TempNameFor(path, ::GetCurrentProcessId());
    // The attributes the user gave the file (hidden, say) survive the replace also under Wine.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD tempAttrs = hadOld && (attrs & kKept) ? attrs & kKept : FILE_ATTRIBUTE_NORMAL;
    {
      UniqueKernelHandle file = OpenFile(temp, GENERIC_WRITE, 0, CREATE_NEW, tempAttrs);
      if (!file) ThrowLastError(path, ::GetLastError());
      try {
        PieceWriter writer(file.get(), path);
        for (const std::string_view piece : pieces) writer.Write(piece);
        writer.Flush();
        if (writeTime != 0) {
          // Set after the last write, so no write moves it again; a time that does not stick
          // (FAT keeps two seconds) is no failure: Stat shows what the file system kept.
          const FILETIME t = ToFileTime(writeTime);
          (void)::SetFileTime(file.get(), nullptr, nullptr, &t);
        }
        if (!::FlushFileBuffers(file.get())) ThrowLastError(path, ::GetLastError());
        HANDLE h = file.release();
        if (!::CloseHandle(h)) ThrowLastError(path, ::GetLastError());
      } catch (...) {
        file.reset();
        ::DeleteFileW(Widen(temp).c_str());
        throw;
      }
    }
    try {
      PutInPlace(temp, path, keepOldAs, hadOld);
    } catch (...) {
      ::DeleteFileW(Widen(temp).c_str());
      throw;
    }
  }

  bool Exists(const std::string& path) override {
    if (path.empty()) return false;
    const DWORD attrs = ::GetFileAttributesW(Widen(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  void Rename(const std::string& from, const std::string& to) override {
    // MoveFileW without MOVEFILE_REPLACE_EXISTING fails when `to` exists.
    if (!::MoveFileW(Widen(from).c_str(), Widen(to).c_str())) {
      ThrowLastError(from, ::GetLastError());
    }
  }

  FileStamp Stat(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty()) return {};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
      const DWORD err = ::GetLastError();
      if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return {};
      ThrowLastError(path, err);
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.writeTime = FromFileTime(data.ftLastWriteTime);
    stamp.identity = static_cast<uint64_t>(FromFileTime(data.ftCreationTime));
    return stamp;
  }

  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& namePrefix) override {
    WIN32_FIND_DATAW found{};
    // The system filters by the prefix; a short (8.3) name may match where the long one does
    // not, so the long names are checked again.
    UniqueFind find(::FindFirstFileW(Widen(folder + namePrefix + "*").c_str(), &found));
    std::vector<std::string> names;
    if (!find) {
      const DWORD err = ::GetLastError();
      if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return names;
      ThrowLastError(folder, err);
    }
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      // A name the code page cannot spell cannot be opened through an ANSI path: not listed.
      std::optional<std::string> name = NarrowExactly(found.cFileName);
      if (name && !name->empty() && NameStartsWith(*name, namePrefix)) {
        names.push_back(std::move(*name));
      }
    } while (::FindNextFileW(find.get(), &found));
    return names;
  }

  void AppendToFile(const std::string& path, std::string_view data) override {
    UniqueKernelHandle file = OpenFile(path, FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL);
    if (!file) ThrowLastError(path, ::GetLastError());
    WriteFully(file.get(), data, path);
  }

  void CreateFolder(const std::string& path) override {
    if (::CreateDirectoryW(Widen(path).c_str(), nullptr)) return;
    const DWORD err = ::GetLastError();
    const DWORD attrs = ::GetFileAttributesW(Widen(path).c_str());
    if (err == ERROR_ALREADY_EXISTS && attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
      return;
    }
    ThrowLastError(path, err);
  }

  void Remove(const std::string& path) override {
    if (!::DeleteFileW(Widen(path).c_str())) ThrowLastError(path, ::GetLastError());
  }

  std::unique_ptr<FileLock> Lock(const std::string& path, int waitMilliseconds) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
      UniqueKernelHandle file =
          OpenFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                   FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE);
      if (file) return std::make_unique<Win32Lock>(std::move(file));
      const DWORD err = ::GetLastError();
      // Held: a sharing violation; being deleted by the holder that just let go: access denied
      // while the name still exists.
      const bool held = err == ERROR_SHARING_VIOLATION ||
                        (err == ERROR_ACCESS_DENIED && Exists(path));
      if (!held) ThrowLastError(path, err);
      if (Clock::now() >= deadline) return nullptr;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  int64_t Now() override {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return FromFileTime(now);
  }

  int64_t ClockTick() override {
    DWORD adjustment = 0, increment = 0;
    BOOL disabled = FALSE;
    if (::GetSystemTimeAdjustment(&adjustment, &increment, &disabled) && increment > 0) {
      return increment;
    }
    return 156'250;  // the usual 15.625 ms
  }

  SettingDate LocalTime(int64_t time) override {
    const FILETIME ft = ToFileTime(time);
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&ft, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
      return {};
    }
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace pinote
