#include "common/win32/help.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/win32/env.h"

namespace pinote {
namespace {

struct Recorded {
  std::wstring opened, text, caption;
  HWND owner = nullptr;
  int opens = 0, messages = 0;
};

HelpActions Recorder(Recorded& r) {
  HelpActions a;
  a.open = [&r](HWND owner, const std::wstring& path) {
    r.owner = owner;
    r.opened = path;
    ++r.opens;
  };
  a.message = [&r](HWND owner, const std::wstring& text, const std::wstring& caption) {
    r.owner = owner;
    r.text = text;
    r.caption = caption;
    ++r.messages;
  };
  return a;
}

TEST(ShowHelpWith, OpensTheLanguagesFileOrTellsItIsMissing) {
  const std::string folder = "C:\\Becky\\PlugIns\\";
  const std::string ja = folder + "Pinote.hlp", en = folder + "PinoteE.hlp";
  const std::string jaHtml = folder + "Pinote.html", enHtml = folder + "PinoteE.html";
  const std::wstring jaW = Widen(ja), enW = Widen(en);
  const std::wstring jaHtmlW = Widen(jaHtml), enHtmlW = Widen(enHtml);
  const std::wstring japaneseMissing =
      jaW + Utf8(" がありません\r\n") + jaHtmlW + Utf8(" がありません");
  struct Case {
    const char* name;
    bool japanese;
    std::set<std::string> present;
    std::wstring opened;  // empty: the message
    std::wstring text, caption;
  } cases[] = {
      {"english, both", false, {ja, en}, enW, L"", L""},
      {"english, only japanese", false, {ja}, jaW, L"", L""},
      {"english, html only", false, {jaHtml, enHtml}, enHtmlW, L"", L""},
      {"english, none", false, {}, L"",
       enW + L"\r\nnor\r\n" + jaW + L"\r\nnor\r\n" + enHtmlW + L"\r\nis not found.", L"Error"},
      {"japanese, both", true, {ja, en}, jaW, L"", L""},
      {"japanese, english html only", true, {en, enHtml}, enHtmlW, L"", L""},
      {"japanese, only english", true, {en}, L"", japaneseMissing, Utf8("エラー")},
      {"japanese, none", true, {}, L"", japaneseMissing, Utf8("エラー")},
  };
  HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x4321));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recorded r;
    ShowHelpWith(owner, folder, c.japanese,
                 [&](const std::string& p) { return c.present.count(p) > 0; }, Recorder(r));
    EXPECT_EQ(r.owner, owner);
    if (!c.opened.empty()) {
      EXPECT_EQ(r.opens, 1);
      EXPECT_EQ(r.messages, 0);
      EXPECT_EQ(r.opened, c.opened);
    } else {
      EXPECT_EQ(r.opens, 0);
      EXPECT_EQ(r.messages, 1);
      EXPECT_EQ(r.text, c.text);
      EXPECT_EQ(r.caption, c.caption);
    }
  }
}

TEST(AnsiFileExists, FilesOnlyNotFolders) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "pinote-help-test";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const std::string file = dir + "\\Pinote.hlp";
  HANDLE h = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ::CloseHandle(h);
  EXPECT_TRUE(AnsiFileExists(file));
  EXPECT_FALSE(AnsiFileExists(dir));
  EXPECT_FALSE(AnsiFileExists(dir + "\\PinoteE.hlp"));
  EXPECT_FALSE(AnsiFileExists(""));
  ::DeleteFileA(file.c_str());
  ::RemoveDirectoryA(dir.c_str());
}

// The real ShowHelp with no help file beside the "library": the message box comes up owned by
// the given window with the missing-help text; a timer reads it and presses OK.
struct SeenBox {
  std::wstring title, text;
  HWND owner = nullptr;
  bool found = false;
};
SeenBox g_seen;

BOOL CALLBACK FindBox(HWND wnd, LPARAM) {
  wchar_t cls[32] = {};
  ::GetClassNameW(wnd, cls, 32);
  if (std::wstring(cls) != L"#32770" || !::IsWindowVisible(wnd)) return TRUE;
  wchar_t buffer[2048] = {};
  ::GetWindowTextW(wnd, buffer, 2048);
  g_seen.title = buffer;
  // The message text is the static control with id 0xFFFF.
  buffer[0] = L'\0';
  ::GetDlgItemTextW(wnd, 0xFFFF, buffer, 2048);
  g_seen.text = buffer;
  g_seen.owner = ::GetWindow(wnd, GW_OWNER);
  g_seen.found = true;
  ::PostMessageW(wnd, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK CloseBox(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_seen.found) ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, 0);
}

TEST(ShowHelp, MissingFileShowsTheMessageOwnedByTheCaller) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "pinote-help-none\\";
  SetPluginFileNameForTesting(folder + "Pinote.dll");
  ASSERT_EQ(PluginFolder(), folder);

  HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  g_seen = SeenBox{};
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &CloseBox);
  ShowHelp(owner);
  ::KillTimer(nullptr, timer);
  ::DestroyWindow(owner);
  SetPluginFileNameForTesting("");

  ASSERT_TRUE(g_seen.found);
  EXPECT_EQ(g_seen.owner, owner);
  const std::wstring ja = Widen(folder + "Pinote.hlp"), en = Widen(folder + "PinoteE.hlp");
  if (IsJapanese()) {
    EXPECT_EQ(g_seen.title, Utf8("エラー"));
    EXPECT_EQ(g_seen.text, ja + Utf8(" がありません\r\n") + Widen(folder + "Pinote.html") +
                               Utf8(" がありません"));
  } else {
    EXPECT_EQ(g_seen.title, L"Error");
    EXPECT_EQ(g_seen.text, en + L"\r\nnor\r\n" + ja + L"\r\nnor\r\n" +
                               Widen(folder + "PinoteE.html") + L"\r\nis not found.");
  }
}

}  // namespace
}  // namespace pinote
