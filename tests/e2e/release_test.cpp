// What a user of the released archive meets: the Help commands open the help file that lies
// beside the plug-in (WinHelp first, else the HTML help of the language, else the other
// language's), the missing-help message only when there is none; and the built library shows
// one version everywhere.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/version.h"
#include "e2e_util.h"

namespace e2e {
namespace {

// While alive, the shell "opens" .html and .hlp files by appending their path to the file
// "<path>.opened" (cmd's echo), so a test sees which help file was opened, and how often,
// without a browser or WinHelp. The test's Wine prefix has no association for .html at all (its
// web browser component is switched off), and .hlp would start winhlp32.
class RecordingOpener {
 public:
  RecordingOpener() {
    HKEY command = nullptr;
    const std::wstring key = std::wstring(kProgId) + L"\\shell\\open\\command";
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &command, nullptr) == ERROR_SUCCESS) {
      SetDefault(command, L"C:\\windows\\system32\\cmd.exe /c echo %1>>\"%1.opened\"");
      RegCloseKey(command);
    }
    for (Extension& e : extensions_) {
      if (RegCreateKeyExW(HKEY_CLASSES_ROOT, e.name, 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &e.key,
                          nullptr) != ERROR_SUCCESS) {
        e.key = nullptr;
        continue;
      }
      wchar_t old[256] = {};
      DWORD size = sizeof old - sizeof(wchar_t);
      e.had_value = RegQueryValueExW(e.key, nullptr, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS &&
                    std::wstring(old) != kProgId;  // one a killed run left behind is not kept
      e.old_value = old;
      SetDefault(e.key, kProgId);
    }
  }
  ~RecordingOpener() {
    for (Extension& e : extensions_) {
      if (!e.key) continue;
      DWORD subkeys = 0, values = 0;
      if (e.had_value) SetDefault(e.key, e.old_value);
      else RegDeleteValueW(e.key, nullptr);
      RegQueryInfoKeyW(e.key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr);
      RegCloseKey(e.key);
      if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CLASSES_ROOT, e.name);  // ours alone
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  }
  RecordingOpener(const RecordingOpener&) = delete;
  RecordingOpener& operator=(const RecordingOpener&) = delete;

 private:
  static constexpr wchar_t kProgId[] = L"PinoteTest.RecordedOpen";
  struct Extension {
    const wchar_t* name;
    HKEY key = nullptr;
    bool had_value = false;
    std::wstring old_value;
  };
  static void SetDefault(HKEY key, const std::wstring& value) {
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  Extension extensions_[2] = {{L".html", nullptr, false, {}}, {L".hlp", nullptr, false, {}}};
};

const char* const kHelpFiles[] = {"Pinote.hlp", "PinoteE.hlp", "Pinote.html", "PinoteE.html"};

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string Utf8Of(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

// How many times `file` (in PlugIns) was opened: the lines the opener appended. The opener runs
// in a process of its own, so this waits up to 20 s for `expected` lines (not at all for 0).
int OpenedCount(const Installation& inst, const std::string& file, int expected) {
  const std::wstring record = L"PlugIns\\" + Wide(file) + L".opened";
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    int lines = 0;
    for (char c : inst.Read(record)) lines += c == '\n';
    if (lines >= expected || std::chrono::steady_clock::now() > until) return lines;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// The message boxes that speak of a help file.
std::vector<std::string> HelpBoxes(const RunResult& r) {
  std::vector<std::string> boxes;
  for (const std::string& line : r.Starting("msgbox"))
    if (line.find(".hlp") != std::string::npos) boxes.push_back(line);
  return boxes;
}

std::string Replaced(std::string text, const std::string& mark, const std::string& by) {
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
    text.replace(at, mark.size(), by);
  return text;
}

struct HelpCase {
  const char* name;
  const wchar_t* args;
  std::vector<std::string> present;  // help files laid beside the plug-in
  std::string script;                // the help commands, each followed by its answer
  std::string opened;                // the file the commands open; "" when the message comes
  int times;                         // how often it is opened, or the message comes
  std::string message;               // the message text, "%P" standing for the PlugIns folder
};

void RunHelpCase(const HelpCase& c) {
  SCOPED_TRACE(c.name);
  RecordingOpener opener;
  Installation inst("help");
  for (const std::string& f : c.present) inst.Write(L"PlugIns\\" + Wide(f), "<p>" + f + "\r\n");
  RunResult r = inst.Run(c.script + "exit\n", c.args);
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.Count("hostmenu-missing"), 0) << r.Text();
  EXPECT_EQ(r.Count("error"), 0) << r.Text();
  const std::vector<std::string> boxes = HelpBoxes(r);
  if (c.opened.empty()) {
    ASSERT_EQ(static_cast<int>(boxes.size()), c.times) << r.Text();
    const std::string text = Quoted(Replaced(c.message, "%P", Utf8Of(inst.PluginDir())));
    for (const std::string& box : boxes) EXPECT_EQ(FieldOf(box, "text"), text + " button=ok");
    EXPECT_EQ(r.Count("msgbox-auto"), 0) << "a box nobody answered:\n" << r.Text();
  } else {
    EXPECT_TRUE(boxes.empty()) << r.Text();
    EXPECT_EQ(r.Count("msgbox"), 0) << r.Text();
    EXPECT_EQ(r.Count("no-msgbox"), c.times) << r.Text();
    EXPECT_EQ(OpenedCount(inst, c.opened, c.times), c.times) << r.Text();
  }
  for (const char* f : kHelpFiles)
    if (f != c.opened) EXPECT_EQ(OpenedCount(inst, f, 0), 0) << f << " was opened";
}

const char kEnglishHelp[] = "hostmenu &Help/Plugin Help/Quillet for Becky!2\n";
const char kJapaneseHelp[] = "hostmenu ヘルプ(&H)/プラグインヘルプ/Quillet for Becky!2\n";
const char kNoBox[] = "expect-no-msgbox 1500\n";
const char kOkBox[] = "msgbox ok 20000\n";
const char kEnglishMissing[] =
    "%PPinoteE.hlp\r\nnor\r\n%PPinote.hlp\r\nnor\r\n%PPinoteE.html\r\nnor\r\n%PPinote.html\r\n"
    "is not found.";
const char kJapaneseMissing[] =
    "%PPinote.hlp がありません\r\n%PPinote.html がありません\r\n%PPinoteE.html がありません";

TEST(HelpFiles, TheHostsHelpItemOpensTheHtmlHelpWhenNoWinHelpFileIsThere) {
  const std::string open = std::string(kEnglishHelp) + kNoBox;
  const std::string refused = std::string(kEnglishHelp) + kOkBox;
  const HelpCase cases[] = {
      {"both html", L"/ENGLISH", {"Pinote.html", "PinoteE.html"}, open, "PinoteE.html", 1, ""},
      {"only the Japanese html", L"/ENGLISH", {"Pinote.html"}, open, "Pinote.html", 1, ""},
      {"WinHelp beside the html", L"/ENGLISH", {"PinoteE.hlp", "PinoteE.html"}, open,
       "PinoteE.hlp", 1, ""},
      {"no help file", L"/ENGLISH", {}, refused, "", 1, kEnglishMissing},
      {"files of other names", L"/ENGLISH", {"PinoteE.hlp.txt", "Pinote.htm"}, refused, "", 1,
       kEnglishMissing},
  };
  for (const HelpCase& c : cases) RunHelpCase(c);
}

// The memo window's Contents and the options dialog's Help button reach the same choice.
TEST(HelpFiles, EveryHelpCommandOpensTheHtmlHelp) {
  const std::string script = std::string(kEnglishHelp) + kNoBox + "setup\n" +
                             WaitWindow(kOptionsDialog) + ClickOn(kOptionsDialog, IDC_HELP_BUTTON) +
                             kNoBox + ClickOn(kOptionsDialog, IDCANCEL) + WaitHidden(kOptionsDialog) +
                             "hostmenu &Tool/Quillet for Becky!2/Open the Quillet\n" +
                             WaitWindow(kMemoWindow) + MemoCommand(IDM_HELP_CONTENTS) + kNoBox;
  RunHelpCase({"three commands", L"/ENGLISH", {"PinoteE.html"}, script, "PinoteE.html", 3, ""});
}

TEST(JapaneseHost, HelpOpensTheJapaneseHtmlOrNamesIt) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932 (LC_ALL=ja_JP.UTF-8)";
  const std::string open = std::string(kJapaneseHelp) + kNoBox;
  const HelpCase cases[] = {
      {"both html", L"/JAPANESE", {"Pinote.html", "PinoteE.html"}, open, "Pinote.html", 1, ""},
      {"English files only", L"/JAPANESE", {"PinoteE.hlp", "PinoteE.html"}, open, "PinoteE.html",
       1, ""},
      {"only the English WinHelp file", L"/JAPANESE", {"PinoteE.hlp"},
       std::string(kJapaneseHelp) + kOkBox, "", 1, kJapaneseMissing},
  };
  for (const HelpCase& c : cases) RunHelpCase(c);
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT size = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &size) || !value) return L"(missing)";
  return static_cast<const wchar_t*>(value);
}

TEST(Version, TheLibraryItsRecordItsAboutBoxAndItsHeaderSayTheSame) {
  const std::string text = PINOTE_VERSION_TEXT;
  // The resource, as Explorer reads it.
  const std::wstring dll = BuildDir() + L"Pinote.dll";
  DWORD ignored = 0;
  std::vector<BYTE> info(GetFileVersionInfoSizeW(dll.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
  const DWORD high = MAKELONG(PINOTE_VERSION_MINOR, PINOTE_VERSION_MAJOR);
  const DWORD low = MAKELONG(0, PINOTE_VERSION_REVISION);
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(Utf8Of(VersionString(info, L"ProductVersion")), text);
  EXPECT_EQ(Utf8Of(VersionString(info, L"FileVersion")), PINOTE_VERSION_NUMBERS_TEXT);
  EXPECT_EQ(Utf8Of(VersionString(info, L"ProductName")), "Quillet for Becky!2");
  EXPECT_EQ(Utf8Of(VersionString(info, L"CompanyName")), "Quillet for Becky!2 contributors");

  // The information record, an outgoing mail and the About box, in the host.
  Installation inst("version");
  RunResult r = inst.Run(
      "info\ncompose To: x@example.com\nsend\n"
      "hostmenu &Help/About Plugins/Quillet for Becky!2\n" + WaitWindow(kAboutDialog) +
          DumpWindow(kAboutDialog) + ClickOn(kAboutDialog, IDOK) + WaitHidden(kAboutDialog) +
          "exit\n",
      L"/ENGLISH");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(FieldOf(r.First("info plugin=\"Pinote.dll\""), "version"), Quoted(text)) << r.Text();
  EXPECT_EQ(r.First("sent-header \"X-Mailer-Plugin\" "),
            "sent-header \"X-Mailer-Plugin\" " + Quoted("Quillet for Becky!2 " + text));
  const std::vector<WindowDump> dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_VERSION_LABEL, "text"), Quoted(text)) << r.Text();  // the version label
  // Where the user finds the help and the memo files: the folder the host loaded the plug-in from.
  EXPECT_EQ(Child(dumps[0], IDC_FOLDER_LABEL, "text"), Quoted(Utf8Of(inst.PluginDir())))
      << r.Text();
}

}  // namespace
}  // namespace e2e
