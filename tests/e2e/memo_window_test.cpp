// Opening mails shows or hides the memo window by the stored memos and the rules; edits go to
// Pinote.dat at once.
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(MemoWindow, OpenedMailsShowTheSendersRecordByTheDefaultRules) {
  struct Case {
    int mail;
    bool visible;
    const char* sender;  // nullptr: not compared (Shift-JIS name, depends on the code page)
    const char* address;
    const char* memo;
    bool important;
    const char* others;  // nullptr: other-addresses line hidden
    const char* name_list;  // nullptr: name-list pane hidden
  };
  const Case cases[] = {
      {0, true, "Alice Example", "alice@example.com",
       "Met at the conference in Kyoto.\r\nPrefers short mails.\r\n", true, nullptr,
       "Alice Example\r\nExample Corp. Sales"},
      {1, false, "Smith, Bob", "bob@example.org", "", false, nullptr, nullptr},
      {2, true, nullptr, "tanaka@example.jp", nullptr, false, "(taro.tanaka@example.co.jp)",
       nullptr},
      {3, true, "=?Shift_JIS?B?l+mW2CCI6phZ?=", "suzuki@example.jp", "", false,
       "(ichiro.suzuki@example.com)", ""},
      {4, true, "Carol Jones", "carol@example.net", "Carol - sends the invoices\r\n", false,
       nullptr, nullptr},
  };
  Installation inst("memo");
  inst.AddSampleMemoData();
  inst.AddSampleNameList();
  std::string script = DumpWindow(kMemoWindow) + "open 0\nforeground\n";
  for (const Case& c : cases) script += "open " + std::to_string(c.mail) + "\n" + DumpWindow(kMemoWindow);
  RunResult r = inst.Run(script + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), std::size(cases) + 1) << r.Text();
  EXPECT_EQ(FieldOf(dumps[0].window, "visible"), "0") << "created hidden";
  EXPECT_EQ(FieldOf(dumps[0].window, "caption"), Quoted("Quillet for Becky!2"));
  EXPECT_EQ(FieldOf(r.First("foreground"), "class"), Quoted("B2MainWnd"))
      << "the host gets the foreground back";
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const WindowDump& d = dumps[i + 1];
    SCOPED_TRACE("mail " + std::to_string(c.mail));
    EXPECT_EQ(FieldOf(d.window, "visible"), c.visible ? "1" : "0");
    if (c.sender) EXPECT_EQ(Child(d, IDC_SENDER_LABEL, "text"), Quoted(c.sender));
    EXPECT_EQ(Child(d, IDC_ADDRESS_LABEL, "text"), Quoted(c.address));
    if (c.memo) EXPECT_EQ(Child(d, IDC_MEMO_EDIT, "text"), Quoted(c.memo));
    EXPECT_EQ(Child(d, IDC_IMPORTANT_CHECK, "checked"), c.important ? "1" : "0");
    if (!c.visible) continue;  // children of a hidden window all read as hidden
    EXPECT_EQ(Child(d, IDC_OTHER_ADDRESS_LABEL, "visible"), c.others ? "1" : "0");
    if (c.others) EXPECT_EQ(Child(d, IDC_OTHER_ADDRESS_LABEL, "text"), Quoted(c.others));
    EXPECT_EQ(Child(d, IDC_NAME_LIST_EDIT, "visible"), c.name_list ? "1" : "0");
    if (c.name_list && *c.name_list) EXPECT_EQ(Child(d, IDC_NAME_LIST_EDIT, "text"), Quoted(c.name_list));
  }
}

TEST(MemoWindow, TypingIntoANewSendersMemoRewritesTheDataFileAtOnce) {
  Installation inst("typing");
  inst.AddSampleMemoData();
  RunResult r = inst.Run(
      "open 1\nhostmenu &Tool/Quillet for Becky!2/Open the Quillet\n" + WaitWindow(kMemoWindow) +
      TypeInto(kMemoWindow, IDC_MEMO_EDIT, "Call back\\nbefore Friday") +
      "copyfile PlugIns\\Pinote.dat typed.dat\n" + DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_TRUE(r.Has("waitwindow " + Quoted(kMemoWindow) + " ok")) << r.Text();
  bool exists = false;
  std::string typed = inst.Read(L"typed.dat", &exists);
  ASSERT_TRUE(exists) << r.Text();
  EXPECT_EQ(typed, SampleDat() + "bob@example.org\r\n Call back\r\n before Friday\r\n\r\n");
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), typed) << "nothing more is written at exit";
}

TEST(MemoWindow, AppendingTheSelectedTextOfAMailStoresIt) {
  Installation inst("append");
  inst.AddSampleMemoData();
  RunResult r = inst.Run(
      "open 0\nselect-view 6 13\ncontextmenu view Quillet: Append the selected string\n"
      "wait 500\n" + DumpWindow(kMemoWindow) + "copyfile PlugIns\\Pinote.dat appended.dat\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_TRUE(r.Has("selected \"Alice Example\"")) << r.Text();
  EXPECT_TRUE(r.Has("bka Command \"EditCopy\"")) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(FieldOf(dumps[0].window, "visible"), "1");
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"),
            Quoted("Met at the conference in Kyoto.\r\nPrefers short mails.\r\nAlice Example"));
  std::string want = SampleDat();
  std::string line = " Prefers short mails.\r\n";
  want.insert(want.find(line) + line.size(), " Alice Example\r\n");
  EXPECT_EQ(inst.Read(L"appended.dat"), want);
}

TEST(MemoWindow, AppearAlwaysWinsOverDisappearAlways) {
  Installation inst("rules");
  inst.AddSampleMemoData();
  inst.WriteSettings("Show\\Load=Integer:0\r\nHide\\Load=Integer:3\r\n");
  RunResult r = inst.Run("open 1\n" + DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(FieldOf(dumps[0].window, "visible"), "1");
}

// "Appear on Start" in the options brings the memo window up with the host; off, it stays hidden.
TEST(MemoWindow, AppearOnStartShowsTheWindowWhenTheHostStarts) {
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on ? "on" : "off");
    Installation inst(on ? "start-on" : "start-off");
    inst.WriteSettings(std::string("Show\\Start=Boolean:") + (on ? "True" : "False") + "\r\n");
    RunResult r = inst.Run("wait 500\n" + DumpWindow(kMemoWindow) + "exit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    auto dumps = WindowDumps(r);
    ASSERT_EQ(dumps.size(), 1u) << r.Text();
    EXPECT_EQ(FieldOf(dumps[0].window, "visible"), on ? "1" : "0");
  }
}

}  // namespace
}  // namespace e2e
