// What reaches a memo from outside and what a memo line can start: links opened at a
// double-click (programs only after a question), text appended from the host's copy (never an
// older clipboard), characters the code page cannot hold, name-list text kept for the session,
// and addresses the memo file cannot hold refused by Unify. English here; the Japanese texts
// under JapaneseHost (code page 932).
#include <gtest/gtest.h>

#include <windows.h>

#include "e2e_util.h"

namespace e2e {
namespace {

#define SKIP_UNLESS_932() \
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932 (LC_ALL=ja_JP.UTF-8)"

std::string Narrow(const std::wstring& wide) {
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

std::string DoubleClickMemoLine(int line) {
  return "dblclick " + kMemoWindow + " " + std::to_string(IDC_MEMO_EDIT) + " " +
         std::to_string(line) + "\n";
}

constexpr char kLinkQuestion[] =
    "The memo line asks to open the following, which may start a program.\r\nOpen it?\r\n\r\n";

// Programs in disguise too: a path Windows cleans up to a program's, an environment variable, a
// file: URL's fragment, a shortcut whose Unicode section names a program, a folder beside a
// program of its name. After No nothing starts (the fake shell logs every start).
TEST(MemoLinks, ProgramsAndNetworkPathsAskFirstDocumentsFoldersAndWebShortcutsOpenAtOnce) {
  Installation inst("links");
  inst.Write(L"web.url", "[InternetShortcut]\r\nURL=https://example.org/\r\n");
  inst.Write(L"prog.url", "[InternetShortcut]\r\nURL=file:///C:/windows/system32/notepad.exe\r\n");
  inst.Write(L"twofaced.url",
             "[InternetShortcut]\r\nURL=https://example.org/\r\n"
             "[InternetShortcut.W]\r\nURL=file:///C:/windows/system32/notepad.exe\r\n");
  CreateDirectoryW((inst.dir() + L"Tools").c_str(), nullptr);
  inst.Write(L"Tools.exe", "MZ");
  const std::string dir = Narrow(inst.dir());
  wchar_t comspec[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH);
  struct Case {
    std::string line;    // the memo line
    const char* answer;  // nullptr: no question; else the msgbox answer
    std::string asked;   // what the question names
    bool opened;
  };
  const Case cases[] = {
      {"Report ! C:\\docs\\report.txt", nullptr, "", true},
      {"web ! " + dir + "web.url", nullptr, "", true},
      {"mails ! " + dir + "Mail", nullptr, "", true},
      {"see https://example.org/a?b=c ! https://example.org/a?b=c", nullptr, "", true},
      {"Great! notepad.exe", "default", "notepad.exe", false},
      {"see ! \\\\host\\share\\x.exe", "yes", "\\\\host\\share\\x.exe", true},
      {"run ! \"C:\\Tools\\x.exe\" -y", "no", "C:\\Tools\\x.exe -y", false},
      {"link ! " + dir + "prog.url", "no", dir + "prog.url", false},
      {"calc ! C:\\Windows\\System32\\calc", "no", "C:\\Windows\\System32\\calc", false},
      {"script ! C:\\docs\\x.JS. ", "no", "C:\\docs\\x.JS", false},
      {"dot ! C:\\windows\\notepad.exe\\.", "no", "C:\\windows\\notepad.exe", false},
      {"shell ! %ComSpec%\\.", "no", Narrow(comspec), false},
      {"fragment ! file:///C:/windows/notepad.exe#.txt", "no", "C:\\windows\\notepad.exe", false},
      {"two faces ! " + dir + "twofaced.url", "no", dir + "twofaced.url", false},
      {"beside ! " + dir + "Tools", "no", dir + "Tools", false},
  };
  std::string dat = "alice@example.com\r\n";
  std::string script = "open 0\n" + WaitWindow(kMemoWindow);
  for (size_t i = 0; i < std::size(cases); ++i) {
    dat += " " + cases[i].line + "\r\n";
    script += DoubleClickMemoLine(static_cast<int>(i)) +
              (cases[i].answer ? std::string("msgbox ") + cases[i].answer + "\n"
                               : std::string("expect-no-msgbox 1000\n")) +
              "sync\n";
  }
  inst.Write(L"PlugIns\\Pinote.dat", dat + "\r\n");
  RunResult r = inst.Run(script + "exit\n", L"/fakeshell");
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(r.Has("fakeshell patched=")) << r.Text();
  std::vector<std::string> boxes = r.Starting("msgbox caption="), opened = r.Starting("shell-execute");
  size_t box = 0, open = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    if (c.answer) {
      ASSERT_LT(box, boxes.size()) << r.Text();
      const std::string& b = boxes[box++];
      EXPECT_EQ(FieldOf(b, "caption"), Quoted("Start a Program?"));
      EXPECT_NE(b.find("text=" + Quoted(kLinkQuestion + c.asked)), std::string::npos) << b;
      // No is the default: Enter or a hasty click on the default button starts nothing.
      if (std::string(c.answer) == "default") EXPECT_NE(b.find("button=default id=7"), std::string::npos) << b;
    }
    if (c.opened) {
      ASSERT_LT(open, opened.size()) << r.Text();
      const std::string target = c.asked.empty() ? c.line.substr(c.line.rfind("! ") + 2) : c.asked;
      EXPECT_EQ(opened[open++], "shell-execute verb=\"open\" file=" + Quoted(target) +
                                    " params=null dir=null show=5");
    }
  }
  EXPECT_EQ(box, boxes.size()) << r.Text();
  EXPECT_EQ(open, opened.size()) << r.Text();
  EXPECT_EQ(r.Count("msgbox-"), 0) << r.Text();
}

TEST(JapaneseHost, MemoLinkQuestionIsJapanese) {
  SKIP_UNLESS_932();
  Installation inst("ja-links");
  inst.Write(L"PlugIns\\Pinote.dat", "alice@example.com\r\n \x83\x81\x83\x82! calc.exe\r\n\r\n");
  RunResult r = inst.Run("open 0\n" + WaitWindow(kMemoWindow) + DoubleClickMemoLine(0) +
                             "msgbox no\nsync\nexit\n",
                         L"/JAPANESE /fakeshell");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto boxes = r.Starting("msgbox caption=");
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_EQ(FieldOf(boxes[0], "caption"), Quoted("プログラムの起動"));
  EXPECT_NE(boxes[0].find("text=" + Quoted("メモの行が次のものを開こうとしています。プログラムが"
                                           "起動するおそれがあります。\r\n開きますか？\r\n\r\n"
                                           "calc.exe")),
            std::string::npos)
      << boxes[0];
  EXPECT_EQ(r.Count("shell-execute"), 0) << r.Text();
}

// The host's copy with nothing selected leaves the clipboard as it was: what another program
// (here the host itself, earlier) put there is not appended.
void AppendOnlyWhatTheHostCopied(const std::wstring& args, const std::string& copyMenu,
                                 const std::string& appendItem) {
  Installation inst("append-stale");
  // "Smith" copied by the host, then the append with nothing selected, then with "Bob". The
  // append lets pending messages through while the host copies, which would also run the
  // script's next steps: nothing is posted until it is done (it shows no box either way).
  RunResult r = inst.Run("open 1\nselect-view 7 5\nhostmenu " + copyMenu +
                             "\nselect-view 0 0\ncontextmenu view " + appendItem +
                             "\nexpect-no-msgbox 500\nselect-view 14 3\ncontextmenu view " +
                             appendItem + "\n" +
                             WaitWindow(kMemoWindow) + "sync\n" + DumpWindow(kMemoWindow) +
                             "exit\n",
                         args);
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.Starting("selected "),
            (std::vector<std::string>{"selected \"Smith\"", "selected \"\"", "selected \"Bob\""}))
      << r.Text();
  EXPECT_EQ(r.Count("bka Command \"EditCopy\""), 2) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted("Bob")) << "only the second selection";
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), "bob@example.org\r\n Bob\r\n\r\n");
}

TEST(MemoWindow, AppendWithNothingSelectedLeavesAnOlderClipboardOut) {
  AppendOnlyWhatTheHostCopied(L"/ENGLISH", "&Edit/&Copy", "Quillet: Append the selected string");
}

TEST(JapaneseHost, AppendWithNothingSelectedLeavesAnOlderClipboardOut) {
  SKIP_UNLESS_932();
  AppendOnlyWhatTheHostCopied(L"/JAPANESE", "編集(&E)/コピー(&C)", "Quilletに選択文字列を追加");
}

// Typed characters the code page cannot hold: told once per memo, and the box shows what is
// saved ("?" in their place), the caret staying where the typing goes on.
void UnkeptCharactersAreToldOnce(const std::wstring& args, const std::string& openItem,
                                 const std::string& told, const std::string& typed,
                                 const std::string& shown, const std::string& saved) {
  Installation inst("unkept");
  inst.AddSampleMemoData();
  RunResult r = inst.Run(
      "open 1\nhostmenu " + openItem + "\n" + WaitWindow(kMemoWindow) +
          TypeInto(kMemoWindow, IDC_MEMO_EDIT, typed) + "msgbox ok\n" +
          TypeInto(kMemoWindow, IDC_MEMO_EDIT, "\\ud55c!") + "expect-no-msgbox 1000\n" +
          DumpWindow(kMemoWindow) +
          // Another memo is told again.
          "open 4\n" + TypeInto(kMemoWindow, IDC_MEMO_EDIT, "\\ud55c") + "msgbox ok\nexit\n",
      args);
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto boxes = r.Starting("msgbox caption=");
  ASSERT_EQ(boxes.size(), 2u) << r.Text();
  for (const std::string& box : boxes) {
    EXPECT_EQ(FieldOf(box, "caption"), Quoted("Quillet for Becky!2"));
    EXPECT_NE(box.find("text=" + Quoted(told + "\r\n\r\n한")), std::string::npos) << box;
  }
  EXPECT_TRUE(r.Has("no-msgbox 1000")) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted(shown + "?!")) << "what is saved";
  const std::string dat = inst.Read(L"PlugIns\\Pinote.dat");
  EXPECT_NE(dat.find("bob@example.org\r\n " + saved + "?!\r\n\r\n"), std::string::npos) << dat;
  EXPECT_NE(dat.find("carol@example.net\r\n Carol - sends the invoices\r\n ?\r\n\r\n"),
            std::string::npos)
      << dat;
}

TEST(MemoWindow, CharactersTheCodePageCannotHoldAreToldOnceAndShownAsSaved) {
  UnkeptCharactersAreToldOnce(
      L"/ENGLISH", "&Tool/Quillet for Becky!2/Open the Quillet",
      "These characters cannot be kept in the memo file and are saved as \"?\".",
      "ab\\ud55ccd", "ab?cd", "ab?cd");
}

TEST(JapaneseHost, CharactersTheCodePageCannotHoldAreToldOnceAndShownAsSaved) {
  SKIP_UNLESS_932();
  UnkeptCharactersAreToldOnce(L"/JAPANESE", "ツール(&T)/Quillet for Becky!2/Quilletを開く",
                              "次の文字はメモに保存できないため、「?」として保存されます。",
                              "\\u30e1\\ud55c", "メ?", "\x83\x81?");
}

// A record that only the name list made (one address, no memo) stays in memory when another
// person's memo is saved: its pane and the appear rule hold for the whole session.
TEST(NameList, TextStaysForTheSessionAfterAnotherMemoIsSaved) {
  Installation inst("meibo-session");
  inst.AddSampleMemoData();
  inst.Write(L"meibo.dat",
             "MEIBO 1\r\nBob from accounts\r\nSmith\r\nBob\r\n0\r\n1\r\nbob@example.org\r\n0\r\n-\r\n");
  inst.WriteSettings("Meibo\\Path=String:" + Narrow(inst.dir()) + "meibo.dat\r\n");
  RunResult r = inst.Run("open 1\n" + DumpWindow(kMemoWindow) + "open 0\n" +
                         TypeInto(kMemoWindow, IDC_MEMO_EDIT, "x") + MemoCommand(IDM_HIDE) +
                         WaitHidden(kMemoWindow) + "open 1\n" + DumpWindow(kMemoWindow) +
                         "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 2u) << r.Text();
  for (const WindowDump& d : dumps) {
    EXPECT_EQ(FieldOf(d.window, "visible"), "1") << "the name-list text makes it appear";
    EXPECT_EQ(Child(d, IDC_ADDRESS_LABEL, "text"), Quoted("bob@example.org"));
    EXPECT_EQ(Child(d, IDC_NAME_LIST_EDIT, "visible"), "1");
    EXPECT_EQ(Child(d, IDC_NAME_LIST_EDIT, "text"), Quoted("Bob from accounts"));
  }
  std::string want = SampleDat();
  want.insert(want.find(" Prefers short mails.\r\n") + 23, " x\r\n");
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), want) << "name-list records are still not written";
}

// A mail whose "From" gives no address: its memo cannot be kept, and Unify refuses it with a
// message instead of storing a record the file cannot hold.
void UnifyRefusesAnEmptyAddress(const std::wstring& args, const std::string& caption,
                                const std::string& text) {
  Installation inst("unify-empty");
  inst.AddSampleMemoData();
  CreateDirectoryW((inst.dir() + L"empty").c_str(), nullptr);
  inst.Write(L"empty\\1.eml", "From: \r\nTo: you@example.net\r\nSubject: x\r\n\r\nbody\r\n");
  RunResult r = inst.Run("open 0\n" + MemoCommand(IDM_UNIFY) + WaitWindow(kUnifyDialog) +
                             ClickOn(kUnifyDialog, IDC_UNIFY_OK) + "msgbox ok\n" +
                             WaitHidden(kUnifyDialog) + "exit\n",
                         args + L" /mail:\"" + inst.dir() + L"empty\"");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto boxes = r.Starting("msgbox caption=");
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_EQ(FieldOf(boxes[0], "caption"), Quoted(caption));
  EXPECT_NE(boxes[0].find("text=" + Quoted(text)), std::string::npos) << boxes[0];
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), SampleDat()) << "nothing changes";
}

TEST(MemoCommands, UnifyRefusesAnAddressTheMemoFileCannotHold) {
  UnifyRefusesAnEmptyAddress(
      L"/ENGLISH", "Cannot Unify",
      "This address cannot be kept in the memo file, so it cannot be unified.");
}

TEST(JapaneseHost, UnifyRefusesAnAddressTheMemoFileCannotHold) {
  SKIP_UNLESS_932();
  UnifyRefusesAnEmptyAddress(L"/JAPANESE", "統合できません",
                             "このアドレスのメモは保存できないため、統合できません。");
}

}  // namespace
}  // namespace e2e
