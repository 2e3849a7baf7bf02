// The memo for everyone at a company: a new colleague's mail shows it, a person with a memo of
// their own shows a hint line that opens it, and typing into it stores "*@domain".
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(DomainMemo, NewColleagueSeesTheCompanyMemoAndAPersonTheHint) {
  Installation inst("domain");
  const std::string company = "*@example.com\r\n Example Corp closes on the 25th.\r\n";
  inst.Write(L"PlugIns\\Pinote.dat", SampleDat() + company + "\r\n");
  const std::string dump = DumpWindow(kMemoWindow);
  const std::string hintClick =
      "sendmsg " + kMemoWindow + " " + std::to_string(IDC_DOMAIN_HINT_LABEL) + " 0x201 1 0\n";
  // The command is posted: "sync" lets the window handle it before the dump lists its controls.
  RunResult r = inst.Run("open 1\nfolder Work\nopen 0\n" + dump +  // Dave, new at Example Corp
                         MemoCommand(IDM_DOMAIN_MEMO) + "sync\n" + dump +  // his own, the hint
                         TypeMemo("Started in April") + "folder Inbox\nopen 0\n" + dump +  // Alice
                         hintClick + dump + TypeMemo("Copy the project.") + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  const auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 4u) << r.Text();
  const char* const want[][4] = {  // sender, address, memo, hint line visible
      {"Dave Miller", "*@example.com", "Example Corp closes on the 25th.\r\n", "(missing)"},
      {"Dave Miller", "dave@example.com", "", "1"},
      {"Alice Example", "alice@example.com",
       "Met at the conference in Kyoto.\r\nPrefers short mails.\r\n", "1"},
      {"Alice Example", "*@example.com", "Example Corp closes on the 25th.\r\n", "0"}};
  for (size_t i = 0; i < dumps.size(); ++i) {
    EXPECT_EQ(FieldOf(dumps[i].window, "visible"), "1") << "the company memo makes it appear";
    EXPECT_EQ(Child(dumps[i], IDC_SENDER_LABEL, "text"), Quoted(want[i][0]));
    EXPECT_EQ(Child(dumps[i], IDC_ADDRESS_LABEL, "text"), Quoted(want[i][1]));
    EXPECT_EQ(Child(dumps[i], IDC_MEMO_EDIT, "text"), Quoted(want[i][2]));
    EXPECT_EQ(Child(dumps[i], IDC_DOMAIN_HINT_LABEL, "visible"), want[i][3]);
  }
  EXPECT_EQ(Child(dumps[2], IDC_DOMAIN_HINT_LABEL, "text"),
            Quoted("There is also a memo for everyone at example.com"));
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"),
            SampleDat() + company +
                " Copy the project.\r\n\r\ndave@example.com\r\n Started in April\r\n\r\n");
}

}  // namespace
}  // namespace e2e
