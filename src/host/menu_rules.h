// Where the plug-in's items go in the host's menus, decided over the menus' item texts alone.
// Texts and marks are UTF-8 (the Win32 layer reads menus in UTF-16); matching is an exact,
// case-sensitive "begins with" of their bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"

namespace pinote {

// The texts that identify the host's menus and the shared submenus, each in every language
// the host may use. An empty mark never matches (a text the code page cannot express).
struct MenuMarks {
  std::vector<std::string> helpMenu;      // "ヘルプ", "&Help"
  std::vector<std::string> toolMenu;      // "ツール", "&Tool"
  std::vector<std::string> aboutItem;     // "Becky!について", "&About \"Becky!\""
  std::vector<std::string> helpSubmenu;   // "プラグインヘルプ", "Plugin Help"
  std::vector<std::string> aboutSubmenu;  // "プラグインについて", "About Plugins"
  std::string groupLabel = "ZOLV";
};

// True when `text` begins with one of the non-empty `prefixes`; empty prefixes are skipped.
[[nodiscard]] bool BeginsWithAny(std::string_view text, const std::vector<std::string>& prefixes);

// Index of the first text beginning with one of `prefixes`, or -1 (also for an empty list).
[[nodiscard]] int FindFirstBeginning(const std::vector<std::string>& texts,
                                     const std::vector<std::string>& prefixes);

// The Help menu among the menu bar's texts: the first beginning with a help mark, else the last
// item; -1 for an empty menu bar.
[[nodiscard]] int HelpMenuIndex(const std::vector<std::string>& barTexts, const MenuMarks& marks);

// One past the host's About item in the Help menu, or the item count when there is none.
[[nodiscard]] int PositionAfterAbout(const std::vector<std::string>& helpTexts,
                                     const MenuMarks& marks);

// Where a new "About Plugins" submenu goes: after the About item, one further when a shared help
// submenu stands right there (so help stays above About); the count when there is no About item.
[[nodiscard]] int AboutSubmenuPosition(const std::vector<std::string>& helpTexts,
                                       const MenuMarks& marks);

struct ToolGroupScan {
  bool labelFound = false;
  int insertAt = -1;  // the separator closing the group below the label, or -1 (append)
};
// Scans the Tool menu from the bottom up to the lowest item beginning with `label`; insertAt is
// the topmost empty-text item below it. No label: {false, -1}.
[[nodiscard]] ToolGroupScan ScanToolGroup(const std::vector<std::string>& toolTexts,
                                          std::string_view label);

// Index of the lowest item beginning with `label`, or -1.
[[nodiscard]] int LastLabelIndex(const std::vector<std::string>& toolTexts, std::string_view label);

// Number of "\" characters of a folder text, counted by the characters of `cp` so that the second
// byte of a double-byte character (0x5C in Shift-JIS, GBK, Korean and Big5) never counts. "" gives
// 0.
[[nodiscard]] int CountBackslashes(std::string_view folder, const CodePage& cp);

// `memo` followed by `selection`, with "\r\n" between them unless the memo is empty or already
// ends with CR or LF. An empty selection gives the memo unchanged.
[[nodiscard]] std::string AppendSelection(std::string_view memo, std::string_view selection);

}  // namespace pinote
