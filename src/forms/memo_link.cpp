#include "forms/memo_link.h"

#include "common/mbtext.h"

namespace pinote {

// "!", '"' and ' ' are below 0x40, so they are never the second byte of a Shift-JIS character
// and a byte-wise search finds only real separators.
std::optional<MemoLink> ParseMemoLink(std::string_view line) {
  const size_t bang = line.rfind('!');
  if (bang == std::string_view::npos) return std::nullopt;
  std::string_view s = TrimControls(line.substr(bang + 1));
  MemoLink link;
  if (!s.empty() && s.front() == '"') {
    s.remove_prefix(1);
    const size_t close = s.find('"');
    if (close == std::string_view::npos) {
      link.target = std::string(s);
    } else {
      link.target = std::string(s.substr(0, close));
      link.parameters = std::string(TrimControls(s.substr(close + 1)));
    }
    return link;
  }
  const size_t space = s.find(' ');
  if (space == std::string_view::npos) {
    link.target = std::string(s);
  } else {
    link.target = std::string(s.substr(0, space));
    link.parameters = std::string(TrimControls(s.substr(space + 1)));
  }
  return link;
}

}  // namespace pinote
