// The one line rule of every text the plug-in reads (Pinote.ini, Pinote.dat, the name list, a
// memo, the keyword history): a line ends at CR LF, a lone CR or a lone LF; a break at the very
// end makes no extra line, so "" has no line and "\r\n" one empty line.
#pragma once

#include <string_view>
#include <vector>

namespace pinote {

// Calls `fn(line)` for every line of `text`, as a view into it. A NUL byte is an ordinary byte
// here; readers of files cut the text with BeforeNul first.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  const char* const data = text.data();
  const size_t size = text.size();
  size_t begin = 0;
  while (begin < size) {
    // A plain loop: find_first_of with a two-byte set costs a library call per byte.
    size_t brk = begin;
    while (brk < size && data[brk] != '\r' && data[brk] != '\n') ++brk;
    fn(std::string_view(data + begin, brk - begin));
    if (brk == size) return;
    begin = brk + (data[brk] == '\r' && brk + 1 < size && data[brk + 1] == '\n' ? 2 : 1);
  }
}

// The lines of a file's text as views into it: the text ends at its first NUL byte (nothing after
// it is read), then ForEachLine. One reservation for all lines, so a large file costs no regrowth.
[[nodiscard]] std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace pinote
