// The options table: typed reads with their fallbacks, the file a new store gets from the
// dialog's OK, fonts per language and window placements.
#include "common/options.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fake_file_system.h"

namespace pinote {
namespace {

using pinote::testing::FakeFileSystem;

const std::string kIni = "C:\\Becky\\PlugIns\\Pinote.ini";

// A store whose settings file holds `lines` (CR LF after each).
struct Store {
  explicit Store(const std::vector<std::string>& lines = {}) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    if (!lines.empty()) fs.files[kIni] = text;
  }
  FakeFileSystem fs;
  SettingsStore store{fs, [] { return std::string("C:\\Becky\\PlugIns\\Pinote.dll"); },
                      CodePage::ShiftJis()};
  std::vector<std::string> Keys() {
    std::vector<std::string> out;
    for (const SettingEntry& e : store.Entries()) out.push_back(e.keyText);
    return out;
  }
};

// The default fonts with their faces as the Win32 layer spells them in code page 932 and 1252.
StoredFont Default(bool japanese) {
  StoredFont font = DefaultFont(japanese);
  font.name = japanese ? "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E" : "Arial";
  return font;
}

TEST(ReadOptions, FallbacksWhenNothingIsStored) {
  for (bool japanese : {false, true}) {
    Store s;
    const Options o = ReadOptions(s.store, japanese, Default(japanese));
    EXPECT_FALSE(o.alwaysTop);
    EXPECT_TRUE(o.showImportance && o.showSender && o.showAddress && o.showOtherAddresses);
    EXPECT_EQ(o.memoFont, Default(japanese));
    EXPECT_EQ(o.memoFont.charset, japanese ? 128 : 0);
    EXPECT_EQ(o.memoColor, 0x80000005u);
    EXPECT_FALSE(o.appearOnStart);
    EXPECT_EQ(o.appear, AppearRule::IfMemo);
    EXPECT_EQ(o.disappear, DisappearRule::IfNoMemo);
    EXPECT_EQ(o.nameListPath, "");
    EXPECT_EQ(o.nameListHeight, 70);
    EXPECT_EQ(o.addressListWidth, 124);
    EXPECT_EQ(o.keywordHistory, "");
    EXPECT_TRUE(s.store.Entries().empty()) << "reading writes nothing";
  }
}

TEST(ReadOptions, StoredValuesAndUnreadableOnes) {
  Store s({"memo\\ALWAYSTOP=Boolean:True", "Sender\\Visible=Boolean:False",
           "Address\\Visible=Integer:0", "OtherAddress\\Visible=String:maybe",
           "Memo\\Color=Integer:255", "Show\\Start=Boolean:True", "Show\\Load=Integer:7",
           "Hide\\Load=String:x", "Meibo\\Path=String:D:\\\x95\x5C\\list.txt"});
  const Options o = ReadOptions(s.store, false, Default(false));
  EXPECT_TRUE(o.alwaysTop);
  EXPECT_TRUE(o.showImportance);
  EXPECT_FALSE(o.showSender);
  EXPECT_FALSE(o.showAddress);
  EXPECT_TRUE(o.showOtherAddresses) << "unreadable: the fallback";
  EXPECT_EQ(o.memoColor, 255u);
  EXPECT_TRUE(o.appearOnStart);
  EXPECT_EQ(static_cast<int>(o.appear), 7) << "kept as read";
  EXPECT_EQ(o.disappear, DisappearRule::IfNoMemo);
  EXPECT_EQ(o.nameListPath, "D:\\\x95\x5C\\list.txt");
}

// OK in the options dialog on first use: every option the dialog shows, in its order, the font
// in use (the default one) included; the windows' own settings are not the dialog's to write.
TEST(WriteOptions, ANewFileGetsEveryOptionInTheDialogsOrder) {
  Store s;
  WriteOptions(s.store, false, ReadOptions(s.store, false, Default(false)));
  EXPECT_TRUE(s.store.Save().ok());
  EXPECT_EQ(s.fs.Content(kIni),
            "Memo\\AlwaysTop=Boolean:False\r\n"
            "Importance\\Visible=Boolean:True\r\n"
            "Sender\\Visible=Boolean:True\r\n"
            "Address\\Visible=Boolean:True\r\n"
            "OtherAddress\\Visible=Boolean:True\r\n"
            "Memo\\Font\\English\\Name=String:Arial\r\n"
            "Memo\\Font\\English\\Charset=Integer:0\r\n"
            "Memo\\Font\\English\\Size=Integer:9\r\n"
            "Memo\\Font\\English\\Color=Integer:-2147483640\r\n"
            "Memo\\Font\\English\\Pitch=Integer:0\r\n"
            "Memo\\Font\\English\\Bold=Boolean:False\r\n"
            "Memo\\Font\\English\\Italic=Boolean:False\r\n"
            "Memo\\Font\\English\\Underline=Boolean:False\r\n"
            "Memo\\Font\\English\\Strikeout=Boolean:False\r\n"
            "Memo\\Color=Integer:-2147483643\r\n"
            "Show\\Start=Boolean:False\r\n"
            "Show\\Load=Integer:1\r\n"
            "Hide\\Load=Integer:1\r\n"
            "Meibo\\Path=String:\r\n");
}

// Each setting has one row: no key twice, no control twice (but the sample, which shows the
// font and its background colour), and every field reads and writes through its own row.
TEST(OptionTable, EachSettingOnceAndEachFieldItsOwnRow) {
  std::set<std::pair<std::string_view, std::string_view>> keys;
  std::multiset<int> controls;
  int rows = 0;
  ForEachOption([&](const auto& row) {
    ++rows;
    keys.insert({row.section, row.key});
    if (row.control != 0) controls.insert(row.control);
  });
  EXPECT_EQ(keys.size(), static_cast<size_t>(rows));
  EXPECT_EQ(controls.count(IDC_FONT_SAMPLE), 2u);
  EXPECT_EQ(std::set<int>(controls.begin(), controls.end()).size(), controls.size() - 1);
  Store s;
  WriteOption(s.store, &Options::nameListHeight, 90);
  WriteOption(s.store, &Options::addressListWidth, 200);
  WriteOption(s.store, &Options::keywordHistory, std::string("a\r\nb"));
  WriteOption(s.store, &Options::appear, AppearRule::Never);
  EXPECT_EQ(s.Keys(), (std::vector<std::string>{"Meibo\\Height", "UnifyForm\\ListWidth",
                                                 "UnifyForm\\Keyword", "Show\\Load"}));
  EXPECT_EQ(ReadOption(s.store, &Options::nameListHeight), 90);
  EXPECT_EQ(ReadOption(s.store, &Options::addressListWidth), 200);
  EXPECT_EQ(ReadOption(s.store, &Options::keywordHistory), "a\r\nb");
  EXPECT_EQ(ReadOption(s.store, &Options::appear), AppearRule::Never);
}

TEST(WriteOptions, ReadsBackWhatWasWritten) {
  Store s;
  Options o;
  o.alwaysTop = true;
  o.showAddress = false;
  o.memoFont = {"Courier New", 0, 14, 0x123456, 2, true, false, true, false};
  o.memoColor = 0x00FF00;
  o.appearOnStart = true;
  o.appear = AppearRule::Never;
  o.disappear = DisappearRule::Always;
  o.nameListPath = "C:\\names\\list.dat";
  WriteOptions(s.store, false, o);
  const Options back = ReadOptions(s.store, false, Default(false));
  EXPECT_TRUE(back.alwaysTop);
  EXPECT_FALSE(back.showAddress);
  EXPECT_EQ(back.memoFont, o.memoFont);
  EXPECT_EQ(back.memoColor, 0x00FF00u);
  EXPECT_EQ(back.appear, AppearRule::Never);
  EXPECT_EQ(back.disappear, DisappearRule::Always);
  EXPECT_EQ(back.nameListPath, o.nameListPath);
  EXPECT_EQ(ReadOptions(s.store, true, Default(true)).memoFont, Default(true))
      << "the other language's";
}

StoredFont Custom() { return {"Courier New", 0, 14, 0x00123456, 2, true, false, true, false}; }

TEST(ReadFont, NoNameGivesTheDefaultAndNothingElseIsRead) {
  for (const char* name : {static_cast<const char*>(nullptr), ""}) {
    Store s({"Memo\\Font\\English\\Size=Integer:30", "Memo\\Font\\English\\Bold=Boolean:True"});
    if (name) s.store.Write("Memo\\Font\\English", "Name", SettingValue(std::string(name)));
    EXPECT_EQ(ReadFont(s.store, "Memo", false, Default(false)), Default(false));
  }
}

TEST(ReadFont, NumbersOutOfRangeOrUnreadableKeepTheCurrentValue) {
  struct Case {
    const char* key;
    SettingValue stored;
    StoredFont expected;
  };
  auto with = [](auto change) {
    StoredFont f = Custom();
    f.name = "Arial";
    change(f);
    return f;
  };
  const Case cases[] = {
      {"Size", SettingValue(std::string("big")), with([](StoredFont&) {})},
      {"Size", SettingValue(int32_t{0}), with([](StoredFont&) {})},
      {"Size", SettingValue(int32_t{20}), with([](StoredFont& f) { f.size = 20; })},
      {"Charset", SettingValue(int32_t{300}), with([](StoredFont&) {})},
      {"Charset", SettingValue(int32_t{128}), with([](StoredFont& f) { f.charset = 128; })},
      {"Pitch", SettingValue(int32_t{7}), with([](StoredFont&) {})},
      {"Pitch", SettingValue(int32_t{1}), with([](StoredFont& f) { f.pitch = 1; })},
      {"Color", SettingValue(std::string("red")), with([](StoredFont&) {})},
      {"Color", SettingValue(int32_t{-2147483640}),
       with([](StoredFont& f) { f.color = 0x80000008; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Store s({"Memo\\Font\\English\\Name=String:Arial"});
    s.store.Write("Memo\\Font\\English", c.key, c.stored);
    EXPECT_EQ(ReadFont(s.store, "Memo", false, Custom()), c.expected);
  }
}

TEST(ReadFont, StylesChangeOnlyWhenStoredTrueOrFalse) {
  struct Case {
    SettingValue stored;
    bool before, after;
  };
  const Case cases[] = {
      {SettingValue(), true, true},         {SettingValue(), false, false},
      {SettingValue(true), false, true},    {SettingValue(false), true, false},
      {SettingValue(std::string("maybe")), true, true},
      {SettingValue(std::string("maybe")), false, false},
      {SettingValue(int32_t{1}), false, true}, {SettingValue(int32_t{0}), true, false},
  };
  const std::pair<const char*, bool StoredFont::*> styles[] = {
      {"Bold", &StoredFont::bold},
      {"Italic", &StoredFont::italic},
      {"Underline", &StoredFont::underline},
      {"Strikeout", &StoredFont::strikeout}};
  for (const auto& [key, flag] : styles) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << key << " " << c.before);
      Store s({"F\\Font\\Japanese\\Name=String:Arial"});
      s.store.Write("F\\Font\\Japanese", key, c.stored);
      StoredFont current;
      current.*flag = c.before;
      StoredFont expected = current;
      expected.name = "Arial";
      expected.*flag = c.after;
      EXPECT_EQ(ReadFont(s.store, "F", true, current), expected);
    }
  }
}

TEST(WriteFont, NineKeysUnderTheLanguagesSectionOnly) {
  Store s;
  WriteFont(s.store, "Memo", true, Custom());
  std::vector<std::string> expected;
  for (const char* k : {"Name", "Charset", "Size", "Color", "Pitch", "Bold", "Italic",
                        "Underline", "Strikeout"})
    expected.push_back(std::string("Memo\\Font\\Japanese\\") + k);
  EXPECT_EQ(s.Keys(), expected);
  EXPECT_EQ(ReadFont(s.store, "Memo", true, StoredFont{}), Custom());
  EXPECT_EQ(FontSection("A\\B", false), "A\\B\\Font\\English");
}

TEST(Placement, ReadsWithCurrentValuesAndComparesStateExactly) {
  struct Case {
    std::vector<std::string> lines;
    bool resizable;
    StoredPlacement expected;
  };
  const StoredPlacement current{5, 6, 300, 200, WindowState::Normal};
  const Case cases[] = {
      {{}, true, current},
      {{"W\\Left=Integer:-40", "W\\Top=Integer:70", "W\\Width=Integer:500",
        "W\\Height=Integer:400", "W\\State=String:Maximized"},
       true, {-40, 70, 500, 400, WindowState::Maximized}},
      {{"W\\Width=Integer:500", "W\\Height=Integer:400", "W\\State=String:Minimized"},
       false, {5, 6, 300, 200, WindowState::Minimized}},
      {{"W\\Left=String:far", "W\\State=String:maximized"}, true, current},
      {{"W\\State=String:MINIMIZED"}, true, current},
  };
  for (const Case& c : cases) {
    Store s(c.lines);
    const StoredPlacement p = ReadPlacement(s.store, "W", current, c.resizable);
    EXPECT_EQ(p.left, c.expected.left);
    EXPECT_EQ(p.top, c.expected.top);
    EXPECT_EQ(p.width, c.expected.width);
    EXPECT_EQ(p.height, c.expected.height);
    EXPECT_EQ(p.state, c.expected.state);
  }
}

TEST(Placement, WritesSizeOnlyForResizableWindows) {
  for (bool resizable : {true, false}) {
    Store s;
    WritePlacement(s.store, "W", {1, 2, 3, 4, WindowState::Minimized}, resizable);
    const std::vector<std::string> expected =
        resizable ? std::vector<std::string>{"W\\Width", "W\\Height", "W\\Left", "W\\Top",
                                             "W\\State"}
                  : std::vector<std::string>{"W\\Left", "W\\Top", "W\\State"};
    EXPECT_EQ(s.Keys(), expected);
    EXPECT_EQ(s.store.ReadString("W", "State", ""), "Minimized");
  }
}

TEST(KeepOnScreen, ClampsRightThenLeft) {
  struct Case {
    int position, size, screen, expected;
  } cases[] = {{100, 300, 1280, 100}, {1280, 300, 1280, 980}, {3840, 300, 1280, 980},
               {-50, 300, 1280, 0},   {50, 1380, 1280, 0},    {980, 300, 1280, 980}};
  for (const Case& c : cases) {
    EXPECT_EQ(KeepOnScreen(c.position, c.size, c.screen), c.expected) << c.position;
  }
}

}  // namespace
}  // namespace pinote
