// ASCII bytes: digits, letters and their case, one byte at a time. In a double-byte code page the
// second byte of a character can fall in these ranges, so text in one is walked by character
// first (mbtext.h) and only bytes that stand alone are tested here.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace pinote {

[[nodiscard]] constexpr bool IsAsciiDigit(char c) noexcept { return c >= '0' && c <= '9'; }
[[nodiscard]] constexpr bool IsAsciiUpper(char c) noexcept { return c >= 'A' && c <= 'Z'; }
[[nodiscard]] constexpr bool IsAsciiLower(char c) noexcept { return c >= 'a' && c <= 'z'; }
[[nodiscard]] constexpr bool IsAsciiLetter(char c) noexcept {
  return IsAsciiUpper(c) || IsAsciiLower(c);
}
// "a".."z" as "A".."Z"; every other byte as it is.
[[nodiscard]] constexpr char AsciiUpper(char c) noexcept {
  return IsAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
// `t` with "A".."Z" as "a".."z"; every other byte as it is.
[[nodiscard]] inline std::string AsciiLower(std::string_view t) {
  std::string out(t);
  for (char& c : out) {
    if (IsAsciiUpper(c)) c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}
// Whether `t` is one or more digits "0".."9"; "" is not.
[[nodiscard]] inline bool IsAllAsciiDigits(std::string_view t) noexcept {
  return !t.empty() && std::all_of(t.begin(), t.end(), IsAsciiDigit);
}
// The value of a hexadecimal digit in either case; -1 for any other byte.
[[nodiscard]] constexpr int HexDigitValue(char c) noexcept {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
// Whether `t` starts with `word`, ASCII letters in either case, every other byte exactly.
[[nodiscard]] constexpr bool StartsWithAsciiFolded(std::string_view t,
                                                   std::string_view word) noexcept {
  if (t.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (AsciiUpper(t[i]) != AsciiUpper(word[i])) return false;
  }
  return true;
}

}  // namespace pinote
