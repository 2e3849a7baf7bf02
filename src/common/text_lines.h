// The one line rule of every text the plug-in reads (Pinote.ini, Pinote.dat, the name list, a
// memo, the keyword history): a line ends at CR LF, a lone CR or a lone LF; a break at the very
// end makes no extra line, so "" has no line and "\r\n" one empty line.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace pinote {

// The position of the first CR or LF in data[from, size), or `size` when there is none; with
// kNulToo, of the first NUL as well.
template <bool kNulToo = false>
[[nodiscard]] inline size_t FindLineBreak(const char* data, size_t from, size_t size) noexcept {
  // A machine word at a time while no byte of it is below 0x0E (so none is CR or LF): a large
  // file is mostly such bytes, and a byte at a time costs a comparison or two per byte.
  using Word = std::uintptr_t;
  constexpr Word kOnes = ~Word{0} / 0xFF;
  constexpr Word kHigh = kOnes * 0x80;
  size_t i = from;
  for (;;) {
    for (; i + sizeof(Word) <= size; i += sizeof(Word)) {
      Word w;
      std::memcpy(&w, data + i, sizeof w);
      if (((w - kOnes * 0x0E) & ~w & kHigh) != 0) break;  // some byte is below 0x0E
    }
    const size_t stop = i + sizeof(Word) < size ? i + sizeof(Word) : size;
    for (; i < stop; ++i) {
      if (data[i] == '\r' || data[i] == '\n' || (kNulToo && data[i] == '\0')) return i;
    }
    if (i >= size) return size;
  }
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
