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

TEST_F(OptionsDialogTest, FirstUseShowsDefaultsOnTheNameListPageAtTheDesignSize) {
  const bool ok = Show({[](HWND f) {
    EXPECT_FALSE(Checked(f, IDC_ALWAYS_TOP_CHECK));
    for (int id : {IDC_SHOW_IMPORTANCE_CHECK, IDC_SHOW_SENDER_CHECK, IDC_SHOW_ADDRESS_CHECK,
                   IDC_SHOW_OTHER_ADDRESS_CHECK}) {
      EXPECT_TRUE(Checked(f, id)) << id;
    }
    EXPECT_FALSE(Checked(f, IDC_APPEAR_ON_START_CHECK));
    EXPECT_EQ(CheckedOf(f, kAppear), 1);
    EXPECT_EQ(CheckedOf(f, kDisappear), 1);
    const bool enabled[] = {true, true, false, false};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Enabled(f, kDisappear[i]), enabled[i]) << i;
    EXPECT_EQ(Text(f, IDC_NAME_LIST_PATH_EDIT), L"");
    EXPECT_EQ(::SendMessageW(Ctl(f, IDC_OPTION_TABS), TCM_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(::IsWindowVisible(Ctl(f, IDC_NAME_LIST_PATH_EDIT)));
    EXPECT_FALSE(::IsWindowVisible(Ctl(f, IDC_ALWAYS_TOP_CHECK)));
    EXPECT_EQ(WindowText(f), L"Quillet for Becky!2");
    RECT r{};
    ::GetWindowRect(f, &r);
    EXPECT_EQ(r.right - r.left, 278);
    EXPECT_EQ(r.bottom - r.top, 291);
    EXPECT_EQ(::GetWindow(f, GW_OWNER), nullptr);
    // The Enter key's button.
    EXPECT_EQ(LOWORD(::SendMessageW(f, DM_GETDEFID, 0, 0)), IDOK);
    Click(f, IDCANCEL);
  }});
  EXPECT_FALSE(ok);
}

TEST_F(OptionsDialogTest, DisappearChoiceFollowsTheAppearSequence) {
  Show({[](HWND f) {
    struct Step {
      int click;
      int disappear;
      std::array<bool, 4> enabled;
    } steps[] = {
        {IDC_APPEAR_ALWAYS_RADIO, 0, {true, false, false, false}},
        {IDC_APPEAR_NEVER_RADIO, 0, {true, true, true, true}},  // enabled again, choice kept
        {IDC_DISAPPEAR_ALWAYS_RADIO, 3, {true, true, true, true}},
        {IDC_APPEAR_IF_IMPORTANT_RADIO, 2, {true, true, true, false}},
        {IDC_APPEAR_IF_MEMO_RADIO, 1, {true, true, false, false}},
        {IDC_DISAPPEAR_ALWAYS_RADIO, 1, {true, true, false, false}},  // disabled: not chosen
        {IDC_DISAPPEAR_NEVER_RADIO, 0, {true, true, false, false}},
        {IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO, 0, {true, true, false, false}},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.click);
      // A disabled button takes no clicks; its notification is what would have to be refused.
      HWND radio = Ctl(f, s.click);
      if (::IsWindowEnabled(radio)) {
        Click(f, s.click);
      } else {
        ::SendMessageW(::GetParent(radio), WM_COMMAND, MAKEWPARAM(s.click, BN_CLICKED),
                       reinterpret_cast<LPARAM>(radio));
      }
      EXPECT_EQ(CheckedOf(f, kDisappear), s.disappear);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(Enabled(f, kDisappear[i]), s.enabled[i]) << i;
    }
    Click(f, IDCANCEL);
  }});
}

TEST_F(OptionsDialogTest, OkWithoutChangesWritesEveryKeyInOrderAndSaves) {
  EXPECT_TRUE(Show({[](HWND f) { Click(f, IDOK); }}));
  const std::string ini = IniText();
  const std::vector<std::string> lines = {
      "Memo\\AlwaysTop=Boolean:False",
      "Importance\\Visible=Boolean:True",
      "Sender\\Visible=Boolean:True",
      "Address\\Visible=Boolean:True",
      "OtherAddress\\Visible=Boolean:True",
      "Memo\\Font\\" + std::string(IsJapanese() ? "Japanese" : "English") + "\\Name=String:",
      "\\Bold=Boolean:False",
      "\\Strikeout=Boolean:False",
      "Memo\\Color=Integer:-2147483643",
      "Show\\Start=Boolean:False",
      "Show\\Load=Integer:1",
      "Hide\\Load=Integer:1",
      "Meibo\\Path=String:\r\n",
  };
  size_t at = 0;
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    const size_t found = ini.find(line, at);
    ASSERT_NE(found, std::string::npos) << ini;
    at = found + line.size();
  }
  // The placement is recorded on closing, after the save: in memory only.
  EXPECT_EQ(ini.find("SetupForm\\"), std::string::npos);
  EXPECT_TRUE(Has("SetupForm", "Left"));
  EXPECT_FALSE(Has("SetupForm", "Width"));  // a fixed dialog keeps no size
}

TEST_F(OptionsDialogTest, OkStoresTheChangedValues) {
  const bool ok = Show({[](HWND f) {
    Click(f, IDC_ALWAYS_TOP_CHECK);
    Click(f, IDC_SHOW_SENDER_CHECK);
    Click(f, IDC_APPEAR_ON_START_CHECK);
    Click(f, IDC_APPEAR_NEVER_RADIO);
    Click(f, IDC_DISAPPEAR_ALWAYS_RADIO);
    Type(Ctl(f, IDC_NAME_LIST_PATH_EDIT), L"C:\\names\\list.dat");
    Click(f, IDOK);
  }});
  ASSERT_TRUE(ok);
  const Options o = ReadOptions(Settings(), IsJapanese());
  EXPECT_TRUE(o.alwaysTop);
  EXPECT_FALSE(o.showSender);
  EXPECT_TRUE(o.appearOnStart);
  EXPECT_EQ(o.appear, AppearRule::Never);
  EXPECT_EQ(o.disappear, DisappearRule::Always);
  EXPECT_EQ(o.nameListPath, "C:\\names\\list.dat");
  EXPECT_NE(IniText().find("Meibo\\Path=String:C:\\names\\list.dat"), std::string::npos);
}

TEST_F(OptionsDialogTest, StoredValuesAreShownAndOutOfRangeRulesStoreThree) {
  SettingsStore& st = Settings();
  st.Write("Memo", "AlwaysTop", SettingValue(true));
  st.Write("Address", "Visible", SettingValue(false));
  st.Write("Show", "Load", SettingValue(int32_t{7}));
  st.Write("Hide", "Load", SettingValue(int32_t{2}));
  st.Write("Meibo", "Path", SettingValue(std::string("D:\\a.dat")));
  const bool ok = Show({[](HWND f) {
    EXPECT_TRUE(Checked(f, IDC_ALWAYS_TOP_CHECK));
    EXPECT_FALSE(Checked(f, IDC_SHOW_ADDRESS_CHECK));
    EXPECT_EQ(CheckedOf(f, kAppear), -1);
    EXPECT_EQ(CheckedOf(f, kDisappear), 2);
    for (int id : kDisappear) EXPECT_TRUE(Enabled(f, id));
    EXPECT_EQ(Text(f, IDC_NAME_LIST_PATH_EDIT), L"D:\\a.dat");
    Click(f, IDOK);
  }});
  ASSERT_TRUE(ok);
  EXPECT_EQ(st.ReadInt("Show", "Load", -1), 3);
  EXPECT_EQ(st.ReadInt("Hide", "Load", -1), 2);
}

// Cancel, Esc, the close box and Enter: the dialog manager's keys, and what each writes.
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreshSettingsFolder("pinote-options-dialog-test");
    Settings().Write("Memo", "AlwaysTop", SettingValue(true));
    Settings().Write("Meibo", "Path", SettingValue(std::string("old.dat")));
    const bool ok = Show({[](HWND f) {
                            Click(f, IDC_ALWAYS_TOP_CHECK);
                            Click(f, IDC_APPEAR_ALWAYS_RADIO);
                            Click(f, IDC_STANDARD_FONT_BUTTON);
                            Type(Ctl(f, IDC_NAME_LIST_PATH_EDIT), L"new.dat");
                          },
                          c.close});
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(Settings().ReadBool("Memo", "AlwaysTop", true), !c.ok);
    EXPECT_EQ(Settings().ReadString("Meibo", "Path", ""), c.ok ? "new.dat" : "old.dat");
    EXPECT_EQ(Has("Show", "Load"), c.ok);
    EXPECT_EQ(Has("Memo", "Color"), c.ok);
    EXPECT_EQ(IniText().empty(), !c.ok);
  }
}

TEST_F(OptionsDialogTest, StandardGivesTheSampleTheWindowBackground) {
  Settings().Write("Memo", "Color", SettingValue(int32_t{0x0000FF}));
  Show({[](HWND f) {
    Click(f, IDC_STANDARD_FONT_BUTTON);
    Click(f, IDOK);
  }});
  EXPECT_EQ(Settings().ReadInt("Memo", "Color", 0), static_cast<int32_t>(0x80000005));
}

TEST_F(OptionsDialogTest, CaptionsFollowTheLanguage) {
  struct Caption {
    int id;
    const char* ja;
    const char* en;
  };
  const std::vector<Caption> captions = {
      {IDC_ALWAYS_TOP_CHECK, "常に手前に表示する", "Always Top"},
      {IDC_SHOW_IMPORTANCE_CHECK, "重要かどうかを表示する", "Show Importance Check"},
      {IDC_SHOW_SENDER_CHECK, "差出人を表示する", "Show Sender"},
      {IDC_SHOW_ADDRESS_CHECK, "差出人のアドレスを表示する", "Show Sender Address"},
      {IDC_SHOW_OTHER_ADDRESS_CHECK, "差出人の他のアドレスを表示する", "Show Other Address"},
      {IDC_FONT_SAMPLE, " フォント見本", "Font Sample"},
      {IDC_FONT_BUTTON, "フォント ...", "Font ..."},
      {IDC_BACKGROUND_BUTTON, "背景色 ...", "Background ..."},
      {IDC_STANDARD_FONT_BUTTON, "標準", "Standard"},
      {IDC_APPEAR_ON_START_CHECK, "起動時に現す", "Appear on Start"},
      {IDC_ON_LOADING_GROUP, "メールを開いたとき", "On Loading a Mail"},
      {IDC_APPEAR_ALWAYS_RADIO, "常に現わす", "Always Appear"},
      {IDC_APPEAR_IF_MEMO_RADIO, "メモがあれば現わす", "Appear if Memo exists"},
      {IDC_APPEAR_IF_IMPORTANT_RADIO, "重要なメモがあれば現わす", "Appear if Important memo exists"},
      {IDC_APPEAR_NEVER_RADIO, "現わさない", "Not Appear"},
      {IDC_DISAPPEAR_NEVER_RADIO, "隠さない", "Not Disappear"},
      {IDC_DISAPPEAR_IF_NO_MEMO_RADIO, "メモがなければ隠す", "Disappear if Memo doesn't exist"},
      {IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO, "重要なメモがなければ隠す",
       "Disappear if Important memo doesn't exist"},
      {IDC_DISAPPEAR_ALWAYS_RADIO, "常に隠す", "Always Disappear"},
      {IDC_NAME_LIST_LABEL, "名簿ファイル", "Path of Name List File"},
      {IDC_NAME_LIST_BROWSE, "...", "..."},
      {IDOK, "ＯＫ", "OK"},
      {IDCANCEL, "キャンセル", "Cancel"},
      {IDC_HELP_BUTTON, "ヘルプ", "Help"},
  };
  const bool japanese = IsJapanese();
  Show({[&](HWND f) {
    for (const Caption& c : captions) {
      SCOPED_TRACE(c.en);
      EXPECT_EQ(Text(f, c.id), Utf8(japanese ? c.ja : c.en));
    }
    const std::vector<std::pair<const char*, const char*>> pages = {
        {"表示", "View"}, {"フォント", "Font"}, {"見え隠れ", "Appear/Disappear"},
        {"名簿", "Name List"}};
    HWND tab = Ctl(f, IDC_OPTION_TABS);
    ASSERT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
      wchar_t buf[64] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = buf;
      item.cchTextMax = 64;
      ::SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
      EXPECT_EQ(std::wstring(buf), Utf8(japanese ? pages[i].first : pages[i].second));
    }
    Click(f, IDCANCEL);
  }});
}

TEST_F(OptionsDialogTest, ChoosingAPageShowsItsControls) {
  Show({[](HWND f) {
    HWND tab = Ctl(f, IDC_OPTION_TABS);
    ::SendMessageW(tab, TCM_SETCURFOCUS, 0, 0);  // as a click on the first tab does
    EXPECT_EQ(::SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(::IsWindowVisible(Ctl(f, IDC_ALWAYS_TOP_CHECK)));
    EXPECT_FALSE(::IsWindowVisible(Ctl(f, IDC_NAME_LIST_PATH_EDIT)));
    Click(f, IDCANCEL);
  }});
}

}  // namespace
}  // namespace pinote
