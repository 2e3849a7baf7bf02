#include "common/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace pinote {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> out;
  ForEachLine(text, [&out](std::string_view line) { out.emplace_back(line); });
  return out;
}

TEST(ForEachLine, BreaksAndTheNulByte) {
  const struct {
    std::string text;
    std::vector<std::string> each;   // ForEachLine: NUL is a byte like any other
    std::vector<std::string> split;  // SplitLines: NUL ends the text
  } cases[] = {
      {"\n\r", {"", ""}, {"", ""}},  // LF then a lone CR: two breaks, not one
      {std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}, {"a"}},
      {std::string("\0\r\n", 3), {std::string(1, '\0')}, {}},
      {"\x83\r\n\x83\x5C", {"\x83", "\x83\x5C"}, {"\x83", "\x83\x5C"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(Lines(c.text), c.each);
    const auto split = SplitLines(c.text);
    EXPECT_EQ(std::vector<std::string>(split.begin(), split.end()), c.split);
  }
}

// The rule read one byte at a time: a CR, an LF, or a CR directly followed by an LF ends a line;
// what follows the last break is a line only when it is not empty.
std::vector<std::string> ByteByByte(std::string_view text) {
  std::vector<std::string> out;
  std::string line;
  bool pending = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out.push_back(line);
      line.clear();
      pending = false;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += text[i];
      pending = true;
    }
  }
  if (pending) out.push_back(line);
  return out;
}

TEST(ForEachLine, AgreesWithAByteByByteReading) {
  std::mt19937 rng(99);
  // Bytes just below and above CR and LF, and with the top bit set: the search looks at whole
  // machine words first, so long runs without a break are drawn too.
  const char alphabet[] = {'a', 'b', '\r', '\n', ' ', '\0', '\x83', '\t', '\x0c', '\x0e', '\x8d',
                           'a', 'b', 'c', 'd'};
  for (int round = 0; round < 6000; ++round) {
    std::string text;
    for (unsigned n = rng() % (round % 2 == 0 ? 14 : 48); n > 0; --n) {
      text += alphabet[rng() % (round % 3 == 0 ? 11 : sizeof alphabet)];
    }
    SCOPED_TRACE(::testing::PrintToString(text));
    EXPECT_EQ(Lines(text), ByteByByte(text));
    // A file's lines: the same, up to the first NUL, in one pass.
    std::vector<std::string> fileLines;
    const size_t end =
        ForEachFileLine(text, [&fileLines](std::string_view l) { fileLines.emplace_back(l); });
    EXPECT_EQ(fileLines, ByteByByte(text.substr(0, text.find('\0'))));
    EXPECT_EQ(end, std::min(text.find('\0'), text.size()));
  }
}

}  // namespace
}  // namespace pinote
