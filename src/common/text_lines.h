// The one line rule of every text the plug-in reads (Pinote.ini, Pinote.dat, the name list, a
// memo, the keyword history): a line ends at CR LF, a lone CR or a lone LF; a break at the very
// end makes no extra line, so "" has no line and "\r\n" one empty line.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "common/word_scan.h"

namespace pinote {

// The position of the first CR or LF in data[from, size), or `size` when there is none; with
// kNulToo, of the first NUL as well.
template <bool kNulToo = false>
[[nodiscard]] inline size_t FindLineBreak(const char* data, size_t from, size_t size) noexcept {
  // A word at a time: a large file is mostly bytes of 0x0E and above (none of them CR, LF or
  // NUL), and most of its lines are short, so where the search stops matters as much. A flagged
  // byte is a candidate: it may be another control character, or a borrow's false flag.
  using namespace word_scan;
  const auto isBreak = [](char c) { return c == '\r' || c == '\n' || (kNulToo && c == '\0'); };
  size_t i = from;
  for (; i + sizeof(Word) <= size; i += sizeof(Word)) {
    Word w;
    std::memcpy(&w, data + i, sizeof w);
    Word flags = BytesBelow(w, 0x0E);
    if (flags == 0) continue;
    if (!kLittleEndian) break;
    for (; flags != 0; flags &= flags - 1) {
      const size_t at = i + LowestFlaggedByte(flags);
      if (isBreak(data[at])) return at;
    }
  }
  for (; i < size; ++i) {
    if (isBreak(data[i])) return i;
  }
  return size;
}

// Calls `fn(line)` for every line of `text`, as a view into it. A NUL byte is an ordinary byte
// here; readers of files cut the text with BeforeNul first.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  const char* const data = text.data();
  const size_t size = text.size();
  size_t begin = 0;
  while (begin < size) {
    const size_t brk = FindLineBreak(data, begin, size);
    fn(std::string_view(data + begin, brk - begin));
    if (brk == size) return;
    begin = brk + (data[brk] == '\r' && brk + 1 < size && data[brk + 1] == '\n' ? 2 : 1);
  }
}

// ForEachLine(BeforeNul(text), fn) in one pass over the text: the lines of a file's text.
// Returns the size of BeforeNul(text).
template <typename Fn>
size_t ForEachFileLine(std::string_view text, Fn&& fn) {
  const char* const data = text.data();
  const size_t size = text.size();
  size_t begin = 0;
  while (begin < size) {
    const size_t brk = FindLineBreak<true>(data, begin, size);
    if (brk == size || data[brk] == '\0') {
      if (brk > begin) fn(std::string_view(data + begin, brk - begin));
      return brk;
    }
    fn(std::string_view(data + begin, brk - begin));
    begin = brk + (data[brk] == '\r' && brk + 1 < size && data[brk + 1] == '\n' ? 2 : 1);
  }
  return size;
}

// The lines of a file's text as views into it: the text ends at its first NUL byte (nothing after
// it is read), then ForEachLine. One reservation for all lines, so a large file costs no regrowth.
[[nodiscard]] std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace pinote
