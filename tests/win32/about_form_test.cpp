#include "host/win32/about_form.h"

#include <gtest/gtest.h>

#include <string>

#include "common/win32/env.h"
#include "forms/win32/control_ids.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

struct SeenAbout {
  bool found = false;
  std::wstring title, name, version;
  RECT rect{};
  LONG_PTR style = 0;
  HWND owner = nullptr, wnd = nullptr;
  bool otherDisabled = false;
  bool okIsDefault = false;
  bool versionHasOwnFont = false;
};
SeenAbout g_about;
HWND g_other = nullptr;  // another window of the thread, which the dialog must disable

std::wstring ItemText(HWND dlg, int id) {
  wchar_t buffer[256] = {};
  ::GetDlgItemTextW(dlg, id, buffer, 256);
  return buffer;
}

void CALLBACK InspectAbout(HWND, UINT, UINT_PTR, DWORD) {
  if (g_about.found) return;
  HWND wnd = ::FindWindowW(ids::kAboutFormClass, nullptr);
  if (wnd == nullptr) return;
  g_about.found = true;
  g_about.wnd = wnd;
  wchar_t title[256] = {};
  ::GetWindowTextW(wnd, title, 256);
  g_about.title = title;
  g_about.name = ItemText(wnd, ids::kNameLabel);
  g_about.version = ItemText(wnd, ids::kVersionLabel);
  ::GetWindowRect(wnd, &g_about.rect);
  g_about.style = ::GetWindowLongPtrW(wnd, GWL_STYLE);
  g_about.owner = ::GetWindow(wnd, GW_OWNER);
  g_about.otherDisabled = g_other != nullptr && !::IsWindowEnabled(g_other);
  HWND ok = ::GetDlgItem(wnd, ids::kAboutOKButton);
  g_about.okIsDefault = (::GetWindowLongPtrW(ok, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
  HWND version = ::GetDlgItem(wnd, ids::kVersionLabel);
  HWND nameLabel = ::GetDlgItem(wnd, ids::kNameLabel);
  g_about.versionHasOwnFont = ::SendMessageW(version, WM_GETFONT, 0, 0) !=
                              ::SendMessageW(nameLabel, WM_GETFONT, 0, 0);
  // Enter presses the default button.
  ::PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(ShowAbout, ShowsNameVersionAndTitleAndIsReleased) {
  g_other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(g_other, nullptr);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    g_about = SeenAbout{};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &InspectAbout);
    ShowAbout(g_other);  // the window passed is not the owner
    ::KillTimer(nullptr, timer);

    ASSERT_TRUE(g_about.found);
    EXPECT_EQ(g_about.title, Tr("Pinote について", "About Pinote"));
    EXPECT_EQ(g_about.name, L"Quillet for Becky!2");
    EXPECT_EQ(g_about.version, L"Ver.0.03 Rev.2");
    EXPECT_EQ(g_about.rect.right - g_about.rect.left, 389);
    EXPECT_EQ(g_about.rect.bottom - g_about.rect.top, 180);
    const int cx = (::GetSystemMetrics(SM_CXSCREEN) - 389) / 2;
    EXPECT_EQ(g_about.rect.left, cx);
    EXPECT_EQ(g_about.style & WS_SYSMENU, 0);  // no title-bar buttons
    EXPECT_EQ(g_about.owner, nullptr);
    EXPECT_TRUE(g_about.otherDisabled);
    EXPECT_TRUE(g_about.okIsDefault);
    EXPECT_TRUE(g_about.versionHasOwnFont);

    // Released: no window left, the other window usable again, the class gone.
    EXPECT_FALSE(::IsWindow(g_about.wnd));
    EXPECT_EQ(::FindWindowW(ids::kAboutFormClass, nullptr), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(g_other));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    EXPECT_FALSE(::GetClassInfoExW(PluginInstance(), ids::kAboutFormClass, &wc));
  }
  ::DestroyWindow(g_other);
  g_other = nullptr;
}

void CALLBACK EscapeAbout(HWND, UINT, UINT_PTR, DWORD) {
  HWND wnd = ::FindWindowW(ids::kAboutFormClass, nullptr);
  if (wnd == nullptr || g_about.found) return;
  g_about.found = true;
  ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST(ShowAbout, EscapeClosesIt) {
  g_about = SeenAbout{};
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &EscapeAbout);
  ShowAbout(nullptr);
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(g_about.found);
  EXPECT_EQ(::FindWindowW(ids::kAboutFormClass, nullptr), nullptr);
}

}  // namespace
}  // namespace pinote
