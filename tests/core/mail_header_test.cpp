#include "host/mail_header.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/mbtext.h"
#include "common/settings.h"

namespace pinote {
namespace {

const std::string kEntry = "Quillet for Becky!2 Ver.0.03 Rev.2";
const std::string kSep = ",\r\n\t";

// A straightforward second reading of the rule, over a vector of characters.
std::vector<std::string> Chars(const std::string& s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);  // Shift-JIS
    const size_t n = lead && i + 1 < s.size() ? 2 : 1;
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}
std::string Join(const std::vector<std::string>& c, int from, int to) {  // [from, to)
  std::string s;
  for (int i = from; i < to; ++i) s += c[i];
  return s;
}
int Find(const std::vector<std::string>& c, const char* mark) {
  for (size_t i = 0; i < c.size(); ++i)
    if (c[i] == mark) return static_cast<int>(i);
  return -1;
}
std::string Trim(const std::string& s) { return std::string(TrimControls(s)); }

std::string RefAddress(const std::string& from) {
  std::string s = Trim(from);
  auto c = Chars(s);
  if (!c.empty() && c.back() == ">") {
    const int n = static_cast<int>(c.size()), i = Find(c, "<");
    if (i >= 0 && n - 1 - (i + 1) >= 1) s = Trim(Join(c, i + 1, n - 1));
  }
  c = Chars(s);
  if (!c.empty() && c.back() == ")") {
    const int i = Find(c, "(");
    if (i >= 1) s = Trim(Join(c, 0, i));
  }
  return s;
}

std::string RefName(const std::string& from) {
  std::string s = Trim(from);
  auto c = Chars(s);
  if (!c.empty() && c.back() == ">") {
    const int n = static_cast<int>(c.size()), i = Find(c, "<");
    if (i == 0) s = Join(c, 1, n - 1);
    if (i > 0) s = Trim(Join(c, 0, i));
  }
  c = Chars(s);
  if (!c.empty() && c.back() == ")") {
    const int i = Find(c, "(");
    if (i >= 0) s = Trim(Join(c, i + 1, static_cast<int>(c.size()) - 1));
  }
  c = Chars(s);
  if (!s.empty() && s[0] == '"' && c.back() == "\"")
    return c.size() < 2 ? std::string() : Join(c, 1, static_cast<int>(c.size()) - 1);
  const int at = Find(c, "@");
  return at >= 0 ? Join(c, 0, at) : s;
}

TEST(ExtractFrom, WorkedTable) {
  const std::string a = "desk@example.com";
  struct Case {
    std::string from, address, name;
  } cases[] = {
      {"Sales Desk <" + a + ">", a, "Sales Desk"},
      {"\"Desk, Sales\" <" + a + ">", a, "Desk, Sales"},
      {a + " (Sales Desk)", a, "Sales Desk"},
      {"<" + a + ">", a, "desk"},
      {a, a, "desk"},
      {"Desk (Sales) <" + a + ">", a, "Sales"},
      {"<>", "<>", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    EXPECT_EQ(ExtractAddress(c.from, CodePage::ShiftJis()), c.address);
    EXPECT_EQ(ExtractSenderName(c.from, CodePage::ShiftJis()), c.name);
  }
}

TEST(ExtractFrom, EdgeCases) {
  // The ideographic space (81 40) in the middle has "@" as its second byte.
  const std::string jpName = "\x93\x63\x92\x86\x81\x40\x91\xBE\x98\x59";  // 田中　太郎
  struct Case {
    std::string from, address, name;
  } cases[] = {
      {" \t\r\n Sales <a@b.c> \r\n", "a@b.c", "Sales"},
      {jpName + " <t@x.jp>", "t@x.jp", jpName},
      {jpName, jpName, jpName},  // the 0x40 inside is not "@"
      {"<a@b.c> (Desk)", "<a@b.c>", "Desk"},
      {"\"a@b\" <a@b.c>", "a@b.c", "a@b"},
      {"\"Sales Desk <x@y>", "x@y", "\"Sales Desk"},
      {"\"Half@quoted", "\"Half@quoted", "\"Half"},
      {"\"", "\"", ""},
      {"<x>", "x", "x"},
      {"name <>", "name <>", "name"},
      {"(only comment)", "(only comment)", "only comment"},
      {"a@b.c ()", "a@b.c", ""},
      {"< a@b.c >", "a@b.c", " a"},  // the name keeps the inner spaces, then cuts at "@"
      {"x <\x83>", "x <\x83>", "x <\x83>"},  // a lead byte swallows ">": no bracket pair
      {"\x83)", "\x83)", "\x83)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    EXPECT_EQ(ExtractAddress(c.from, CodePage::ShiftJis()), c.address);
    EXPECT_EQ(ExtractSenderName(c.from, CodePage::ShiftJis()), c.name);
  }
}

TEST(ExtractFrom, CorpusFollowsTheRule) {
  std::ifstream in(std::string(PINOTE_CORPUS_DIR) + "/from-headers.txt", std::ios::binary);
  ASSERT_TRUE(in.is_open());
  std::string line;
  int count = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto from = UnescapeText(line, CodePage::ShiftJis());
    ASSERT_TRUE(from.has_value()) << line;
    SCOPED_TRACE(*from);
    const std::string address = ExtractAddress(*from, CodePage::ShiftJis()),
                      name = ExtractSenderName(*from, CodePage::ShiftJis());
    EXPECT_EQ(address, RefAddress(*from));
    EXPECT_EQ(name, RefName(*from));
    EXPECT_NE(from->find(address), std::string::npos);
    ++count;
  }
  EXPECT_EQ(count, 67);
}

TEST(ExtractFrom, RandomTextsMatchReference) {
  std::mt19937 rng(99);
  static const char kPool[] = {'<', '>', '(', ')', '"', '@', ' ', '\t', 'a', '\x83', '\x81',
                               '\x40', '\x3E', '\x28', '\x95', '\x22'};
  std::uniform_int_distribution<size_t> len(0, 14), pick(0, sizeof kPool - 1);
  for (int round = 0; round < 20000; ++round) {
    std::string t(len(rng), ' ');
    for (char& ch : t) ch = kPool[pick(rng)];
    SCOPED_TRACE(t);
    ASSERT_EQ(ExtractAddress(t, CodePage::ShiftJis()), RefAddress(t));
    ASSERT_EQ(ExtractSenderName(t, CodePage::ShiftJis()), RefName(t));
  }
}

TEST(StampedMailerPlugin, WorkedTable) {
  const std::string e1 = "Other Plugin 1.0", e2 = "Third Ver.2";
  const std::string old = "Quillet for Becky!2 Ver.0.01";
  struct Case {
    std::string before, after;
  } cases[] = {
      {"", kEntry},
      {e1, e1 + kSep + kEntry},
      {e1 + kSep + old + kSep + e2, e1 + kSep + kEntry + kSep + e2},
      {kEntry, kEntry},
      {e1 + kSep + old, e1 + kSep + kEntry},                  // ends the list: nothing after
      {old + ", " + e2, kEntry + ", " + e2},                  // separators kept as they were
      {"quillet for becky!2 Ver.0.01", "quillet for becky!2 Ver.0.01" + kSep + kEntry},
      {std::string("E1\0junk", 7), "E1" + kSep + kEntry},     // the host's text ends at NUL
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    const std::string once = StampedMailerPlugin(c.before);
    EXPECT_EQ(once, c.after);
    EXPECT_EQ(StampedMailerPlugin(once), once);
  }
}

TEST(HeaderMayBeTruncated, AValueThatMayFillWhatTheHostWasToldIsCut) {
  // The host is told 2047 bytes. One that counts its terminator inside them cuts a longer value
  // at 2046 bytes; one that does not, at 2047. Either length may be a cut.
  const struct {
    size_t length;
    size_t told;
    bool cut;
  } cases[] = {
      {0, 2047, false},    {2045, 2047, false}, {2046, 2047, true}, {2047, 2047, true},
      {3000, 2047, true},  {0, 0, true},        {0, 1, true},       {0, 2, false},
      {1, 2, true},        {9, 10, true},       {8, 10, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + " of " + std::to_string(c.told));
    EXPECT_EQ(HeaderMayBeTruncated(std::string(c.length, 'x'), c.told), c.cut);
  }
}

}  // namespace
}  // namespace pinote
