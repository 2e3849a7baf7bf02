// An in-memory FileSystem for tests and fuzzers. Reads, writes and renames can be made to fail
// for chosen paths, the way a locked, unreadable or read-only file behaves; a failed write leaves
// the old content, as the real WriteAllSafely does. Its clock moves on by `step` at every look,
// so that file times differ unless a test keeps them; locks are held until released.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"

namespace pinote::testing {

class FakeFileSystem final : public FileSystem {
 public:
  // The message carried by every injected failure.
  static constexpr const char* kInjected = "Access is denied.";

  std::string ReadAll(const std::string& path) override {
    ++reads;
    if (failRead.count(path)) throw FileError(path, kInjected);
    auto it = files.find(path);
    if (it == files.end()) throw FileError(path, "The system cannot find the file specified.");
    std::string content = it->second;
    if (onRead) onRead(path);
    return content;
  }

  void WriteAllSafely(const std::string& path, std::string_view data) override {
    ++writes;
    if (failWrite.count(path)) throw FileError(path, kInjected);
    files[path] = std::string(data);
    writeTimes[path] = Now();
  }

  // Joined like the default, after noting how many pieces came; the old file is kept by copy.
  void WritePiecesSafely(const std::string& path, const std::vector<std::string_view>& pieces,
                         const std::string& keepOldAs = std::string(),
                         int64_t writeTime = 0) override {
    lastPieces = pieces.size();
    const auto old = files.find(path);
    const std::string kept = old == files.end() ? std::string() : old->second;
    const bool keep = !keepOldAs.empty() && old != files.end();
    FileSystem::WritePiecesSafely(path, pieces);
    if (writeTime != 0 && timesStick) writeTimes[path] = writeTime;
    if (keep) {
      files[keepOldAs] = kept;
      writeTimes[keepOldAs] = Now();
    }
    if (onReplace) onReplace(path);
  }

  bool Exists(const std::string& path) override {
    return !path.empty() && files.count(path) != 0;
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (failRename.count(from) || failRename.count(to)) throw FileError(from, kInjected);
    auto it = files.find(from);
    if (it == files.end()) throw FileError(from, "The system cannot find the file specified.");
    if (files.count(to)) throw FileError(to, "Cannot create a file when that file already exists.");
    files[to] = std::move(it->second);
    files.erase(it);
    writeTimes[to] = writeTimes[from];
    writeTimes.erase(from);
  }

  FileStamp Stat(const std::string& path) override {
    ++stats;
    auto it = files.find(path);
    if (it == files.end()) return {};
    auto time = writeTimes.find(path);
    if (time == writeTimes.end()) time = writeTimes.emplace(path, Now()).first;
    return {true, it->second.size(), time->second, 0};
  }

  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& namePrefix) override {
    ++listings;
    if (failList) throw FileError(folder, kInjected);
    std::vector<std::string> names;
    for (const auto& [path, content] : files) {
      if (path.compare(0, folder.size(), folder) != 0) continue;
      const std::string name = path.substr(folder.size());
      if (name.find_first_of("/\\") == std::string::npos && NameStartsWith(name, namePrefix)) {
        names.push_back(name);
      }
    }
    return names;
  }

  void AppendToFile(const std::string& path, std::string_view data) override {
    if (failWrite.count(path)) throw FileError(path, kInjected);
    files[path] += data;
    writeTimes[path] = Now();
  }

  void CreateFolder(const std::string& path) override { folders.insert(path); }

  void Remove(const std::string& path) override {
    if (files.erase(path) == 0) throw FileError(path, "The system cannot find the file specified.");
    writeTimes.erase(path);
  }

  std::unique_ptr<FileLock> Lock(const std::string& path, int waitMilliseconds) override {
    lastLockWait = waitMilliseconds;
    if (locks.count(path)) {
      ++lockWaits;
      return nullptr;
    }
    return std::make_unique<HeldLock>(*this, path);
  }

  int64_t Now() override { return clock += step; }
  int64_t ClockTick() override { return tick; }
  // UTC calendar fields of `time`, so that names made from it do not depend on the machine.
  SettingDate LocalTime(int64_t time) override {
    int64_t seconds = time / kFileTimeSecond - 11'644'473'600;
    const int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    seconds -= days * 86400;
    // Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day, static_cast<int>(seconds / 3600),
            static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)};
  }

  // No time passes but the clock's: `onWait` may play another writer finishing meanwhile.
  void Wait(int milliseconds) override {
    ++waits;
    clock += int64_t{milliseconds} * 10'000;
    if (onWait) onWait();
  }

  // Another writer's change: new content with the time of now.
  void Put(const std::string& path, std::string content) {
    files[path] = std::move(content);
    writeTimes[path] = Now();
  }

  // Content of `path`, or "" when there is no such file.
  [[nodiscard]] std::string Content(const std::string& path) const {
    auto it = files.find(path);
    return it == files.end() ? std::string() : it->second;
  }

  std::map<std::string, std::string> files;
  std::map<std::string, int64_t> writeTimes;
  std::set<std::string> folders;
  std::set<std::string> failRead, failWrite, failRename;
  std::set<std::string> locks;  // lock files held (by this process or, in a test, another)
  bool failList = false;
  std::function<void(const std::string&)> onRead;  // called after a read took its content
  std::function<void()> onWait;
  std::function<void(const std::string&)> onReplace;  // called right after a file was replaced
  // 2024-01-01 00:00:00 UTC and some odd hundreds of nanoseconds; 2.5 s and 1 step per look.
  int64_t clock = 133'485'408'000'000'000 + 1234567;
  int64_t step = 25'000'001;
  // False: a file system that keeps its own times (FAT), whatever time a writer asks for.
  bool timesStick = true;
  int lastLockWait = 0;  // what the last Lock was asked to wait
  int64_t tick = 1;
  int reads = 0, writes = 0, stats = 0, lockWaits = 0, listings = 0, waits = 0;
  size_t lastPieces = 0;

 private:
  class HeldLock final : public FileLock {
   public:
    HeldLock(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
      fs_.locks.insert(path_);
    }
    ~HeldLock() override { fs_.locks.erase(path_); }

   private:
    FakeFileSystem& fs_;
    std::string path_;
  };
};

}  // namespace pinote::testing
