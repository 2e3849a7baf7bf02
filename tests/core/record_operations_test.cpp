#include "store/record_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_file_system.h"
#include "memo_test_util.h"
#include "store_edit_script.h"

namespace pinote {
namespace {

using test::Describe;
using test::MakePerson;
using testing::FakeFileSystem;

// A saved store of three people: a group of two with a memo, one marked with a name-list text,
// and one in Japanese.
struct Fixture {
  Fixture() {
    EXPECT_TRUE(store.Load("Pinote.dat").ok());
    store.Add(MakePerson({"a@x", "a2@x"}, "alpha"));
    store.Add(MakePerson({"b@x"}, "beta\r\n", true, "B from the list"));
    store.Add(MakePerson({"\x93\xfa\x96\x7b@x"}, "\x83\x81\x83\x82\r\n"));
    EXPECT_TRUE(store.Save().ok());
    writes = fs.writes;
  }
  FakeFileSystem fs;
  MemoStore store{CodePage::ShiftJis(), fs};
  int writes = 0;
};

TEST(PickedAddress, NamesAnAddressOfTheStoreOrNothing) {
  Fixture f;
  EXPECT_EQ(PickedAddress(f.store, 0, 1), "a2@x");
  EXPECT_EQ(PickedAddress(f.store, 2, 0), "\x93\xfa\x96\x7b@x");
  for (const auto& [record, address] : {std::pair{0, 2}, {3, 0}, {-1, 0}, {0, -1}}) {
    EXPECT_EQ(PickedAddress(f.store, record, address), std::nullopt) << record << "/" << address;
  }
}

TEST(Unify, OutcomesAndTheMergedRecords) {
  const struct {
    const char* name;
    std::string shown;
    int record, address;
    UnifyOutcome outcome;
    std::string after;  // the store; "" when it must be unchanged
  } cases[] = {
      // No record holds the shown address: it joins the picked record as written.
      {"new address", "New@x", 1, 0, UnifyOutcome::kUnified,
       "a@x,a2@x=alpha|b@x,New@x!=beta/|\x93\xfa\x96\x7b@x=\x83\x81\x83\x82/"},
      // Its record joins the picked one: addresses in order, memo right after (no break is
      // put after "alpha"), mark of either; the joining record goes, name-list text and all.
      {"later record joins earlier", "B@X", 0, 1, UnifyOutcome::kUnified,
       "a@x,a2@x,b@x!=alphabeta/|\x93\xfa\x96\x7b@x=\x83\x81\x83\x82/"},
      {"earlier record joins later", "a2@x", 2, 0, UnifyOutcome::kUnified,
       "b@x!=beta/|\x93\xfa\x96\x7b@x,a@x,a2@x=\x83\x81\x83\x82/alpha"},
      {"marked record keeps its mark", "a@x", 1, 0, UnifyOutcome::kUnified,
       "b@x,a@x,a2@x!=beta/alpha|\x93\xfa\x96\x7b@x=\x83\x81\x83\x82/"},
      {"same address, other case", "A2@X", 0, 1, UnifyOutcome::kSameAddress, ""},
      {"picked record holds it already", "a2@x", 0, 0, UnifyOutcome::kAlreadyUnified, ""},
      {"no such record", "New@x", 3, 0, UnifyOutcome::kNothingPicked, ""},
      {"no such address", "New@x", 1, 1, UnifyOutcome::kNothingPicked, ""},
      // What Pinote.dat cannot hold is refused: an empty "From" gives "".
      {"empty address", "", 1, 0, UnifyOutcome::kAddressNotStored, ""},
      {"leading @", "@c", 1, 0, UnifyOutcome::kAddressNotStored, ""},
      {"line break", "c@x\r\nd@x", 1, 0, UnifyOutcome::kAddressNotStored, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    const std::string before = Describe(f.store);
    EXPECT_EQ(Unify(f.store, c.shown, c.record, c.address), c.outcome);
    if (c.outcome == UnifyOutcome::kUnified) {
      EXPECT_TRUE(f.store.Save().ok());
    }
    if (c.after.empty()) {
      EXPECT_EQ(Describe(f.store), before);
      EXPECT_EQ(f.fs.writes, f.writes);
      continue;
    }
    EXPECT_EQ(Describe(f.store), c.after);
    EXPECT_EQ(f.fs.writes, f.writes + 1);
    // Only b@x's record had name-list text: it left with the record when that one joined.
    const Person& b = *f.store.Get(f.store.IndexOfAddress("b@x"));
    EXPECT_EQ(b.nameListText, c.shown == "B@X" ? "" : "B from the list");
    EXPECT_EQ(test::CheckSaved(f.store, f.fs), "");  // the file and the index follow
  }
}

TEST(Separate, OutcomesAndTheRecordsAfter) {
  const struct {
    const char* name;
    std::string shown;
    std::string memo;
    bool important;
    SeparateOutcome outcome;
    std::string after;
    std::string file;
  } cases[] = {
      // The group keeps its place, memo and mark; the address gets a record of its own, last.
      {"middle of three", "B@X", "typed\r\n", true, SeparateOutcome::kSeparated,
       "a@x,c@x=m/|solo@x=s|B@X!=typed/",
       "a@x\r\nc@x\r\n m\r\n\r\nsolo@x\r\n s\r\n\r\nB@X\r\n@Important\r\n typed\r\n\r\n"},
      // An empty memo makes a record that the save drops again.
      {"empty memo", "a@x", "", false, SeparateOutcome::kSeparated, "b@x,c@x=m/|solo@x=s",
       "b@x\r\nc@x\r\n m\r\n\r\nsolo@x\r\n s\r\n\r\n"},
      {"no record", "z@x", "m", false, SeparateOutcome::kNotInGroup, "", ""},
      {"alone in its record", "solo@x", "m", false, SeparateOutcome::kNotInGroup, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    store.Add(MakePerson({"a@x", "b@x", "c@x"}, "m\r\n"));
    store.Add(MakePerson({"solo@x"}, "s"));
    EXPECT_TRUE(store.Save().ok());
    const std::string before = Describe(store);
    const int writes = fs.writes;
    EXPECT_EQ(Separate(store, c.shown, c.memo, c.important), c.outcome);
    if (c.outcome == SeparateOutcome::kSeparated) {
      EXPECT_TRUE(store.Save().ok());
    }
    if (c.after.empty()) {
      EXPECT_EQ(Describe(store), before);
      EXPECT_EQ(fs.writes, writes);
      continue;
    }
    EXPECT_EQ(Describe(store), c.after);
    EXPECT_EQ(fs.Content("d"), c.file);
    EXPECT_EQ(store.IndexOfAddress(c.shown), c.memo.empty() ? -1 : 2);
  }
}

TEST(Separate, RefusesAnAddressTheFileCannotHold) {
  FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  // A name list can put such an address into a group.
  store.MergeNameListText("u\r\nT\r\nu\r\nu\r\n0\r\n2\r\n\r\na@x\r\n0\r\n");
  ASSERT_EQ(store.IndexOfAddress(""), 0);
  EXPECT_EQ(Separate(store, "", "m", true), SeparateOutcome::kAddressNotStored);
  EXPECT_EQ(Describe(store), ",a@x=");
  EXPECT_EQ(fs.writes, 0);
}

TEST(StoreTypedMemo, StoresCreatesAndDrops) {
  const struct {
    const char* name;
    std::string address;
    std::string memo;
    bool important;
    bool stored;
    int record;
    std::string file;
  } cases[] = {
      {"existing record", "A@X", "new\r\n", false, true, 0, "a@x\r\n new\r\n\r\n"},
      {"new address", "n@x", "hi", true, true, 1,
       "a@x\r\n old\r\n\r\nn@x\r\n@Important\r\n hi\r\n\r\n"},
      // A record left with one address and no memo is dropped at once, mark or not.
      {"memo cleared", "a@x", "", true, true, -1, ""},
      {"mark on an address without memo", "n@x", "", true, true, -1, "a@x\r\n old\r\n\r\n"},
      {"Japanese memo", "\x93\xfa@x", "\x83\x81\x83\x82", false, true, 1,
       "a@x\r\n old\r\n\r\n\x93\xfa@x\r\n \x83\x81\x83\x82\r\n\r\n"},
      {"empty address", "", "m", false, false, -1, "a@x\r\n old\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    fs.files["d"] = "a@x\r\n old\r\n\r\n";
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    const bool stored = StoreTypedMemo(store, c.address, c.memo, c.important);
    EXPECT_EQ(stored, c.stored);
    if (stored) {
      EXPECT_TRUE(store.Save().ok());
    }
    EXPECT_EQ(store.IndexOfAddress(c.address), c.record);
    EXPECT_EQ(fs.writes, c.stored ? 1 : 0);
    EXPECT_EQ(fs.Content("d"), c.file);
  }
}

TEST(StoreTypedMemo, AfterAnUnreadableFileTheRecordShowsTheFilesMemoFirst) {
  FakeFileSystem fs;
  fs.files["d"] = "a@x\r\n@Important\r\n from the file\r\n\r\n";
  fs.failRead.insert("d");
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_EQ(store.Load("d").status, DiskOutcome::Status::kFailed);
  ASSERT_TRUE(StoreTypedMemo(store, "a@x", "typed", false));
  EXPECT_EQ(store.Save().status, DiskOutcome::Status::kFailed);
  fs.failRead.clear();
  ASSERT_TRUE(StoreTypedMemo(store, "a@x", "typed2", false));
  EXPECT_TRUE(store.Save().ok());
  ASSERT_EQ(store.IndexOfAddress("a@x"), 0);
  EXPECT_EQ(store.Get(0)->memo, "from the file\r\ntyped2");
  EXPECT_TRUE(store.Get(0)->important);
}

// Typing into a box that shows an older memo than the record holds now (its refill was put off
// while an input method composed): both changes where they touch different parts, else both
// texts, the record's first.
TEST(LayTypedOnto, KeepsBothChangesOrBothTexts) {
  const struct {
    const char* name;
    const char* shown;
    const char* typed;
    const char* now;
    const char* want;
  } cases[] = {
      {"typed on a line, a line added after it", "a\r\n", "ax\r\n", "a\r\nnew\r\n", "ax\r\nnew\r\n"},
      {"typed at the start, changed at the end", "one two", "ONE two", "one TWO", "ONE TWO"},
      {"both in one place", "abc", "aXc", "aYc", "aYc\r\naXc"},
      {"nothing typed", "abc", "abc", "abd", "abd"},
      {"nothing merged", "abc", "abX", "abc", "abX"},
      {"the same change", "abc", "abX", "abX", "abX"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LayTypedOnto(c.shown, c.typed, c.now), c.want) << c.name;
  }
  FakeFileSystem fs;
  fs.files["d"] = "a@x\r\n a\r\n new\r\n\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(store.Load("d").ok());
  const std::string shown = "a\r\n";
  ASSERT_TRUE(StoreTypedMemo(store, "a@x", "ax\r\n", false, &shown));
  EXPECT_EQ(store.Get(0)->memo, "ax\r\nnew\r\n");
}

}  // namespace
}  // namespace pinote
