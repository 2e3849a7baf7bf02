#include "host/win32/menus.h"

#include "common/texts.h"
#include "common/win32/message_box.h"
#include "common/win32/module_paths.h"
#include "common/win32/text.h"
#include "forms/win32/dialogs.h"
#include "host/win32/host_api.h"

namespace pinote {
namespace {

constexpr char kInfoComment[] = "Information about this PlugIn";
// GetMenuString's limit, terminating zero included.
constexpr int kMenuTextLimit = 255;

// The marks of both languages, UTF-8 as the menu texts are read: the plug-in makes its Japanese
// submenus in UTF-16, which the system's code page need not hold (/JAPANESE on a Western system).
std::vector<std::string> Utf8Marks(const UiText& text) { return {text.japanese, text.english}; }

int RegisterCommand(const char* comment, int type, CommandCallback callback) {
  return HostFn<BKA_RegisterCommand_t>(HostApi().RegisterCommand)(comment, type, callback);
}

// Appends an item running `callback` and gives it the plug-in's bitmap (normal state only).
void AppendCommand(HMENU menu, const wchar_t* text, const char* comment, int type,
                   CommandCallback callback) {
  const int id = RegisterCommand(comment, type, callback);
  if (menu != nullptr && ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text)) {
    ::SetMenuItemBitmaps(menu, static_cast<UINT>(::GetMenuItemCount(menu) - 1), MF_BYPOSITION,
                         State().menuBitmap.get(), nullptr);
  }
}

HMENU SubmenuAt(HMENU menu, int position) {
  return position >= 0 ? ::GetSubMenu(menu, position) : nullptr;
}

HMENU HelpMenu(HMENU bar) {
  return SubmenuAt(bar, HelpMenuIndex(MenuItemTexts(bar), HostMenuMarks()));
}

HMENU ToolMenu(HMENU bar) {
  return SubmenuAt(bar, FindFirstBeginning(MenuItemTexts(bar), HostMenuMarks().toolMenu));
}

// Finds the shared submenu marked by `lookFor` in the Help menu, or inserts a new one called
// `caption` at `insertAt`; then appends the plug-in's item running `callback`.
void AddSharedEntry(HMENU help, const std::vector<std::string>& lookFor, int insertAt,
                    const UiText& caption, CommandCallback callback, int type) {
  HMENU shared = SubmenuAt(help, FindFirstBeginning(MenuItemTexts(help), lookFor));
  if (shared == nullptr) {
    UniqueMenu popup(::CreatePopupMenu());
    if (!::InsertMenuW(help, static_cast<UINT>(insertAt), MF_BYPOSITION | MF_POPUP | MF_STRING,
                       reinterpret_cast<UINT_PTR>(popup.get()), Tr(caption).c_str())) {
      return;
    }
    shared = popup.release();  // the Help menu owns it now
  }
  AppendCommand(shared, Utf8(kPluginName).c_str(), kInfoComment, type, callback);
}

// The popup that AddToolGroup hands out when the host has no Tool menu: attached nowhere, so
// the plug-in keeps and frees it (each main-menu build replaces the previous one).
UniqueMenu g_detachedToolPopup;

}  // namespace

const MenuMarks& HostMenuMarks() {
  static const MenuMarks marks{Utf8Marks(ui::kHostHelpMenu), Utf8Marks(ui::kHostToolMenu),
                               Utf8Marks(ui::kHostAboutItem), Utf8Marks(ui::kPluginHelpMenu),
                               Utf8Marks(ui::kAboutPluginsMenu)};
  return marks;
}

std::vector<std::string> MenuItemTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0, count = ::GetMenuItemCount(menu); i < count; ++i) {
    wchar_t buffer[kMenuTextLimit] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(i), buffer, kMenuTextLimit, MF_BYPOSITION);
    buffer[kMenuTextLimit - 1] = L'\0';
    texts.push_back(ToUtf8(buffer));  // up to the first zero
  }
  return texts;
}

void AddAboutEntry(HMENU bar, int type) {
  if (HMENU help = HelpMenu(bar)) {
    AddSharedEntry(help, HostMenuMarks().aboutSubmenu,
                   AboutSubmenuPosition(MenuItemTexts(help), HostMenuMarks()),
                   ui::kAboutPluginsMenu, &AboutCommand, type);
  }
}

void AddHelpEntry(HMENU bar, int type) {
  if (HMENU help = HelpMenu(bar)) {
    AddSharedEntry(help, HostMenuMarks().helpSubmenu,
                   PositionAfterAbout(MenuItemTexts(help), HostMenuMarks()), ui::kPluginHelpMenu,
                   &PluginHelpCommand, type);
  }
}

HMENU AddToolGroup(HMENU bar) {
  State().mainMenu = bar;
  HMENU tool = ToolMenu(bar);
  if (tool == nullptr) {
    g_detachedToolPopup.reset(::CreatePopupMenu());
    return g_detachedToolPopup.get();
  }
  const std::string& label = HostMenuMarks().groupLabel;
  const ToolGroupScan scan = ScanToolGroup(MenuItemTexts(tool), label);
  if (!scan.labelFound) ::AppendMenuW(tool, MF_STRING | MF_ENABLED, 0, Utf8(label).c_str());
  UniqueMenu popup(::CreatePopupMenu());
  const UINT_PTR item = reinterpret_cast<UINT_PTR>(popup.get());
  const std::wstring name = Utf8(kPluginName);
  const bool added =
      scan.insertAt < 0
          ? ::AppendMenuW(tool, MF_POPUP | MF_STRING, item, name.c_str())
          : ::InsertMenuW(tool, static_cast<UINT>(scan.insertAt),
                          MF_BYPOSITION | MF_POPUP | MF_STRING, item, name.c_str());
  return added ? popup.release() : nullptr;
}

void AddOpenItem(HMENU popup, int type) {
  AppendCommand(popup, Tr(ui::kOpenMemoItem).c_str(), "Open Memo", type, &OpenMemoCommand);
}

void CloseToolGroup(HMENU bar) {
  HMENU tool = bar != nullptr ? ToolMenu(bar) : nullptr;
  const int label =
      tool != nullptr ? LastLabelIndex(MenuItemTexts(tool), HostMenuMarks().groupLabel) : -1;
  if (label < 0) return;
  ::DeleteMenu(tool, static_cast<UINT>(label), MF_BYPOSITION);
  ::InsertMenuW(tool, static_cast<UINT>(label), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void AddAppendItem(HMENU menu, int type) {
  const char* folder = HostFn<BKA_GetCurrentFolder_t>(HostApi().GetCurrentFolder)();
  if (CountBackslashes(folder != nullptr ? folder : "", SystemCodePage()) < 2) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const int id = RegisterCommand("AppendMemo", type, &AppendMemoCommand);
  ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), Tr(ui::kAppendItem).c_str());
}

bool AppendSelectionToMemo(HWND window, const std::function<MemoWindow*()>& memoWindow) {
  const DWORD clipboardBefore = ::GetClipboardSequenceNumber();
  HostFn<BKA_Command_t>(HostApi().Command)(window, "EditCopy");
  // The host may finish the copy through posted messages: let them through (a WM_QUIT is not
  // ours to consume; the host's loop must still see it).
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  if (::GetClipboardSequenceNumber() == clipboardBefore) return false;
  const std::string selection = ReadClipboardAnsi();
  MemoWindow* memo = memoWindow();  // after the messages: the host may have closed it
  if (selection.empty() || memo == nullptr) return false;
  memo->SetMemoText(AppendSelection(memo->MemoText(), selection));
  memo->ShowAndActivate();
  return true;
}

void WINAPI AboutCommand(HWND, LPARAM) { ShowAbout(); }

void WINAPI PluginHelpCommand(HWND window, LPARAM) {
  Guarded(window, [window] { ShowHelp(window); });
}

void WINAPI OpenMemoCommand(HWND window, LPARAM) {
  Guarded(window, [] {
    if (MemoWindow* memo = State().memoWindow.get()) memo->ShowAndActivate();
  });
}

void WINAPI AppendMemoCommand(HWND window, LPARAM) {
  Guarded(window, [window] {
    if (State().memoWindow) {
      AppendSelectionToMemo(window, [] { return State().memoWindow.get(); });
    }
  });
}

}  // namespace pinote
