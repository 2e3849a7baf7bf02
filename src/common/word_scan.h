// Searching, copying and comparing bytes a machine word at a time: 8 bytes on x86-64, 4 on i686,
// where 64-bit arithmetic costs several instructions each. The files read here run to megabytes,
// in lines and addresses of a few dozen bytes, and a call into the C library costs more than
// such a short copy: the 32-bit msvcrt's memcpy under Wine takes some 15 ns for 30 bytes, and
// its memchr reads a byte at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pinote::word_scan {

using Word = std::uintptr_t;
constexpr Word kOnes = ~Word{0} / 0xFF;  // 0x01 in every byte
constexpr Word kHigh = kOnes * 0x80;     // the top bit of every byte

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
// The first byte in memory is the lowest of a word read from it.
constexpr bool kLittleEndian = true;
#else
constexpr bool kLittleEndian = false;
#endif

// The top bit set in every byte of `w` below `n` (n <= 0x80). Every such byte is flagged; a byte
// above (later than) a flagged one may be flagged too (a borrow), so only the lowest flag is
// sure: the others are looked at.
[[nodiscard]] constexpr Word BytesBelow(Word w, unsigned char n) noexcept {
  return (w - kOnes * n) & ~w & kHigh;
}

// The index of the byte of the lowest flag of `flags` (!= 0) on a little-endian machine.
[[nodiscard]] inline unsigned LowestFlaggedByte(Word flags) noexcept {
#if defined(__GNUC__)
  if constexpr (sizeof(Word) > sizeof(unsigned)) {
    return static_cast<unsigned>(__builtin_ctzll(flags)) / 8;
  } else {
    return static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(flags))) / 8;
  }
#else
  unsigned n = 0;
  while ((flags & 0x80) == 0) {
    flags >>= 8;
    ++n;
  }
  return n;
#endif
}

// Copies from[0, n) to `to` (no overlap): short copies inline, a word at a time; long ones by
// the C library, which is fast for them.
inline void CopyBytes(char* to, const char* from, size_t n) noexcept {
  if (n > 64) {
    std::memcpy(to, from, n);
    return;
  }
  for (; n >= sizeof(Word); n -= sizeof(Word), from += sizeof(Word), to += sizeof(Word)) {
    Word w;
    std::memcpy(&w, from, sizeof w);
    std::memcpy(to, &w, sizeof w);
  }
  for (; n > 0; --n) *to++ = *from++;
}

// Whether a[0, n) and b[0, n) hold the same bytes, a word at a time.
[[nodiscard]] inline bool SameBytes(const char* a, const char* b, size_t n) noexcept {
  for (; n >= sizeof(Word); n -= sizeof(Word), a += sizeof(Word), b += sizeof(Word)) {
    Word x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    if (x != y) return false;
  }
  for (; n > 0; --n) {
    if (*a++ != *b++) return false;
  }
  return true;
}

}  // namespace pinote::word_scan
