// Memos for everyone at a domain: which domain record covers a sender, which memo the window
// shows, and the store's rules for domain records.
#include "store/domain_memo.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "forms/sender_view.h"
#include "memo_test_util.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

using test::Describe;
using test::MakePerson;

TEST(DomainMemo, LongestMatchOnWholeLabelsIgnoringCase) {
  MemoStore store(CodePage::ShiftJis());
  for (const char* domain : {"*@example.co.jp", "*@mail.example.co.jp", "*@ample.co.jp",
                             "*@Example.Org", "*@[192.0.2.1]", "*@0.2.1"}) {
    store.Add(MakePerson({domain}, "m"));
  }
  const std::pair<const char*, const char*> cases[] = {  // sender, stored match ("": none)
      {"a@mail.example.co.jp", "*@mail.example.co.jp"}, {"a@x.example.co.jp", "*@example.co.jp"},
      {"A@EXAMPLE.CO.JP.", "*@example.co.jp"},  // the root's trailing dot dropped
      {"a@host.example.org", "*@Example.Org"},  {"a@sample.co.jp", ""},  // "ample": no label
      {"a@[192.0.2.1]", "*@[192.0.2.1]"},       {"a@192.0.2.1", ""},  // an IP: whole only
      {"a@x.co.jp..", ""},                       {"alice", ""},
      {"*@example.co.jp", ""},                   // a domain address is no sender
      // "@" as the second byte of a double-byte character (83 40) is no "@".
      {"\x83\x40@mail.example.co.jp", "*@mail.example.co.jp"}, {"b@x\x83\x40" "ample.co.jp", ""},
  };
  for (const auto& [sender, match] : cases) {
    const DomainMatch m = FindDomainRecord(store, sender);
    EXPECT_EQ(m.address, match) << sender;
    EXPECT_EQ(m.record, *match ? store.IndexOfAddress(match) : -1) << sender;
  }
}

TEST(DomainMemo, WhichMemoTheWindowShows) {
  MemoStore store(CodePage::ShiftJis());
  store.Add(MakePerson({"*@example.co.jp"}, "company"));
  store.Add(MakePerson({"bob@example.co.jp"}, "bob"));
  store.Add(MakePerson({"named@example.co.jp"}, "", false, "From the name list"));
  store.Add(MakePerson({"*@quiet.jp", "*@quiet.com"}, ""));  // no memo text: never stands in
  using R = SenderViewRequest;
  const struct {
    const char* sender;
    R request;
    const char* shown;
    const char* command;  // the domain address the menu item opens; "": no item
    bool hint;
  } cases[] = {
      {"new@example.co.jp", R::kAuto, "*@example.co.jp", "*@example.co.jp", false},
      {"bob@example.co.jp", R::kAuto, "bob@example.co.jp", "*@example.co.jp", true},
      {"bob@example.co.jp", R::kDomain, "*@example.co.jp", "*@example.co.jp", false},
      {"named@example.co.jp", R::kAuto, "named@example.co.jp", "*@example.co.jp", true},
      {"new@quiet.jp", R::kAuto, "new@quiet.jp", "*@quiet.jp", false},
      {"new@Other.jp.", R::kDomain, "*@Other.jp", "*@Other.jp", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sender) + " " + std::to_string(static_cast<int>(c.request)));
    const SenderView v = ChooseSenderView(store, c.sender, c.request);
    EXPECT_EQ(v.address, c.shown);
    EXPECT_EQ(v.domainShown, v.address != c.sender);
    EXPECT_EQ(v.domainAddress, c.command);
    EXPECT_EQ(v.hint, c.hint);
  }
}

// Domains unify as addresses do; a person and a domain never. A domain record with a Shift-JIS
// memo is stored, and dropped when emptied, as a person's is.
TEST(DomainMemo, RecordRules) {
  const std::tuple<const char*, int, UnifyOutcome, std::string> cases[] = {
      {"*@example.com", 0, UnifyOutcome::kUnified, "*@example.co.jp,*@example.com=cocom|b@x=b"},
      {"b@x", 0, UnifyOutcome::kPersonAndDomain, ""},
      {"*@example.co.jp", 2, UnifyOutcome::kPersonAndDomain, ""},
      {"new@x", 1, UnifyOutcome::kPersonAndDomain, ""},
      {"*@example.org", 2, UnifyOutcome::kPersonAndDomain, ""},
  };
  for (const auto& [shown, picked, outcome, after] : cases) {
    testing::FakeFileSystem fs;
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    store.Add(MakePerson({"*@example.co.jp"}, "co"));
    store.Add(MakePerson({"*@example.com"}, "com"));
    store.Add(MakePerson({"b@x"}, "b"));
    const std::string before = Describe(store);
    EXPECT_EQ(Unify(store, shown, picked, 0), outcome) << shown;
    EXPECT_EQ(Describe(store), after.empty() ? before : after) << shown;
  }
  testing::FakeFileSystem fs;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  ASSERT_TRUE(StoreTypedMemo(store, "*@example.co.jp", "\x83\x5C\x83\x40\r\n", false));
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.Content("d"), "*@example.co.jp\r\n \x83\x5C\x83\x40\r\n\r\n");
  ASSERT_TRUE(StoreTypedMemo(store, "*@example.co.jp", "", false));
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(store.IndexOfAddress("*@example.co.jp"), -1);
  EXPECT_EQ(fs.Content("d"), "");
}

}  // namespace
}  // namespace pinote
