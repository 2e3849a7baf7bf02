#include "common/file_io.h"

namespace pinote {

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
