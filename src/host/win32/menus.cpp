#include "host/win32/menus.h"

#include <cstring>

#include "common/texts.h"
#include "common/win32/env.h"
#include "common/win32/handles.h"
#include "common/win32/help.h"
#include "forms/win32/main_form.h"
#include "host/win32/about_form.h"
#include "host/win32/host_api.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

constexpr char kInfoComment[] = "Information about this PlugIn";
constexpr char kOpenMemoComment[] = "Open Memo";
constexpr char kAppendMemoComment[] = "AppendMemo";

// GetMenuString's limit, terminating zero included.
constexpr int kMenuTextLimit = 255;

// A mark in the system code page. A Japanese mark on a code page without Japanese comes back as
// question marks, which would match unrelated items; such a mark is dropped instead.
std::string AnsiMark(const char* utf8) {
  const std::string ansi = Utf8ToAnsi(utf8);
  return Widen(ansi) == Utf8(utf8) ? ansi : std::string();
}

std::wstring PluginNameW() { return Utf8(kPluginName); }

int RegisterCommand(const char* comment, int type, CommandCallback callback) {
  return HostFn<BKA_RegisterCommand_t>(HostApi().RegisterCommand)(comment, type, callback);
}

// The plug-in's bitmap beside an item, for its normal state only.
void SetItemBitmap(HMENU menu, int position) {
  ::SetMenuItemBitmaps(menu, static_cast<UINT>(position), MF_BYPOSITION, MenuBitmap(), nullptr);
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

// Finds the shared submenu marked by `lookFor` in the Help menu, or inserts a new one with
// `caption` at `insertAt`; then appends the plug-in's item running `callback`.
void AddSharedEntry(HMENU help, const std::vector<std::string>& lookFor, int insertAt,
                    const std::wstring& caption, CommandCallback callback, int type) {
  const std::vector<std::string> texts = MenuItemTexts(help);
  HMENU shared = SubmenuAt(help, FindFirstBeginning(texts, lookFor));
  if (shared == nullptr) {
    UniqueMenu popup(::CreatePopupMenu());
    if (!popup) return;
    if (!::InsertMenuW(help, static_cast<UINT>(insertAt), MF_BYPOSITION | MF_POPUP | MF_STRING,
                       reinterpret_cast<UINT_PTR>(popup.get()), caption.c_str())) {
      return;
    }
    shared = popup.release();  // the Help menu owns it now
  }
  const int id = RegisterCommand(kInfoComment, type, callback);
  if (!::AppendMenuW(shared, MF_STRING, static_cast<UINT_PTR>(id), PluginNameW().c_str())) return;
  SetItemBitmap(shared, ::GetMenuItemCount(shared) - 1);
}

// The popup that AddToolGroup hands out when the host has no Tool menu: attached nowhere, so
// the plug-in keeps and frees it (each main-menu build replaces the previous one).
UniqueMenu& DetachedToolPopup() {
  static UniqueMenu popup;
  return popup;
}

void PumpPendingMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to consume: the host's loop must still see it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

class ClipboardLock {
 public:
  ClipboardLock() {
    // Right after the host's copy the clipboard can still be held for a moment.
    for (int attempt = 0; attempt < 5 && !open_; ++attempt) {
      open_ = ::OpenClipboard(nullptr) != FALSE;
      if (!open_) ::Sleep(20);
    }
  }
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  ~ClipboardLock() {
    if (open_) ::CloseClipboard();
  }
  [[nodiscard]] bool open() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace

const MenuMarks& HostMenuMarks() {
  static const MenuMarks marks = [] {
    MenuMarks m;
    m.helpMenu = {AnsiMark("ヘルプ"), "&Help"};
    m.toolMenu = {AnsiMark("ツール"), "&Tool"};
    m.aboutItem = {AnsiMark("Becky!について"), "&About \"Becky!\""};
    m.helpSubmenu = {AnsiMark("プラグインヘルプ"), "Plugin Help"};
    m.aboutSubmenu = {AnsiMark("プラグインについて"), "About Plugins"};
    m.groupLabel = "ZOLV";
    return m;
  }();
  return marks;
}

std::vector<std::string> MenuItemTexts(HMENU menu) {
  std::vector<std::string> texts;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char buffer[kMenuTextLimit] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(i), buffer, kMenuTextLimit, MF_BYPOSITION);
    buffer[kMenuTextLimit - 1] = '\0';
    texts.emplace_back(buffer);  // up to the first zero byte
  }
  return texts;
}

void AddAboutEntry(HMENU bar, int type) {
  HMENU help = HelpMenu(bar);
  if (help == nullptr) return;
  const MenuMarks& marks = HostMenuMarks();
  AddSharedEntry(help, marks.aboutSubmenu, AboutSubmenuPosition(MenuItemTexts(help), marks),
                 Tr("プラグインについて", "About Plugins"), &AboutCommand, type);
}

void AddHelpEntry(HMENU bar, int type) {
  HMENU help = HelpMenu(bar);
  if (help == nullptr) return;
  const MenuMarks& marks = HostMenuMarks();
  AddSharedEntry(help, marks.helpSubmenu, PositionAfterAbout(MenuItemTexts(help), marks),
                 Tr("プラグインヘルプ", "Plugin Help"), &PluginHelpCommand, type);
}

HMENU AddToolGroup(HMENU bar) {
  MainMenuHandle() = bar;
  HMENU tool = ToolMenu(bar);
  if (tool == nullptr) {
    DetachedToolPopup().reset(::CreatePopupMenu());
    return DetachedToolPopup().get();
  }
  const std::string& label = HostMenuMarks().groupLabel;
  const ToolGroupScan scan = ScanToolGroup(MenuItemTexts(tool), label);
  if (!scan.labelFound) {
    ::AppendMenuW(tool, MF_STRING | MF_ENABLED, 0, Widen(label).c_str());
  }
  UniqueMenu popup(::CreatePopupMenu());
  if (!popup) return nullptr;
  const UINT_PTR item = reinterpret_cast<UINT_PTR>(popup.get());
  BOOL added;
  if (scan.insertAt < 0) {
    added = ::AppendMenuW(tool, MF_POPUP | MF_STRING, item, PluginNameW().c_str());
  } else {
    added = ::InsertMenuW(tool, static_cast<UINT>(scan.insertAt),
                          MF_BYPOSITION | MF_POPUP | MF_STRING, item, PluginNameW().c_str());
  }
  return added ? popup.release() : nullptr;
}

void AddOpenItem(HMENU popup, int type) {
  const int id = RegisterCommand(kOpenMemoComment, type, &OpenMemoCommand);
  if (popup == nullptr) return;
  if (!::AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(id),
                     Tr("Quilletを開く", "Open the Quillet").c_str())) {
    return;
  }
  SetItemBitmap(popup, ::GetMenuItemCount(popup) - 1);
}

void CloseToolGroupIn(HMENU bar) {
  if (bar == nullptr) return;
  HMENU tool = ToolMenu(bar);
  if (tool == nullptr) return;
  const int label = LastLabelIndex(MenuItemTexts(tool), HostMenuMarks().groupLabel);
  if (label < 0) return;
  ::DeleteMenu(tool, static_cast<UINT>(label), MF_BYPOSITION);
  ::InsertMenuW(tool, static_cast<UINT>(label), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void CloseToolGroup() {
  if (HostApiBound()) CloseToolGroupIn(MainMenuHandle());
}

void AddAppendItem(HMENU menu, int type) {
  if (HostApi().GetCurrentFolder == nullptr) return;
  const char* folder = HostFn<BKA_GetCurrentFolder_t>(HostApi().GetCurrentFolder)();
  if (CountBackslashes(folder != nullptr ? folder : "") < 2) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const int id = RegisterCommand(kAppendMemoComment, type, &AppendMemoCommand);
  ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id),
                Tr("Quilletに選択文字列を追加", "Quillet: Append the selected string").c_str());
}

std::string ReadClipboardAnsi() {
  ClipboardLock lock;
  if (!lock.open()) return {};
  HANDLE data = ::GetClipboardData(CF_TEXT);
  if (data == nullptr) return {};
  const auto* text = static_cast<const char*>(::GlobalLock(data));
  if (text == nullptr) return {};
  // The block may lack its terminating zero; never read past its size.
  const size_t size = ::GlobalSize(data);
  const size_t length = strnlen(text, size);
  std::string result(text, length);
  ::GlobalUnlock(data);
  return result;
}

bool AppendSelectionToMemo(HWND window, TMainForm& form) {
  if (HostApi().Command != nullptr) {
    HostFn<BKA_Command_t>(HostApi().Command)(window, "EditCopy");
  }
  PumpPendingMessages();  // the host may finish the copy through posted messages
  const std::string selection = ReadClipboardAnsi();
  if (selection.empty()) return false;
  form.SetMemoText(AppendSelection(form.MemoText(), selection));
  form.ShowAndActivate();
  return true;
}

void WINAPI AboutCommand(HWND window, LPARAM param) {
  Guarded(nullptr, [] { ShowAbout(nullptr); });
}

void WINAPI PluginHelpCommand(HWND window, LPARAM param) {
  Guarded(window, [window] { ShowHelp(window); });
}

void WINAPI OpenMemoCommand(HWND window, LPARAM param) {
  Guarded(window, [] {
    if (TMainForm* form = MainForm()) form->ShowAndActivate();
  });
}

void WINAPI AppendMemoCommand(HWND window, LPARAM param) {
  Guarded(window, [window] {
    if (TMainForm* form = MainForm()) AppendSelectionToMemo(window, *form);
  });
}

}  // namespace pinote
