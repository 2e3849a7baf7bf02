#include "store/text_lines.h"

#include <algorithm>

namespace pinote {

std::vector<std::string_view> SplitStoreLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  const size_t size = text.size();
  // Count first: a 10 MB file has a million lines, and growing the vector would copy them often.
  const size_t breaks = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
                        static_cast<size_t>(std::count(text.begin(), text.end(), '\r'));
  std::vector<std::string_view> lines;
  lines.reserve(breaks + 1);
  size_t begin = 0;
  while (begin < size) {
    size_t brk = begin;
    while (brk < size && text[brk] != '\r' && text[brk] != '\n') ++brk;
    lines.push_back(text.substr(begin, brk - begin));
    if (brk == size) break;
    begin = brk + (text[brk] == '\r' && brk + 1 < size && text[brk + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

}  // namespace pinote
