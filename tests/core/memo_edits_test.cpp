// The store changes behind the memo window's edits, Unify and Separate: what each refuses and
// what it leaves in the store and the file.
#include "forms/memo_edits.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_file_system.h"
#include "memo_test_util.h"

namespace pinote {
namespace {

using pinote::testing::FakeFileSystem;
using test::Describe;

const std::string kDat = "C:\\P\\Pinote.dat";

// Records: 0 a@x, a2@x with "alpha"; 1 b@x, important, "beta"; 2 c@x, d@x, e@x, "shared".
struct Fixture {
  Fixture() {
    fs.files[kDat] =
        "a@x\r\na2@x\r\n alpha\r\n\r\nb@x\r\n@Important\r\n beta\r\n\r\nc@x\r\nd@x\r\ne@x\r\n"
        " shared\r\n\r\n";
    store.Load(kDat);
  }
  FakeFileSystem fs;
  MemoStore store{fs};
};

TEST(UnifyRecords, RefusalsAndMerges) {
  struct Case {
    const char* name;
    int chosen, chosenAddress;
    const char* shown;
    UnifyOutcome outcome;
    std::string after;  // Describe of the store
  };
  const std::string before = "a@x,a2@x=alpha/|b@x!=beta/|c@x,d@x,e@x=shared/";
  const Case cases[] = {
      {"the picked address itself", 0, 1, "A2@X", UnifyOutcome::SameAddress, before},
      {"already in the chosen record", 0, 0, "a2@x", UnifyOutcome::AlreadyUnified, before},
      {"no such record", 5, 0, "b@x", UnifyOutcome::NothingPicked, before},
      {"no such address", 1, 1, "a@x", UnifyOutcome::NothingPicked, before},
      {"negative address", 1, -1, "a@x", UnifyOutcome::NothingPicked, before},
      {"an address without record joins", 1, 0, "n@x", UnifyOutcome::Unified,
       "a@x,a2@x=alpha/|b@x,n@x!=beta/|c@x,d@x,e@x=shared/"},
      // The memos join as they are; the merged record's mark is kept.
      {"a record merges in and goes", 0, 0, "B@X", UnifyOutcome::Unified,
       "a@x,a2@x,b@x!=alpha/beta/|c@x,d@x,e@x=shared/"},
      {"merged from after the chosen one", 2, 1, "a@x", UnifyOutcome::Unified,
       "b@x!=beta/|c@x,d@x,e@x,a@x,a2@x=shared/alpha/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    const int writes = f.fs.writes;
    EXPECT_EQ(UnifyRecords(f.store, c.chosen, c.chosenAddress, c.shown), c.outcome);
    EXPECT_EQ(Describe(f.store), c.after);
    EXPECT_EQ(f.fs.writes - writes, c.outcome == UnifyOutcome::Unified ? 1 : 0);
  }
}

TEST(SeparateAddress, TakesTheAddressOutWithACopyOfMemoAndMark) {
  struct Case {
    const char* shown;
    bool separated;
    std::string after;
  };
  const Case cases[] = {
      {"D@X", true, "a@x,a2@x=alpha/|b@x!=beta/|c@x,e@x=shared/|D@X!=copy/"},
      {"a@x", true, "a2@x=alpha/|b@x!=beta/|c@x,d@x,e@x=shared/|a@x!=copy/"},
      {"b@x", false, "a@x,a2@x=alpha/|b@x!=beta/|c@x,d@x,e@x=shared/"},  // its only address
      {"none@x", false, "a@x,a2@x=alpha/|b@x!=beta/|c@x,d@x,e@x=shared/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    Fixture f;
    EXPECT_EQ(SeparateAddress(f.store, c.shown, "copy\r\n", true), c.separated);
    EXPECT_EQ(Describe(f.store), c.after);
  }
  // With an empty memo the new single-address record is pruned at once by the save.
  Fixture f;
  EXPECT_TRUE(SeparateAddress(f.store, "e@x", "", false));
  EXPECT_EQ(Describe(f.store), "a@x,a2@x=alpha/|b@x!=beta/|c@x,d@x=shared/");
}

TEST(StoreEdit, MakesUpdatesAndPrunesRecords) {
  struct Case {
    const char* address;
    const char* memo;
    bool important;
    int index;
    std::string after;
  };
  const Case cases[] = {
      {"A2@X", "edited\r\n", false, 0, "a@x,a2@x=edited/|b@x!=beta/|c@x,d@x,e@x=shared/"},
      {"new@x", "typed\r\n", true, 3, "a@x,a2@x=alpha/|b@x!=beta/|c@x,d@x,e@x=shared/|new@x!=typed/"},
      // One address and no memo: nothing to keep, also when marked.
      {"new@x", "", true, -1, "a@x,a2@x=alpha/|b@x!=beta/|c@x,d@x,e@x=shared/"},
      {"b@x", "", false, -1, "a@x,a2@x=alpha/|c@x,d@x,e@x=shared/"},
      // Several addresses keep a record without memo.
      {"c@x", "", false, 2, "a@x,a2@x=alpha/|b@x!=beta/|c@x,d@x,e@x="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.address) + " " + c.memo);
    Fixture f;
    EXPECT_EQ(StoreEdit(f.store, c.address, c.memo, c.important), c.index);
    EXPECT_EQ(Describe(f.store), c.after);
    MemoStore reread(f.fs);
    reread.Load(kDat);
    EXPECT_EQ(Describe(reread), c.after) << "written at once";
  }
}

}  // namespace
}  // namespace pinote
