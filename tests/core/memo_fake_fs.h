// An in-memory FileSystem for the memo store tests: files are a map from path to bytes, and
// reads or writes of one path can be made to fail like a locked or full disk would.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "common/file_io.h"

namespace pinote::test {

class MemoFakeFs : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> unreadable;  // exist, but ReadAll throws
  std::set<std::string> unwritable;  // WriteAllSafely throws, the old content stays
  int writes = 0;

  std::string ReadAll(const std::string& path) override {
    if (unreadable.count(path) != 0) throw FileError(path, "Access is denied.");
    const auto it = files.find(path);
    if (it == files.end()) throw FileError(path, "The system cannot find the file specified.");
    return it->second;
  }
  void WriteAllSafely(const std::string& path, std::string_view data) override {
    if (unwritable.count(path) != 0) throw FileError(path, "There is not enough space on the disk.");
    files[path] = std::string(data);
    ++writes;
  }
  bool Exists(const std::string& path) override {
    return !path.empty() && (files.count(path) != 0 || unreadable.count(path) != 0);
  }
  void Rename(const std::string& from, const std::string& to) override {
    if (files.count(from) == 0 || files.count(to) != 0) throw FileError(from, "Cannot rename.");
    files[to] = files[from];
    files.erase(from);
  }
};

}  // namespace pinote::test
