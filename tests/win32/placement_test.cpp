#include "common/win32/placement.h"

#include <gtest/gtest.h>

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

TEST_F(PlacementTest, SaveFormPlacementWritesTheNormalRectangleInWorkAreaCoordinates) {
  UniqueWindow wnd = MakeWindow(true, 110, 120, 300, 200);
  SaveFormPlacement(wnd.get(), "TestForm", true);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  ASSERT_TRUE(::GetWindowPlacement(wnd.get(), &wp));
  EXPECT_EQ(Settings().ReadInt("TestForm", "Left", -1), wp.rcNormalPosition.left);
  EXPECT_EQ(Settings().ReadInt("TestForm", "Top", -1), wp.rcNormalPosition.top);
  EXPECT_EQ(Settings().ReadInt("TestForm", "Width", -1), 300);
  EXPECT_EQ(Settings().ReadInt("TestForm", "Height", -1), 200);
  EXPECT_EQ(Settings().ReadString("TestForm", "State", ""), "Normal");
}

TEST_F(PlacementTest, SaveThenLoadRestoresPositionAndSize) {
  struct Case {
    bool resizable;
    int x, y, w, h;
  } cases[] = {
      {true, 110, 120, 300, 200},
      {true, 0, 0, 420, 333},
      {false, 37, 51, 250, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.resizable);
    UniqueWindow saved = MakeWindow(c.resizable, c.x, c.y, c.w, c.h);
    SaveFormPlacement(saved.get(), "TestForm", c.resizable);
    UniqueWindow loaded = MakeWindow(c.resizable, 5, 6, c.resizable ? 222 : c.w,
                                     c.resizable ? 111 : c.h);
    LoadFormPlacement(loaded.get(), "TestForm", c.resizable);
    const RECT a = WindowRect(saved.get()), b = WindowRect(loaded.get());
    EXPECT_EQ(b.left, a.left);
    EXPECT_EQ(b.top, a.top);
    EXPECT_EQ(b.right - b.left, c.w);
    EXPECT_EQ(b.bottom - b.top, c.h);
  }
}

TEST_F(PlacementTest, FixedDialogNeverWritesOrReadsSize) {
  UniqueWindow wnd = MakeWindow(false, 40, 50, 250, 150);
  SaveFormPlacement(wnd.get(), "FixedForm", false);
  EXPECT_TRUE(Stored("FixedForm", "Left"));
  EXPECT_TRUE(Stored("FixedForm", "State"));
  EXPECT_FALSE(Stored("FixedForm", "Width"));
  EXPECT_FALSE(Stored("FixedForm", "Height"));

  Settings().Write("FixedForm", "Width", SettingValue(int32_t{500}));
  Settings().Write("FixedForm", "Height", SettingValue(int32_t{400}));
  LoadFormPlacement(wnd.get(), "FixedForm", false);
  const RECT r = WindowRect(wnd.get());
  EXPECT_EQ(r.right - r.left, 250);
  EXPECT_EQ(r.bottom - r.top, 150);
}

TEST_F(PlacementTest, LoadKeepsTheWindowOnThePrimaryScreen) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  const RECT wa = WorkArea();
  struct Case {
    const char* name;
    int left, top, width, height;
  } cases[] = {
      {"inside", 100, 80, 300, 200},
      {"past the right edge", sw, 80, 300, 200},
      {"far past the right edge", sw * 3, 80, 300, 200},
      {"negative top", 100, -50, 300, 200},
      {"negative left", -400, 10, 300, 200},
      {"past the bottom", 10, sh + 20, 300, 200},
      {"wider than the screen", 50, 10, sw + 100, 200},
      {"taller than the screen", 50, 10, 300, sh + 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Settings().Write("Clamp", "Left", SettingValue(int32_t{c.left}));
    Settings().Write("Clamp", "Top", SettingValue(int32_t{c.top}));
    Settings().Write("Clamp", "Width", SettingValue(int32_t{c.width}));
    Settings().Write("Clamp", "Height", SettingValue(int32_t{c.height}));
    UniqueWindow wnd = MakeWindow(true, 1, 2, 150, 100);
    LoadFormPlacement(wnd.get(), "Clamp", true);
    const RECT r = WindowRect(wnd.get());
    const int w = r.right - r.left, h = r.bottom - r.top;
    // Reference: shift by the work area, then the right/bottom clamp, then the left/top one.
    int left = c.left + wa.left, top = c.top + wa.top;
    if (left > sw - w) left = sw - w;
    if (left < 0) left = 0;
    if (top > sh - h) top = sh - h;
    if (top < 0) top = 0;
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
  }
}

TEST_F(PlacementTest, NoStoredKeysLeavesTheWindowShiftedOnlyByTheWorkArea) {
  UniqueWindow wnd = MakeWindow(true, 200, 150, 300, 200);
  const RECT before = WindowRect(wnd.get());
  const RECT wa = WorkArea();
  LoadFormPlacement(wnd.get(), "Nothing", true);
  const RECT after = WindowRect(wnd.get());
  EXPECT_EQ(after.left, before.left + wa.left);
  EXPECT_EQ(after.top, before.top + wa.top);
  EXPECT_EQ(after.right - after.left, 300);
  EXPECT_EQ(after.bottom - after.top, 200);
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
      LoadFormPlacement(wnd.get(), "StateForm", true);
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

TEST_F(PlacementTest, SaveOfAMaximizedWindowKeepsItsNormalRectangle) {
  UniqueWindow wnd = MakeWindow(true, 70, 80, 310, 210);
  ::ShowWindow(wnd.get(), SW_SHOWMAXIMIZED);
  ASSERT_TRUE(::IsZoomed(wnd.get()));
  SaveFormPlacement(wnd.get(), "MaxForm", true);
  EXPECT_EQ(Settings().ReadString("MaxForm", "State", ""), "Maximized");
  EXPECT_EQ(Settings().ReadInt("MaxForm", "Width", -1), 310);
  EXPECT_EQ(Settings().ReadInt("MaxForm", "Height", -1), 210);

  ::ShowWindow(wnd.get(), SW_MINIMIZE);
  SaveFormPlacement(wnd.get(), "MinForm", true);
  EXPECT_EQ(Settings().ReadString("MinForm", "State", ""), "Minimized");
  EXPECT_EQ(Settings().ReadInt("MinForm", "Width", -1), 310);
}

TEST_F(PlacementTest, FailedPlacementQueryWritesNothing) {
  UniqueWindow wnd = MakeWindow(true, 70, 80, 310, 210);
  HWND gone = wnd.get();
  wnd.reset();
  SaveFormPlacement(gone, "Gone", true);
  for (const char* key : {"Left", "Top", "Width", "Height", "State"}) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(Stored("Gone", key));
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
