// Measures every caption of every dialog against its control, in the language the test program
// runs in (the win32_tests_ja entry runs these again with /JAPANESE under code page 932): no
// text may be clipped, and the options dialog's tab strip must not need its scroll arrows.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/win32/controls.h"
#include "common/win32/handles.h"
#include "dialog_script.h"
#include "forms/win32/dialogs.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

// The room a caption needs beside what the control draws itself: the push button's edges, the
// check box or radio circle with its gap, the inset of the label's rectangle (Wine draws the
// text 18 pixels in and stops 4 short of the right edge), the group box's corners.
int Decoration(HWND control) {
  wchar_t cls[32] = {};
  ::GetClassNameW(control, cls, 32);
  if (_wcsicmp(cls, L"Button") != 0) return 0;
  switch (::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return 6;
    case BS_GROUPBOX:
      return 16;
    default:
      return ::GetSystemMetrics(SM_CXMENUCHECK) + 12;
  }
}

struct Measured {
  std::vector<std::string> clipped;
  int captions = 0;
};

BOOL CALLBACK MeasureOne(HWND control, LPARAM lp) {
  auto* m = reinterpret_cast<Measured*>(lp);
  wchar_t cls[32] = {};
  ::GetClassNameW(control, cls, 32);
  const std::wstring text = WindowText(control);
  const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
  const bool isStatic = _wcsicmp(cls, L"Static") == 0;
  const LONG_PTR type = style & SS_TYPEMASK;
  const bool textStatic = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                          type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
  // Only captions: no pictures, lines or edit boxes, nor labels that shorten a long text on
  // purpose (a path drawn with "..." in its middle).
  if (text.empty() || (isStatic && (!textStatic || (style & SS_ELLIPSISMASK) != 0)) ||
      (!isStatic && _wcsicmp(cls, L"Button") != 0)) {
    return TRUE;
  }
  const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  WindowDc dc(control);
  SelectGuard select(dc.get(), font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
  RECT need{0, 0, 0, 0};
  const UINT prefix = isStatic && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
  ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &need,
              DT_CALCRECT | DT_SINGLELINE | prefix);
  RECT have{};
  ::GetClientRect(control, &have);
  ++m->captions;
  const bool group = (style & BS_TYPEMASK) == BS_GROUPBOX && !isStatic;
  // Inside its parent, too: a page or the dialog clips what reaches past its edge.
  RECT placed{}, parent{};
  ::GetWindowRect(control, &placed);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&placed), 2);
  ::GetClientRect(::GetParent(control), &parent);
  if (placed.left < 0 || placed.top < 0 || placed.right > parent.right || placed.bottom > parent.bottom) {
    m->clipped.push_back(Narrow(text) + ": reaches outside its parent");
  }
  if (need.right + Decoration(control) > have.right || (!group && need.bottom > have.bottom)) {
    m->clipped.push_back(Narrow(text) + ": needs " + std::to_string(need.right + Decoration(control)) +
                         " x " + std::to_string(need.bottom) + ", has " +
                         std::to_string(have.right) + " x " + std::to_string(have.bottom));
  }
  return TRUE;
}

Measured Measure(HWND dialog) {
  Measured m;
  ::EnumChildWindows(dialog, &MeasureOne, reinterpret_cast<LPARAM>(&m));
  return m;
}

class DialogTextTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = FreshSettingsFolder("pinote-dialog-text-test"); }
  void TearDown() override {
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  std::string folder_;
};

TEST_F(DialogTextTest, OptionsCaptionsFitAndTheTabsDoNotScroll) {
  RunScripted(IDC_OPTION_TABS, {[](HWND f) {
                const Measured m = Measure(f);
                EXPECT_GE(m.captions, 24);
                EXPECT_TRUE(m.clipped.empty()) << ::testing::PrintToString(m.clipped);
                HWND tabs = Ctl(f, IDC_OPTION_TABS);
                RECT last{}, client{};
                ::SendMessageW(tabs, TCM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
                ::GetClientRect(tabs, &client);
                EXPECT_LE(last.right, client.right) << "the tab strip scrolls";
                EXPECT_EQ(::SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0), 1);
                // Each tab's title with room on both sides.
                WindowDc dc(tabs);
                SelectGuard select(dc.get(), reinterpret_cast<HGDIOBJ>(
                                                 ::SendMessageW(tabs, WM_GETFONT, 0, 0)));
                for (int i = 0; i < 4; ++i) {
                  wchar_t title[64] = {};
                  TCITEMW item{};
                  item.mask = TCIF_TEXT;
                  item.pszText = title;
                  item.cchTextMax = 64;
                  ::SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
                  RECT r{};
                  ::SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
                  SIZE text{};
                  ::GetTextExtentPoint32W(dc.get(), title, static_cast<int>(wcslen(title)), &text);
                  EXPECT_GE(r.right - r.left, text.cx + 8) << Narrow(title);
                }
                HWND arrows = ::FindWindowExW(tabs, nullptr, UPDOWN_CLASSW, nullptr);
                EXPECT_TRUE(arrows == nullptr || !::IsWindowVisible(arrows));
                // Every page's controls lie in the tabs' display area.
                RECT area = client;
                ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
                for (HWND c = ::GetWindow(f, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                  if (::GetDlgCtrlID(c) < IDC_ALWAYS_TOP_CHECK) continue;
                  RECT r{};
                  ::GetWindowRect(c, &r);
                  ::MapWindowPoints(HWND_DESKTOP, tabs, reinterpret_cast<POINT*>(&r), 2);
                  EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.right <= area.right &&
                              r.bottom <= area.bottom)
                      << "control " << ::GetDlgCtrlID(c) << " leaves the page";
                }
                // No two controls a page shows overlap (the group box holds its radios).
                for (int page = 0; page < 4; ++page) {
                  ::SendMessageW(tabs, TCM_SETCURFOCUS, page, 0);
                  std::vector<std::pair<int, RECT>> shown;
                  for (HWND c = ::GetWindow(f, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                    const int id = ::GetDlgCtrlID(c);
                    if (id >= IDC_ALWAYS_TOP_CHECK && id != IDC_ON_LOADING_GROUP &&
                        ::IsWindowVisible(c)) {
                      shown.push_back({id, ChildRect(c)});
                    }
                  }
                  EXPECT_GE(shown.size(), 3u) << "page " << page;
                  for (size_t i = 0; i < shown.size(); ++i) {
                    for (size_t j = i + 1; j < shown.size(); ++j) {
                      RECT both{};
                      EXPECT_FALSE(::IntersectRect(&both, &shown[i].second, &shown[j].second))
                          << shown[i].first << " and " << shown[j].first << " overlap";
                    }
                  }
                }
                Click(f, IDCANCEL);
              }},
              [] { return RunOptionsDialog(); });
}

TEST_F(DialogTextTest, UnifyCaptionsFitForBothCommands) {
  MemoStore store(SystemCodePage());
  for (const UiText* ok : {&ui::kLookButton, &ui::kUnifyButton}) {
    SCOPED_TRACE(ok->english);
    RunScripted(IDC_ADDRESS_LIST, {[](HWND f) {
                  const Measured m = Measure(f);
                  EXPECT_EQ(m.captions, 5);
                  EXPECT_TRUE(m.clipped.empty()) << ::testing::PrintToString(m.clipped);
                  Click(f, IDCANCEL);
                }},
                [&] { return RunUnifyDialog(nullptr, store, *ok); });
  }
}

// With the status line at its longest: nothing found and files skipped.
TEST_F(DialogTextTest, HistoryCaptionsFit) {
  MemoStore store(SystemCodePage());
  EXPECT_TRUE(store.Load(folder_ + "\\Pinote.dat").ok());
  // Two backups held open by another program, sharing nothing: they cannot be read.
  std::vector<UniqueKernelHandle> held;
  for (const char* name : {"\\Pinote.dat.20240501.bak", "\\Pinote.dat.20240502.bak"}) {
    held.emplace_back(::CreateFileA((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
  }
  RunScripted(IDC_HISTORY_LIST, {[](HWND f) {
                const Measured m = Measure(f);
                EXPECT_EQ(m.captions, 5);
                EXPECT_TRUE(m.clipped.empty()) << ::testing::PrintToString(m.clipped);
                Click(f, IDCANCEL);
              }},
              [&] { return RunHistoryDialog(nullptr, store, "a@x").has_value(); });
}

// The plug-in's folder, however deep, stays inside the dialog too.
TEST_F(DialogTextTest, AboutCaptionsFitInsideTheDialog) {
  std::string deep = "C:\\";
  for (int i = 0; i < 12; ++i) deep += "a rather long folder name " + std::to_string(i) + "\\";
  SetPluginFileNameForTesting(deep + "Pinote.dll");
  RunScripted(IDC_NAME_LABEL, {[](HWND f) {
                const Measured m = Measure(f);
                EXPECT_EQ(m.captions, 6);
                EXPECT_TRUE(m.clipped.empty()) << ::testing::PrintToString(m.clipped);
                RECT client{};
                ::GetClientRect(f, &client);
                for (int id : {IDC_COPYRIGHT_LABEL, IDC_LICENCE_LABEL, IDC_FILES_LABEL, IDC_FOLDER_LABEL}) {
                  RECT r{};
                  ::GetWindowRect(Ctl(f, id), &r);
                  ::MapWindowPoints(HWND_DESKTOP, f, reinterpret_cast<POINT*>(&r), 2);
                  EXPECT_LE(r.right, client.right) << id;
                }
                Click(f, IDOK);
              }},
              [] {
                ShowAbout();
                return true;
              });
}

}  // namespace
}  // namespace pinote
