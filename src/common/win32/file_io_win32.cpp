// The file seam on Windows: the ANSI file API, since every path the plug-in handles is a byte
// string in the system code page.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/win32/handles.h"

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

// CreateFileA reports failure as INVALID_HANDLE_VALUE; the owner wants null for "none".
UniqueKernelHandle OpenFile(const std::string& path, DWORD access, DWORD share,
                            DWORD disposition, DWORD flags) {
  HANDLE h = ::CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  return UniqueKernelHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

std::string TempNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
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

class Win32FileSystem final : public FileSystem {
 public:
  std::string ReadAll(const std::string& path) override {
    UniqueKernelHandle file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!file) ThrowLastError(path, ::GetLastError());
    // Read straight into a string of the file's size: what it is read into is often kept as
    // long as the file is. A file that grows meanwhile is read on to its end.
    LARGE_INTEGER size{};
    std::string out;
    if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < out.max_size()) {
      out.resize(static_cast<size_t>(size.QuadPart));
    }
    size_t got = 0;
    for (;;) {
      char more[65536];
      const bool full = got == out.size();
      const size_t room = out.size() - got;
      const DWORD ask =
          full ? DWORD{sizeof more} : static_cast<DWORD>(room > (1u << 30) ? (1u << 30) : room);
      DWORD n = 0;
      if (!::ReadFile(file.get(), full ? more : out.data() + got, ask, &n, nullptr)) {
        ThrowLastError(path, ::GetLastError());
      }
      if (n == 0) break;
      if (full) out.append(more, n);
      got += n;
    }
    out.resize(got);
    return out;
  }

  void WriteAllSafely(const std::string& path, std::string_view data) override {
    WritePiecesSafely(path, {data});
  }

  void WritePiecesSafely(const std::string& path,
                         const std::vector<std::string_view>& pieces) override {
    const DWORD attrs = ::GetFileAttributesA(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
      if (attrs & FILE_ATTRIBUTE_DIRECTORY) ThrowLastError(path, ERROR_ACCESS_DENIED);
      // Windows refuses to move over a read-only file, but Wine lets it through; say no
      // ourselves so that a file the user protected is never replaced.
      if (attrs & FILE_ATTRIBUTE_READONLY) ThrowLastError(path, ERROR_ACCESS_DENIED);
    }
    const std::string temp = TempNameFor(path);
    {
      UniqueKernelHandle file =
          OpenFile(temp, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
      if (!file) ThrowLastError(path, ::GetLastError());
      try {
        PieceWriter writer(file.get(), path);
        for (const std::string_view piece : pieces) writer.Write(piece);
        writer.Flush();
        if (!::FlushFileBuffers(file.get())) ThrowLastError(path, ::GetLastError());
        HANDLE h = file.release();
        if (!::CloseHandle(h)) ThrowLastError(path, ::GetLastError());
      } catch (...) {
        file.reset();
        ::DeleteFileA(temp.c_str());
        throw;
      }
    }
    if (!::MoveFileExA(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const DWORD err = ::GetLastError();
      ::DeleteFileA(temp.c_str());
      ThrowLastError(path, err);
    }
  }

  bool Exists(const std::string& path) override {
    if (path.empty()) return false;
    const DWORD attrs = ::GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  void Rename(const std::string& from, const std::string& to) override {
    // MoveFileA without MOVEFILE_REPLACE_EXISTING fails when `to` exists.
    if (!::MoveFileA(from.c_str(), to.c_str())) ThrowLastError(from, ::GetLastError());
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace pinote
