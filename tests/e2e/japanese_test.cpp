// The plug-in on a Japanese system: code page 932 and "/JAPANESE" (Wine names the language
// "Japanese" in Latin letters, so the language name alone selects English). Wine takes the code
// page from the Unix locale of the whole Wine process tree, not from the environment block that
// CreateProcess passes, so these tests run only when the test binary itself runs under
// LC_ALL=ja_JP.UTF-8 (the e2e_tests_ja test entry); elsewhere they skip at once. Texts reach the
// log as UTF-8.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_util.h"

namespace e2e {
namespace {

#define SKIP_UNLESS_932() \
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932 (LC_ALL=ja_JP.UTF-8)"

// The host inherits the code page of the test process.
#define EXPECT_HOST_932(r) \
  EXPECT_EQ(FieldOf((r).First("start cmdline="), "acp"), "932") << (r).First("start cmdline=")

TEST(JapaneseHost, VersionMismatchMessageIsJapanese) {
  SKIP_UNLESS_932();
  Installation inst("ja-lacking");
  inst.UseLackingHost();
  RunResult r = inst.Run("msgbox ok 30000\nexit\n", L"/JAPANESE");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_HOST_932(r);
  auto boxes = r.Starting("msgbox caption=");
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_EQ(FieldOf(boxes[0], "caption"), Quoted("Pinote"));
  EXPECT_NE(boxes[0].find(" text=" + Quoted("Quillet for Becky!2 のバージョンと\r\n"
                                            "Becky! のバージョンが合っていないようです。\r\n\r\n"
                                            "Quillet for Becky!2 のバージョンは\r\n"
                                            "Ver.0.03 Rev.2 です。")),
            std::string::npos)
      << boxes[0];
}

TEST(JapaneseHost, MenusAndInformationRecordAreJapanese) {
  SKIP_UNLESS_932();
  Installation inst("ja-menus");
  RunResult r = inst.Run("dumpmenu\ninfo\ncontextmenu view\nexit\n", L"/JAPANESE");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_HOST_932(r);
  auto menu = MenuDump(r, "menubar");
  std::string help = TopPath(menu, "ヘルプ(&H)"), tool = TopPath(menu, "ツール(&T)");
  ASSERT_FALSE(help.empty()) << r.Text();
  ASSERT_FALSE(tool.empty()) << r.Text();
  auto texts = [](const std::vector<MenuItem>& items) {
    std::vector<std::string> out;
    for (const auto& m : items) out.push_back(m.kind + " " + m.text);
    return out;
  };
  auto help_items = Children(menu, help);
  ASSERT_EQ(help_items.size(), 5u) << r.Text();
  EXPECT_EQ(help_items[2].text, Quoted("Becky!について(&A)"));
  EXPECT_EQ(help_items[3].text, Quoted("プラグインヘルプ"));
  EXPECT_EQ(help_items[4].text, Quoted("プラグインについて"));
  for (size_t i : {3u, 4u}) {
    auto sub = Children(menu, help_items[i].path);
    ASSERT_EQ(sub.size(), 1u);
    EXPECT_EQ(sub[0].text, Quoted("Quillet for Becky!2"));
  }
  auto tool_items = Children(menu, tool);
  ASSERT_EQ(tool_items.size(), 3u) << ::testing::PrintToString(texts(tool_items));
  EXPECT_EQ(tool_items[2].text, Quoted("Quillet for Becky!2"));
  auto open = Children(menu, tool_items[2].path);
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].text, Quoted("Quilletを開く"));
  std::string info = r.First("info plugin=\"Pinote.dll\"");
  EXPECT_EQ(FieldOf(info, "description"), Quoted("メモ書きプラグイン")) << info;
  auto ctx = MenuDump(r, "contextmenu");
  ASSERT_FALSE(ctx.empty()) << r.Text();
  EXPECT_EQ(ctx.back().text, Quoted("Quilletに選択文字列を追加"));
}

TEST(JapaneseHost, ShiftJisSenderNamesAndMemosRoundTrip) {
  SKIP_UNLESS_932();
  struct Case {
    std::string from;     // Shift-JIS bytes of the header
    std::string sender;   // UTF-8 as shown
    std::string address;
  };
  // 表 and ソ end in 0x5C, the byte of "\\": a byte-wise parser cuts them apart.
  const Case cases[] = {
      {"\"\x8d\xb2\x93\xa1 \x89\xd4\x8e\x71\" <sato@example.jp>", "佐藤 花子", "sato@example.jp"},
      {"\x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67 <soft@example.jp>", "表示ソフト",
       "soft@example.jp"},
  };
  Installation inst("ja-sjis");
  CreateDirectoryW((inst.dir() + L"ja").c_str(), nullptr);
  std::string script;
  for (size_t i = 0; i < std::size(cases); ++i) {
    inst.Write(L"ja\\" + std::to_wstring(10 + i) + L".eml",
               "From: " + cases[i].from + "\r\nTo: you@example.net\r\nSubject: x\r\n\r\nbody\r\n");
    script += "open " + std::to_string(i) +
              "\nhostmenu ツール(&T)/Quillet for Becky!2/Quilletを開く\n" +
              WaitWindow(kMemoWindow) + TypeInto(kMemoWindow, IDC_MEMO_EDIT, "\\u30e1\\u30e2\\u8868") +
              DumpWindow(kMemoWindow);
  }
  RunResult r = inst.Run(script + "exit\n", L"/JAPANESE /mail:\"" + inst.dir() + L"ja\"");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_HOST_932(r);
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), std::size(cases)) << r.Text();
  std::string want_dat;
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].address);
    EXPECT_EQ(Child(dumps[i], IDC_SENDER_LABEL, "text"), Quoted(cases[i].sender));
    EXPECT_EQ(Child(dumps[i], IDC_ADDRESS_LABEL, "text"), Quoted(cases[i].address));
    EXPECT_EQ(Child(dumps[i], IDC_IMPORTANT_CHECK, "text"), Quoted("重要"));
    EXPECT_EQ(Child(dumps[i], IDC_MEMO_EDIT, "text"), Quoted("メモ表"));
    want_dat += cases[i].address + "\r\n \x83\x81\x83\x82\x95\x5c\r\n\r\n";
  }
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), want_dat) << "memos are stored in Shift-JIS";
}

// A whole installation under a folder whose every character ends in the byte of "\\" (表ソ能 is
// 95 5C 83 5C 94 5C): the plug-in finds its own files there, in both languages, and writes
// nowhere else.
TEST(JapaneseHost, InstalledUnderAJapaneseFolderKeepsItsFilesBesideThePlugin) {
  SKIP_UNLESS_932();
  for (const wchar_t* args : {L"/ENGLISH", L"/JAPANESE"}) {
    SCOPED_TRACE(args[1] == L'E' ? "English" : "Japanese");
    Installation inst("ja-folder", L"\u8868\u30BD\u80FD");
    inst.AddSampleMemoData();
    inst.AddSampleNameList();
    const std::vector<std::wstring> before = FilesBelow(inst.above());
    RunResult r = inst.Run("open 0\n" + WaitWindow(kMemoWindow) +
                               TypeInto(kMemoWindow, IDC_MEMO_EDIT, "!") + DumpWindow(kMemoWindow) +
                               "exit\n",
                           args);
    ASSERT_FALSE(r.timed_out) << r.Text();
    EXPECT_HOST_932(r);
    EXPECT_EQ(r.Count("msgbox"), 0) << r.Text();
    auto dumps = WindowDumps(r);
    ASSERT_EQ(dumps.size(), 1u) << r.Text();
    // The stored memo and the name list's text are shown, and the edit is saved beside them.
    EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"),
              Quoted("Met at the conference in Kyoto.\r\nPrefers short mails.\r\n!"));
    EXPECT_EQ(Child(dumps[0], IDC_NAME_LIST_EDIT, "text"),
              Quoted("Alice Example\r\nExample Corp. Sales"));
    std::string want = SampleDat();
    const std::string line = " Prefers short mails.\r\n";
    want.insert(want.find(line) + line.size(), " !\r\n");
    // The name list's address without a memo joins the store (read from the folder too).
    want += "suzuki@example.jp\r\nichiro.suzuki@example.com\r\n\r\n";
    EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), want);
    // Pinote.ini written there at exit, the day's backup of Pinote.dat beside it; no file
    // anywhere else (the run adds its script and log).
    EXPECT_NE(inst.Read(L"PlugIns\\Pinote.ini").find("MainForm\\Left=Integer:"), std::string::npos);
    const std::wstring folder = L"\u8868\u30BD\u80FD\\";
    std::vector<std::wstring> expected = before;
    for (const wchar_t* added : {L"log.txt", L"script.txt"}) expected.push_back(folder + added);
    std::sort(expected.begin(), expected.end());
    std::vector<std::wstring> written = FilesBelow(inst.above());
    const std::wstring backup = folder + L"PlugIns\\Pinote.dat.";
    const auto backups = std::remove_if(written.begin(), written.end(), [&](const std::wstring& f) {
      return f.rfind(backup, 0) == 0 && f.size() == backup.size() + 12 &&
             f.compare(f.size() - 4, 4, L".bak") == 0;
    });
    EXPECT_EQ(written.end() - backups, 1) << "one backup of the day beside the plug-in";
    written.erase(backups, written.end());
    EXPECT_EQ(written, expected);
  }
}

}  // namespace
}  // namespace e2e
