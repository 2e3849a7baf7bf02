#include "store/memo_store.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <utility>

#include "common/mbtext.h"
#include "common/settings.h"
#include "fake_file_system.h"
#include "memo_test_util.h"
#include "store/address_index.h"

namespace pinote {
namespace {

using test::Describe;
using testing::FakeFileSystem;
using test::MakePerson;

template <typename... P>
std::vector<std::unique_ptr<Person>> List(P&&... p) {
  std::vector<std::unique_ptr<Person>> v;
  (v.push_back(std::forward<P>(p)), ...);
  return v;
}

// --- File format ---------------------------------------------------------------------------

TEST(FormatMemoFile, WritesEachRecordByteForByte) {
  struct Case {
    const char* name;
    std::vector<std::unique_ptr<Person>> persons;
    std::string expected;
  };
  Case cases[] = {
      {"nothing", List(), ""},
      {"two addresses, mark, two-line memo",
       List(MakePerson({"a@x.jp", "b@x.jp"}, "line1\r\nline2\r\n", true)),
       "a@x.jp\r\nb@x.jp\r\n@Important\r\n line1\r\n line2\r\n\r\n"},
      {"two addresses, empty memo", List(MakePerson({"a@x.jp", "b@x.jp"})), "a@x.jp\r\nb@x.jp\r\n\r\n"},
      {"one-line memo without final break", List(MakePerson({"a"}, "one")), "a\r\n one\r\n\r\n"},
      {"empty memo lines", List(MakePerson({"a"}, "\r\nx\r\n\r\n")), "a\r\n \r\n x\r\n \r\n\r\n"},
      {"memo line starting with a space", List(MakePerson({"a"}, " lead")), "a\r\n  lead\r\n\r\n"},
      {"lone CR and LF breaks", List(MakePerson({"a"}, "p\rq\nr")), "a\r\n p\r\n q\r\n r\r\n\r\n"},
      {"NUL ends the memo", List(MakePerson({"a"}, std::string("ab\0cd", 5))), "a\r\n ab\r\n\r\n"},
      {"two records", List(MakePerson({"a"}, "m"), MakePerson({"b", "c"})), "a\r\n m\r\n\r\nb\r\nc\r\n\r\n"},
      {"addresses the file cannot hold are left out",
       List(MakePerson({"", " sp", "@at", "cr\rx", "lf\nx", std::string("n\0l", 3), "ok"}, "m")),
       "ok\r\n m\r\n\r\n"},
      {"double-byte address kept as bytes", List(MakePerson({"\x83\x65\x83\x58\x83\x67@x.jp"}, "m")),
       "\x83\x65\x83\x58\x83\x67@x.jp\r\n m\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FormatMemoFile(c.persons), c.expected);
  }
}

TEST(ParseMemoFile, ClassifiesLinesByFirstByte) {
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"", ""},
      {"a@x\r\nb@x\r\n@Important\r\n l1\r\n l2\r\n\r\n", "a@x,b@x!=l1/l2/"},
      {"a\r\n\r\n\r\n\r\nb\r\n\r\n\r\n", "a=|b="},
      {"a\r\n m\r\n\r\nb\r\n n", "a=m/|b=n/"},  // last record without closing empty line
      {" only\r\n memo\r\n\r\n", ""},
      {"@Important\r\n@x\r\n", ""},
      // A mark belongs to its block: one without addresses is lost at its empty line.
      {"@\r\n\r\na\r\n\r\nb\r\n\r\n", "a=|b="},
      {"@Important\r\n m\r\n\r\na\r\n n\r\n\r\n", "a=n/"},
      {"@anything at all\r\na\r\n", "a!="},
      {" m1\r\na\r\n m2\r\n@\r\nb\r\n\r\n", "a,b!=m1/m2/"},  // any order within a record
      {" lost\r\n\r\na\r\n\r\n", "a="},  // memo of a block without addresses is dropped
      {"a\r\n\r\n lost\r\n", "a="},
      {"a\r\n  two spaces\r\n \r\n", "a= two spaces//"},
      {"a\rb\r m\r\rc\r", "a,b=m/|c="},
      {"a\nb\n m\n\nc\n", "a,b=m/|c="},
      {"a\r\r\nb\n\r", "a=|b="},
      {std::string("a\r\n m\r\n\r\nb\0c\r\n\r\n", 17), "a=m/|b="},
      {"\tx\r\n-y\r\n", "\tx,-y="},
      {"\x83\x65\x83\x58\x83\x67\r\n \x82\xa0\r\n", "\x83\x65\x83\x58\x83\x67=\x82\xa0/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(Describe(ParseMemoFile(c.text)), c.expected);
  }
}

TEST(MemoSaveLoad, RoundTripsThroughTheFile) {
  struct Case {
    const char* name;
    std::vector<std::unique_ptr<Person>> persons;
    std::string expected;
  };
  Case cases[] = {
      {"memo lines starting with spaces", List(MakePerson({"a"}, " one\r\n  two\r\n")),
       "a= one/  two/"},
      {"one-line memo without final break", List(MakePerson({"a"}, "text")), "a=text/"},
      {"memo ending with CR LF unchanged", List(MakePerson({"a"}, "x\r\ny\r\n")), "a=x/y/"},
      {"lone CR and LF become CR LF", List(MakePerson({"a"}, "x\ry\nz")), "a=x/y/z/"},
      {"empty memo lines", List(MakePerson({"a"}, "\r\n\r\nx")), "a=//x/"},
      {"mark and several addresses", List(MakePerson({"A@X", "b@y"}, "m", true)), "A@X,b@y!=m/"},
      {"mark alone is pruned", List(MakePerson({"a"}, "", true), MakePerson({"b"}, "m")), "b=m/"},
      {"double-byte", List(MakePerson({"\x83\x65\x83\x58\x83\x67@x", "\x82\xa0@y"}, "\x93\xfa")),
       "\x83\x65\x83\x58\x83\x67@x,\x82\xa0@y=\x93\xfa/"},
      {"NUL in a memo ends it", List(MakePerson({"a"}, std::string("x\0y", 3))), "a=x/"},
      {"unstorable address dropped, others kept", List(MakePerson({"@bad", "ok"}, "m")), "ok=m/"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("Pinote.dat").ok());
    for (auto& p : c.persons) store.Add(std::move(p));
    EXPECT_TRUE(store.Save().ok());
    MemoStore again(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(again.Load("Pinote.dat").ok());
    EXPECT_EQ(Describe(again), c.expected);
    // Saving what was read writes the same bytes again.
    const std::string first = fs.files["Pinote.dat"];
    EXPECT_TRUE(again.Save().ok());
    EXPECT_EQ(fs.files["Pinote.dat"], first);
  }
}

TEST(MemoSaveLoad, RealFileSystemKeepsBytes) {
  const auto dir = std::filesystem::temp_directory_path() / "pinote_memo_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "Pinote.dat").string();
  std::filesystem::remove(path);
  MemoStore store(CodePage::ShiftJis());
  EXPECT_TRUE(store.Load(path).ok());
  store.Add(MakePerson({"a@x", "B@Y"}, "l1\r\n l2", true));
  EXPECT_TRUE(store.Save().ok());
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  EXPECT_EQ(bytes, "a@x\r\nB@Y\r\n@Important\r\n l1\r\n  l2\r\n\r\n");
  MemoStore again(CodePage::ShiftJis());
  EXPECT_TRUE(again.Load(path).ok());
  EXPECT_EQ(Describe(again), "a@x,B@Y!=l1/ l2/");
  EXPECT_EQ(again.IndexOfAddress("b@y"), 0);
  std::filesystem::remove_all(dir);
}

// --- Records and index ---------------------------------------------------------------------

TEST(MemoIndexOfAddress, IgnoresCaseAndKeepsStoredForm) {
  FakeFileSystem fs;
  fs.files["d"] = "Taro.Yamada@Example.JP\r\n m\r\n\r\n\x83\x65st@x\r\n n\r\n\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  const struct {
    std::string query;
    int expected;
  } cases[] = {
      {"Taro.Yamada@Example.JP", 0}, {"taro.yamada@example.jp", 0}, {"TARO.YAMADA@EXAMPLE.JP", 0},
      {"taro.yamada@example.j", -1}, {" taro.yamada@example.jp", -1}, {"", -1},
      {"\x83\x65ST@X", 1},
      // 0x83 0x65 is one double-byte character: its trail byte is not a letter to fold.
      {"\x83\x45st@x", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    EXPECT_EQ(store.IndexOfAddress(c.query), c.expected);
  }
  EXPECT_EQ(store.Get(0)->addresses[0], "Taro.Yamada@Example.JP");
}

TEST(MemoIndexOfAddress, LongAddressesAreFound) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  const std::string longLower = std::string(300, 'x') + "@example.jp";
  std::string longUpper = longLower;
  for (auto& c : longUpper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  store.Add(MakePerson({"short@x"}, "m"));
  store.Add(MakePerson({longLower}, "n"));
  EXPECT_EQ(store.IndexOfAddress(longUpper), 1);
  EXPECT_EQ(store.IndexOfAddress(longUpper.substr(1)), -1);
  EXPECT_EQ(store.IndexOfAddress(longUpper + "X"), -1);
}

TEST(MemoIndexOfAddress, FoldsLikeUpperAnsiAtEveryLength) {
  // Letters next to the folded range ('@', '[', '`', '{') and double-byte characters whose second
  // byte is a letter, at lengths that cross eight-byte words.
  const char alphabet[] = {'a', 'z', 'A', 'Z', '@', '[', '`', '{', '.', '\x83', '\x82', 'q'};
  std::mt19937 rng(5);
  for (int round = 0; round < 3000; ++round) {
    std::string stored;
    for (unsigned n = rng() % 40; n > 0; --n) stored += alphabet[rng() % sizeof alphabet];
    std::string query = stored;
    for (auto& c : query) {
      if (rng() % 3 == 0) c = alphabet[rng() % sizeof alphabet];
    }
    SCOPED_TRACE(::testing::PrintToString(stored) + " / " + ::testing::PrintToString(query));
    FakeFileSystem fs;
    MemoStore store(CodePage::ShiftJis(), fs);
    store.Add(MakePerson({stored}, "m"));
    const CodePage sjis = CodePage::ShiftJis();
    EXPECT_EQ(store.IndexOfAddress(query),
              UpperAnsi(query, sjis) == UpperAnsi(stored, sjis) ? 0 : -1);
    EXPECT_EQ(store.IndexOfAddress(UpperAnsi(stored, CodePage::ShiftJis())), 0);
  }
}

TEST(MemoIndexOfAddress, AddressInTwoRecordsResolvesToEarlier) {
  FakeFileSystem fs;
  fs.files["d"] = "x@y\r\n first\r\n\r\nother\r\nX@Y\r\n second\r\n\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  EXPECT_EQ(store.IndexOfAddress("x@y"), 0);
  EXPECT_EQ(store.IndexOfAddress("other"), 1);
  store.Delete(0);
  EXPECT_EQ(store.IndexOfAddress("x@Y"), 0);
  EXPECT_EQ(store.Get(0)->memo, "second\r\n");
}

TEST(MemoIndexOfAddress, FollowsEveryChangeAtOnce) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.Add(MakePerson({"a", "b"}, "m"));
  store.Add(MakePerson({"c"}, "n"));
  EXPECT_TRUE(store.RemoveAddress(0, "B"));  // b leaves record 0
  EXPECT_EQ(store.IndexOfAddress("b"), -1);
  store.AppendAddress(1, "B");               // and joins record 1
  EXPECT_EQ(store.IndexOfAddress("b"), 1);
  store.AppendAddress(0, "c");  // an earlier record now holds c too: it is found first
  EXPECT_EQ(store.IndexOfAddress("C"), 0);
  store.AppendAddress(1, "A");  // a later one does not take a key from an earlier one
  EXPECT_EQ(store.IndexOfAddress("a"), 0);
  EXPECT_FALSE(store.RemoveAddress(1, "zzz"));
  EXPECT_FALSE(store.RemoveAddress(7, "a"));
  EXPECT_EQ(Describe(store), "a,c=m|c,B,A=n");
}

TEST(MemoGetAndDelete, InvalidIndicesDoNothing) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_EQ(store.Get(0), nullptr);
  store.Add(MakePerson({"a"}, "m"));
  store.Add(nullptr);
  const struct {
    int index;
    bool valid;
  } cases[] = {{-1, false}, {0, true}, {1, false}, {INT32_MIN, false}, {INT32_MAX, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(store.Get(c.index) != nullptr, c.valid);
    if (!c.valid) {
      store.Delete(c.index);
      EXPECT_EQ(store.Count(), 1);
    }
  }
  store.Delete(0);
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.IndexOfAddress("a"), -1);
}

TEST(MemoSave, PrunesRecordsWithEmptyMemoAndAtMostOneAddress) {
  const struct {
    const char* name;
    std::vector<std::string> addresses;
    std::string memo;
    bool important;
    std::string nameList;
    bool inMemory;
    std::string written;
  } cases[] = {
      {"one address, no memo, marked", {"a"}, "", true, "", false, ""},
      {"no address, no memo", {}, "", false, "", false, ""},
      {"two addresses, no memo", {"a", "b"}, "", false, "", true, "a\r\nb\r\n\r\n"},
      {"one address with memo", {"a"}, "m", false, "", true, "a\r\n m\r\n\r\n"},
      {"memo of one line break", {"a"}, "\r\n", false, "", true, "a\r\n \r\n\r\n"},
      // Name-list text holds the record for the session, but it is not written.
      {"one address, no memo, name-list text", {"a"}, "", true, "T", true, ""},
      {"name-list text without an address", {}, "", false, "T", false, ""},
      // What no line of the file can hold is never written, so its mark and memo cannot land on
      // the record after it; it stays in memory while it has a memo.
      {"memo, only unstorable addresses", {"", "@x"}, "m", true, "", true, ""},
      {"two unstorable addresses", {" a", "b\r"}, "", true, "", true, ""},
      {"unstorable beside a storable one", {" a", "b"}, "", true, "", true,
       "b\r\n@Important\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    auto p = std::make_unique<Person>();
    p->addresses = c.addresses;
    p->memo = c.memo;
    p->important = c.important;
    p->nameListText = c.nameList;
    store.Add(std::move(p));
    EXPECT_TRUE(store.Save().ok());
    EXPECT_EQ(store.Count(), c.inMemory ? 1 : 0);
    EXPECT_EQ(fs.files["d"], c.written);
    if (c.inMemory) {
      EXPECT_EQ(store.Get(0)->nameListText, c.nameList);
      if (!c.addresses.empty()) {
        EXPECT_EQ(store.IndexOfAddress(c.addresses.back()), 0);
      }
    }
  }
}

TEST(MemoSave, NameListTextHoldsAcrossLaterSaves) {
  FakeFileSystem fs;
  fs.files["d"] = "a@x\r\n m\r\n\r\n";
  fs.files["list"] = "u\r\nSolo\r\nu\r\nu\r\n0\r\n1\r\nsolo@x\r\n0\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.LoadNameList("list");
  for (int keystroke = 0; keystroke < 3; ++keystroke) {
    store.SetMemo(0, "m" + std::to_string(keystroke));
    EXPECT_TRUE(store.Save().ok());
    ASSERT_EQ(store.IndexOfAddress("SOLO@x"), 1);
    EXPECT_EQ(store.Get(1)->nameListText, "Solo");
  }
  EXPECT_EQ(fs.files["d"], "a@x\r\n m2\r\n\r\n");
  // Typed into, the record is written from then on; cleared again, only the text holds it.
  store.SetMemo(1, "hello");
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.files["d"], "a@x\r\n m2\r\n\r\nsolo@x\r\n hello\r\n\r\n");
  store.SetMemo(1, "");
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.files["d"], "a@x\r\n m2\r\n\r\n");
  EXPECT_EQ(Describe(store), "a@x=m2|solo@x=");
}

TEST(MemoSave, LaterRecordsMoveDownAfterPrune) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.Add(MakePerson({"keep1"}, "m"));
  store.Add(MakePerson({"drop"}));
  store.Add(MakePerson({"keep2"}, "n"));
  EXPECT_EQ(store.IndexOfAddress("keep2"), 2);
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(store.Count(), 2);
  EXPECT_EQ(store.IndexOfAddress("keep2"), 1);
  EXPECT_EQ(store.IndexOfAddress("drop"), -1);
  EXPECT_EQ(fs.files["d"], "keep1\r\n m\r\n\r\nkeep2\r\n n\r\n\r\n");
}

TEST(MemoLoad, MissingFileKeepsRecordsAndSetsFileName) {
  FakeFileSystem fs;
  fs.files["old.dat"] = "a\r\n m\r\n\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("old.dat").ok());
  store.AppendAddress(0, "b");
  EXPECT_TRUE(store.Load("new.dat").ok());
  EXPECT_EQ(store.FileName(), "new.dat");
  EXPECT_EQ(Describe(store), "a,b=m/");
  EXPECT_EQ(store.IndexOfAddress("b"), 0);  // the index is rebuilt in any case
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.files["new.dat"], "a\r\nb\r\n m\r\n\r\n");
  EXPECT_EQ(fs.files["old.dat"], "a\r\n m\r\n\r\n");
}

TEST(MemoLoad, ExistingFileReplacesRecords) {
  FakeFileSystem fs;
  fs.files["d"] = "x\r\n m\r\n\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Add(MakePerson({"a"}, "n"));
  EXPECT_TRUE(store.Load("d").ok());
  EXPECT_EQ(Describe(store), "x=m/");
  EXPECT_EQ(store.IndexOfAddress("a"), -1);
}

TEST(IsStorableAddress, RejectsWhatAMemoLineCannotHold) {
  const struct {
    std::string address;
    bool storable;
  } cases[] = {
      {"a@x.jp", true},  {"", false},         {" a@x", false},  {"@x", false},
      {"a@x ", true},    {"a\r", false},      {"a\nb", false},  {std::string("a\0b", 3), false},
      {"\ta", true},     {"\x83\x40@x", true}, {"a@@x", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.address));
    EXPECT_EQ(IsStorableAddress(c.address), c.storable);
  }
}

// --- Failures ------------------------------------------------------------------------------

TEST(MemoSave, FailedWriteLeavesFileAndRecords) {
  FakeFileSystem fs;
  fs.files["d"] = "a\r\n old\r\n\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.SetMemo(0, "new\r\n");
  store.Add(MakePerson({"b"}, "m"));
  fs.failWrite.insert("d");
  EXPECT_EQ(store.Save().status, DiskOutcome::Status::kFailed);
  EXPECT_EQ(fs.files["d"], "a\r\n old\r\n\r\n");
  EXPECT_EQ(Describe(store), "a=new/|b=m");
  fs.failWrite.clear();
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.files["d"], "a\r\n new\r\n\r\nb\r\n m\r\n\r\n");
}

TEST(MemoLoad, UnreadableFileFailsAndLeavesStoreEmpty) {
  FakeFileSystem fs;
  fs.files["d"] = "a\r\n m\r\n\r\n";
  fs.failRead.insert("d");
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Add(MakePerson({"x"}, "y"));
  EXPECT_EQ(store.Load("d").status, DiskOutcome::Status::kFailed);
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.IndexOfAddress("x"), -1);
  EXPECT_TRUE(store.ReadFailed());
  EXPECT_EQ(store.FileName(), "d");
  fs.failRead.clear();
  EXPECT_TRUE(store.Load("d").ok());
  EXPECT_FALSE(store.ReadFailed());
  EXPECT_EQ(Describe(store), "a=m/");
}

TEST(MemoSave, NeverReplacesAFileThatWasNotRead) {
  FakeFileSystem fs;
  const std::string original = "a@x\r\n old a\r\n\r\nb@x\r\nc@x\r\n old b\r\n\r\n";
  fs.files["d"] = original;
  fs.failRead.insert("d");
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_EQ(store.Load("d").status, DiskOutcome::Status::kFailed);
  store.Add(MakePerson({"B@X"}, "new b\r\n"));
  const DiskOutcome out = store.Save();
  EXPECT_EQ(out.status, DiskOutcome::Status::kFailed) << "Save replaced a file it had not read";
  EXPECT_EQ(out.path, "d");
  EXPECT_NE(out.message.find("Access is denied."), std::string::npos);
  EXPECT_EQ(fs.files["d"], original);
  EXPECT_EQ(fs.writes, 0);
  EXPECT_EQ(Describe(store), "B@X=new b/");
  EXPECT_TRUE(store.ReadFailed());
}

TEST(MemoSave, MergesEditsIntoTheFileOnceItReads) {
  FakeFileSystem fs;
  fs.files["d"] = "a@x\r\n old a\r\n\r\nb@x\r\nc@x\r\n old b\r\n\r\nd@x\r\n old d\r\n\r\n";
  fs.failRead.insert("d");
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_EQ(store.Load("d").status, DiskOutcome::Status::kFailed);
  store.Add(MakePerson({"B@X"}, "new b\r\n", true));  // same person as the file's b@x, other case
  store.Add(MakePerson({"z@x"}, "z\r\n"));             // unknown to the file: appended
  store.Add(MakePerson({"a@x"}, "", true));            // would be pruned: must not erase "old a"
  EXPECT_EQ(store.Save().status, DiskOutcome::Status::kFailed);
  fs.failRead.clear();
  EXPECT_TRUE(store.Save().ok());
  EXPECT_FALSE(store.ReadFailed());
  EXPECT_EQ(fs.files["d"],
            "a@x\r\n old a\r\n\r\n"
            "b@x\r\nc@x\r\n@Important\r\n old b\r\n new b\r\n\r\n"
            "d@x\r\n old d\r\n\r\n"
            "z@x\r\n z\r\n\r\n");
  EXPECT_EQ(store.IndexOfAddress("c@x"), 1);
  EXPECT_EQ(store.IndexOfAddress("z@x"), 3);
}

TEST(MemoSave, NameListRecordsMadeMeanwhileKeepTheFilesMemo) {
  FakeFileSystem fs;
  fs.files["d"] = "a@x\r\n@Important\r\n kept\r\n\r\n";
  fs.files["list"] = "u\r\nBook\r\nu\r\nu\r\n0\r\n2\r\nA@X\r\nb@x\r\n0\r\n";
  fs.failRead.insert("d");
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_EQ(store.Load("d").status, DiskOutcome::Status::kFailed);
  store.LoadNameList("list");  // makes {A@X, b@x}: kept by Save, with no memo of its own
  fs.failRead.clear();
  EXPECT_TRUE(store.Save().ok());
  // No change of this copy's: the file's record stays, and the name list adds to it again.
  EXPECT_EQ(fs.Content("d"), "a@x\r\nb@x\r\n@Important\r\n kept\r\n\r\n");
  EXPECT_EQ(store.Get(0)->nameListText, "Book");
}

TEST(MemoSave, TwoAddressesOfOneGroupTypedIntoStayOneRecord) {
  FakeFileSystem fs;
  fs.files["d"] = "a\r\nb\r\n@Important\r\n old\r\n\r\n";
  fs.failRead.insert("d");
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_EQ(store.Load("d").status, DiskOutcome::Status::kFailed);
  store.Add(MakePerson({"a"}, "one"));
  store.Add(MakePerson({"b"}, "two"));
  fs.failRead.clear();
  EXPECT_TRUE(store.Save().ok());
  // The group keeps its memo and mark; both typed texts follow on lines of their own.
  EXPECT_EQ(fs.files["d"], "a\r\nb\r\n@Important\r\n old\r\n one\r\n two\r\n\r\n");
}

TEST(MemoSave, FileGoneAfterFailedLoadIsWrittenAnew) {
  FakeFileSystem fs;
  fs.files["d"] = "a\r\n m\r\n\r\n";
  fs.failRead.insert("d");
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_EQ(store.Load("d").status, DiskOutcome::Status::kFailed);
  fs.failRead.clear();
  fs.files.clear();
  store.Add(MakePerson({"z"}, "n"));
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.files["d"], "z\r\n n\r\n\r\n");
}

// --- Index against a linear reference ------------------------------------------------------

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Equality ignoring the case of single-byte letters; double-byte characters compare exactly.
bool SameAddress(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (IsLead(x) && i + 1 < a.size()) {
      if (x != y || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    const auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    if (up(x) != up(y)) return false;
  }
  return true;
}

struct LinearIndex {
  std::vector<std::pair<std::string, int>> pairs;
  void Rebuild(const MemoStore& s) {
    pairs.clear();
    for (int i = 0; i < s.Count(); ++i) {
      for (const auto& a : s.Get(i)->addresses) pairs.emplace_back(a, i);
    }
  }
  int Find(const std::string& address) const {
    for (const auto& [key, index] : pairs) {
      if (SameAddress(key, address)) return index;
    }
    return -1;
  }
};

TEST(MemoIndexOfAddress, AgreesWithLinearScanOverRandomStores) {
  std::mt19937 rng(20240611);
  const std::vector<std::string> stems = {"a@x", "b@x", "Ab@X", "c.d@e", "\x83\x61@x", "\x83\x41@x",
                                          "\x82\xa0z", "q"};
  const auto randomCase = [&](std::string s) {
    for (size_t i = 0; i < s.size(); ++i) {
      if (IsLead(static_cast<unsigned char>(s[i]))) {
        ++i;
      } else if (std::isalpha(static_cast<unsigned char>(s[i])) && rng() % 2 != 0) {
        s[i] = static_cast<char>(s[i] ^ 0x20);
      }
    }
    return s;
  };
  const auto randomAddress = [&] { return randomCase(stems[rng() % stems.size()]); };
  for (int round = 0; round < 200; ++round) {
    FakeFileSystem fs;
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    LinearIndex reference;
    for (int step = 0; step < 40; ++step) {
      switch (rng() % 7) {
        case 0:
        case 1: {
          auto p = std::make_unique<Person>();
          for (unsigned n = rng() % 3; n > 0; --n) p->addresses.push_back(randomAddress());
          if (rng() % 2 != 0) p->memo = "m";
          store.Add(std::move(p));
          reference.Rebuild(store);
          break;
        }
        case 2: {
          const int index = static_cast<int>(rng() % (store.Count() + 2)) - 1;
          const bool valid = store.Get(index) != nullptr;
          store.Delete(index);
          if (valid) reference.Rebuild(store);  // an invalid index leaves the index alone too
          break;
        }
        case 3:  // an address change, as unify and separate make
          if (store.Get(static_cast<int>(rng() % (store.Count() + 1))) != nullptr) {
            const int i = static_cast<int>(rng() % store.Count());
            const Person& p = *store.Get(i);
            if (!p.addresses.empty() && rng() % 2 != 0) {
              store.RemoveAddress(i, p.addresses[rng() % p.addresses.size()]);
            } else {
              store.AppendAddress(i, randomAddress());
            }
            reference.Rebuild(store);
          }
          break;
        case 4:
          store.SetMemo(static_cast<int>(rng() % (store.Count() + 1)), rng() % 2 ? "m" : "");
          break;
        case 5:
          EXPECT_TRUE(store.Save().ok());
          reference.Rebuild(store);
          break;
        default:
          break;
      }
      for (int q = 0; q < 4; ++q) {
        const std::string query = randomAddress();
        ASSERT_EQ(store.IndexOfAddress(query), reference.Find(query))
            << "round " << round << " step " << step << " query " << query;
      }
    }
  }
}

// The comparison of the name-list merge and of RemoveAddress: equal after UpperAnsi. Long texts
// too, for it compares eight bytes at a time until a byte with the top bit set.
TEST(SameAddressKey, IsEqualityAfterUpperAnsi) {
  std::mt19937 rng(77);
  const char bytes[] = {'a', 'A', 'z', 'Z', '`', '{', '@', '[', '.', '\x83', '\x61', '\x41', '\xE0'};
  for (int round = 0; round < 20000; ++round) {
    std::string a(rng() % 24, 'a');
    for (char& c : a) c = bytes[rng() % sizeof bytes];
    std::string b = a;
    // Mostly the same text in other letter cases, sometimes one byte changed.
    for (char& c : b) {
      if (std::isalpha(static_cast<unsigned char>(c)) && rng() % 2 != 0) c ^= 0x20;
    }
    if (!b.empty() && rng() % 3 == 0) b[rng() % b.size()] = bytes[rng() % sizeof bytes];
    const CodePage sjis = CodePage::ShiftJis();
    ASSERT_EQ(SameAddressKey(a, b, sjis), UpperAnsi(a, sjis) == UpperAnsi(b, sjis))
        << ::testing::PrintToString(a) << " " << ::testing::PrintToString(b);
  }
}

// The claims of `entries` as ClaimAll takes them, each address one of `keys` (folded in order).
std::vector<AddressIndex::KeyClaim> FoldedClaims(const std::vector<std::string>& keys,
                                              const std::vector<AddressIndex::Entry>& entries) {
  std::vector<AddressIndex::KeyClaim> claims;
  for (const AddressIndex::Entry& e : entries) {
    const auto k = std::find(keys.begin(), keys.end(), e.address) - keys.begin();
    claims.push_back({static_cast<uint32_t>(k), e.record});
  }
  return claims;
}

// Claims laid on in one call (the name-list merge's) end as the same claims one by one do:
// the earliest record keeps each key, whatever the order, and the table takes no key twice.
TEST(AddressIndexClaimAll, EndsAsClaimsOneByOne) {
  std::mt19937 rng(31);
  const std::vector<std::string> keys = {"a@x", "A@X", "b@x", "\x83\x61@z", "\x83\x41@z", "",
                                         "long.address.of.thirty.bytes@x", "c@y", "C@Y"};
  for (int round = 0; round < 300; ++round) {
    std::vector<AddressIndex::Entry> start, claims;
    for (unsigned n = rng() % 6; n > 0; --n) {
      start.push_back({keys[rng() % keys.size()], static_cast<int>(rng() % 5)});
    }
    for (unsigned n = rng() % 40; n > 0; --n) {
      claims.push_back({keys[rng() % keys.size()], static_cast<int>(rng() % 9)});
    }
    AddressIndex bulk(CodePage::ShiftJis()), single(CodePage::ShiftJis());
    bulk.Assign(start);
    single.Assign(start);
    AddressIndex::FoldedKeys folded(CodePage::ShiftJis());
    for (const std::string& k : keys) folded.Add(k);
    bulk.ClaimAll(folded, FoldedClaims(keys, claims));
    for (const AddressIndex::Entry& c : claims) single.Claim(c.address, c.record);
    ASSERT_EQ(bulk.size(), single.size()) << "round " << round;
    for (size_t k = 0; k < keys.size(); ++k) {
      EXPECT_EQ(bulk.Find(keys[k]), single.Find(keys[k])) << "round " << round << " key " << k;
      EXPECT_EQ(bulk.Find(folded, k), bulk.Find(keys[k]));
      bulk.Prefetch(folded, k);  // asks the memory only
    }
  }
}

// An empty address meets a table whose key bytes have no storage yet (found under the
// sanitizers: a null pointer handed to the byte copy and compare).
TEST(AddressIndexClaimAll, EmptyAddressesIntoATableWithoutKeyBytes) {
  struct Case {
    std::vector<AddressIndex::Entry> start, claims;
    int emptyFinds;
    size_t size;
  };
  const Case cases[] = {
      {{}, {{"", 3}}, 3, 1},
      {{}, {{"", 4}, {"", 2}}, 2, 1},
      {{{"", 1}}, {{"", 0}}, 0, 1},
      {{{"", 1}}, {{"a@x", 0}}, 1, 2},
  };
  for (const Case& c : cases) {
    AddressIndex index(CodePage::ShiftJis());
    index.Assign(c.start);
    const std::vector<std::string> keys = {"", "a@x"};
    AddressIndex::FoldedKeys folded(CodePage::ShiftJis());
    for (const std::string& k : keys) folded.Add(k);
    index.ClaimAll(folded, FoldedClaims(keys, c.claims));
    EXPECT_EQ(index.Find(""), c.emptyFinds);
    EXPECT_EQ(index.size(), c.size);
  }
}

}  // namespace
}  // namespace pinote
