#include "forms/win32/setup_form.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "common/win32/env.h"
#include "forms/win32/control_ids.h"
#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

constexpr std::array<int, 4> kAppear = {ids::kAppearAlwaysRadio, ids::kAppearMemoRadio,
                                        ids::kAppearImportantRadio, ids::kAppearNeverRadio};
constexpr std::array<int, 4> kHide = {ids::kHideNeverRadio, ids::kHideNoMemoRadio,
                                      ids::kHideNoImportantRadio, ids::kHideAlwaysRadio};

int CheckedOf(HWND form, const std::array<int, 4>& group) {
  int found = -1;
  for (int i = 0; i < 4; ++i) {
    if (Checked(form, group[i])) {
      EXPECT_EQ(found, -1) << "two radios checked in one group";
      found = i;
    }
  }
  return found;
}

class SetupFormTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = FreshSettingsFolder("pinote-setup-form-test"); }
  void TearDown() override {
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  bool Show(std::vector<Step> steps) {
    return RunScripted(ids::kSetupFormClass, std::move(steps),
                       [] { return ShowSetupForm(nullptr, nullptr); });
  }
  std::string IniText() const { return ReadFileBytes(folder_ + "\\Pinote.ini"); }
  static bool Has(const char* section, const char* key) {
    return !std::holds_alternative<std::monostate>(
        Settings().Read(section, key, SettingValue{}));
  }

  std::string folder_;
};

TEST_F(SetupFormTest, FirstUseShowsDefaultsOnTheNameListPage) {
  const bool ok = Show({[](HWND f) {
    EXPECT_FALSE(Checked(f, ids::kAlwaysTopCheck));
    for (int id : {ids::kSetupImportanceCheck, ids::kSenderCheck, ids::kAddressCheck,
                   ids::kOtherAddressCheck}) {
      EXPECT_TRUE(Checked(f, id)) << id;
    }
    EXPECT_FALSE(Checked(f, ids::kAppearOnStartCheck));
    EXPECT_EQ(CheckedOf(f, kAppear), 1);
    EXPECT_EQ(CheckedOf(f, kHide), 1);
    EXPECT_TRUE(Enabled(f, ids::kHideNeverRadio));
    EXPECT_TRUE(Enabled(f, ids::kHideNoMemoRadio));
    EXPECT_FALSE(Enabled(f, ids::kHideNoImportantRadio));
    EXPECT_FALSE(Enabled(f, ids::kHideAlwaysRadio));
    EXPECT_EQ(Text(f, ids::kMeiboEdit), L"");
    EXPECT_EQ(::SendMessageW(Ctl(f, ids::kPageControl1), TCM_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(::IsWindowVisible(Ctl(f, ids::kMeiboEdit)));
    EXPECT_FALSE(::IsWindowVisible(Ctl(f, ids::kAlwaysTopCheck)));
    EXPECT_EQ(WindowText(f), L"Quillet for Becky!2");
    Click(f, ids::kSetupCancelButton);
  }});
  EXPECT_FALSE(ok);
}

// The reference of the constraint: the disappear rule never stricter than the appear rule.
struct HideState {
  std::array<bool, 4> enabled;
  int checked;
};
HideState ExpectedHide(int appear, int hideBefore) {
  switch (appear) {
    case 0: return {{true, false, false, false}, 0};
    case 1: return {{true, true, false, false}, hideBefore > 1 ? 1 : hideBefore};
    case 2: return {{true, true, true, false}, hideBefore > 2 ? 2 : hideBefore};
    default: return {{true, true, true, true}, hideBefore};
  }
}

TEST_F(SetupFormTest, AppearChoiceConstrainsHideRadiosForEveryCombination) {
  Show({[](HWND f) {
    for (int hideBefore = 0; hideBefore < 4; ++hideBefore) {
      for (int appear = 0; appear < 4; ++appear) {
        SCOPED_TRACE("hide " + std::to_string(hideBefore) + " appear " + std::to_string(appear));
        Click(f, ids::kAppearNeverRadio);  // frees every Hide radio
        Click(f, kHide[hideBefore]);
        ASSERT_EQ(CheckedOf(f, kHide), hideBefore);
        Click(f, kAppear[appear]);
        const HideState want = ExpectedHide(appear, hideBefore);
        EXPECT_EQ(CheckedOf(f, kAppear), appear);
        EXPECT_EQ(CheckedOf(f, kHide), want.checked);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Enabled(f, kHide[i]), want.enabled[i]) << i;
      }
    }
    Click(f, ids::kSetupCancelButton);
  }});
}

TEST_F(SetupFormTest, HideChoiceFollowsTheAppearSequence) {
  Show({[](HWND f) {
    Click(f, ids::kAppearAlwaysRadio);
    EXPECT_EQ(CheckedOf(f, kHide), 0);
    Click(f, ids::kAppearNeverRadio);
    EXPECT_EQ(CheckedOf(f, kHide), 0);  // enabled again, choice kept
    for (int id : kHide) EXPECT_TRUE(Enabled(f, id));
    Click(f, ids::kHideAlwaysRadio);
    Click(f, ids::kAppearImportantRadio);
    EXPECT_EQ(CheckedOf(f, kHide), 2);
    Click(f, ids::kAppearMemoRadio);
    EXPECT_EQ(CheckedOf(f, kHide), 1);
    // A disabled Hide radio cannot be chosen.
    Click(f, ids::kHideAlwaysRadio);
    EXPECT_EQ(CheckedOf(f, kHide), 1);
    Click(f, ids::kSetupCancelButton);
  }});
}

TEST_F(SetupFormTest, OkWithoutChangesWritesEveryKeyInOrderAndSaves) {
  const bool ok = Show({[](HWND f) { Click(f, ids::kSetupOKButton); }});
  EXPECT_TRUE(ok);
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

TEST_F(SetupFormTest, OkStoresTheChangedValues) {
  const bool ok = Show({[](HWND f) {
    Click(f, ids::kAlwaysTopCheck);
    Click(f, ids::kSenderCheck);
    Click(f, ids::kAppearOnStartCheck);
    Click(f, ids::kAppearNeverRadio);
    Click(f, ids::kHideAlwaysRadio);
    Type(Ctl(f, ids::kMeiboEdit), L"C:\\names\\list.dat");
    Click(f, ids::kSetupOKButton);
  }});
  ASSERT_TRUE(ok);
  SettingsStore& st = Settings();
  EXPECT_TRUE(st.ReadBool("Memo", "AlwaysTop", false));
  EXPECT_FALSE(st.ReadBool("Sender", "Visible", true));
  EXPECT_TRUE(st.ReadBool("Show", "Start", false));
  EXPECT_TRUE(ShouldAppearOnStart());
  EXPECT_EQ(st.ReadInt("Show", "Load", -1), 3);
  EXPECT_EQ(st.ReadInt("Hide", "Load", -1), 3);
  EXPECT_EQ(st.ReadString("Meibo", "Path", "?"), "C:\\names\\list.dat");
  EXPECT_NE(IniText().find("Meibo\\Path=String:C:\\names\\list.dat"), std::string::npos);
}

TEST_F(SetupFormTest, StoredValuesAreShownAndOutOfRangeRulesStoreThree) {
  SettingsStore& st = Settings();
  st.Write("Memo", "AlwaysTop", SettingValue(true));
  st.Write("Address", "Visible", SettingValue(false));
  st.Write("Show", "Load", SettingValue(int32_t{7}));
  st.Write("Hide", "Load", SettingValue(int32_t{2}));
  st.Write("Meibo", "Path", SettingValue(std::string("D:\\a.dat")));
  const bool ok = Show({[](HWND f) {
    EXPECT_TRUE(Checked(f, ids::kAlwaysTopCheck));
    EXPECT_FALSE(Checked(f, ids::kAddressCheck));
    EXPECT_EQ(CheckedOf(f, kAppear), -1);
    EXPECT_EQ(CheckedOf(f, kHide), 2);
    for (int id : kHide) EXPECT_TRUE(Enabled(f, id));
    EXPECT_EQ(Text(f, ids::kMeiboEdit), L"D:\\a.dat");
    Click(f, ids::kSetupOKButton);
  }});
  ASSERT_TRUE(ok);
  EXPECT_EQ(st.ReadInt("Show", "Load", -1), 3);
  EXPECT_EQ(st.ReadInt("Hide", "Load", -1), 2);
}

// Cancel, Esc and the close box leave every option as it was and write no file.
TEST_F(SetupFormTest, CancelEscAndCloseWriteNothing) {
  struct Case {
    const char* name;
    Step close;
  };
  const std::vector<Case> cases = {
      {"cancel", [](HWND f) { Click(f, ids::kSetupCancelButton); }},
      {"escape",
       [](HWND f) {
         HWND edit = Ctl(f, ids::kMeiboEdit);
         ::SetFocus(edit);
         ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
       }},
      {"close box", [](HWND f) { ::PostMessageW(f, WM_CLOSE, 0, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreshSettingsFolder("pinote-setup-form-test");
    Settings().Write("Memo", "AlwaysTop", SettingValue(true));
    Settings().Write("Meibo", "Path", SettingValue(std::string("old.dat")));
    const bool ok = Show({[](HWND f) {
                            Click(f, ids::kAlwaysTopCheck);
                            Click(f, ids::kAppearAlwaysRadio);
                            Click(f, ids::kStandardButton);
                            Type(Ctl(f, ids::kMeiboEdit), L"new.dat");
                          },
                          c.close});
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Settings().ReadBool("Memo", "AlwaysTop", false));
    EXPECT_EQ(Settings().ReadString("Meibo", "Path", ""), "old.dat");
    for (const auto& [section, key] :
         std::vector<std::pair<const char*, const char*>>{{"Show", "Load"},
                                                          {"Hide", "Load"},
                                                          {"Memo", "Color"},
                                                          {"Sender", "Visible"},
                                                          {"Show", "Start"}}) {
      EXPECT_FALSE(Has(section, key)) << section << "\\" << key;
    }
    EXPECT_EQ(IniText(), "");
  }
}

TEST_F(SetupFormTest, EnterInTheEditIsOk) {
  const bool ok = Show({[](HWND f) {
    HWND edit = Ctl(f, ids::kMeiboEdit);
    Type(edit, L"typed.dat");
    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  }});
  EXPECT_TRUE(ok);
  EXPECT_EQ(Settings().ReadString("Meibo", "Path", ""), "typed.dat");
}

TEST_F(SetupFormTest, StandardGivesTheSampleTheWindowBackground) {
  Settings().Write("Memo", "Color", SettingValue(int32_t{0x0000FF}));
  Show({[](HWND f) {
    Click(f, ids::kStandardButton);
    Click(f, ids::kSetupOKButton);
  }});
  EXPECT_EQ(Settings().ReadInt("Memo", "Color", 0), static_cast<int32_t>(0x80000005));
}

TEST_F(SetupFormTest, CaptionsFollowTheLanguage) {
  struct Caption {
    int id;
    const char* ja;
    const char* en;
  };
  const std::vector<Caption> captions = {
      {ids::kAlwaysTopCheck, "常に手前に表示する", "Always Top"},
      {ids::kSetupImportanceCheck, "重要かどうかを表示する", "Show Importance Check"},
      {ids::kSenderCheck, "差出人を表示する", "Show Sender"},
      {ids::kAddressCheck, "差出人のアドレスを表示する", "Show Sender Address"},
      {ids::kOtherAddressCheck, "差出人の他のアドレスを表示する", "Show Other Address"},
      {ids::kFontPanel, " フォント見本", "Font Sample"},
      {ids::kFontButton, "フォント ...", "Font ..."},
      {ids::kBackgroundButton, "背景色 ...", "Background ..."},
      {ids::kStandardButton, "標準", "Standard"},
      {ids::kAppearOnStartCheck, "起動時に現す", "Appear on Start"},
      {ids::kAppearAlwaysRadio, "常に現わす", "Always Appear"},
      {ids::kAppearMemoRadio, "メモがあれば現わす", "Appear if Memo exists"},
      {ids::kAppearImportantRadio, "重要なメモがあれば現わす", "Appear if Important memo exists"},
      {ids::kAppearNeverRadio, "現わさない", "Not Appear"},
      {ids::kHideNeverRadio, "隠さない", "Not Disappear"},
      {ids::kHideNoMemoRadio, "メモがなければ隠す", "Disappear if Memo doesn't exist"},
      {ids::kHideNoImportantRadio, "重要なメモがなければ隠す",
       "Disappear if Important memo doesn't exist"},
      {ids::kHideAlwaysRadio, "常に隠す", "Always Disappear"},
      {ids::kMeiboLabel, "名簿ファイル", "Path of Name List File"},
      {ids::kMeiboButton, "...", "..."},
      {ids::kSetupOKButton, "ＯＫ", "OK"},
      {ids::kSetupCancelButton, "キャンセル", "Cancel"},
      {ids::kHelpButton, "ヘルプ", "Help"},
  };
  Show({[&](HWND f) {
    for (const Caption& c : captions) {
      SCOPED_TRACE(c.en);
      EXPECT_EQ(Text(f, c.id), Tr(c.ja, c.en));
    }
    const std::vector<std::pair<const char*, const char*>> pages = {
        {"表示", "View"}, {"フォント", "Font"}, {"見え隠れ", "Appear/Disappear"},
        {"名簿", "Name List"}};
    HWND tab = Ctl(f, ids::kPageControl1);
    ASSERT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
      wchar_t buf[64] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = buf;
      item.cchTextMax = 64;
      ::SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
      EXPECT_EQ(std::wstring(buf), Tr(pages[i].first, pages[i].second));
    }
    Click(f, ids::kSetupCancelButton);
  }});
}

TEST_F(SetupFormTest, ChoosingAPageShowsItsControls) {
  Show({[](HWND f) {
    HWND tab = Ctl(f, ids::kPageControl1);
    ::SendMessageW(tab, TCM_SETCURFOCUS, 0, 0);  // as a click on the first tab does
    EXPECT_EQ(::SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(::IsWindowVisible(Ctl(f, ids::kAlwaysTopCheck)));
    EXPECT_FALSE(::IsWindowVisible(Ctl(f, ids::kMeiboEdit)));
    Click(f, ids::kSetupCancelButton);
  }});
}

}  // namespace
}  // namespace pinote
