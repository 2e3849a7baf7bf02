// The file seam on POSIX systems (the native build, where the core is tested and fuzzed).
#ifndef _WIN32

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

// Writes the pieces in order, as many at a time as one writev takes, resuming after short writes.
void WriteFully(int fd, const std::vector<std::string_view>& pieces, const std::string& path) {
#ifdef IOV_MAX
  constexpr size_t kBatch = IOV_MAX < 1024 ? IOV_MAX : 1024;
#else
  constexpr size_t kBatch = 16;
#endif
  size_t next = 0;       // first piece not yet (fully) written
  size_t doneInNext = 0;  // bytes of it already written
  iovec iov[kBatch];
  while (next < pieces.size()) {
    size_t n = 0;
    for (size_t k = next; k < pieces.size() && n < kBatch; ++k) {
      const size_t skip = k == next ? doneInNext : 0;
      if (pieces[k].size() == skip) continue;
      iov[n].iov_base = const_cast<char*>(pieces[k].data() + skip);
      iov[n].iov_len = pieces[k].size() - skip;
      ++n;
    }
    if (n == 0) return;
    const ssize_t wrote = ::writev(fd, iov, static_cast<int>(n));
    if (wrote < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(path, errno);
    }
    if (wrote == 0) ThrowErrno(path, EIO);
    size_t left = static_cast<size_t>(wrote);
    while (next < pieces.size() && left >= pieces[next].size() - doneInNext) {
      left -= pieces[next].size() - doneInNext;
      ++next;
      doneInNext = 0;
    }
    doneInNext += left;
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
    const auto readSome = [&](char* to, size_t room) {
      for (;;) {
        const ssize_t n = ::read(fd.get(), to, room);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) ThrowErrno(path, errno);
      }
    };
    return ReadToEnd(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0, readSome);
  }

  void WriteAllSafely(const std::string& path, std::string_view data) override {
    WritePiecesSafely(path, {data});
  }

  void WritePiecesSafely(const std::string& path, const std::vector<std::string_view>& pieces,
                         const std::string& keepOldAs = std::string(),
                         int64_t writeTime = 0) override {
    struct stat old {};
    const bool hadOld = ::stat(path.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) ThrowErrno(path, EISDIR);
    // A rename would replace a read-only file without complaint; Windows refuses, and so do we,
    // so that a file the user protected is never overwritten.
    if (hadOld && ::access(path.c_str(), W_OK) != 0) ThrowErrno(path, errno);

    const std::string temp = TempNameFor(path, static_cast<unsigned long>(::getpid()));
    const mode_t mode = hadOld ? (old.st_mode & 07777) : 0666;
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.get() < 0) ThrowErrno(path, errno);
    try {
      if (hadOld) (void)::fchmod(fd.get(), old.st_mode & 07777);  // not cut by the umask
      WriteFully(fd.get(), pieces, path);
      if (writeTime != 0) {
        // A time that does not stick is no failure: Stat shows what the file system kept.
        const timespec times[2] = {{0, UTIME_OMIT}, TimespecOf(writeTime)};
        (void)::futimens(fd.get(), times);
      }
      if (::fsync(fd.get()) != 0) ThrowErrno(path, errno);
      if (fd.Close() != 0) ThrowErrno(path, errno);
      if (hadOld && !keepOldAs.empty()) KeepOld(path, keepOldAs);
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

  FileStamp Stat(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return {};
      ThrowErrno(path, errno);
    }
    if (!S_ISREG(st.st_mode)) return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = static_cast<uint64_t>(st.st_size);
    stamp.writeTime = FileTimeOf(st.st_mtim);
    stamp.identity = static_cast<uint64_t>(st.st_ino);
    return stamp;
  }

  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& namePrefix) override {
    const std::string dirPath = folder.empty() ? std::string(".") : folder;
    DIR* dir = ::opendir(dirPath.c_str());
    if (dir == nullptr) ThrowErrno(dirPath, errno);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name == "." || name == ".." || !NameStartsWith(name, namePrefix)) continue;
      bool file = e->d_type == DT_REG;
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        struct stat st {};
        file = ::stat((folder + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
      }
      if (file) names.push_back(name);
    }
    ::closedir(dir);
    return names;
  }

  void AppendToFile(const std::string& path, std::string_view data) override {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    if (fd.get() < 0) ThrowErrno(path, errno);
    WriteFully(fd.get(), {data}, path);
    if (fd.Close() != 0) ThrowErrno(path, errno);
  }

  void CreateFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) == 0) return;
    const int err = errno;
    struct stat st {};
    if (err == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
    ThrowErrno(path, err);
  }

  void Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) ThrowErrno(path, errno);
  }

  std::unique_ptr<FileLock> Lock(const std::string& path, int waitMilliseconds) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
      auto fd = std::make_unique<Fd>(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
      if (fd->get() < 0) ThrowErrno(path, errno);
      if (::flock(fd->get(), LOCK_EX | LOCK_NB) == 0) {
        // The holder before us deletes the file while it still holds it: a lock taken on a
        // deleted file guards nothing, and the one at the path now is tried instead.
        struct stat held {}, named {};
        if (::fstat(fd->get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
          return std::make_unique<PosixLock>(std::move(fd), path);
        }
      } else if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS) {
        // A file system without locks (some network shares): writing unguarded beats never
        // writing; the merge still notices what another writer left.
        return std::make_unique<PosixLock>(std::move(fd), path);
      } else if (errno != EWOULDBLOCK && errno != EINTR) {
        ThrowErrno(path, errno);
      }
      if (Clock::now() >= deadline) return nullptr;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  int64_t Now() override {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return FileTimeOf(ts);
  }

  int64_t ClockTick() override {
    // File times come from the kernel's coarse clock, which steps once per timer tick.
    timespec res{};
#ifdef CLOCK_REALTIME_COARSE
    if (::clock_getres(CLOCK_REALTIME_COARSE, &res) == 0) {
      return std::max<int64_t>(1, (int64_t{res.tv_sec} * 1'000'000'000 + res.tv_nsec) / 100);
    }
#endif
    return kFileTimeSecond / 100;  // 10 ms, the coarsest tick Linux uses
  }

  SettingDate LocalTime(int64_t time) override {
    const time_t seconds = static_cast<time_t>(time / kFileTimeSecond - kUnixEpochSeconds);
    tm t{};
    ::localtime_r(&seconds, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  }

 private:
  class PosixLock final : public FileLock {
   public:
    PosixLock(std::unique_ptr<Fd> fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
    // Deleted while still held, so that no one locks the file after it is gone (see Lock).
    ~PosixLock() override { ::unlink(path_.c_str()); }

   private:
    std::unique_ptr<Fd> fd_;
    std::string path_;
  };

  // Seconds from 1601-01-01 to 1970-01-01.
  static constexpr int64_t kUnixEpochSeconds = 11'644'473'600;

  static int64_t FileTimeOf(const timespec& ts) {
    return (int64_t{ts.tv_sec} + kUnixEpochSeconds) * kFileTimeSecond + ts.tv_nsec / 100;
  }
  static timespec TimespecOf(int64_t fileTime) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(fileTime / kFileTimeSecond - kUnixEpochSeconds);
    ts.tv_nsec = static_cast<long>(fileTime % kFileTimeSecond * 100);
    return ts;
  }

  // The old file under `keepOldAs` before the new one takes its name: a second name for it where
  // the file system allows, else a copy.
  void KeepOld(const std::string& path, const std::string& keepOldAs) {
    if (::unlink(keepOldAs.c_str()) != 0 && errno != ENOENT) ThrowErrno(keepOldAs, errno);
    if (::link(path.c_str(), keepOldAs.c_str()) == 0) return;
    WriteAllSafely(keepOldAs, ReadAll(path));
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace pinote

#endif  // _WIN32
