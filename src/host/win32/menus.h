// The plug-in's entries in the host's menus and the commands they run, and what the library
// keeps from load to unload, which the entry points share with those commands.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "forms/win32/memo_window.h"
#include "host/menu_rules.h"

namespace pinote {

struct PluginState {
  std::string description;  // ANSI, fixed at load by the language
  UniqueBitmap menuBitmap;  // 16 x 16, the menu's background behind the pure green
  HMENU mainMenu = nullptr;  // the host's menu bar (borrowed), kept for BKC_OnStart
  bool memoWindowCreated = false;  // by the first main-menu build
  std::unique_ptr<MemoWindow> memoWindow;  // null before that build and after BKC_OnExit
};
[[nodiscard]] PluginState& State();

// Main menu bar (type 0): "About Plugins" and "Plugin Help" entries in the Help menu, the
// plug-in's submenu in the Tool menu's "ZOLV" group (the popup is returned for AddOpenItem; it
// is attached nowhere when the host has no Tool menu).
void AddAboutEntry(HMENU bar, int type);
void AddHelpEntry(HMENU bar, int type);
HMENU AddToolGroup(HMENU bar);
void AddOpenItem(HMENU popup, int type);
// Context menus (types 3 and 4): the append item when the current folder lies two "\" deep.
void AddAppendItem(HMENU menu, int type);
// At BKC_OnStart: the "ZOLV" label of `bar`'s Tool menu becomes a separator.
void CloseToolGroup(HMENU bar);

// The command callbacks registered with the host. None lets an exception reach the host.
void WINAPI AboutCommand(HWND window, LPARAM param);
void WINAPI PluginHelpCommand(HWND window, LPARAM param);
void WINAPI OpenMemoCommand(HWND window, LPARAM param);
void WINAPI AppendMemoCommand(HWND window, LPARAM param);

// The marks of the host's menus in both languages, UTF-8.
[[nodiscard]] const MenuMarks& HostMenuMarks();
// Texts of a menu's items by position, read in UTF-16 and given as UTF-8 (limit 255, "" for
// separators), so that texts the system's code page cannot hold still compare.
[[nodiscard]] std::vector<std::string> MenuItemTexts(HMENU menu);

// AppendMemoCommand: has the host copy `window`'s selection and appends the clipboard text to
// the memo window that `memoWindow` gives once the copy is done (the host may have closed it
// meanwhile). False (nothing changed) when the host's copy left the clipboard alone (nothing
// selected: what is there was copied earlier, elsewhere), when it holds no text, or when there
// is no memo window any more.
bool AppendSelectionToMemo(HWND window, const std::function<MemoWindow*()>& memoWindow);

}  // namespace pinote
