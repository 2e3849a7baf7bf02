// The memo for everyone at a company: a new colleague's mail shows it, a person with a memo of
// their own shows a hint line that opens it, and typing into it stores "*@domain".
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(DomainMemo, NewColleagueSeesTheCompanyMemoAndAPersonTheHint) {
  Installation inst("domain");
  const std::string company = "*@example.com\r\n Example Corp closes on the 25th.\r\n\r\n";
  inst.Write(L"PlugIns\\Pinote.dat", SampleDat() + company);
  const std::string hintClick =
      "sendmsg " + kMemoWindow + " " + std::to_string(IDC_DOMAIN_HINT_LABEL) + " 0x201 1 0\n";
  RunResult r = inst.Run(
      "open 1\nfolder Work\nopen 0\n" + DumpWindow(kMemoWindow) +  // Dave, new at Example Corp
      MemoCommand(IDM_DOMAIN_MEMO) + DumpWindow(kMemoWindow) +    // back to Dave's own memo
      TypeMemo("Started in April") + "folder Inbox\nopen 0\n" + DumpWindow(kMemoWindow) +
      hintClick + DumpWindow(kMemoWindow) + TypeMemo("Always copy the project address.") +
      "copyfile PlugIns\\Pinote.dat typed.dat\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  const auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 4u) << r.Text();
  const struct {
    const char* sender;
    const char* address;
    const char* memo;
    const char* hint;  // the hint line's visibility
  } want[] = {
      {"Dave Miller", "*@example.com", "Example Corp closes on the 25th.\r\n", "(missing)"},
      {"Dave Miller", "dave@example.com", "", "1"},
      {"Alice Example", "alice@example.com",
       "Met at the conference in Kyoto.\r\nPrefers short mails.\r\n", "1"},
      {"Alice Example", "*@example.com", "Example Corp closes on the 25th.\r\n", "0"},
  };
  for (size_t i = 0; i < std::size(want); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(FieldOf(dumps[i].window, "visible"), "1") << "the company memo makes it appear";
    EXPECT_EQ(Child(dumps[i], IDC_SENDER_LABEL, "text"), Quoted(want[i].sender));
    EXPECT_EQ(Child(dumps[i], IDC_ADDRESS_LABEL, "text"), Quoted(want[i].address));
    EXPECT_EQ(Child(dumps[i], IDC_MEMO_EDIT, "text"), Quoted(want[i].memo));
    EXPECT_EQ(Child(dumps[i], IDC_DOMAIN_HINT_LABEL, "visible"), want[i].hint);
  }
  EXPECT_EQ(Child(dumps[2], IDC_DOMAIN_HINT_LABEL, "text"),
            Quoted("There is also a memo for everyone at example.com"));
  EXPECT_EQ(inst.Read(L"typed.dat"),
            SampleDat() +
                "*@example.com\r\n Example Corp closes on the 25th.\r\n"
                " Always copy the project address.\r\n\r\n"
                "dave@example.com\r\n Started in April\r\n\r\n");
}

}  // namespace
}  // namespace e2e
