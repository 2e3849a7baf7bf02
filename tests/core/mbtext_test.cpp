#include "common/mbtext.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace pinote {
namespace {

// Shift-JIS "ソ" (83 5C) and "表" (95 5C): second byte is "\"; "ー" (81 5B); "@" seconds: 81 40.
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";
const std::string kSpaceJ = "\x81\x40";  // ideographic space, second byte "@"
const std::string kA = "\x82\xA0";       // "あ"
const CodePage kSjis = CodePage::ShiftJis();

// Splits into characters the plain way: a lead byte takes the next byte when there is one.
std::vector<std::string> RefChars(const std::string& t) {
  std::vector<std::string> out;
  for (size_t i = 0; i < t.size();) {
    const auto b = static_cast<unsigned char>(t[i]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    const size_t n = lead && i + 1 < t.size() ? 2 : 1;
    out.push_back(t.substr(i, n));
    i += n;
  }
  return out;
}

std::string RandomSjis(std::mt19937& rng, size_t maxLen) {
  static const char kPool[] = {'\\', '@', '=', ':', '<', '(', 'a', 'Z', '%', '\x83', '\x95',
                               '\x81', '\xE0', '\xFC', '\x5C', '\x40', '\xA0', '\x00', '\x9F'};
  std::uniform_int_distribution<size_t> len(0, maxLen), pick(0, sizeof kPool - 1);
  std::string t(len(rng), ' ');
  for (char& c : t) c = kPool[pick(rng)];
  return t;
}

TEST(MbLength, CountsCharacters) {
  struct Case {
    std::string t;
    int expected;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {kSo + kHyo + kA + "xy", 5},  // three double-byte characters and two single bytes
      {"a" + kSo, 2},
      {"ab\x83", 3},                 // a trailing lone lead byte is one character
      {"\x83", 1},
      {"\xA0\xA1", 2},               // half-width kana are single bytes
      {"\xFD\xFE\xFF", 3},           // above the lead ranges
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.t);
    EXPECT_EQ(MbLength(c.t, kSjis), c.expected);
  }
}

TEST(MbPos, FindsCharacterStartsOnly) {
  struct Case {
    std::string sub, t;
    int expected;
  } cases[] = {
      {"\\", kSo + "\\", 2},        // never inside "ソ"
      {"\\", kHyo + kSo, 0},
      {"@", kSpaceJ + "a@b", 3},
      {"=", "key=value", 4},
      {"x", "abc", 0},
      {"x", "", 0},
      {"", "", 0},
      {"", "abc", 1},
      {"abc", "ab", 0},             // running off the end is no match
      {"B", "ab", 0},               // letter case counts
      {kSo, "a" + kSo + kSo, 2},
      {"\x5C\x83", kSo + "\x83", 0},
      {"c", "ab\0c", 0},            // the text ends at its first zero byte
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sub + " in " + c.t);
    EXPECT_EQ(MbPos(c.sub, c.t, kSjis), c.expected);
  }
  EXPECT_EQ(MbPos("c", std::string_view("ab\0c", 4), kSjis), 0);
}

TEST(MbCopy, RangesByCharacter) {
  const std::string t = "a" + kSo + "b" + kHyo;  // 4 characters, 6 bytes
  struct Case {
    int start, count;
    std::string expected;
  } cases[] = {
      {1, 0, ""},
      {0, 5, ""},
      {2, kMbRest, kSo + "b" + kHyo},
      {1, -1, t},                    // start + count below 1: the rest
      {3, -5, "b" + kHyo},
      {2, -1, ""},                   // end met before the beginning
      {1, 1, "a"},
      {2, 1, kSo},
      {2, 2, kSo + "b"},
      {4, 10, kHyo},
      {5, 1, ""},
      {5, kMbRest, ""},
      {0, kMbRest, ""},
      {-3, kMbRest, ""},
      {1, kMbRest, t},
      {INT32_MIN, kMbRest, ""},
      {INT32_MAX, 5, ""},
      {2, INT32_MAX - 1, kSo + "b" + kHyo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + "," + std::to_string(c.count));
    EXPECT_EQ(MbCopy(t, c.start, c.count, kSjis), c.expected);
  }
}

TEST(MbCopy, TrailingLoneLeadByteIsOneCharacter) {
  const std::string t = "ab\x83";
  EXPECT_EQ(MbCopy(t, 3, 1, kSjis), "\x83");
  EXPECT_EQ(MbCopy(t, 3, kMbRest, kSjis), "\x83");
  EXPECT_EQ(MbCopy(t, 4, 1, kSjis), "");
}

TEST(MbText, MatchesReferenceOnRandomTexts) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> arg(-4, 14);
  for (int round = 0; round < 3000; ++round) {
    const std::string t = RandomSjis(rng, 12);
    const auto chars = RefChars(t);
    ASSERT_EQ(MbLength(t, kSjis), static_cast<int>(chars.size()));
    const int start = arg(rng), count = round % 7 == 0 ? kMbRest : arg(rng);
    std::string expected;
    const int64_t stop = count == kMbRest ? INT64_MAX : int64_t{start} + count;
    if (start >= 1 && start <= static_cast<int>(chars.size())) {
      if (stop < 1) {
        for (size_t k = start - 1; k < chars.size(); ++k) expected += chars[k];
      } else {
        for (int64_t k = start; k < stop && k <= static_cast<int64_t>(chars.size()); ++k)
          expected += chars[k - 1];
      }
    }
    SCOPED_TRACE(t + " " + std::to_string(start) + " " + std::to_string(count));
    ASSERT_EQ(MbCopy(t, start, count, kSjis), expected);

    const std::string sub = RandomSjis(rng, 2);
    const std::string tz = t.substr(0, t.find('\0')), subz = sub.substr(0, sub.find('\0'));
    const auto charsz = RefChars(tz);
    int pos = 0;
    size_t off = 0;
    for (size_t k = 0; k < charsz.size(); off += charsz[k].size(), ++k) {
      if (tz.compare(off, subz.size(), subz) == 0 && tz.size() - off >= subz.size()) {
        pos = static_cast<int>(k) + 1;
        break;
      }
    }
    ASSERT_EQ(MbPos(sub, t, kSjis), pos);
  }
}

TEST(MbByteOffset, CharacterStarts) {
  const std::string t = "a" + kSo + "b";
  EXPECT_EQ(MbByteOffset(t, 1, kSjis), 0u);
  EXPECT_EQ(MbByteOffset(t, 2, kSjis), 1u);
  EXPECT_EQ(MbByteOffset(t, 3, kSjis), 3u);
  EXPECT_EQ(MbByteOffset(t, 4, kSjis), 4u);
  EXPECT_EQ(MbByteOffset(t, 99, kSjis), 4u);
  EXPECT_EQ(MbByteOffset("", 1, kSjis), 0u);
}

TEST(UpperAnsi, LeavesDoubleByteCharactersAlone) {
  // "\x82\x61" is a double-byte character whose second byte is "a".
  EXPECT_EQ(UpperAnsi("memo\\alwaysTop", kSjis), "MEMO\\ALWAYSTOP");
  EXPECT_EQ(UpperAnsi("\x82\x61z", kSjis), "\x82\x61Z");
  EXPECT_EQ(UpperAnsi("x\x82", kSjis), "X\x82");
  EXPECT_EQ(UpperAnsi("", kSjis), "");
}

// The word-at-a-time search against the plain one, at every length and start around a word.
TEST(FindByte, AgreesWithAPlainSearch) {
  std::mt19937 rng(5);
  const char bytes[] = {'\0', '\r', '\n', 'a', '\x83', '\x5C', '\x01', '\xFF', '\x80'};
  for (int round = 0; round < 4000; ++round) {
    std::string t(rng() % 40, 'a');
    for (char& c : t) c = bytes[rng() % sizeof bytes];
    const char wanted = bytes[rng() % sizeof bytes];
    const size_t from = t.empty() ? 0 : rng() % (t.size() + 1);
    const size_t plain = std::string_view(t).find(wanted, from);
    ASSERT_EQ(FindByte(t, wanted, from), plain == std::string_view::npos ? t.size() : plain)
        << ::testing::PrintToString(t) << " from " << from;
    ASSERT_EQ(BeforeNul(t), std::string_view(t).substr(0, t.find('\0')));
  }
}

TEST(TrimControls, StripsBytesUpToSpace) {
  EXPECT_EQ(TrimControls(" \t\r\n a b \x01"), "a b");
  EXPECT_EQ(TrimControls("   "), "");
  EXPECT_EQ(TrimControls(""), "");
  EXPECT_EQ(TrimControls(kSpaceJ + "x"), kSpaceJ + "x");  // ideographic space is not trimmed
}

}  // namespace
}  // namespace pinote
