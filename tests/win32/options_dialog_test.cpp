// The options dialog run by the dialog manager: what it shows, the disappear constraint, what
// OK writes and that nothing else writes.
#include "forms/win32/dialogs.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "common/options.h"
#include "common/win32/settings_file.h"
#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

constexpr std::array<int, 4> kAppear = {IDC_APPEAR_ALWAYS_RADIO, IDC_APPEAR_IF_MEMO_RADIO,
                                        IDC_APPEAR_IF_IMPORTANT_RADIO, IDC_APPEAR_NEVER_RADIO};
constexpr std::array<int, 4> kDisappear = {
    IDC_DISAPPEAR_NEVER_RADIO, IDC_DISAPPEAR_IF_NO_MEMO_RADIO,
    IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO, IDC_DISAPPEAR_ALWAYS_RADIO};

int CheckedOf(HWND dialog, const std::array<int, 4>& group) {
  int found = -1;
  for (int i = 0; i < 4; ++i) {
    if (Checked(dialog, group[i])) {
      EXPECT_EQ(found, -1) << "two radios checked in one group";
      found = i;
    }
  }
  return found;
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = FreshSettingsFolder("pinote-options-dialog-test"); }
  void TearDown() override {
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  bool Show(std::vector<Step> steps) {
    return RunScripted(IDC_OPTION_TABS, std::move(steps), [] { return RunOptionsDialog(); });
  }
  std::string IniText() const { return ReadFileBytes(folder_ + "\\Pinote.ini"); }
  static bool Has(const char* section, const char* key) {
    return !std::holds_alternative<std::monostate>(Settings().Read(section, key, SettingValue{}));
  }

  std::string folder_;
};

// The face and height of the font `wnd` uses.
std::pair<std::wstring, LONG> FontOf(HWND wnd) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(wnd, WM_GETFONT, 0, 0)), sizeof font, &font);
  return {font.lfFaceName, font.lfHeight};
}

TEST_F(OptionsDialogTest, FirstUseShowsDefaultsOnTheNameListPageInTheDefaultFont) {
  const bool ok = Show({[](HWND f) {
    EXPECT_FALSE(Checked(f, IDC_ALWAYS_TOP_CHECK));
    for (int id : {IDC_SHOW_IMPORTANCE_CHECK, IDC_SHOW_SENDER_CHECK, IDC_SHOW_ADDRESS_CHECK,
                   IDC_SHOW_OTHER_ADDRESS_CHECK}) {
      EXPECT_TRUE(Checked(f, id)) << id;
    }
    EXPECT_EQ(CheckedOf(f, kAppear), 1);
    EXPECT_EQ(CheckedOf(f, kDisappear), 1);
    EXPECT_EQ(WindowText(f), L"Quillet for Becky!2");
    // No font stored for the dialog: it is laid out in the language's default font.
    const std::pair<std::wstring, LONG> font{
        Utf8(Pick(ui::kDefaultFontFace, IsJapanese())),
        static_cast<LONG>(-::MulDiv(9, ScreenPixelsPerInch(), 72))};
    EXPECT_EQ(FontOf(f), font);
    EXPECT_EQ(FontOf(Ctl(f, IDC_NAME_LIST_LABEL)), font);
    EXPECT_EQ(::GetWindow(f, GW_OWNER), nullptr);
    EXPECT_EQ(LOWORD(::SendMessageW(f, DM_GETDEFID, 0, 0)), IDOK);  // the Enter key's button
    // The name-list page shows; choosing the first tab shows its controls instead.
    HWND tabs = Ctl(f, IDC_OPTION_TABS);
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(::IsWindowVisible(Ctl(f, IDC_NAME_LIST_PATH_EDIT)));
    EXPECT_FALSE(::IsWindowVisible(Ctl(f, IDC_ALWAYS_TOP_CHECK)));
    ::SendMessageW(tabs, TCM_SETCURFOCUS, 0, 0);  // as a click on the first tab does
    EXPECT_TRUE(::IsWindowVisible(Ctl(f, IDC_ALWAYS_TOP_CHECK)));
    EXPECT_FALSE(::IsWindowVisible(Ctl(f, IDC_NAME_LIST_PATH_EDIT)));
    Click(f, IDCANCEL);
  }});
  EXPECT_FALSE(ok);
}

// A font stored for the dialog by hand is the one it is laid out in: a larger one makes the
// dialog larger, and what a template cannot say (underline) reaches the controls too.
TEST_F(OptionsDialogTest, AFontStoredForTheDialogLaysItOut) {
  SIZE sizes[2] = {};
  for (int stored = 0; stored < 2; ++stored) {
    if (stored == 1) {
      const std::string section = FontSection("SetupForm", IsJapanese());
      Settings().Write(section, "Name", SettingValue(std::string("Courier New")));
      Settings().Write(section, "Size", SettingValue(int32_t{12}));
      Settings().Write(section, "Underline", SettingValue(true));
    }
    Show({[&](HWND f) {
      RECT r{};
      ::GetClientRect(f, &r);
      sizes[stored] = {r.right, r.bottom};
      if (stored == 1) {
        EXPECT_EQ(FontOf(f).first, L"Courier New");
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Ctl(f, IDOK), WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        EXPECT_EQ(std::wstring(font.lfFaceName), L"Courier New");
        EXPECT_TRUE(font.lfUnderline);
      }
      Click(f, IDCANCEL);
    }});
  }
  EXPECT_GT(sizes[1].cx, sizes[0].cx);
  EXPECT_GT(sizes[1].cy, sizes[0].cy);
}

// The memo font stored is the one in use: with none stored, the language's default face (in
// the code page's spelling), on OK as on Standard.
TEST_F(OptionsDialogTest, DefaultFontIsStoredByNameOnOkAndStandard) {
  const std::string face = Narrow(Utf8(Pick(ui::kDefaultFontFace, IsJapanese())));
  const std::string section = FontSection("Memo", IsJapanese());
  Show({[](HWND f) { Click(f, IDOK); }});
  EXPECT_EQ(Settings().ReadString(section, "Name", "?"), face);
  Settings().Write(section, "Name", SettingValue(std::string("Courier New")));
  Show({[](HWND f) {
    Click(f, IDC_STANDARD_FONT_BUTTON);
    Click(f, IDOK);
  }});
  EXPECT_EQ(Settings().ReadString(section, "Name", "?"), face);
  EXPECT_NE(IniText().find(section + "\\Name=String:" + face + "\r\n"), std::string::npos)
      << IniText();
}

// The rule itself is ConstrainDisappear's (core tests); here: the radios follow it, and a
// disabled one cannot be chosen even by its notification.
TEST_F(OptionsDialogTest, DisappearRadiosFollowTheAppearChoice) {
  Show({[](HWND f) {
    struct Step {
      int click, disappear;
      std::array<bool, 4> enabled;
    } steps[] = {
        {IDC_APPEAR_ALWAYS_RADIO, 0, {true, false, false, false}},
        {IDC_APPEAR_NEVER_RADIO, 0, {true, true, true, true}},
        {IDC_DISAPPEAR_ALWAYS_RADIO, 3, {true, true, true, true}},
        {IDC_APPEAR_IF_MEMO_RADIO, 1, {true, true, false, false}},
        {IDC_DISAPPEAR_ALWAYS_RADIO, 1, {true, true, false, false}},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.click);
      HWND radio = Ctl(f, s.click);
      ::SendMessageW(f, WM_COMMAND, MAKEWPARAM(s.click, BN_CLICKED), reinterpret_cast<LPARAM>(radio));
      EXPECT_EQ(CheckedOf(f, kDisappear), s.disappear);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(Enabled(f, kDisappear[i]), s.enabled[i]) << i;
    }
    Click(f, IDCANCEL);
  }});
}

// Cancel, Esc and the close box write nothing; OK and Enter write every option (in the order
// the core tests check) and save the file, the placement being kept in memory.
TEST_F(OptionsDialogTest, KeysAndButtonsThatCloseIt) {
  struct Case {
    const char* name;
    Step close;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"cancel", [](HWND f) { Click(f, IDCANCEL); }, false},
      {"escape", [](HWND f) { PressKey(Ctl(f, IDC_NAME_LIST_PATH_EDIT), VK_ESCAPE); }, false},
      {"close box", [](HWND f) { ::PostMessageW(f, WM_CLOSE, 0, 0); }, false},
      {"enter in the path box", [](HWND f) { PressKey(Ctl(f, IDC_NAME_LIST_PATH_EDIT), VK_RETURN); },
       true},
      {"OK", [](HWND f) { Click(f, IDOK); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreshSettingsFolder("pinote-options-dialog-test");
    Settings().Write("Memo", "AlwaysTop", SettingValue(true));
    Settings().Write("Meibo", "Path", SettingValue(std::string("old.dat")));
    const bool ok = Show({[](HWND f) {
                            Click(f, IDC_ALWAYS_TOP_CHECK);
                            Click(f, IDC_APPEAR_ON_START_CHECK);
                            Click(f, IDC_APPEAR_NEVER_RADIO);
                            Click(f, IDC_DISAPPEAR_ALWAYS_RADIO);
                            Type(Ctl(f, IDC_NAME_LIST_PATH_EDIT), L"new.dat");
                          },
                          c.close});
    EXPECT_EQ(ok, c.ok);
    const Options o = CurrentOptions();
    EXPECT_EQ(o.alwaysTop, !c.ok);
    EXPECT_EQ(o.appearOnStart, c.ok);
    EXPECT_EQ(o.nameListPath, c.ok ? "new.dat" : "old.dat");
    EXPECT_EQ(Has("Show", "Load"), c.ok);
    EXPECT_EQ(o.appear, c.ok ? AppearRule::Never : AppearRule::IfMemo);
    EXPECT_EQ(o.disappear, c.ok ? DisappearRule::Always : DisappearRule::IfNoMemo);
    EXPECT_EQ(IniText().find("Meibo\\Path=String:new.dat") != std::string::npos, c.ok);
    EXPECT_EQ(IniText().find("SetupForm\\"), std::string::npos);
    EXPECT_EQ(Has("SetupForm", "Left"), true);
    EXPECT_FALSE(Has("SetupForm", "Width"));  // a fixed dialog keeps no size
  }
}

TEST_F(OptionsDialogTest, StoredValuesAreShownAndAGroupWithoutChoiceStoresItsLastRule) {
  SettingsStore& st = Settings();
  st.Write("Address", "Visible", SettingValue(false));
  st.Write("Show", "Load", SettingValue(int32_t{7}));
  st.Write("Hide", "Load", SettingValue(int32_t{2}));
  st.Write("Memo", "Color", SettingValue(int32_t{0x0000FF}));
  st.Write("Meibo", "Path", SettingValue(std::string("D:\\a.dat")));
  Show({[](HWND f) {
    EXPECT_FALSE(Checked(f, IDC_SHOW_ADDRESS_CHECK));
    EXPECT_EQ(CheckedOf(f, kAppear), -1);
    EXPECT_EQ(CheckedOf(f, kDisappear), 2);
    EXPECT_EQ(Text(f, IDC_NAME_LIST_PATH_EDIT), L"D:\\a.dat");
    Click(f, IDC_STANDARD_FONT_BUTTON);  // the sample gets the window background
    Click(f, IDOK);
  }});
  EXPECT_EQ(st.ReadInt("Show", "Load", -1), 3);
  EXPECT_EQ(st.ReadInt("Hide", "Load", -1), 2);
  EXPECT_EQ(st.ReadInt("Memo", "Color", 0), static_cast<int32_t>(0x80000005));
}

TEST_F(OptionsDialogTest, CaptionsFollowTheLanguage) {
  struct Caption {
    int id;
    const char *ja, *en;
  };
  const Caption captions[] = {
      {IDC_SHOW_OTHER_ADDRESS_CHECK, "差出人の他のアドレスを表示する", "Show Other Address"},
      {IDC_FONT_SAMPLE, " フォント見本", "Font Sample"},
      {IDC_ON_LOADING_GROUP, "メールを開いたとき", "On Loading a Mail"},
      {IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO, "重要なメモがなければ隠す",
       "Disappear if Important memo doesn't exist"},
      {IDC_NAME_LIST_LABEL, "名簿ファイル", "Path of Name List File"},
      {IDOK, "ＯＫ", "OK"},
  };
  const char* pages[][2] = {{"表示", "View"}, {"フォント", "Font"}, {"見え隠れ", "Appear/Disappear"},
                            {"名簿", "Name List"}};
  const bool japanese = IsJapanese();
  Show({[&](HWND f) {
    for (const Caption& c : captions) EXPECT_EQ(Text(f, c.id), Utf8(japanese ? c.ja : c.en));
    HWND tabs = Ctl(f, IDC_OPTION_TABS);
    ASSERT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
      wchar_t buf[64] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = buf;
      item.cchTextMax = 64;
      ::SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
      EXPECT_EQ(std::wstring(buf), Utf8(pages[i][japanese ? 0 : 1]));
    }
    Click(f, IDCANCEL);
  }});
}

}  // namespace
}  // namespace pinote
