#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "common/byte_arena.h"
#include "common/word_scan.h"

namespace pinote {
namespace {

// Short copies and comparisons go a word at a time, then byte by byte: every length around the
// word sizes, from every alignment, against plain copies.
TEST(WordScan, CopyAndCompareAtEveryLengthAndAlignment) {
  std::string source;
  for (int i = 0; i < 160; ++i) source += static_cast<char>(i * 37 + 11);
  for (size_t from = 0; from < 8; ++from) {
    for (size_t n = 0; n <= 80; ++n) {
      std::string copy(n + 2, '#');
      word_scan::CopyBytes(&copy[1], source.data() + from, n);
      EXPECT_EQ(copy, "#" + source.substr(from, n) + "#") << from << " " << n;
      EXPECT_TRUE(word_scan::SameBytes(copy.data() + 1, source.data() + from, n));
      if (n > 0) {
        copy[n] = static_cast<char>(copy[n] ^ 1);  // the last byte differs
        EXPECT_FALSE(word_scan::SameBytes(copy.data() + 1, source.data() + from, n)) << n;
      }
    }
  }
}

// What is there stays as the arena grows; a truncated arena goes on from where it was cut; the
// room reserved is used in place.
TEST(ByteArena, GrowsKeepsAndCuts) {
  ByteArena arena;
  std::memcpy(arena.Extend(3), "abc", 3);
  for (int i = 0; i < 1000; ++i) *arena.Extend(1) = 'x';
  EXPECT_EQ(arena.size(), 1003u);
  EXPECT_EQ(arena.view().substr(0, 4), "abcx");
  arena.Truncate(2);
  std::memcpy(arena.Extend(2), "yz", 2);
  EXPECT_EQ(arena.view(), "abyz");
  arena.Truncate(10);  // never longer
  EXPECT_EQ(arena.size(), 4u);
  arena.Reserve(1u << 16);
  const char* at = arena.data();
  (void)arena.Extend(1000);
  EXPECT_EQ(arena.data(), at);
  EXPECT_EQ(arena.view().substr(0, 4), "abyz");
  arena.Release();
  EXPECT_EQ(arena.size(), 0u);
  if constexpr (sizeof(size_t) > 4) {
    EXPECT_THROW(arena.Reserve(size_t{UINT32_MAX} + 1), std::length_error);
  }
}

}  // namespace
}  // namespace pinote
