// Two writers on one Pinote.dat: this copy loaded `base`, another writer left `theirs`, then the
// user here made changes through the memo window's operations, each saving at once.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fake_file_system.h"
#include "memo_test_util.h"
#include "store/record_operations.h"
#include "store_edit_script.h"

namespace pinote {
namespace {

using test::Describe;
using testing::FakeFileSystem;

// Pinote.dat holding the records written as Describe shows them: "a,b!=l1/l2/|c=x/".
std::string FileOf(std::string_view described) {
  std::vector<std::unique_ptr<Person>> persons;
  while (!described.empty()) {
    const size_t bar = described.find('|');
    const std::string_view one = described.substr(0, bar);
    described = bar == std::string_view::npos ? "" : described.substr(bar + 1);
    auto p = std::make_unique<Person>();
    std::string_view addresses = one.substr(0, one.find('='));
    if (!addresses.empty() && addresses.back() == '!') {
      p->important = true;
      addresses.remove_suffix(1);
    }
    while (!addresses.empty()) {
      const size_t comma = addresses.find(',');
      p->addresses.emplace_back(addresses.substr(0, comma));
      addresses = comma == std::string_view::npos ? "" : addresses.substr(comma + 1);
    }
    for (const char c : one.substr(one.find('=') + 1)) p->memo += c == '/' ? "\r\n" : std::string(1, c);
    persons.push_back(std::move(p));
  }
  return FormatMemoFile(persons);
}

// The window's operations, each followed by its save: "a=text" types into a's memo (a trailing
// "!" before "=" marks it), "unify a+b" joins b's record into a's, "separate b=text" takes b out
// of its group.
DiskOutcome Perform(MemoStore& store, std::string_view op) {
  if (op.substr(0, 6) == "unify ") {
    const std::string into(op.substr(6, op.find('+') - 6)), shown(op.substr(op.find('+') + 1));
    EXPECT_EQ(Unify(store, shown, store.IndexOfAddress(into), 0), UnifyOutcome::kUnified);
  } else if (op.substr(0, 9) == "separate ") {
    const std::string shown(op.substr(9, op.find('=') - 9));
    EXPECT_EQ(Separate(store, shown, std::string(op.substr(op.find('=') + 1)), false),
              SeparateOutcome::kSeparated);
  } else {
    std::string address(op.substr(0, op.find('=')));
    const bool important = address.back() == '!';
    if (important) address.pop_back();
    EXPECT_TRUE(StoreTypedMemo(store, address, std::string(op.substr(op.find('=') + 1)), important));
  }
  return store.Save();
}

TEST(MergeWithOtherWriter, KeepsWhatEitherSideWrote) {
  const struct {
    const char* name;
    const char* base;
    const char* theirs;
    const char* mine;
    const char* saved;
    const char* conflict;  // "" when no conflict copy is written
  } cases[] = {
      {"theirs unchanged", "a=1/|b=2/", "a=1/|b=2/", "a=1x", "a=1x/|b=2/", ""},
      {"theirs changed another", "a=1/|b=2/", "a=1/|b!=2b/", "a=1x", "a=1x/|b!=2b/", ""},
      {"theirs added one", "a=1/|b=2/", "a=1/|b=2/|c=3/", "a=1x", "a=1x/|b=2/|c=3/", ""},
      {"theirs removed one", "a=1/|b=2/", "a=1/", "a=1x", "a=1x/", ""},
      {"theirs removed the one changed here", "a=1/|b=2/", "b=2/", "a=1x", "b=2/|a=1x/", ""},
      {"added here and there", "a=1/", "a=1/|c=3/", "d=4", "a=1/|c=3/|d=4/", ""},
      {"both added one address", "a=1/", "a=1/|d=t/", "d!=m", "a=1/|d!=t/m/", ""},
      {"removed here", "a=1/|b=2/", "a=1/|b=2/", "a=", "b=2/", ""},
      {"removed here, changed there", "a=1/|b=2/", "a=1t/|b=2/", "a=", "b=2/", "a=1t/"},
      {"removed and made anew here", "a=1/|b=2/", "a=1/|b=2/", "a=;a=new", "b=2/|a=new/", ""},
      {"both changed one", "a=1/|b=2/", "a=1t/|b=2/", "a=1x", "a=1x/|b=2/", "a=1t/"},
      {"both changed one alike", "a=1/|b=2/", "a=1x/|b=2/", "a=1x", "a=1x/|b=2/", ""},
      {"unified there", "a=1/|b=2/|c=3/", "a,b=1/2/|c=3/", "c=3x", "a,b=1/2/|c=3x/", ""},
      {"unified here", "a=1/|b=2/|c=3/", "a=1/|b=2/|c=3/", "unify a+b", "a,b=1/2/|c=3/", ""},
      {"unified here, one changed there", "a=1/|b=2/", "a=1/|b=2t/", "unify a+b", "a,b=1/2/",
       "b=2t/"},
      {"separated there", "a,b=1/|c=3/", "a=1/|c=3/|b=2/", "c=3x", "a=1/|c=3x/|b=2/", ""},
      {"separated here", "a,b=1/|c=3/", "a,b=1/|c=3/", "separate b=2", "a=1/|c=3/|b=2/", ""},
      {"separated there, changed here", "a,b=1/", "a=1/|b=2/", "a=1x", "a,b=1x/", "a=1/|b=2/"},
      {"letter case", "A@X=1/", "a@x=1t/", "a@x=1x", "A@X=1x/", "a@x=1t/"},
      // Both unify, differently: z, untouched here, stays; the other grouping is kept aside.
      {"unified differently on both sides", "x=X/|y=Y/|z=Z/", "x=X/|y,z=Y/Z/", "unify x+y",
       "x,y=X/Y/|z=Z/", "y,z=Y/Z/"},
      {"unified here with a person added there", "x=X/", "x=X/|w=W/", "unify x+w", "x,w=X/W/",
       ""},
      // Whole texts: "Not OK" does not hold "OK".
      {"both added, one text inside the other", "a=1/", "a=1/|d=Not OK/", "d=OK", "a=1/|d=Not OK/OK",
       ""},
      {"both added the same text", "a=1/", "a=1/|d=OK/", "d=OK", "a=1/|d=OK/", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    fs.Put("d", FileOf(c.base));
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    fs.Put("d", FileOf(c.theirs));
    std::string_view ops = c.mine;
    // Several operations: the saves of all but the last fail, so that their changes are still
    // this copy's own when the last one saves.
    DiskNotices told;
    for (size_t semi; (semi = ops.find(';')) != std::string_view::npos; ops.remove_prefix(semi + 1)) {
      fs.failWrite.insert("d");
      DiskOutcome failed = Perform(store, ops.substr(0, semi));
      EXPECT_EQ(failed.status, DiskOutcome::Status::kFailed);
      told.Append(std::move(failed.notices));
      fs.failWrite.clear();
    }
    DiskOutcome out = Perform(store, ops);
    EXPECT_TRUE(out.ok());
    told.Append(std::move(out.notices));
    EXPECT_EQ(fs.Content("d"), FileOf(c.saved));
    EXPECT_EQ(test::CheckSaved(store, fs), "");
    EXPECT_TRUE(told.reloaded);
    ASSERT_EQ(told.conflictCopies.size(), *c.conflict ? 1u : 0u);
    if (*c.conflict) {
      EXPECT_EQ(told.conflictCopies[0].rfind("d.conflict-20240101-", 0), 0u);
      EXPECT_EQ(fs.Content(told.conflictCopies[0]), FileOf(c.conflict));
    }
  }
}

// Addresses the name list added are not the file's: another writer's save of someone else is no
// clash with this copy's edit of a person the name list extended, whether the store kept the
// person as the file's bytes or read it at once (a file with other line breaks).
TEST(MergeWithOtherWriter, NameListAddressesMakeNoConflict) {
  for (const char* file : {"a@x\r\n m\r\n\r\nb@x\r\n n\r\n\r\n", "a@x\n m\n\nb@x\n n\n\n"}) {
    SCOPED_TRACE(file);
    FakeFileSystem fs;
    fs.Put("d", file);
    fs.Put("list", "u\r\nBook\r\nu\r\nu\r\n0\r\n2\r\na@x\r\na2@x\r\n0\r\n");
    MemoStore store(CodePage::ShiftJis(), fs);
    ASSERT_TRUE(store.Load("d").ok());
    store.LoadNameList("list");
    ASSERT_TRUE(StoreTypedMemo(store, "a@x", "typed", false));
    fs.Put("d", "a@x\r\n m\r\n\r\nb@x\r\n changed there\r\n\r\n");
    const DiskOutcome out = store.Save();
    ASSERT_TRUE(out.ok());
    EXPECT_TRUE(out.notices.conflictCopies.empty());
    EXPECT_EQ(fs.Content("d"), "a@x\r\na2@x\r\n typed\r\n\r\nb@x\r\n changed there\r\n\r\n");
  }
}

// A file that holds nobody while the base held people (an editor that emptied it, a program that
// failed half way) takes nobody's memo away without a copy of it.
TEST(MergeWithOtherWriter, AFileFoundEmptyKeepsEveryoneInTheConflictFile) {
  FakeFileSystem fs;
  fs.Put("d", FileOf("a=1/|b=2/"));
  MemoStore store(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(store.Load("d").ok());
  ASSERT_TRUE(StoreTypedMemo(store, "b", "2x", false));
  fs.Put("d", "");
  const DiskOutcome out = store.Save();
  ASSERT_TRUE(out.ok());
  EXPECT_EQ(fs.Content("d"), FileOf("b=2x"));
  ASSERT_EQ(out.notices.conflictCopies.size(), 1u);
  EXPECT_EQ(fs.Content(out.notices.conflictCopies[0]), FileOf("a=1/"));
  EXPECT_EQ(fs.waits, 3) << "read again while it looked cut";
}

}  // namespace
}  // namespace pinote
