// Memos for everyone at a domain: which domain record covers a sender, which memo the window
// shows, and what the store's rules do with domain records.
#include "store/domain_memo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_file_system.h"
#include "forms/sender_view.h"
#include "memo_test_util.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

using test::Describe;
using test::MakePerson;
using testing::FakeFileSystem;

TEST(DomainMemo, DomainAddressesForASender) {
  const struct {
    std::string address;
    std::vector<std::string> candidates;
  } cases[] = {
      {"a@mail.example.co.jp", {"*@mail.example.co.jp", "*@example.co.jp", "*@co.jp", "*@jp"}},
      {"a@Example.COM.", {"*@Example.COM", "*@COM"}},  // the root's dot dropped, case kept
      {"a@[192.0.2.1]", {"*@[192.0.2.1]"}},            // one host: never a suffix
      {"a@192.0.2.1", {"*@192.0.2.1"}},
      {"a@b@x.jp", {"*@x.jp", "*@jp"}},                // the last "@"
      // "@" as the second byte of a double-byte character (83 40) is no "@".
      {"\x83\x40@x.jp", {"*@x.jp", "*@jp"}},
      {"b@x\x83\x40y.jp", {"*@x\x83\x40y.jp", "*@jp"}},
      {"a\x83\x40y.jp", {}},
      {"alice", {}},
      {"", {}},
      {"a@", {}},
      {"a@.", {}},
      {"a@x..jp", {}},
      {"a@x.jp..", {}},
      {"a@.x.jp", {}},
      {"*@example.co.jp", {}},  // a domain address is no sender
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.address));
    EXPECT_EQ(DomainAddressesFor(c.address), c.candidates);
  }
  EXPECT_TRUE(IsDomainAddress("*@x"));
  EXPECT_FALSE(IsDomainAddress("*@"));
  EXPECT_FALSE(IsDomainAddress("a*@x"));
}

TEST(DomainMemo, LongestMatchOnWholeLabelsIgnoringCase) {
  MemoStore store;
  for (const char* domain : {"*@example.co.jp", "*@mail.example.co.jp", "*@ample.co.jp",
                             "*@Example.Org", "*@[192.0.2.1]", "*@0.2.1"}) {
    store.Add(MakePerson({domain}, "m"));
  }
  store.Add(MakePerson({"bob@example.co.jp"}, "b"));
  const struct {
    const char* address;
    const char* match;  // the stored domain address; "" for none
  } cases[] = {
      {"a@mail.example.co.jp", "*@mail.example.co.jp"},
      {"a@x.mail.example.co.jp", "*@mail.example.co.jp"},
      {"a@tokyo.example.co.jp", "*@example.co.jp"},
      {"bob@example.co.jp", "*@example.co.jp"},
      {"A@EXAMPLE.CO.JP.", "*@example.co.jp"},
      {"a@host.example.org", "*@Example.Org"},
      {"a@ample.co.jp", "*@ample.co.jp"},
      {"a@sample.co.jp", ""},  // "ample" is no whole label of it
      {"a@example.co", ""},
      {"a@[192.0.2.1]", "*@[192.0.2.1]"},
      {"a@192.0.2.1", ""},  // an IPv4 address is no domain with labels
      {"a@example.co.jp..", ""},
      {"alice", ""},
      {"*@example.co.jp", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    const DomainMatch m = FindDomainRecord(store, c.address);
    EXPECT_EQ(m.address, c.match);
    EXPECT_EQ(m.record, *c.match ? store.IndexOfAddress(c.match) : -1);
  }
}

TEST(DomainMemo, WhichMemoTheWindowShows) {
  MemoStore store;
  store.Add(MakePerson({"*@example.co.jp", "*@example.com"}, "company", true));
  store.Add(MakePerson({"bob@example.co.jp"}, "bob"));
  store.Add(MakePerson({"named@example.com"}, "", false, "From the name list"));
  store.Add(MakePerson({"*@quiet.jp", "*@quiet.com"}, ""));  // kept for its two addresses
  store.Add(MakePerson({"mixed@hand.jp", "*@hand.jp"}, "by hand"));
  using R = SenderViewRequest;
  const struct {
    const char* sender;
    R request;
    const char* shown;
    bool domainShown;
    const char* command;  // the domain the menu item opens; "" for no item
    bool hint;
  } cases[] = {
      {"new@example.co.jp", R::kAuto, "*@example.co.jp", true, "*@example.co.jp", false},
      {"new@sub.EXAMPLE.com", R::kAuto, "*@example.com", true, "*@example.com", false},
      {"new@example.co.jp", R::kPerson, "new@example.co.jp", false, "*@example.co.jp", true},
      {"bob@example.co.jp", R::kAuto, "bob@example.co.jp", false, "*@example.co.jp", true},
      {"bob@example.co.jp", R::kDomain, "*@example.co.jp", true, "*@example.co.jp", false},
      {"named@example.com", R::kAuto, "named@example.com", false, "*@example.com", true},
      {"new@quiet.jp", R::kAuto, "new@quiet.jp", false, "*@quiet.jp", false},
      {"new@Other.jp.", R::kAuto, "new@Other.jp.", false, "*@Other.jp", false},
      {"new@Other.jp.", R::kDomain, "*@Other.jp", true, "*@Other.jp", false},
      {"mixed@hand.jp", R::kAuto, "mixed@hand.jp", false, "*@hand.jp", false},
      {"alice", R::kDomain, "alice", false, "", false},
      {"*@example.com", R::kAuto, "*@example.com", false, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sender) + " " + std::to_string(static_cast<int>(c.request)));
    const SenderView v = ChooseSenderView(store, c.sender, c.request);
    EXPECT_EQ(v.address, c.shown);
    EXPECT_EQ(v.domainShown, c.domainShown);
    EXPECT_EQ(v.domainAddress, c.command);
    EXPECT_EQ(v.hint, c.hint);
  }
}

// Two domains unify as two addresses do; a person and a domain never. A domain record is stored,
// emptied and dropped as a person's is.
TEST(DomainMemo, RecordRules) {
  const struct {
    const char* name;
    std::string shown;
    int record, address;
    UnifyOutcome outcome;
    std::string after;  // "" when nothing may change
  } cases[] = {
      {"two domains", "*@example.com", 0, 0, UnifyOutcome::kUnified,
       "*@example.co.jp,*@example.com!=cocom|bob@example.co.jp=bob"},
      {"a new domain", "*@example.net", 0, 0, UnifyOutcome::kUnified,
       "*@example.co.jp,*@example.net!=co|*@example.com=com|bob@example.co.jp=bob"},
      {"person into domain", "bob@example.co.jp", 0, 0, UnifyOutcome::kPersonAndDomain, ""},
      {"domain into person", "*@example.co.jp", 2, 0, UnifyOutcome::kPersonAndDomain, ""},
      {"new person into domain", "new@example.co.jp", 1, 0, UnifyOutcome::kPersonAndDomain, ""},
      {"new domain into person", "*@example.org", 2, 0, UnifyOutcome::kPersonAndDomain, ""},
      {"the same domain first", "*@EXAMPLE.CO.JP", 0, 0, UnifyOutcome::kSameAddress, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    MemoStore store(fs);
    store.Load("d");
    store.Add(MakePerson({"*@example.co.jp"}, "co", true));
    store.Add(MakePerson({"*@example.com"}, "com"));
    store.Add(MakePerson({"bob@example.co.jp"}, "bob"));
    store.Save();
    const std::string before = Describe(store);
    EXPECT_EQ(Unify(store, c.shown, c.record, c.address), c.outcome);
    EXPECT_EQ(Describe(store), c.after.empty() ? before : c.after);
  }

  FakeFileSystem fs;
  MemoStore store(fs);
  store.Load("d");
  // A Shift-JIS memo with a 0x5C second byte ("ソ") and "@" as one (83 40).
  ASSERT_TRUE(StoreTypedMemo(store, "*@example.co.jp", "\x83\x5C\x83\x40\r\n", false).stored);
  EXPECT_EQ(fs.Content("d"), "*@example.co.jp\r\n \x83\x5C\x83\x40\r\n\r\n");
  MemoStore reread(fs);
  reread.Load("d");
  EXPECT_EQ(FindDomainRecord(reread, "new@example.co.jp").record, 0);
  EXPECT_EQ(StoreTypedMemo(store, "*@example.co.jp", "", false).record, -1);
  EXPECT_EQ(fs.Content("d"), "");
}

}  // namespace
}  // namespace pinote
