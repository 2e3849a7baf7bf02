#include "forms/unify_rules.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace pinote {
namespace {

std::unique_ptr<Person> MakePerson(std::vector<std::string> addresses, std::string memo) {
  auto p = std::make_unique<Person>();
  p->addresses = std::move(addresses);
  p->memo = std::move(memo);
  return p;
}

// Records: 0 two addresses, lower-case memo word; 1 three addresses, one holds "Corp";
// 2 no address (a name-list record); 3 one address, Shift-JIS memo.
void Fill(MemoStore& data) {
  data.Add(MakePerson({"alice@example.com", "Alice@Home.example"}, "met at the fair\r\n"));
  data.Add(MakePerson({"bob@mail.example", "bob@Corp.example", "bob@other.example"}, ""));
  data.Add(MakePerson({}, "orphan memo fair\r\n"));
  data.Add(MakePerson({"kato@example.jp"}, "\x89\xC1\x93\xA1\x82\xB3\x82\xF1\r\n"));  // 加藤さん
}

// The simple reference: every address of a record whose joined text holds the keyword.
std::vector<UnifyLine> Reference(const MemoStore& data, const std::string& keyword) {
  std::vector<UnifyLine> out;
  for (int r = 0; r < data.Count(); ++r) {
    const Person& p = *data.Get(r);
    bool take = keyword.empty() || p.memo.find(keyword) != std::string::npos;
    for (const std::string& a : p.addresses) take = take || a.find(keyword) != std::string::npos;
    if (!take) continue;
    for (size_t i = 0; i < p.addresses.size(); ++i) {
      out.push_back({r, static_cast<int>(i), p.addresses[i]});
    }
  }
  return out;
}

TEST(FilterAddresses, KeywordTable) {
  MemoStore data(CodePage::ShiftJis());
  Fill(data);
  struct Case {
    std::string keyword;
    std::vector<UnifyLine> expected;
  };
  const std::vector<Case> cases = {
      {"",
       {{0, 0, "alice@example.com"},
        {0, 1, "Alice@Home.example"},
        {1, 0, "bob@mail.example"},
        {1, 1, "bob@Corp.example"},
        {1, 2, "bob@other.example"},
        {3, 0, "kato@example.jp"}}},
      // Only the memo holds "fair": the whole record is listed; the address-less one adds none.
      {"fair", {{0, 0, "alice@example.com"}, {0, 1, "Alice@Home.example"}}},
      // Upper case is not in the memo and in no address.
      {"FAIR", {}},
      // One address of three holds it: all three in address order.
      {"Corp",
       {{1, 0, "bob@mail.example"}, {1, 1, "bob@Corp.example"}, {1, 2, "bob@other.example"}}},
      {"corp", {}},
      {"Alice", {{0, 0, "alice@example.com"}, {0, 1, "Alice@Home.example"}}},
      {"\x89\xC1\x93\xA1", {{3, 0, "kato@example.jp"}}},
      {"nowhere", {}},
      // A line break is part of the memo text.
      {"fair\r\n", {{0, 0, "alice@example.com"}, {0, 1, "Alice@Home.example"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto got = FilterAddresses(data, c.keyword);
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(got, Reference(data, c.keyword));
  }
}

TEST(FilterAddresses, EmptyStoreListsNothing) {
  MemoStore data(CodePage::ShiftJis());
  EXPECT_TRUE(FilterAddresses(data, "").empty());
  EXPECT_TRUE(FilterAddresses(data, "x").empty());
}

TEST(FilterAddresses, AgreesWithReferenceOnManyKeywords) {
  MemoStore data(CodePage::ShiftJis());
  Fill(data);
  data.Add(MakePerson({"a@b", "c@d"}, "x\r\ny"));
  for (const std::string k : {"@", "example", ".", "e", "b@", "\r", "y", "x\r\ny", "@b"}) {
    SCOPED_TRACE(k);
    EXPECT_EQ(FilterAddresses(data, k), Reference(data, k));
  }
}

// "ァ" is 83 40 and "ソ" 83 5C: "@" and "\\" inside them are second bytes, not characters.
TEST(FilterAddresses, NeverMatchesFromASecondByte) {
  MemoStore data(CodePage::ShiftJis());
  data.Add(MakePerson({"kana"}, "\x83\x40\x83\x5C\r\n"));
  struct Case {
    std::string keyword;
    size_t lines;
  } cases[] = {{"@", 0}, {"\\", 0}, {"\x40\x83", 0}, {"\x83\x5C", 1}, {"\x83\x40", 1}, {"kana", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    EXPECT_EQ(FilterAddresses(data, c.keyword).size(), c.lines);
  }
}

TEST(UpdateKeywordHistory, MovesToFrontWithoutDuplicates) {
  struct Case {
    std::vector<std::string> items;
    std::string text;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{}, "x", {"x"}},
      {{"x"}, "y", {"y", "x"}},
      {{"y", "x"}, "x", {"x", "y"}},
      {{"x", "y"}, "x", {"x", "y"}},
      {{"x"}, "", {"", "x"}},
      {{"", "x"}, "", {"", "x"}},
      {{"abc"}, "ABC", {"ABC", "abc"}},  // exact comparison: case counts
      // Only the first equal item goes (a hand-edited history may repeat one).
      {{"a", "b", "a"}, "a", {"a", "b", "a"}},
      {{"b", "a", "a"}, "a", {"a", "b", "a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(UpdateKeywordHistory(c.items, c.text), c.expected);
  }
}

TEST(UpdateKeywordHistory, KeepsAtMostSixteen) {
  std::vector<std::string> items;
  for (int i = 1; i <= 17; ++i) items = UpdateKeywordHistory(items, "k" + std::to_string(i));
  ASSERT_EQ(items.size(), 16u);
  EXPECT_EQ(items.front(), "k17");
  EXPECT_EQ(items.back(), "k2");  // k1, the oldest, was pushed out
  // Re-using the oldest kept keyword moves it up without losing anything.
  items = UpdateKeywordHistory(items, "k2");
  ASSERT_EQ(items.size(), 16u);
  EXPECT_EQ(items.front(), "k2");
  EXPECT_EQ(items.back(), "k3");
  // A longer hand-edited history is cut on the next update.
  std::vector<std::string> longer(20, "z");
  EXPECT_EQ(UpdateKeywordHistory(longer, "new").size(), 16u);
}

TEST(KeywordHistory, SplitTable) {
  struct Case {
    std::string stored;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"\r\n", {""}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"\r\na\r\n", {"", "a"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\x83\x5C\r\n", {"\x83\x5C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(SplitKeywordHistory(c.stored), c.expected);
  }
}

TEST(KeywordHistory, JoinThenSplitRoundTrip) {
  const std::vector<std::vector<std::string>> lists = {
      {}, {""}, {"a"}, {"", "a"}, {"a", "", "b"}, {"%0D", "x y", "\x82\xA0"}};
  for (const auto& items : lists) {
    SCOPED_TRACE(items.size());
    const std::string stored = JoinKeywordHistory(items);
    EXPECT_EQ(SplitKeywordHistory(stored), items);
    if (!items.empty()) {
      EXPECT_EQ(stored.substr(stored.size() - 2), "\r\n");
    }
  }
  EXPECT_EQ(JoinKeywordHistory({"y", "x"}), "y\r\nx\r\n");
}

}  // namespace
}  // namespace pinote
