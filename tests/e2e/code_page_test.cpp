// The plug-in on a system whose code page is not Japanese. Japanese texts ("/JAPANESE"): its own
// Japanese menu entries are found again when the host builds its menu once more, and the host is
// given a description it can show. A Western system: accented names in the installation's
// folder, in a sync tool's copy and in memo links are walked as that code page's characters.
#include <gtest/gtest.h>

#include <windows.h>

#include "e2e_util.h"

namespace e2e {
namespace {

std::string Converted(UINT codePage, const std::wstring& wide) {
  const int n = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  WideCharToMultiByte(codePage, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

TEST(JapaneseOnAWesternSystem, MenusBuiltAgainReuseTheSubmenusAndTheDescriptionIsEnglish) {
  if (GetACP() == 932) GTEST_SKIP() << "needs a code page without Japanese";
  Installation inst("ja-western");
  RunResult r = inst.Run("menuinit\ndumpmenu\ninfo\nexit\n", L"/JAPANESE");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_NE(FieldOf(r.First("start cmdline="), "acp"), "932");
  auto menu = MenuDump(r, "menubar");
  const std::string help = TopPath(menu, "ヘルプ(&H)");
  ASSERT_FALSE(help.empty()) << r.Text();
  auto items = Children(menu, help);
  std::vector<std::string> texts;
  for (const MenuItem& m : items) texts.push_back(m.kind + " " + m.text);
  // Each build adds the plug-in's item again, into the one submenu of each kind.
  EXPECT_EQ(texts, (std::vector<std::string>{"item " + Quoted("目次(&C)"), "separator \"\"",
                                             "item " + Quoted("Becky!について(&A)"),
                                             "popup " + Quoted("プラグインヘルプ"),
                                             "popup " + Quoted("プラグインについて")}))
      << r.Text();
  for (size_t i = 3; i < items.size(); ++i) {
    auto sub = Children(menu, items[i].path);
    ASSERT_EQ(sub.size(), 2u) << items[i].text;
    for (const MenuItem& m : sub) EXPECT_EQ(m.text, Quoted("Quillet for Becky!2"));
  }
  const std::string info = r.First("info plugin=\"Pinote.dll\"");
  EXPECT_EQ(FieldOf(info, "description"), Quoted("Memo Plugin")) << info;
}

// An installation under `folder` (ending in a character that Shift-JIS would take for the first
// byte of two, right before a "\"), a Dropbox copy named after José, memo links through that
// folder naming a program and a document. On code page 1252 "é" (E9) is a character of its own;
// on UTF-8 "é" is one character of two bytes (C3 A9) and "ぁ" one of three (E3 81 81): never is
// the byte after them hidden ("\", "'", the "." before a program's extension). Files are written
// where they belong, the copy is merged and moved, the program asks and the document opens at
// once.
void AccentedFolderSyncCopyAndMemoLinks(const std::string& name, const std::wstring& folder) {
  const auto ansi = [](const std::wstring& w) { return Converted(CP_ACP, w); };
  const auto utf8 = [](const std::wstring& w) { return Converted(CP_UTF8, w); };
  Installation inst(name, folder);
  inst.AddSampleNameList();  // its path in Pinote.ini runs through "Café\" too
  const std::wstring copy = L"Pinote (Jos\u00E9's conflicted copy 2026-12-01).dat";
  const std::string copyBytes = "bob@example.org\r\n " + ansi(L"Jos\u00E9's note") + "\r\n\r\n";
  const std::wstring program = inst.dir() + L"CV.r\u00E9sum\u00E9.exe";
  const std::wstring document = inst.dir() + L"r\u00E9sum\u00E9.pdf";
  inst.Write(L"PlugIns\\" + copy, copyBytes);
  inst.Write(L"PlugIns\\Pinote.dat", "alice@example.com\r\n CV ! " + ansi(program) +
                                         "\r\n Lettre ! " + ansi(document) + "\r\n\r\n");
  const std::string dblclick = "dblclick " + kMemoWindow + " " + std::to_string(IDC_MEMO_EDIT);
  RunResult r = inst.Run("msgbox ok 30000\nopen 0\n" + WaitWindow(kMemoWindow) + dblclick +
                             " 0\nmsgbox no\nsync\n" + dblclick +
                             " 1\nexpect-no-msgbox 1000\nsync\nopen 1\n" + DumpWindow(kMemoWindow) +
                             "exit\n",
                         L"/fakeshell");
  ASSERT_FALSE(r.timed_out) << r.Text();
  const auto boxes = r.Starting("msgbox caption=");
  ASSERT_EQ(boxes.size(), 2u) << r.Text();
  const std::vector<std::string> told = {
      "1 person merged from Pinote (Jos\u00E9's conflicted copy 2026-12-01).dat (a Dropbox "
      "conflict copy), moved to",
      utf8(folder) + "\\\\PlugIns\\\\Pinote.merged"};
  for (const std::string& t : told) {
    EXPECT_NE(boxes[0].find(t), std::string::npos) << t << "\n" << boxes[0];
  }
  EXPECT_NE(boxes[1].find(Quoted(utf8(program)).substr(1)), std::string::npos) << boxes[1];
  EXPECT_EQ(r.Starting("shell-execute"),
            (std::vector<std::string>{"shell-execute verb=\"open\" file=" + Quoted(utf8(document)) +
                                      " params=null dir=null show=5"}))
      << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted("Jos\u00E9's note\r\n"));
  bool left = true;
  inst.Read(L"PlugIns\\" + copy, &left);
  EXPECT_FALSE(left) << "not moved";
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.merged\\" + copy), copyBytes);
  EXPECT_NE(inst.Read(L"PlugIns\\Pinote.dat").find(copyBytes.substr(0, copyBytes.size() - 2)),
            std::string::npos);
  EXPECT_NE(inst.Read(L"PlugIns\\Pinote.ini").find("MainForm\\Left=Integer:"), std::string::npos);
  // Nothing was written beside the folder instead of into it.
  for (const std::wstring& f : FilesBelow(inst.above())) {
    EXPECT_EQ(f.rfind(folder + L"\\", 0), 0u) << utf8(f);
  }
}

TEST(WesternHost, AccentedFolderSyncCopyAndMemoLinks) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252 (LANG=C.UTF-8)";
  AccentedFolderSyncCopyAndMemoLinks("western", L"Caf\u00E9");
}

// Windows' system-wide UTF-8 option; Wine gives it to locales without an ANSI code page (a Hindi
// locale here).
TEST(Utf8Host, AccentedFolderSyncCopyAndMemoLinks) {
  if (GetACP() != CP_UTF8) GTEST_SKIP() << "needs code page 65001 (LC_ALL=hi_IN.UTF-8)";
  AccentedFolderSyncCopyAndMemoLinks("utf8", L"Caf\u00E9\u3041");
}

}  // namespace
}  // namespace e2e
