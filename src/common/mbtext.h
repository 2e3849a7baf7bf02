// Character-wise counting, searching and cutting of multibyte (Shift-JIS) byte strings.
// Characters are numbered from 1. A lead byte (0x81-0x9F, 0xE0-0xFC) forms one character with
// the byte after it; a lead byte that is the last byte of a text is a character by itself, so no
// function here ever reads past the end of its text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pinote {

// True for the Shift-JIS lead-byte ranges 0x81-0x9F and 0xE0-0xFC.
[[nodiscard]] constexpr bool IsLeadByte(unsigned char b) noexcept {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte length of the character that starts at byte `i` of `t`: 2 for a lead byte with a byte
// after it, else 1 (a lone lead byte at the end is a character by itself). `i` < t.size().
[[nodiscard]] constexpr size_t CharSize(std::string_view t, size_t i) noexcept {
  return IsLeadByte(static_cast<unsigned char>(t[i])) && i + 1 < t.size() ? 2 : 1;
}

// Number of characters of `t`; "" gives 0; a trailing lone lead byte counts as one character.
[[nodiscard]] int MbLength(std::string_view t) noexcept;

// Number of the first character of `t` at which `sub` begins, or 0. The second byte of a
// double-byte character is never a match start. An empty `t` gives 0; an empty `sub` gives 1
// for a non-empty `t`.
[[nodiscard]] int MbPos(std::string_view sub, std::string_view t) noexcept;

// Characters start .. start+count-1 of `t`. count == INT32_MAX takes the rest; start < 1 or past
// the end gives ""; count 0 gives ""; start+count < 1 (never reached) gives the rest from start.
[[nodiscard]] std::string MbCopy(std::string_view t, int start, int count);

inline constexpr int kMbRest = INT32_MAX;

// `t` without the leading and trailing bytes whose value is 32 or less (space, tab, CR, LF...).
[[nodiscard]] std::string_view TrimControls(std::string_view t) noexcept;

// ASCII a-z upper-cased; bytes of double-byte characters are left alone. This is the upper-casing
// used for settings keys and address lookups.
[[nodiscard]] std::string UpperAnsi(std::string_view t);

// Byte offset at which character number `n` (1-based) begins; t.size() when past the end.
[[nodiscard]] size_t MbByteOffset(std::string_view t, int n) noexcept;

}  // namespace pinote
