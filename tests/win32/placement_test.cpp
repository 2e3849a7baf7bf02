#include "common/win32/placement.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "common/win32/env.h"
#include "common/win32/handles.h"

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

// ---- Fonts ----

TEST_F(PlacementTest, FontSectionFollowsTheLanguage) {
  for (const char* section : {"Memo", "AboutForm", "A\\B"}) {
    SCOPED_TRACE(section);
    const std::string expected =
        std::string(section) + (IsJapanese() ? "\\Font\\Japanese" : "\\Font\\English");
    EXPECT_EQ(FontSection(section), expected);
  }
}

TEST_F(PlacementTest, DefaultFontIsTheLanguagesFont) {
  const FontSpec f = DefaultFont();
  EXPECT_EQ(std::wstring(f.log.lfFaceName), IsJapanese() ? Utf8("ＭＳ Ｐゴシック") : L"Arial");
  EXPECT_EQ(f.log.lfCharSet, IsJapanese() ? 128 : 0);
  EXPECT_EQ(f.points, 9);
  EXPECT_EQ(f.log.lfHeight, -12);
  EXPECT_EQ(f.color, 0x80000008u);
  EXPECT_EQ(f.log.lfPitchAndFamily & 3, DEFAULT_PITCH);
  EXPECT_LT(f.log.lfWeight, FW_BOLD);
  EXPECT_FALSE(f.log.lfItalic || f.log.lfUnderline || f.log.lfStrikeOut);
}

FontSpec CustomFont() {
  FontSpec f;
  wcscpy(f.log.lfFaceName, L"Courier New");
  f.log.lfCharSet = 0;
  f.points = 14;
  f.log.lfHeight = -::MulDiv(14, 96, 72);
  f.color = 0x00123456;
  f.log.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  f.log.lfWeight = FW_BOLD;
  f.log.lfUnderline = TRUE;
  return f;
}

TEST_F(PlacementTest, SaveFontWritesNineKeysInOrderUnderTheLanguageSection) {
  SaveFont("Memo", CustomFont());
  const std::string s = FontSection("Memo");
  const char* keys[] = {"Name", "Charset", "Size",   "Color",    "Pitch",
                        "Bold", "Italic",  "Underline", "Strikeout"};
  const auto& entries = Settings().Entries();
  ASSERT_EQ(entries.size(), std::size(keys));
  for (size_t i = 0; i < std::size(keys); ++i) {
    SCOPED_TRACE(keys[i]);
    EXPECT_EQ(entries[i].keyText, s + "\\" + keys[i]);
  }
  EXPECT_EQ(Settings().ReadString(s, "Name", ""), "Courier New");
  EXPECT_EQ(Settings().ReadInt(s, "Size", 0), 14);
  EXPECT_EQ(Settings().ReadInt(s, "Color", 0), 0x00123456);
  EXPECT_EQ(Settings().ReadInt(s, "Pitch", -1), 2);  // fixed
  EXPECT_TRUE(Settings().ReadBool(s, "Bold", false));
  EXPECT_FALSE(Settings().ReadBool(s, "Italic", true));
  EXPECT_TRUE(Settings().ReadBool(s, "Underline", false));
  EXPECT_FALSE(Settings().ReadBool(s, "Strikeout", true));
  // The other language's keys are never touched.
  const std::string other = std::string("Memo") + (IsJapanese() ? "\\Font\\English" : "\\Font\\Japanese");
  EXPECT_FALSE(Stored(other.c_str(), "Name"));
}

TEST_F(PlacementTest, SaveThenLoadFontRoundTrips) {
  const FontSpec saved = CustomFont();
  SaveFont("Memo", saved);
  FontSpec loaded = DefaultFont();
  LoadFont("Memo", loaded);
  EXPECT_EQ(std::wstring(loaded.log.lfFaceName), L"Courier New");
  EXPECT_EQ(loaded.log.lfCharSet, 0);
  EXPECT_EQ(loaded.points, 14);
  EXPECT_EQ(loaded.log.lfHeight, saved.log.lfHeight);
  EXPECT_EQ(loaded.color, 0x00123456u);
  EXPECT_EQ(loaded.log.lfPitchAndFamily & 3, FIXED_PITCH);
  EXPECT_GE(loaded.log.lfWeight, FW_BOLD);
  EXPECT_TRUE(loaded.log.lfUnderline);
  EXPECT_FALSE(loaded.log.lfItalic);
  EXPECT_FALSE(loaded.log.lfStrikeOut);
}

TEST_F(PlacementTest, LoadFontWithoutNameGivesTheDefaultAndReadsNothingElse) {
  const std::string s = FontSection("Memo");
  Settings().Write(s, "Size", SettingValue(int32_t{30}));
  Settings().Write(s, "Bold", SettingValue(true));
  for (bool storeEmptyName : {false, true}) {
    SCOPED_TRACE(storeEmptyName);
    if (storeEmptyName) Settings().Write(s, "Name", SettingValue(std::string()));
    FontSpec f = CustomFont();
    LoadFont("Memo", f);
    const FontSpec d = DefaultFont();
    EXPECT_EQ(std::wstring(f.log.lfFaceName), std::wstring(d.log.lfFaceName));
    EXPECT_EQ(f.points, 9);
    EXPECT_LT(f.log.lfWeight, FW_BOLD);
    EXPECT_FALSE(f.log.lfUnderline);
    EXPECT_EQ(f.color, 0x80000008u);
  }
}

TEST_F(PlacementTest, StyleKeysChangeOnlyWhatTheyState) {
  struct Case {
    const char* name;
    SettingValue stored;
    bool before, after;
  } cases[] = {
      {"absent keeps on", SettingValue(), true, true},
      {"absent keeps off", SettingValue(), false, false},
      {"True adds", SettingValue(true), false, true},
      {"True keeps", SettingValue(true), true, true},
      {"False removes", SettingValue(false), true, false},
      {"False keeps off", SettingValue(false), false, false},
      {"unreadable keeps on", SettingValue(std::string("maybe")), true, true},
      {"unreadable keeps off", SettingValue(std::string("maybe")), false, false},
      {"integer 1 adds", SettingValue(int32_t{1}), false, true},
      {"integer 0 removes", SettingValue(int32_t{0}), true, false},
  };
  const std::string s = FontSection("StyleForm");
  for (const char* key : {"Bold", "Italic", "Underline", "Strikeout"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << key << ": " << c.name);
      DestroySettingsStore();
      CreateSettingsStore();
      Settings().Write(s, "Name", SettingValue(std::string("Arial")));
      Settings().Write(s, key, c.stored);
      FontSpec f = DefaultFont();
      const std::string k(key);
      auto style = [&](FontSpec& font) -> bool {
        if (k == "Bold") return font.log.lfWeight >= FW_BOLD;
        if (k == "Italic") return font.log.lfItalic != 0;
        if (k == "Underline") return font.log.lfUnderline != 0;
        return font.log.lfStrikeOut != 0;
      };
      if (k == "Bold") f.log.lfWeight = c.before ? FW_BOLD : FW_NORMAL;
      if (k == "Italic") f.log.lfItalic = c.before;
      if (k == "Underline") f.log.lfUnderline = c.before;
      if (k == "Strikeout") f.log.lfStrikeOut = c.before;
      LoadFont("StyleForm", f);
      EXPECT_EQ(style(f), c.after);
    }
  }
}

TEST_F(PlacementTest, UnreadableOrOutOfRangeNumbersKeepTheCurrentValues) {
  const std::string s = FontSection("Memo");
  Settings().Write(s, "Name", SettingValue(std::string("Arial")));
  Settings().Write(s, "Size", SettingValue(std::string("big")));
  Settings().Write(s, "Charset", SettingValue(int32_t{300}));
  Settings().Write(s, "Pitch", SettingValue(int32_t{7}));
  Settings().Write(s, "Color", SettingValue(std::string("red")));
  FontSpec f = CustomFont();
  LoadFont("Memo", f);
  EXPECT_EQ(std::wstring(f.log.lfFaceName), L"Arial");
  EXPECT_EQ(f.points, 14);
  EXPECT_EQ(f.log.lfCharSet, 0);
  EXPECT_EQ(f.log.lfPitchAndFamily & 3, FIXED_PITCH);
  EXPECT_EQ(f.color, 0x00123456u);
}

TEST_F(PlacementTest, PitchNumbersMapToLogfontPitches) {
  struct Case {
    int stored;
    int pitch;
  } cases[] = {{0, DEFAULT_PITCH}, {1, VARIABLE_PITCH}, {2, FIXED_PITCH}};
  const std::string s = FontSection("Memo");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Settings().Write(s, "Name", SettingValue(std::string("Arial")));
    Settings().Write(s, "Pitch", SettingValue(int32_t{c.stored}));
    FontSpec f = CustomFont();
    LoadFont("Memo", f);
    EXPECT_EQ(f.log.lfPitchAndFamily & 3, c.pitch);
    EXPECT_EQ(f.log.lfPitchAndFamily & 0xF0, FF_MODERN);  // the family is kept
  }
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
