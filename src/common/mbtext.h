// Character-wise counting, searching and cutting of multibyte byte strings in the system's ANSI
// code page, which each function is handed (code_page.h). Characters are numbered from 1. On a
// double-byte page a lead byte forms one character with the byte after it; a lead byte that is
// the last byte of a text is a character by itself, so no function here ever reads past the end
// of its text.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/word_scan.h"

namespace pinote {

// The position of the first byte `b` in `t` at or after `from`, or t.size() when there is none.
// Looks at a machine word at a time: the C library's memchr under Wine reads a byte at a time,
// and files of megabytes are searched here.
[[nodiscard]] inline size_t FindByte(std::string_view t, char b, size_t from = 0) noexcept {
  using namespace word_scan;
  const Word pattern = kOnes * static_cast<unsigned char>(b);
  size_t i = from;
  for (; i + sizeof(Word) <= t.size(); i += sizeof(Word)) {
    Word w;
    std::memcpy(&w, t.data() + i, sizeof w);
    // A byte equal to `b` is zero now, and the lowest flag below 1 is a sure one.
    const Word flags = BytesBelow(w ^ pattern, 1);
    if (flags == 0) continue;
    if (kLittleEndian) return i + LowestFlaggedByte(flags);
    break;
  }
  while (i < t.size() && t[i] != b) ++i;
  return i < t.size() ? i : t.size();
}

// `t` up to its first NUL byte (all of it when there is none): where a zero-terminated text or a
// file reader stops.
[[nodiscard]] inline std::string_view BeforeNul(std::string_view t) noexcept {
  return t.substr(0, FindByte(t, '\0'));
}

// Number of characters of `t`; "" gives 0; a trailing lone lead byte counts as one character.
[[nodiscard]] int MbLength(std::string_view t, const CodePage& cp) noexcept;

// Number of the first character of `t` at which `sub` begins, or 0. The second byte of a
// double-byte character is never a match start. An empty `t` gives 0; an empty `sub` gives 1
// for a non-empty `t`.
[[nodiscard]] int MbPos(std::string_view sub, std::string_view t, const CodePage& cp) noexcept;

// Characters start .. start+count-1 of `t`. count == INT32_MAX takes the rest; start < 1 or past
// the end gives ""; count 0 gives ""; start+count < 1 (never reached) gives the rest from start.
[[nodiscard]] std::string MbCopy(std::string_view t, int start, int count, const CodePage& cp);

inline constexpr int kMbRest = INT32_MAX;

// `t` without the leading and trailing bytes whose value is 32 or less (space, tab, CR, LF...).
[[nodiscard]] std::string_view TrimControls(std::string_view t) noexcept;

// ASCII a-z upper-cased; bytes of multibyte characters are left alone. This is the upper-casing
// used for settings keys and address lookups.
[[nodiscard]] std::string UpperAnsi(std::string_view t, const CodePage& cp);

// Byte offset at which character number `n` (1-based) begins; t.size() when past the end.
[[nodiscard]] size_t MbByteOffset(std::string_view t, int n, const CodePage& cp) noexcept;

}  // namespace pinote
