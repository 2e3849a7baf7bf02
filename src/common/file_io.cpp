#include "common/file_io.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace pinote {

bool NameStartsWith(std::string_view name, std::string_view prefix) noexcept {
  if (name.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = name[i], b = prefix[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

std::string TempNameFor(const std::string& path, unsigned long processId) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(processId) + "-" + std::to_string(++counter);
}

void FileSystem::Wait(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void FileSystem::WritePiecesSafely(const std::string& path,
                                   const std::vector<std::string_view>& pieces,
                                   const std::string& keepOldAs, int64_t /*writeTime*/) {
  if (!keepOldAs.empty() && Exists(path)) WriteAllSafely(keepOldAs, ReadAll(path));
  size_t size = 0;
  for (const std::string_view piece : pieces) size += piece.size();
  std::string joined;
  joined.reserve(size);
  for (const std::string_view piece : pieces) joined += piece;
  WriteAllSafely(path, joined);
}

}  // namespace pinote
