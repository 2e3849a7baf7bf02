// Where the caret goes when the memo box is refilled with the merged memo.
#include "forms/text_position.h"

#include <gtest/gtest.h>

namespace pinote {
namespace {

TEST(KeptPosition, StaysOnTheSameCharacters) {
  const struct {
    const char* name;
    const wchar_t* before;
    const wchar_t* after;
    size_t position, want;
  } cases[] = {
      {"text joined before the typed one", L"x", L"from B\r\nx", 1, 9},
      {"in the part both share at the start", L"Line one\r\nLine two", L"Line one\r\nLine 2", 4, 4},
      {"after a change before it", L"ab\r\ncd", L"aXYb\r\ncd", 5, 7},
      {"inside the changed part", L"Line one\r\nLine two\r\n", L"Short\r\n", 15, 5},
      {"past the end", L"abc", L"ab", 9, 2},
      {"nothing changed", L"same", L"same", 2, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeptPosition(c.before, c.after, c.position), c.want) << c.name;
  }
}

}  // namespace
}  // namespace pinote
