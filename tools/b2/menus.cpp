// The host's menu bar and context menus, and the command identifiers handed out to plug-ins.
// Plug-ins edit these menus directly by handle and position, so the texts here are the ones
// they look for ("&Tool", "&Help", "&About \"Becky!\"" and their Japanese forms).
#include <map>

#include "b2.h"
#include "plugin_call.h"

namespace b2 {
namespace {

struct Registered {
  std::string comment;
  int target;
  pinote::CommandCallback callback;
};
std::map<int, Registered>& Commands() {
  static std::map<int, Registered> commands;
  return commands;
}
int next_command = 0x8000;

const wchar_t* T(const char* ja, const char* en) {
  static std::map<std::string, std::wstring> cache;
  const char* s = Opt().japanese ? ja : en;
  auto it = cache.find(s);
  if (it == cache.end()) it = cache.emplace(s, Wide(s)).first;
  return it->second.c_str();
}

HMENU Popup(HMENU bar, const wchar_t* text) {
  HMENU p = CreatePopupMenu();
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(p), text);
  return p;
}

std::string Strip(const std::string& s) {  // "&Tool" -> "Tool"
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size() && s[i + 1] != '&') continue;
    out += s[i];
  }
  return out;
}

bool TextMatches(const std::string& item, const std::string& wanted) {
  return item == wanted || Strip(item) == Strip(wanted);
}

void CopySelection(HWND edit) {
  if (edit) SendMessageW(edit, WM_COPY, 0, 0);
}

HWND FocusedEdit(HWND origin) {
  if (origin == H().view || IsComposer(GetParent(origin))) return origin;
  if (IsComposer(origin)) return ComposerEditor(origin);
  return H().view;
}

}  // namespace

HMENU BuildMenuBar() {
  HMENU bar = CreateMenu();
  HMENU file = Popup(bar, T("ファイル(&F)", "&File"));
  AppendMenuW(file, MF_STRING, kCmdNewMail, T("新規メール作成(&N)", "&New mail"));
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kCmdExit, T("終了(&X)", "E&xit"));
  HMENU edit = Popup(bar, T("編集(&E)", "&Edit"));
  AppendMenuW(edit, MF_STRING, kCmdCopy, T("コピー(&C)", "&Copy"));
  AppendMenuW(edit, MF_STRING, kCmdSelectAll, T("すべて選択(&A)", "Select &All"));
  HMENU view = Popup(bar, T("表示(&V)", "&View"));
  AppendMenuW(view, MF_STRING, kCmdRefresh, T("最新の情報に更新(&R)", "&Refresh"));
  HMENU tool = Popup(bar, T("ツール(&T)", "&Tool"));
  AppendMenuW(tool, MF_STRING, kCmdPluginSetup,
              T("プラグインの設定(&P)...", "Plug-in setup..."));
  HMENU help = Popup(bar, T("ヘルプ(&H)", "&Help"));
  AppendMenuW(help, MF_STRING, kCmdContents, T("目次(&C)", "&Contents"));
  AppendMenuW(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(help, MF_STRING, kCmdAbout, T("Becky!について(&A)", "&About \"Becky!\""));
  CallMenuInit(H().main, bar, pinote::kMenuMain);
  return bar;
}

HMENU BuildContextMenu(HWND owner, int type) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kCmdCopy, T("コピー(&C)", "&Copy"));
  AppendMenuW(menu, MF_STRING, kCmdSelectAll, T("すべて選択(&A)", "Select &All"));
  CallMenuInit(owner, menu, type);
  return menu;
}

int RegisterCommand(const std::string& comment, int target, pinote::CommandCallback cb) {
  int id = next_command++;
  Commands()[id] = {comment, target, cb};
  char buf[16];
  snprintf(buf, sizeof buf, "0x%04X", id);
  Log(std::string("register-command id=") + buf + " target=" + std::to_string(target) +
      " comment=" + Quote(AnsiToUtf8(comment)));
  return id;
}

bool DispatchCommand(int id, HWND origin) {
  auto it = Commands().find(id);
  if (it != Commands().end()) {
    char buf[16];
    snprintf(buf, sizeof buf, "0x%04X", id);
    Log(std::string("command id=") + buf + " comment=" + Quote(AnsiToUtf8(it->second.comment)) +
        " window=" + Quote(Utf8(ClassOf(origin))));
    if (it->second.callback)
      CallPlugin(std::string("command id=") + buf, it->second.callback, origin, 0);
    return true;
  }
  switch (id) {
    case kCmdNewMail: OpenComposer(); return true;
    case kCmdExit: PostMessageW(H().main, WM_CLOSE, 0, 0); return true;
    case kCmdCopy: CopySelection(FocusedEdit(origin)); return true;
    case kCmdSelectAll: SendMessageW(FocusedEdit(origin), EM_SETSEL, 0, -1); return true;
    case kCmdPluginSetup: CallSetup(H().main); return true;
    case kCmdRefresh: return true;
    case kCmdContents:
    case kCmdAbout:
      MessageBoxW(H().main, L"B2 stand-in host for plug-in tests", L"Becky!", MB_OK);
      return true;
  }
  return false;
}

std::string MenuText(HMENU menu, int pos) {
  wchar_t buf[256] = {};
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_STRING;
  mi.dwTypeData = buf;
  mi.cch = 255;
  if (!GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &mi)) return {};
  return Utf8(buf);
}

void DumpMenu(HMENU menu, const std::string& prefix) {
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP | MIIM_STATE | MIIM_CHECKMARKS;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi);
    std::string path = prefix.empty() ? std::to_string(i) : prefix + "." + std::to_string(i);
    std::string text = MenuText(menu, i);
    std::string kind = (mi.fType & MFT_SEPARATOR) ? "separator"
                       : mi.hSubMenu              ? "popup"
                       : text.empty()             ? "empty"
                                                  : "item";
    char id[16];
    snprintf(id, sizeof id, "0x%04X", mi.hSubMenu ? 0u : mi.wID);  // popups: handle noise
    Log("menu " + path + " " + kind + " id=" + id + " text=" + Quote(text) +
        (mi.hbmpItem || mi.hbmpUnchecked ? " bitmap=1" : " bitmap=0") +
        ((mi.fState & MFS_DISABLED) ? " disabled=1" : ""));
    if (mi.hSubMenu) DumpMenu(mi.hSubMenu, path);
  }
}

int FindMenuText(HMENU menu, const std::string& text) {
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i)
    if (TextMatches(MenuText(menu, i), text)) return i;
  return -1;
}

int FindMenuPath(HMENU menu, const std::string& path) {
  size_t start = 0;
  while (menu) {
    size_t slash = path.find('/', start);
    std::string part = path.substr(start, slash == std::string::npos ? slash : slash - start);
    int pos = FindMenuText(menu, part);
    if (pos < 0) return -1;
    if (slash == std::string::npos) {
      UINT id = GetMenuItemID(menu, pos);
      return id == static_cast<UINT>(-1) ? -1 : static_cast<int>(id);
    }
    menu = GetSubMenu(menu, pos);
    start = slash + 1;
  }
  return -1;
}

}  // namespace b2
