
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>

#include "common/win32/handles.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

// A settings store of its own for each test: the library's path points into a folder that
// holds no settings file, so every test starts empty.
class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    SetPluginFileNameForTesting(std::string(temp) + "pinote-placement-none\\Pinote.dll");
    CreateSettingsStore();
    RegisterClass();
  }
  void TearDown() override {
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }

  static void RegisterClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PinotePlacementTest";
    ::RegisterClassExW(&wc);  // already registered by an earlier test is fine
  }

  static UniqueWindow MakeWindow(bool resizable, int x, int y, int w, int h) {
    const DWORD style = resizable ? WS_OVERLAPPEDWINDOW : (WS_POPUP | WS_CAPTION | WS_SYSMENU);
    UniqueWindow wnd(::CreateWindowExW(0, L"PinotePlacementTest", L"t", style, x, y, w, h,
                                       nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    EXPECT_TRUE(wnd.valid());
    return wnd;
  }

  // Wine's X11 driver can fail on a window destroyed while its state change is still pending
  // with the X server; letting the queued messages through first avoids that.
  static void Settle() {
    MSG msg;
    for (int i = 0; i < 5; ++i) {
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
      ::Sleep(10);
    }
  }

  static RECT WindowRect(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return r;
  }

  static RECT WorkArea() {
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
  }

  static bool Stored(const char* section, const char* key) {
    return !std::holds_alternative<std::monostate>(
        Settings().Read(section, key, SettingValue()));
  }
};

// The normal rectangle in work-area coordinates, whatever the state; a fixed dialog keeps no
// size; a window the system cannot place writes nothing.
TEST_F(PlacementTest, SaveWritesTheNormalRectangleAndTheState) {
  struct Case {
    bool resizable;
    int show;  // 0: left hidden; -1: destroyed before the save
    const char* state;
  } cases[] = {{true, 0, "Normal"}, {true, SW_SHOWMAXIMIZED, "Maximized"},
               {true, SW_MINIMIZE, "Minimized"}, {false, 0, "Normal"}, {true, -1, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.show << " " << c.resizable);
    UniqueWindow wnd = MakeWindow(c.resizable, 110, 120, 300, 200);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ::GetWindowPlacement(wnd.get(), &wp);
    HWND handle = wnd.get();
    if (c.show > 0) ::ShowWindow(handle, c.show);
    if (c.show < 0) wnd.reset();
    SaveWindowPlacement(handle, "Saved", c.resizable);
    EXPECT_EQ(Stored("Saved", "Left"), c.state != nullptr);
    EXPECT_EQ(Stored("Saved", "Width"), c.state != nullptr && c.resizable);
    if (c.state != nullptr) {
      EXPECT_EQ(Settings().ReadInt("Saved", "Left", -1), wp.rcNormalPosition.left);
      EXPECT_EQ(Settings().ReadInt("Saved", "Top", -1), wp.rcNormalPosition.top);
      EXPECT_EQ(Settings().ReadString("Saved", "State", ""), c.state);
    }
    if (c.resizable && c.state != nullptr) {
      EXPECT_EQ(Settings().ReadInt("Saved", "Width", -1), 300);
      EXPECT_EQ(Settings().ReadInt("Saved", "Height", -1), 200);
    }
    for (const char* key : {"Left", "Top", "Width", "Height", "State"}) Settings().Write("Saved", key, SettingValue());
    Settle();
  }
}

// Stored numbers are work-area coordinates (the window moves by the work area's offset), the
// size applies to resizable windows only, and the window stays on the primary screen (the
// clamping itself is KeepOnScreen's, core tests).
TEST_F(PlacementTest, LoadMovesSizesAndKeepsTheWindowOnTheScreen) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  const RECT wa = WorkArea();
  struct Case {
    bool resizable, stored;
    int left, top, width, height;
  } cases[] = {
      {true, true, 100, 80, 300, 200},   {false, true, 100, 80, 300, 200},
      {true, false, 200, 150, 150, 100}, {true, true, sw * 3, 80, 300, 200},
      {true, true, -400, -50, 300, 200}, {true, true, 50, 10, 300, sh + 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.left << "," << c.top << " " << c.resizable);
    for (const char* key : {"Left", "Top", "Width", "Height"}) {
      const int v = key[0] == 'L' ? c.left : key[0] == 'T' ? c.top : key[0] == 'W' ? c.width : c.height;
      Settings().Write("Load", key, c.stored ? SettingValue(int32_t{v}) : SettingValue());
    }
    UniqueWindow wnd = MakeWindow(c.resizable, 200, 150, 150, 100);
    LoadWindowPlacement(wnd.get(), "Load", c.resizable);
    const RECT r = WindowRect(wnd.get());
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(w, c.resizable ? c.width : 150);
    if (c.height < sh) EXPECT_EQ(h, c.resizable ? c.height : 100);
    EXPECT_EQ(r.left, std::max(0, std::min(c.left + int{wa.left}, sw - w)));
    EXPECT_EQ(r.top, std::max(0, std::min(c.top + int{wa.top}, sh - h)));
  }
}

TEST_F(PlacementTest, StateIsComparedWithLetterCase) {
  struct Case {
    const char* stored;  // null: no key
    bool zoomed, iconic;
  } cases[] = {
      {"Maximized", true, false}, {"maximized", false, false}, {"Minimized", false, true},
      {"MINIMIZED", false, false}, {"Normal", false, false},   {nullptr, false, false},
  };
  for (bool visible : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << (c.stored ? c.stored : "(none)") << " visible "
                                      << visible);
      Settings().Write("StateForm", "State",
                       c.stored ? SettingValue(std::string(c.stored)) : SettingValue());
      UniqueWindow wnd = MakeWindow(true, 30, 40, 300, 200);
      if (visible) ::ShowWindow(wnd.get(), SW_SHOWNOACTIVATE);
      LoadWindowPlacement(wnd.get(), "StateForm", true);
      if (visible) {
        EXPECT_EQ(::IsZoomed(wnd.get()) != FALSE, c.zoomed);
        EXPECT_EQ(::IsIconic(wnd.get()) != FALSE, c.iconic);
        EXPECT_EQ(TakePendingShowCommand(wnd.get()), 0);
      } else {
        // A hidden form is not shown; the state waits for its first showing.
        EXPECT_FALSE(::IsWindowVisible(wnd.get()));
        const int expected =
            c.zoomed ? SW_SHOWMAXIMIZED : (c.iconic ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
        EXPECT_EQ(TakePendingShowCommand(wnd.get()), expected);
        EXPECT_EQ(TakePendingShowCommand(wnd.get()), 0);  // taken once
      }
      Settle();
    }
  }
}

// A hidden form takes its stored state at its first showing, once mapped, and only then; until
// it is shown, a save keeps the stored state rather than the hidden window's.
TEST_F(PlacementTest, StoredStateIsTakenAtTheFirstShowingAndKeptUntilThen) {
  struct Case {
    const char* stored;
    bool zoomed, iconic;
  } cases[] = {{"Maximized", true, false}, {"Minimized", false, true}, {"Normal", false, false},
               {"maximized", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Settings().Write("FirstShow", "State", SettingValue(std::string(c.stored)));
    UniqueWindow wnd = MakeWindow(true, 30, 40, 300, 200);
    LoadWindowPlacement(wnd.get(), "FirstShow", true);
    Settings().Write("FirstShow", "State", SettingValue());
    SaveWindowPlacement(wnd.get(), "FirstShow", true);
    const std::string kept = c.zoomed ? "Maximized" : c.iconic ? "Minimized" : "Normal";
    EXPECT_EQ(Settings().ReadString("FirstShow", "State", ""), kept) << "before it was shown";
    ShowWithStoredState(wnd.get(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(::IsWindowVisible(wnd.get()));
    EXPECT_EQ(::IsZoomed(wnd.get()) != FALSE, c.zoomed);
    EXPECT_EQ(::IsIconic(wnd.get()) != FALSE, c.iconic);
    // Later showings leave the state the user gave it.
    ::ShowWindow(wnd.get(), SW_RESTORE);
    ::ShowWindow(wnd.get(), SW_HIDE);
    ShowWithStoredState(wnd.get(), SW_SHOWNOACTIVATE);
    EXPECT_FALSE(::IsZoomed(wnd.get()) || ::IsIconic(wnd.get()));
    Settle();
  }
}

// ---- Fonts as GDI sees them ----

TEST(ToLogFont, TheLanguagesDefaultFaceAndTheStoredNumbers) {
  const LOGFONTW d = ToLogFont(DefaultFont(IsJapanese()));
  EXPECT_EQ(std::wstring(d.lfFaceName), IsJapanese() ? Utf8("ＭＳ Ｐゴシック") : L"Arial");
  EXPECT_EQ(d.lfCharSet, IsJapanese() ? 128 : 0);
  EXPECT_EQ(d.lfHeight, -12) << "9 points at 96 dpi";
  EXPECT_LT(d.lfWeight, FW_BOLD);
  EXPECT_FALSE(d.lfItalic || d.lfUnderline || d.lfStrikeOut);
  struct Case {
    int storedPitch, logPitch;
  } pitches[] = {{0, DEFAULT_PITCH}, {1, VARIABLE_PITCH}, {2, FIXED_PITCH}};
  for (const Case& c : pitches) {
    SCOPED_TRACE(c.storedPitch);
    const StoredFont font{"Courier New", 0, 14, 0x123456, c.storedPitch, true, false, true, false};
    const LOGFONTW log = ToLogFont(font);
    EXPECT_EQ(std::wstring(log.lfFaceName), L"Courier New");
    EXPECT_EQ(log.lfHeight, -::MulDiv(14, 96, 72));
    EXPECT_EQ(log.lfPitchAndFamily & 3, c.logPitch);
    EXPECT_GE(log.lfWeight, FW_BOLD);
    EXPECT_TRUE(log.lfUnderline);
    EXPECT_EQ(FromLogFont(log, 14, 0x123456), font) << "and back";
  }
}

// Points become pixels at the screen's resolution, as the font chooser counts them: a 10-point
// memo on a 144-dpi screen is 20 pixels high, not the 13 of 96 dpi.
TEST(ToLogFont, PointsBecomePixelsAtTheScreensResolution) {
  struct Case {
    int points, dpi, height;
  } cases[] = {{10, 96, -13}, {10, 144, -20}, {9, 120, -15}, {12, 192, -32}, {0, 144, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.points << "pt at " << c.dpi);
    StoredFont font;
    font.size = c.points;
    EXPECT_EQ(ToLogFont(font, c.dpi).lfHeight, c.height);
  }
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(ScreenPixelsPerInch(), dpi);
  StoredFont font;
  font.size = 10;
  EXPECT_EQ(ToLogFont(font).lfHeight, -::MulDiv(10, dpi, 72)) << "the screen's by default";
}

TEST(ToLogFont, ALongStoredNameIsCutNotOverrun) {
  StoredFont font;
  font.name = std::string(80, 'x');
  const LOGFONTW log = ToLogFont(font);
  EXPECT_EQ(std::wstring(log.lfFaceName), std::wstring(LF_FACESIZE - 1, L'x'));
}

TEST(ResolveColor, SystemColoursByNumber) {
  struct Case {
    DWORD color;
    COLORREF expected;
  } cases[] = {
      {0x80000008, ::GetSysColor(COLOR_WINDOWTEXT)},
      {0x80000005, ::GetSysColor(COLOR_WINDOW)},
      {0x00123456, 0x00123456},
      {0x00000000, 0x00000000},
      {0x00FFFFFF, 0x00FFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.color);
    EXPECT_EQ(ResolveColor(c.color), c.expected);
  }
}

}  // namespace
}  // namespace pinote
