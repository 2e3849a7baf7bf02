
#include <gtest/gtest.h>

#include <string>

#include "common/win32/module_paths.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

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
    EXPECT_EQ(g_seen.text, ja + Utf8(" がありません"));
  } else {
    EXPECT_EQ(g_seen.title, L"Error");
    EXPECT_EQ(g_seen.text, en + L"\r\nnor\r\n" + ja + L"\r\nis not found.");
  }
}

}  // namespace
}  // namespace pinote
