// An in-memory FileSystem for tests and fuzzers. Reads, writes and renames can be made to fail
// for chosen paths, the way a locked, unreadable or read-only file behaves; a failed write leaves
// the old content, as the real WriteAllSafely does.
#pragma once

#include <map>
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
    return it->second;
  }

  void WriteAllSafely(const std::string& path, std::string_view data) override {
    ++writes;
    if (failWrite.count(path)) throw FileError(path, kInjected);
    files[path] = std::string(data);
  }

  // Joined like the default, after noting how many pieces came.
  void WritePiecesSafely(const std::string& path,
                         const std::vector<std::string_view>& pieces) override {
    lastPieces = pieces.size();
    FileSystem::WritePiecesSafely(path, pieces);
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
  }

  // Content of `path`, or "" when there is no such file.
  [[nodiscard]] std::string Content(const std::string& path) const {
    auto it = files.find(path);
    return it == files.end() ? std::string() : it->second;
  }

  std::map<std::string, std::string> files;
  std::set<std::string> failRead, failWrite, failRename;
  int reads = 0, writes = 0;
  size_t lastPieces = 0;
};

}  // namespace pinote::testing
