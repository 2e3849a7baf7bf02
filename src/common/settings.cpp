#include "common/settings.h"

#include "common/mbtext.h"

namespace pinote {

std::vector<std::string_view> SplitLines(std::string_view text) {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  std::vector<std::string_view> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t brk = text.find_first_of("\r\n", begin);
    if (brk == std::string_view::npos) {
      lines.push_back(text.substr(begin));
      break;
    }
    lines.push_back(text.substr(begin, brk - begin));
    begin = brk + (text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

}  // namespace pinote
