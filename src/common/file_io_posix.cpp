// The file seam on POSIX systems (the native build, where the core is tested and fuzzed).
#ifndef _WIN32

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

#include "common/file_io.h"

namespace pinote {

namespace {

[[noreturn]] void ThrowErrno(const std::string& path, int err) {
  throw FileError(path, std::strerror(err));
}

// Closes the descriptor when it goes out of scope; Release hands it over.
class Fd {
 public:
  explicit Fd(int fd) noexcept : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const noexcept { return fd_; }
  // Closes now and reports the error of close (a deferred write error on some file systems).
  int Close() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd);
  }

 private:
  int fd_;
};

std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside the target that no other writer in this process or another one will pick.
std::string TempNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

void WriteFully(int fd, std::string_view data, const std::string& tempPath) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(tempPath, errno);
    }
    done += static_cast<size_t>(n);
  }
}

class PosixFileSystem final : public FileSystem {
 public:
  std::string ReadAll(const std::string& path) override {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) ThrowErrno(path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) ThrowErrno(path, errno);
    if (S_ISDIR(st.st_mode)) ThrowErrno(path, EISDIR);
    std::string out;
    char buf[65536];
    for (;;) {
      const ssize_t n = ::read(fd.get(), buf, sizeof buf);
      if (n < 0) {
        if (errno == EINTR) continue;
        ThrowErrno(path, errno);
      }
      if (n == 0) break;
      out.append(buf, static_cast<size_t>(n));
    }
    return out;
  }

  void WriteAllSafely(const std::string& path, std::string_view data) override {
    struct stat old {};
    const bool hadOld = ::stat(path.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) ThrowErrno(path, EISDIR);
    // A rename would replace a read-only file without complaint; Windows refuses, and so do we,
    // so that a file the user protected is never overwritten.
    if (hadOld && ::access(path.c_str(), W_OK) != 0) ThrowErrno(path, errno);

    const std::string temp = TempNameFor(path);
    const mode_t mode = hadOld ? (old.st_mode & 07777) : 0666;
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.get() < 0) ThrowErrno(path, errno);
    try {
      if (hadOld) (void)::fchmod(fd.get(), old.st_mode & 07777);  // not cut by the umask
      WriteFully(fd.get(), data, path);
      if (::fsync(fd.get()) != 0) ThrowErrno(path, errno);
      if (fd.Close() != 0) ThrowErrno(path, errno);
      if (::rename(temp.c_str(), path.c_str()) != 0) ThrowErrno(path, errno);
    } catch (...) {
      ::unlink(temp.c_str());
      throw;
    }
    // Make the rename itself durable; the new content is already in place, so a failure here
    // is not reported.
    Fd dir(::open(FolderPart(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) (void)::fsync(dir.get());
  }

  bool Exists(const std::string& path) override {
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  void Rename(const std::string& from, const std::string& to) override {
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) ThrowErrno(to, EEXIST);
    if (::rename(from.c_str(), to.c_str()) != 0) ThrowErrno(from, errno);
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace pinote

#endif  // _WIN32
