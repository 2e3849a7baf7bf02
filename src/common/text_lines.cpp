#include "common/text_lines.h"

#include <algorithm>

#include "common/mbtext.h"

namespace pinote {

std::vector<std::string_view> SplitLines(std::string_view text) {
  text = BeforeNul(text);
  // Count first: a 10 MB file has a million lines, and growing the vector would copy them often.
  const size_t breaks = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
                        static_cast<size_t>(std::count(text.begin(), text.end(), '\r'));
  std::vector<std::string_view> lines;
  lines.reserve(breaks + 1);
  ForEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

}  // namespace pinote
