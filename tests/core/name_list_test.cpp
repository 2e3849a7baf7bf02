#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/settings.h"
#include "common/text_lines.h"
#include "fake_file_system.h"
#include "memo_test_util.h"
#include "store/memo_store.h"
#include "store/name_list_scan.h"

namespace pinote {
namespace {

using test::Describe;
using test::MakePerson;
using testing::FakeFileSystem;

// One name-list entry as the address book writes it.
struct Entry {
  std::string text;
  std::vector<std::string> addresses;
  int skipped = 0;  // N: groups of three unread lines
  int pairs = 0;    // P: pairs of unread lines after the addresses
};

std::string NameList(const std::vector<Entry>& entries, std::string_view brk = "\r\n") {
  std::string out;
  const auto line = [&](std::string_view l) {
    out += l;
    out += brk;
  };
  for (const auto& e : entries) {
    line("unread");
    line(e.text);
    line("unread");
    line("unread");
    line(std::to_string(e.skipped));
    for (int i = 0; i < 3 * e.skipped; ++i) line("group");
    line(std::to_string(e.addresses.size()));
    for (const auto& a : e.addresses) line(a);
    line(std::to_string(e.pairs));
    for (int i = 0; i < 2 * e.pairs; ++i) line("pair");
  }
  return out;
}

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (auto l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

// Records with their name-list text: "a,b==T" after the memo description.
std::string DescribeWithText(const MemoStore& store) {
  std::string out;
  for (int i = 0; i < store.Count(); ++i) {
    if (i > 0) out += '|';
    out += Describe(*store.Get(i)) + "=" + store.Get(i)->nameListText;
  }
  return out;
}

TEST(NameListIsInteger, AcceptsDecimalAndDollarHex) {
  const struct {
    std::string line;
    bool integer;
    int32_t value;
  } cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"+7", true, 7},
      {"-7", true, -7},
      {"   12", true, 12},
      {"007", true, 7},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"$1F", true, 31},
      {"$ff", true, 255},
      {"$FFFFFFFF", true, -1},
      {"$80000000", true, INT32_MIN},
      {"$000000010", true, 16},
      {"$100000000", false, 0},
      {"", false, 0},
      {" ", false, 0},
      {"12 ", false, 0},
      {"1 2", false, 0},
      {"+", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"$G", false, 0},
      {"-$1", false, 0},
      {"+-1", false, 0},
      {"\t1", false, 0},
      {"1.0", false, 0},
      {"0x10", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.line));
    EXPECT_EQ(IsInteger(c.line), c.integer);
    EXPECT_EQ(IntegerValue(c.line), c.value);
  }
}

TEST(NameListMerge, FilesOfSixLinesOrFewerYieldNothing) {
  for (int n = 0; n <= 6; ++n) {
    SCOPED_TRACE(n);
    std::string text;
    for (int i = 0; i < n; ++i) text += "0\r\n";
    MemoStore store(CodePage::ShiftJis());
    store.MergeNameListText(text);
    EXPECT_EQ(store.Count(), 0);
  }
  MemoStore store(CodePage::ShiftJis());
  store.MergeNameListText(NameList({{"T", {}}}));  // seven lines: the shortest whole entry
  EXPECT_EQ(store.Count(), 1);
}

TEST(NameListMerge, UnknownEntryBecomesRecordNotWrittenWhenBare) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.Add(MakePerson({"stored@x"}, "m"));
  store.MergeNameListText(NameList({{"Solo", {"solo@x"}}, {"Pair", {"p1@x", "p2@x"}, 1, 2}}));
  EXPECT_EQ(DescribeWithText(store), "stored@x=m=|solo@x==Solo|p1@x,p2@x==Pair");
  EXPECT_EQ(store.IndexOfAddress("SOLO@X"), 1);
  EXPECT_EQ(store.IndexOfAddress("p2@x"), 2);
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.Content("d"), "stored@x\r\n m\r\n\r\np1@x\r\np2@x\r\n\r\n");
  // Not written, but kept in memory: its name-list text shows for the whole session.
  EXPECT_EQ(DescribeWithText(store), "stored@x=m=|solo@x==Solo|p1@x,p2@x==Pair");
  EXPECT_EQ(store.IndexOfAddress("solo@x"), 1);
}

TEST(NameListMerge, EntryWithoutAddressesBecomesUnfindableRecord) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.MergeNameListText(NameList({{"Nobody", {}}}));
  EXPECT_EQ(DescribeWithText(store), "==Nobody");
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(store.Count(), 0);
}

TEST(NameListMerge, EntriesSharingAnUnknownAddressBothBecomeRecords) {
  MemoStore store(CodePage::ShiftJis());
  store.MergeNameListText(NameList({{"First", {"s@x", "a@x"}}, {"Second", {"S@X", "b@x"}}}));
  EXPECT_EQ(DescribeWithText(store), "s@x,a@x==First|S@X,b@x==Second");
  EXPECT_EQ(store.IndexOfAddress("s@x"), 0);
  EXPECT_EQ(store.IndexOfAddress("b@x"), 1);
}

TEST(NameListMerge, SharedAddressJoinsTheStoredRecordInEntryOrder) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.Add(MakePerson({"Taro@X", "t2@x"}, "memo\r\n"));
  store.MergeNameListText(
      NameList({{"Taro", {"new1@x", "TARO@x", "T2@X", "new2@x", "NEW1@X", "new2@x"}}}));
  EXPECT_EQ(DescribeWithText(store), "Taro@X,t2@x,new1@x,new2@x=memo/=Taro");
  EXPECT_EQ(store.IndexOfAddress("NEW2@X"), 0);
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.Content("d"), "Taro@X\r\nt2@x\r\nnew1@x\r\nnew2@x\r\n memo\r\n\r\n");
}

TEST(NameListMerge, FirstEntryNamesTheRecord) {
  MemoStore store(CodePage::ShiftJis());
  store.Add(MakePerson({"a@x"}, "m"));
  store.MergeNameListText(NameList({{"One", {"a@x"}}, {"Two", {"A@X", "b@x"}}}));
  EXPECT_EQ(DescribeWithText(store), "a@x,b@x=m=One");
  store.SetNameListText(0, "");
  store.MergeNameListText(NameList({{"Three", {"B@x"}}}));
  EXPECT_EQ(store.Get(0)->nameListText, "Three");
}

TEST(NameListMerge, EntryTextIsUnescaped) {
  const struct {
    std::string line;
    std::string expected;
  } cases[] = {
      {"A%%B%0D%0AC", "A%B\r\nC"},
      {"plain", "plain"},
      {"%41%62", "Ab"},
      {"\x83\x25" "41", "\x83\x25" "41"},  // 0x25 after a lead byte is no percent sign
      {"", ""},
      // A bad escape keeps the text as the file has it instead of losing the entry.
      {"50%", "50%"},
      {"%G1 x", "%G1 x"},
      {"ok%0D%0Abut %zz", "ok%0D%0Abut %zz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    MemoStore store(CodePage::ShiftJis());
    store.MergeNameListText(NameList({{c.line, {"a@x"}}, {"after", {"b@x"}}}));
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Get(0)->nameListText, c.expected);
    EXPECT_EQ(store.Get(1)->nameListText, "after");
    EXPECT_EQ(store.IndexOfAddress("b@x"), 1);
  }
}

TEST(NameListMerge, LookupsDuringTheWalkSeeTheStoreAsItWas) {
  MemoStore store(CodePage::ShiftJis());
  store.Add(MakePerson({"a@x"}, "m"));
  // The first entry adds b@x to record 0; the second still does not find b@x there.
  store.MergeNameListText(NameList({{"One", {"a@x", "b@x"}}, {"Two", {"b@x", "c@x"}}}));
  EXPECT_EQ(DescribeWithText(store), "a@x,b@x=m=One|b@x,c@x==Two");
  EXPECT_EQ(store.IndexOfAddress("b@x"), 0);
  EXPECT_EQ(store.IndexOfAddress("c@x"), 1);
}

TEST(NameListMerge, TruncatedFileKeepsEntriesBeforeTheCut) {
  const std::string whole = NameList({{"One", {"a@x"}, 1, 1}, {"Two", {"b@x", "c@x"}, 2, 2}});
  const std::vector<std::string_view> lines = SplitLines(whole);
  // Lines 0-12 are the first entry. The second: 13 unread, 14 text, 17 N=2, 18-23 groups,
  // 24 M=2, 25-26 addresses, 27 P=2, 28-31 pairs.
  ASSERT_EQ(lines.size(), 32u);
  const struct {
    size_t keep;
    std::string expected;
  } cases[] = {
      {13, "a@x==One"}, {18, "a@x==One"}, {24, "a@x==One"}, {26, "a@x==One"},
      {27, "a@x==One"},                   // addresses complete, P line cut: dropped
      {28, "a@x==One|b@x,c@x==Two"},      // P present, its pairs missing: merged
      {32, "a@x==One|b@x,c@x==Two"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keep);
    std::string text;
    for (size_t i = 0; i < c.keep; ++i) text += std::string(lines[i]) + "\r\n";
    MemoStore store(CodePage::ShiftJis());
    store.MergeNameListText(text);
    EXPECT_EQ(DescribeWithText(store), c.expected);
  }
}

TEST(NameListMerge, NonIntegerCountDropsTheEntryAndReadsOn) {
  // N is "x": the entry is dropped and the line "x" becomes the next entry's text.
  const std::string text =
      Lines({"u", "Lost", "u", "u", "x", "u", "u", "0", "1", "a@x", "0", "u", "u"});
  MemoStore store(CodePage::ShiftJis());
  store.MergeNameListText(text);
  EXPECT_EQ(DescribeWithText(store), "a@x==x");
}

TEST(NameListMerge, NegativeCountEndsTheWalk) {
  const struct {
    const char* name;
    std::vector<std::string_view> damaged;  // the second entry, from its unread line on
  } cases[] = {
      {"negative N", {"u", "Bad", "u", "u", "-1", "1", "b@x", "0"}},
      {"negative M", {"u", "Bad", "u", "u", "0", "-3", "b@x", "0"}},
      {"negative P", {"u", "Bad", "u", "u", "0", "1", "b@x", "-1"}},
      {"hex N of all ones", {"u", "Bad", "u", "u", "$FFFFFFFF", "1", "b@x", "0"}},
      {"most negative P", {"u", "Bad", "u", "u", "0", "1", "b@x", "-2147483648"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = NameList({{"Good", {"a@x"}}});
    for (auto l : c.damaged) text += std::string(l) + "\r\n";
    text += NameList({{"Later", {"z@x"}}});
    MemoStore store(CodePage::ShiftJis());
    store.Add(MakePerson({"a@x"}, "m"));
    store.AppendAddress(0, "direct@x");
    store.MergeNameListText(text);
    EXPECT_EQ(DescribeWithText(store), "a@x,direct@x=m=Good");
    EXPECT_EQ(store.IndexOfAddress("direct@x"), 0);  // the index stands though the walk broke off
    EXPECT_EQ(store.IndexOfAddress("z@x"), -1);
  }
}

TEST(NameListMerge, HugeCountsEndTheWalk) {
  const struct {
    const char* name;
    std::vector<std::string_view> entry;
    std::string expected;
  } cases[] = {
      {"largest N", {"u", "T", "u", "u", "2147483647", "1", "a@x", "0", "u"}, ""},
      {"largest M", {"u", "T", "u", "u", "0", "2147483647", "a@x", "b@x", "0"}, ""},
      {"largest P", {"u", "T", "u", "u", "0", "1", "a@x", "2147483647", "u"}, "a@x==T"},
      {"hex P", {"u", "T", "u", "u", "0", "1", "a@x", "$7FFFFFFF", "u"}, "a@x==T"},
      {"N wrapping 32 bits", {"u", "T", "u", "u", "1431655765", "1", "a@x", "0", "u"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text;
    for (auto l : c.entry) text += std::string(l) + "\r\n";
    text += NameList({{"Later", {"z@x"}}});
    MemoStore store(CodePage::ShiftJis());
    store.MergeNameListText(text);
    EXPECT_EQ(DescribeWithText(store), c.expected);
  }
}

// Records read from Pinote.dat are kept as its bytes until asked for; what the name list gives
// them is kept beside those and written in its place at the next Save, list after list.
TEST(NameListMerge, IntoRecordsReadFromTheFile) {
  const struct {
    const char* name;
    std::string file;
    std::vector<std::string> lists;  // each merged, then saved
    std::string saved;
    std::string records;  // DescribeWithText after the last save
  } cases[] = {
      {"two lists, one record",
       "a@x\r\n m\r\n\r\nb@x\r\nc@x\r\n\r\n",
       {NameList({{"T1", {"A@X", "e@x"}}}), NameList({{"T2", {"a@x", "f@x", "E@X"}}})},
       "a@x\r\ne@x\r\nf@x\r\n m\r\n\r\nb@x\r\nc@x\r\n\r\n",
       "a@x,e@x,f@x=m/=T1|b@x,c@x=="},
      {"addresses the file cannot hold stay in memory in their place",
       "a@x\r\n m\r\n\r\n",
       {NameList({{"T", {"a@x", "", " sp", "g@x"}}, {"N", {"@bad", "h@x"}}})},
       "a@x\r\ng@x\r\n m\r\n\r\nh@x\r\n\r\n",
       "a@x,, sp,g@x=m/=T|@bad,h@x==N"},
      {"the mark and a Shift-JIS memo stay; the 0x5C of a second byte is no mark",
       "\x83\x61@z\r\n@Important\r\n \x83\x5C\r\n\r\n",
       {NameList({{"\x93\x64", {"\x83\x61@Z", "m@x"}}}), NameList({{"", {"M@X", "n@x"}}})},
       "\x83\x61@z\r\nm@x\r\nn@x\r\n@Important\r\n \x83\x5C\r\n\r\n",
       "\x83\x61@z,m@x,n@x!=\x83\x5C/=\x93\x64"},
      {"new people: kept for their text, written with two addresses, dropped with neither; one "
       "kept for its text gains an address from the next list and is written",
       "a@x\r\nb@x\r\n\r\n",
       {NameList({{"One", {"k@x"}}, {"", {"q@x"}}, {"Nobody", {}}, {"Two", {"p@x", "P@X"}}}),
        NameList({{"Again", {"K@X", "r@x"}}})},
       "a@x\r\nb@x\r\n\r\nk@x\r\nr@x\r\n\r\np@x\r\nP@X\r\n\r\n",
       "a@x,b@x==|k@x,r@x==One|p@x,P@X==Two"},
      {"an entry's domain addresses are left out: a domain record gains no person, a person no "
       "domain",
       "*@example.co.jp\r\n co\r\n\r\nbob@example.co.jp\r\n b\r\n\r\n",
       {NameList({{"Co", {"*@example.co.jp", "dave@example.co.jp"}},
                  {"Bob", {"bob@example.co.jp", "*@example.com"}}})},
       "*@example.co.jp\r\n co\r\n\r\nbob@example.co.jp\r\n b\r\n\r\n",
       "*@example.co.jp=co/=|bob@example.co.jp=b/=Bob|dave@example.co.jp==Co"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    fs.files["d"] = c.file;
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    for (const std::string& list : c.lists) {
      store.MergeNameListText(list);
      EXPECT_TRUE(store.Save().ok());
    }
    EXPECT_EQ(fs.Content("d"), c.saved);
    EXPECT_EQ(DescribeWithText(store), c.records);
    for (int i = 0; i < store.Count(); ++i) {
      for (const std::string& a : store.Get(i)->addresses) {
        if (!a.empty()) {
          EXPECT_LE(store.IndexOfAddress(a), i) << a;
        }
      }
    }
  }
}

TEST(NameListLoad, ReadsTheFileWithAnyLineBreak) {
  for (std::string_view brk : {"\r\n", "\r", "\n"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(brk)));
    FakeFileSystem fs;
    fs.files["list.dat"] = NameList({{"One", {"a@x", "b@x"}}, {"Two", {"c@x"}}}, brk);
    MemoStore store(CodePage::ShiftJis(), fs);
    store.LoadNameList("list.dat");
    EXPECT_EQ(DescribeWithText(store), "a@x,b@x==One|c@x==Two");
    // Read ahead (as on another thread while the store loads), then merged: the same.
    MemoStore aside(CodePage::ShiftJis(), fs);
    std::unique_ptr<NameListScan> scan = ReadNameList(fs, "list.dat", CodePage::ShiftJis());
    aside.MergeNameList("list.dat", [&scan] { return std::move(scan); });
    EXPECT_EQ(DescribeWithText(aside), DescribeWithText(store));
  }
}

TEST(NameListLoad, MissingFileChangesNothing) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Add(MakePerson({"a@x"}, "m"));
  store.AppendAddress(0, "b@x");
  for (const std::string path : {"", "missing.dat"}) {
    SCOPED_TRACE(path);
    store.LoadNameList(path);
    EXPECT_EQ(ReadNameList(fs, path, CodePage::ShiftJis()), nullptr);
    EXPECT_EQ(Describe(store), "a@x,b@x=m");
    EXPECT_EQ(store.IndexOfAddress("b@x"), 0);
  }
  EXPECT_EQ(fs.reads, 0);
}

TEST(NameListLoad, UnreadableFileThrows) {
  FakeFileSystem fs;
  fs.files["list.dat"] = NameList({{"One", {"a@x"}}});
  fs.failRead.insert("list.dat");
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_THROW(store.LoadNameList("list.dat"), FileError);
  EXPECT_THROW((void)ReadNameList(fs, "list.dat", CodePage::ShiftJis()), FileError);
  EXPECT_EQ(store.Count(), 0);
}

// --- Against a plain reading of the walk ---------------------------------------------------

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if ((x >= 0x81 && x <= 0x9F) || (x >= 0xE0 && x <= 0xFC)) {
      if (x != y || (i + 1 < a.size() && a[i + 1] != b[i + 1])) return false;
      ++i;
    } else if (std::toupper(x) != std::toupper(y)) {
      return false;
    }
  }
  return true;
}

struct RefPerson {
  std::vector<std::string> addresses;
  std::string text;
};

// The walk with linear scans and a frozen list of (address, record) pairs.
std::vector<RefPerson> ReferenceWalk(std::vector<RefPerson> persons, const std::string& file) {
  std::vector<std::string> lines;
  for (auto l : SplitLines(file)) lines.emplace_back(l);
  std::vector<std::pair<std::string, size_t>> frozen;
  for (size_t i = 0; i < persons.size(); ++i) {
    for (const auto& a : persons[i].addresses) frozen.emplace_back(a, i);
  }
  const long long count = static_cast<long long>(lines.size());
  const auto integerAt = [&](long long pos, long long& value) {
    if (pos >= count || !IsInteger(lines[pos])) return false;
    value = IntegerValue(lines[pos]);
    return true;
  };
  long long pos = 1;
  while (pos < count - 5) {
    auto decoded = UnescapeText(lines[pos], CodePage::ShiftJis());
    const std::string text = decoded ? *decoded : lines[pos];
    long long n = 0, m = 0, p = 0;
    pos += 3;
    if (!integerAt(pos, n)) continue;
    if (n < 0) break;
    pos += 3 * n + 1;
    if (!integerAt(pos, m)) continue;
    if (m < 0) break;
    std::vector<std::string> addresses;
    for (long long i = pos + 1; i <= pos + m && i < count; ++i) addresses.push_back(lines[i]);
    pos += m + 1;
    if (!integerAt(pos, p)) continue;
    if (p < 0) break;
    pos += 2 * p + 2;
    std::optional<size_t> record;
    for (const auto& a : addresses) {
      for (const auto& [key, index] : frozen) {
        if (!record && SameIgnoringCase(key, a)) record = index;
      }
    }
    if (!record) {
      persons.push_back({addresses, text});
      continue;
    }
    RefPerson& r = persons[*record];
    if (r.text.empty()) r.text = text;
    for (const auto& a : addresses) {
      const bool held = std::any_of(r.addresses.begin(), r.addresses.end(),
                                    [&](const std::string& h) { return SameIgnoringCase(h, a); });
      if (!held) r.addresses.push_back(a);
    }
  }
  return persons;
}

TEST(NameListMerge, AgreesWithAPlainWalkOnRandomLists) {
  std::mt19937 rng(7);
  const std::vector<std::string> pool = {"a@x", "A@X", "b@x", "c@y", "C@Y", "\x83\x61@z",
                                         "\x83\x41@z", "d"};
  const std::vector<std::string> texts = {"T", "A%%B%0D%0AC", "bad%", "%zz", "", "%41"};
  const std::vector<std::string> counts = {"0", "1", "2", "3", "-1", "$FFFFFFFF", "x", " 1",
                                           "2147483647"};
  for (int round = 0; round < 500; ++round) {
    std::vector<RefPerson> start;
    MemoStore store(CodePage::ShiftJis());
    for (unsigned r = rng() % 4; r > 0; --r) {
      RefPerson p;
      for (unsigned n = rng() % 3; n > 0; --n) p.addresses.push_back(pool[rng() % pool.size()]);
      auto person = std::make_unique<Person>();
      person->addresses = p.addresses;
      store.Add(std::move(person));
      start.push_back(p);
    }
    std::string file;
    for (unsigned e = rng() % 12; e > 0; --e) {
      if (rng() % 4 == 0) {  // damage: a line of anything
        file += (rng() % 2 ? counts[rng() % counts.size()] : pool[rng() % pool.size()]) + "\r\n";
        continue;
      }
      Entry entry{texts[rng() % texts.size()], {}, static_cast<int>(rng() % 2),
                  static_cast<int>(rng() % 2)};
      for (unsigned n = rng() % 4; n > 0; --n) entry.addresses.push_back(pool[rng() % pool.size()]);
      // Many distinct addresses in letter-case variants, so that a record grows long.
      for (unsigned n = rng() % 6; n > 0; --n) {
        std::string a = "n" + std::to_string(rng() % 24) + "@x";
        if (rng() % 2 != 0) a = "N" + a.substr(1, a.size() - 2) + "X";
        entry.addresses.push_back(a);
      }
      file += NameList({entry});
    }
    if (rng() % 3 == 0) file.resize(rng() % (file.size() + 1));  // cut anywhere
    if (rng() % 5 == 0) file.insert(rng() % (file.size() + 1), 1, '\0');  // read up to there
    SCOPED_TRACE(::testing::PrintToString(file));

    // The same records again, read from a file (those with an address: the file holds no
    // other), so that the walk meets records that are still their file bytes.
    std::vector<RefPerson> written;
    std::vector<std::unique_ptr<Person>> persons;
    for (const RefPerson& p : start) {
      if (p.addresses.empty()) continue;
      written.push_back(p);
      persons.push_back(MakePerson({}, "m"));
      persons.back()->addresses = p.addresses;
    }
    FakeFileSystem fs;
    fs.files["d"] = FormatMemoFile(persons);
    MemoStore loaded(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(loaded.Load("d").ok());

    for (const auto& [merged, records] :
         {std::pair<MemoStore*, const std::vector<RefPerson>*>{&store, &start},
          std::pair<MemoStore*, const std::vector<RefPerson>*>{&loaded, &written}}) {
      const std::vector<RefPerson> expected = ReferenceWalk(*records, file);
      // The index first: reading a record must not be what makes it right.
      for (const auto& query : pool) {
        int linear = -1;
        for (size_t i = 0; i < expected.size() && linear < 0; ++i) {
          for (const auto& a : expected[i].addresses) {
            if (SameIgnoringCase(a, query)) linear = static_cast<int>(i);
          }
        }
        if (&query == &pool.front()) merged->MergeNameListText(file);
        EXPECT_EQ(merged->IndexOfAddress(query), linear) << query;
      }
      ASSERT_EQ(merged->Count(), static_cast<int>(expected.size()));
      for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(merged->Get(static_cast<int>(i))->addresses, expected[i].addresses);
        EXPECT_EQ(merged->Get(static_cast<int>(i))->nameListText, expected[i].text);
      }
    }
  }
}

// A list large enough that the merge looks up and claims on two threads: the records made for
// entries joining none and the addresses others gain share keys, and the earliest record keeps
// each one.
TEST(NameListMerge, ALargeListAgreesWithAPlainWalk) {
  std::vector<RefPerson> start = {{{"s0@x", "shared3@x"}, ""}, {{"s1@x"}, ""}};
  FakeFileSystem fs;
  std::vector<std::unique_ptr<Person>> persons;
  for (const RefPerson& p : start) {
    persons.push_back(MakePerson({}, "m"));
    persons.back()->addresses = p.addresses;
  }
  fs.files["d"] = FormatMemoFile(persons);
  std::vector<Entry> entries;
  for (int k = 0; k < 30000; ++k) {
    Entry e{"e" + std::to_string(k), {"u" + std::to_string(k) + "@x"}};
    if (k % 7 == 0) e.addresses.push_back("SHARED" + std::to_string(k % 5) + "@X");
    if (k % 11 == 0) e.addresses.insert(e.addresses.begin(), "s" + std::to_string(k % 2) + "@x");
    entries.push_back(e);
  }
  const std::string file = NameList(entries);
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.MergeNameListText(file);
  const std::vector<RefPerson> expected = ReferenceWalk(start, file);
  ASSERT_EQ(store.Count(), static_cast<int>(expected.size()));
  std::map<std::string, int> first;  // each key's first record (the addresses are ASCII)
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(store.Get(static_cast<int>(i))->addresses, expected[i].addresses) << i;
    for (std::string a : expected[i].addresses) {
      for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      first.emplace(a, static_cast<int>(i));
    }
  }
  for (const auto& [address, record] : first) EXPECT_EQ(store.IndexOfAddress(address), record);
}

}  // namespace
}  // namespace pinote
