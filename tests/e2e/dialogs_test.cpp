// The options and unify dialogs driven through their controls, and the memo window's Tool menu
// commands, as a user reaches them inside the host.
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

// The edit box inside the unify dialog's keyword combo (CBS_DROPDOWN gives it id 1001): typing
// there is what filters the list.
constexpr int kKeywordEdit = 1001;

// Opens the unify dialog and narrows the list by `keyword` (its first line gets selected).
std::string UnifyKeyword(const std::string& keyword) {
  return MemoCommand(IDM_UNIFY) + WaitWindow(kUnifyDialog) +
         TypeInto(kUnifyDialog, kKeywordEdit, keyword);
}

// ... and presses OK.
std::string UnifyWith(const std::string& keyword) {
  return UnifyKeyword(keyword) + ClickOn(kUnifyDialog, IDC_UNIFY_OK) + WaitHidden(kUnifyDialog) +
         "wait 300\n";
}

TEST(OptionsDialog, OkWritesEveryKeyInOrderAtOnceAndCancelWritesNothing) {
  const char* keys[] = {"Memo\\AlwaysTop=Boolean:True\r\n", "Importance\\Visible=Boolean:True\r\n",
                        "Sender\\Visible=Boolean:True\r\n", "Address\\Visible=Boolean:True\r\n",
                        "OtherAddress\\Visible=Boolean:True\r\n",
                        // The font in use, the default one included.
                        "Memo\\Font\\English\\Name=String:Arial\r\n",
                        "Memo\\Color=Integer:-2147483643\r\n",
                        "Show\\Start=Boolean:False\r\n", "Show\\Load=Integer:0\r\n",
                        "Hide\\Load=Integer:0\r\n", "Meibo\\Path=String:\r\n"};
  struct Case {
    const char* name;
    int button;
    bool written;
  };
  for (const Case c : {Case{"OK", IDOK, true}, Case{"Cancel", IDCANCEL, false}}) {
    SCOPED_TRACE(c.name);
    Installation inst("setup");
    // Always Top on, Always Appear (which forces Not Disappear).
    RunResult r = inst.Run("setup\n" + WaitWindow(kOptionsDialog) +
                           ClickOn(kOptionsDialog, IDC_ALWAYS_TOP_CHECK) +
                           ClickOn(kOptionsDialog, IDC_APPEAR_ALWAYS_RADIO) + "wait 300\n" +
                           ClickOn(kOptionsDialog, c.button) + WaitHidden(kOptionsDialog) +
                           "copyfile PlugIns\\Pinote.ini after.ini\nexit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    EXPECT_TRUE(r.Has("waithidden " + Quoted(kOptionsDialog) + " ok")) << r.Text();
    bool exists = false;
    std::string ini = inst.Read(L"after.ini", &exists);
    EXPECT_EQ(exists, c.written) << ini;
    if (!c.written) continue;
    size_t at = 0;
    for (const char* k : keys) {
      size_t found = ini.find(k);
      ASSERT_NE(found, std::string::npos) << k << "\n" << ini;
      EXPECT_GE(found, at) << "out of order: " << k << "\n" << ini;
      at = found;
    }
  }
}

TEST(OptionsDialog, ANewNameListPathReloadsTheStore) {
  Installation inst("setup-meibo");
  inst.AddSampleMemoData();
  inst.Write(L"meibo.dat", ReadBytes(SourceDir() + L"data\\sample\\meibo.dat"));
  RunResult r = inst.Run(
      "open 4\nsetup\n" + WaitWindow(kOptionsDialog) + "settext " + kOptionsDialog + " " +
      std::to_string(IDC_NAME_LIST_PATH_EDIT) + " " +
      ScriptText(std::string(inst.dir().begin(), inst.dir().end())) + "meibo.dat\n" +
      ClickOn(kOptionsDialog, IDOK) + WaitHidden(kOptionsDialog) + "open 0\n" +
      DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_NAME_LIST_EDIT, "visible"), "1") << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_NAME_LIST_EDIT, "text"), Quoted("Alice Example\r\nExample Corp. Sales"));
}

TEST(MemoCommands, UnifyJoinsTheShownRecordIntoTheChosenOne) {
  Installation inst("unify");
  inst.AddSampleMemoData();
  // Carol's record goes into Alice's: memos joined as they are, Alice's mark kept.
  RunResult r = inst.Run("open 4\n" + UnifyWith("alice") + DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.Count("msgbox"), 0) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_ADDRESS_LABEL, "text"), Quoted("carol@example.net"));
  EXPECT_EQ(Child(dumps[0], IDC_OTHER_ADDRESS_LABEL, "text"), Quoted("(alice@example.com)"));
  EXPECT_EQ(Child(dumps[0], IDC_IMPORTANT_CHECK, "checked"), "1");
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"),
            Quoted("Met at the conference in Kyoto.\r\nPrefers short mails.\r\n"
                   "Carol - sends the invoices\r\n"));
  std::string want = SampleDat();
  want.replace(want.find("alice@example.com\r\n"), 19,
               "alice@example.com\r\ncarol@example.net\r\n");
  want.replace(want.find(" Prefers short mails.\r\n"), 23,
               " Prefers short mails.\r\n Carol - sends the invoices\r\n");
  want.erase(want.find("carol@example.net\r\n Carol"), 50);
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), want);
}

TEST(MemoCommands, UnifyRefusesTheSameAddressAndAnAlreadyUnifiedOne) {
  struct Case {
    int mail;
    const char* keyword;
    const char* caption;
    const char* text;
  };
  const Case cases[] = {
      {0, "alice@", "Same Address", "Can't unify with the same address."},
      // The list shows every address of a record that holds the keyword, in record order:
      // Taro's address comes first here and belongs to the shown address's own record.
      {2, "taro", "Unified", "These addresses have already been unified."},
  };
  const std::string dat =
      "alice@example.com\r\n m\r\n\r\ntaro.tanaka@example.co.jp\r\ntanaka@example.jp\r\n t\r\n\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    Installation inst("unify-refused");
    inst.Write(L"PlugIns\\Pinote.dat", dat);
    RunResult r = inst.Run("open " + std::to_string(c.mail) + "\n" + UnifyKeyword(c.keyword) +
                           ClickOn(kUnifyDialog, IDC_UNIFY_OK) + "msgbox ok\nexit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    auto boxes = r.Starting("msgbox caption=");
    ASSERT_EQ(boxes.size(), 1u) << r.Text();
    EXPECT_EQ(FieldOf(boxes[0], "caption"), Quoted(c.caption));
    EXPECT_NE(boxes[0].find("text=" + Quoted(c.text)), std::string::npos) << boxes[0];
    EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), dat) << "nothing changes";
  }
}

TEST(MemoCommands, SeparateCopiesMemoAndMarkAndHideHides) {
  Installation inst("separate");
  inst.AddSampleMemoData();
  inst.Write(L"PlugIns\\Pinote.dat", "a@example.com\r\nalice@example.com\r\n@Important\r\n"
                                     " shared\r\n\r\n");
  RunResult r = inst.Run("open 0\n" + WaitWindow(kMemoWindow) + MemoCommand(IDM_SEPARATE) +
                         "wait 500\n" + DumpWindow(kMemoWindow) + MemoCommand(IDM_HIDE) +
                         WaitHidden(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_OTHER_ADDRESS_LABEL, "visible"), "0") << "no other address any more";
  EXPECT_EQ(Child(dumps[0], IDC_IMPORTANT_CHECK, "checked"), "1");
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted("shared\r\n"));
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"),
            "a@example.com\r\n@Important\r\n shared\r\n\r\n"
            "alice@example.com\r\n@Important\r\n shared\r\n\r\n");
  EXPECT_TRUE(r.Has("waithidden " + Quoted(kMemoWindow) + " ok")) << r.Text();
}

// Emptied by mistake, then typed into anew: the day's backup still holds the old memo. History
// shows it (looking writes nothing; Copy puts it on the clipboard), and Restore makes it the
// memo again through the normal save, after asking, as the text it replaces is kept in no file.
TEST(MemoCommands, HistoryBringsBackAMemoTypedOverFromTheDaysBackup) {
  Installation inst("history");
  const std::string dat = "carol@example.net\r\n Carol - sends the invoices\r\n\r\n";
  inst.Write(L"PlugIns\\Pinote.dat", dat);
  const std::string history = "#32770@" + std::to_string(IDC_HISTORY_LIST);
  std::string erase;
  for (int i = 0; i < 30; ++i) erase += "\\u0008";
  RunResult r = inst.Run(
      "open 4\n" + WaitWindow(kMemoWindow) + TypeMemo(erase) + TypeMemo("Dave now") +
      "copyfile PlugIns\\Pinote.dat typed.dat\n" + MemoCommand(IDM_HISTORY) + WaitWindow(history) +
      DumpWindow(history) + "sendmsg " + history + " " + std::to_string(IDC_HISTORY_LIST) +
      " 0x1004 0 0\n" + ClickOn(history, IDC_HISTORY_COPY) + "clipboard\n" +
      "copyfile PlugIns\\Pinote.dat looked.dat\n" +
      ClickOn(history, IDC_HISTORY_RESTORE) + "msgbox yes\n" + WaitHidden(history) + "wait 300\n" +
      DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  const auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 2u) << r.Text();
  EXPECT_EQ(FieldOf(dumps[0].window, "caption"), Quoted("Memo History - carol@example.net"));
  EXPECT_EQ(Child(dumps[0], IDC_HISTORY_TEXT, "text"), Quoted("Carol - sends the invoices\r\n"));
  EXPECT_EQ(Child(dumps[0], IDC_HISTORY_STATUS, "text"), Quoted(""));
  EXPECT_EQ(Child(dumps[0], IDC_HISTORY_RESTORE, "enabled"), "1");
  EXPECT_TRUE(r.Has("sendmsg id=" + std::to_string(IDC_HISTORY_LIST) + " msg=0x1004 -> 1")) << r.Text();
  EXPECT_TRUE(r.Has("clipboard " + Quoted("Carol - sends the invoices\r\n"))) << r.Text();
  EXPECT_EQ(inst.Read(L"typed.dat"), "carol@example.net\r\n Dave now\r\n\r\n");
  EXPECT_EQ(inst.Read(L"looked.dat"), inst.Read(L"typed.dat")) << "looking writes nothing";
  const auto boxes = r.Starting("msgbox caption=");
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_EQ(FieldOf(boxes[0], "caption"), Quoted("Restore"));
  EXPECT_EQ(Child(dumps[1], IDC_MEMO_EDIT, "text"), Quoted("Carol - sends the invoices\r\n"));
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), dat);
}

}  // namespace
}  // namespace e2e
