#include "host/menu_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pinote {
namespace {

// The host's texts as a Japanese Becky! shows them, in Shift-JIS.
const std::string kHelpJa = "\x83\x77\x83\x8b\x83\x76";                   // ヘルプ
const std::string kToolJa = "\x83\x63\x81\x5b\x83\x8b";                   // ツール
const std::string kAboutJa = "Becky!\x82\xc9\x82\xc2\x82\xa2\x82\xc4";    // Becky!について
const std::string kPluginHelpJa =
    "\x83\x76\x83\x89\x83\x4f\x83\x43\x83\x93\x83\x77\x83\x8b\x83\x76";   // プラグインヘルプ
const std::string kAboutPluginsJa =
    "\x83\x76\x83\x89\x83\x4f\x83\x43\x83\x93\x82\xc9\x82\xc2\x82\xa2\x82\xc4";

MenuMarks Marks() {
  MenuMarks m;
  m.helpMenu = {kHelpJa, "&Help"};
  m.toolMenu = {kToolJa, "&Tool"};
  m.aboutItem = {kAboutJa, "&About \"Becky!\""};
  m.helpSubmenu = {kPluginHelpJa, "Plugin Help"};
  m.aboutSubmenu = {kAboutPluginsJa, "About Plugins"};
  return m;
}

using Texts = std::vector<std::string>;

TEST(BeginsWithAny, ComparesLeadingBytesExactly) {
  struct Case {
    std::string text;
    std::vector<std::string> prefixes;
    bool expected;
  } cases[] = {
      {"&Help", {"&Help"}, true},
      {"&Help\tF1", {"&Help"}, true},
      {"&help", {"&Help"}, false},
      {"Help", {"&Help"}, false},
      {"&Hel", {"&Help"}, false},
      {"", {"&Help"}, false},
      {"anything", {""}, false},  // an empty mark matches nothing
      {"anything", {}, false},
      {kHelpJa + "(&H)", {kToolJa, kHelpJa}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(BeginsWithAny(c.text, c.prefixes), c.expected);
  }
}

TEST(HelpMenuIndex, FirstHelpTextElseLastItem) {
  struct Case {
    const char* name;
    Texts bar;
    int expected;
  } cases[] = {
      {"english", {"&File", "&Edit", "&Tool", "&Help"}, 3},
      {"japanese", {"F", kHelpJa + "(&H)", "X"}, 1},
      {"first of two", {"&Help", "&Help"}, 0},
      {"none: last", {"&File", "&Edit", "&Window"}, 2},
      {"lower case is not help", {"&File", "&help", "&View"}, 2},
      {"empty bar", {}, -1},
  };
  const MenuMarks m = Marks();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HelpMenuIndex(c.bar, m), c.expected);
  }
}

TEST(PositionAfterAbout, OnePastAboutElseEnd) {
  struct Case {
    const char* name;
    Texts help;
    int after;
    int aboutSubmenu;
  } cases[] = {
      {"contents, separator, about", {"&Contents", "", "&About \"Becky!\"..."}, 3, 3},
      {"about in the middle", {"&About \"Becky!\"", "&Contents"}, 1, 1},
      {"japanese about", {"x", kAboutJa + "(&A)...", "y"}, 2, 2},
      {"no about item", {"&Contents", "Index"}, 2, 2},
      {"empty menu", {}, 0, 0},
      {"plugin help right after about",
       {"&About \"Becky!\"", "Plugin Help", "More"}, 1, 2},
      {"japanese plugin help after about", {kAboutJa, kPluginHelpJa}, 1, 2},
      {"plugin help further down is not skipped",
       {"&About \"Becky!\"", "", "Plugin Help"}, 1, 1},
      {"about plugins after about is not skipped",
       {"&About \"Becky!\"", "About Plugins"}, 1, 1},
  };
  const MenuMarks m = Marks();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PositionAfterAbout(c.help, m), c.after);
    EXPECT_EQ(AboutSubmenuPosition(c.help, m), c.aboutSubmenu);
  }
}

// Reference for the group scan: the lowest label, then the first empty text below it.
ToolGroupScan ReferenceScan(const Texts& tool, const std::string& label) {
  int labelAt = -1;
  for (size_t i = 0; i < tool.size(); ++i) {
    if (tool[i].compare(0, label.size(), label) == 0) labelAt = static_cast<int>(i);
  }
  if (labelAt < 0) return {};
  for (size_t i = static_cast<size_t>(labelAt) + 1; i < tool.size(); ++i) {
    if (tool[i].empty()) return {true, static_cast<int>(i)};
  }
  return {true, -1};
}

TEST(ScanToolGroup, FindsTheSeparatorClosingTheGroup) {
  struct Case {
    const char* name;
    Texts tool;
    bool labelFound;
    int insertAt;
  } cases[] = {
      {"no label", {"&Options", "", "Filter"}, false, -1},
      {"empty menu", {}, false, -1},
      {"label, member, separator", {"&Options", "ZOLV", "Other", "", "Last"}, true, 3},
      {"label at the end", {"&Options", "", "ZOLV"}, true, -1},
      {"label, member, no separator", {"A", "ZOLV", "Member"}, true, -1},
      {"two separators below: first one", {"ZOLV", "M", "", "X", ""}, true, 2},
      {"separator above the label ignored", {"", "ZOLV", "M"}, true, -1},
      {"several labels: the lowest", {"ZOLV", "a", "", "ZOLV", "b", "", "c"}, true, 5},
      {"label with suffix", {"ZOLV tools", "m", ""}, true, 2},
      {"lower case is no label", {"zolv", "m", ""}, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolGroupScan scan = ScanToolGroup(c.tool, "ZOLV");
    EXPECT_EQ(scan.labelFound, c.labelFound);
    EXPECT_EQ(scan.insertAt, c.insertAt);
    const ToolGroupScan ref = ReferenceScan(c.tool, "ZOLV");
    EXPECT_EQ(scan.labelFound, ref.labelFound);
    EXPECT_EQ(scan.insertAt, ref.insertAt);
  }
}

TEST(LastLabelIndex, LowestLabelOrMinusOne) {
  struct Case {
    Texts tool;
    int expected;
  } cases[] = {
      {{}, -1},
      {{"a", "b"}, -1},
      {{"ZOLV"}, 0},
      {{"ZOLV", "x", "ZOLV", "y"}, 2},
      {{"x", "", "ZOL"}, -1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(LastLabelIndex(cases[i].tool, "ZOLV"), cases[i].expected);
  }
}

TEST(CountBackslashes, CountsCharactersNotBytes) {
  struct Case {
    std::string folder;
    int expected;
  } cases[] = {
      {"", 0},
      {"Inbox", 0},
      {"1234abcd\\", 1},
      {"1234abcd\\!!!!Inbox\\", 2},
      {"a\\b\\c\\d", 3},
      {"\\\\", 2},
      // 表示 (95 5C 8E A6) and ソ (83 5C) hold 0x5C as their second byte.
      {"\x95\x5c\x8e\xa6", 0},
      {"box\\\x95\x5c\x8e\xa6", 1},
      {"box\\\x83\x5c\\", 2},
      {"\x83\x5c\x83\x5c\x83\x5c", 0},
      // A lone lead byte at the end does not hide anything.
      {"a\\b\\\x83", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(CountBackslashes(c.folder, CodePage::ShiftJis()), c.expected);
  }
}

TEST(AppendSelection, JoinsWithOneLineBreak) {
  struct Case {
    std::string memo, selection, expected;
  } cases[] = {
      {"abc", "xyz", "abc\r\nxyz"},
      {"abc\r\n", "xyz", "abc\r\nxyz"},
      {"abc\n", "xyz", "abc\nxyz"},
      {"abc\r", "xyz", "abc\rxyz"},
      {"", "xyz", "xyz"},
      {"abc", "", "abc"},
      {"", "", ""},
      {"abc", "\r\nxyz\r\n", "abc\r\n\r\nxyz\r\n"},
      // A double-byte last character is not mistaken for a line end.
      {"\x83\x5c", "x", "\x83\x5c\r\nx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.memo + "|" + c.selection);
    EXPECT_EQ(AppendSelection(c.memo, c.selection), c.expected);
  }
}

}  // namespace
}  // namespace pinote
