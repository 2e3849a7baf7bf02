// A second plug-in for the menu tests: it joins the host menus by the same conventions as
// Quillet (shared "Plugin Help" and "About Plugins" submenus after the host's About item, a
// "ZOLV" labelled group in the Tool menu), so that loading it first shows how Quillet reuses
// what another plug-in already built.
#include <windows.h>

#include <cstring>
#include <string>

#include "host/win32/host_api.h"

namespace {

constexpr char kName[] = "Other Plugin";

std::string ItemText(HMENU menu, int pos) {
  char buf[256] = {};
  GetMenuStringA(menu, static_cast<UINT>(pos), buf, 255, MF_BYPOSITION);
  return buf;
}

bool Begins(const std::string& text, const char* a, const char* b = nullptr) {
  return text.rfind(a, 0) == 0 || (b && text.rfind(b, 0) == 0);
}

// Top-level submenu whose text begins with one of the prefixes, else (when `last`) the last.
HMENU TopMenu(HMENU bar, const char* ja, const char* en, bool last) {
  int n = GetMenuItemCount(bar);
  for (int i = 0; i < n; ++i)
    if (Begins(ItemText(bar, i), ja, en)) return GetSubMenu(bar, i);
  return last && n > 0 ? GetSubMenu(bar, n - 1) : nullptr;
}

int AfterAbout(HMENU help) {
  int n = GetMenuItemCount(help);
  for (int i = 0; i < n; ++i)
    if (Begins(ItemText(help, i), "Becky!\x82\xC9\x82\xC2\x82\xA2\x82\xC4", "&About \"Becky!\""))
      return i + 1;
  return n;
}

HMENU SharedSubmenu(HMENU help, const char* ja, const char* en, bool skip_help) {
  int n = GetMenuItemCount(help);
  for (int i = 0; i < n; ++i)
    if (Begins(ItemText(help, i), ja, en)) return GetSubMenu(help, i);
  int pos = AfterAbout(help);
  if (skip_help && Begins(ItemText(help, pos), "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x83\x77\x83\x8B\x83\x76", "Plugin Help"))
    ++pos;
  HMENU sub = CreatePopupMenu();
  InsertMenuA(help, static_cast<UINT>(pos), MF_BYPOSITION | MF_POPUP | MF_STRING,
              reinterpret_cast<UINT_PTR>(sub), en);
  return sub;
}

void WINAPI AboutCommand(HWND window, LPARAM) {
  MessageBoxA(window, "Other Plugin 1.0\r\nA second plug-in for the B2 tests.", kName, MB_OK);
}

void WINAPI HelpCommand(HWND window, LPARAM) {
  MessageBoxA(window, "Other Plugin has no help file.", kName, MB_OK);
}

void WINAPI SettingsCommand(HWND window, LPARAM) {
  MessageBoxA(window, "Other Plugin has no settings.", kName, MB_OK);
}

void AddToolGroup(HMENU bar, int target, pinote::BKA_RegisterCommand_t reg) {
  HMENU tool = TopMenu(bar, "\x83\x63\x81\x5B\x83\x8B", "&Tool", false);  // "ツール"
  if (!tool) return;
  int n = GetMenuItemCount(tool), separator = -1;
  bool label = false;
  for (int i = n - 1; i >= 0; --i) {
    std::string t = ItemText(tool, i);
    if (t.empty()) separator = i;
    if (Begins(t, "ZOLV")) {
      label = true;
      break;
    }
  }
  if (!label) {
    AppendMenuA(tool, MF_STRING, 0, "ZOLV");
    separator = -1;
  }
  HMENU sub = CreatePopupMenu();
  AppendMenuA(sub, MF_STRING, static_cast<UINT_PTR>(reg("Other Plugin settings", target,
              SettingsCommand)), "Other Plugin settings");
  if (separator < 0)
    AppendMenuA(tool, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), kName);
  else
    InsertMenuA(tool, static_cast<UINT>(separator), MF_BYPOSITION | MF_POPUP | MF_STRING,
                reinterpret_cast<UINT_PTR>(sub), kName);
}

}  // namespace

extern "C" int WINAPI BKC_OnMenuInit(HWND, HMENU menu, int type) {
  if (type != pinote::kMenuMain) return 0;
  auto reg = reinterpret_cast<pinote::BKA_RegisterCommand_t>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(nullptr), "BKA_RegisterCommand")));
  if (!reg) return 0;
  HMENU help = TopMenu(menu, "\x83\x77\x83\x8B\x83\x76", "&Help", true);  // "ヘルプ"
  if (help) {
    HMENU about = SharedSubmenu(help, "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x82\xC9\x82\xC2\x82\xA2\x82\xC4", "About Plugins", true);
    AppendMenuA(about, MF_STRING, static_cast<UINT_PTR>(reg("Information about this PlugIn", 0,
                AboutCommand)), kName);
    HMENU helpsub = SharedSubmenu(help, "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x83\x77\x83\x8B\x83\x76", "Plugin Help", false);
    AppendMenuA(helpsub, MF_STRING, static_cast<UINT_PTR>(reg("Information about this PlugIn", 0,
                HelpCommand)), kName);
  }
  AddToolGroup(menu, type, reg);
  return 0;
}

extern "C" int WINAPI BKC_OnPlugInInfo(pinote::PluginInfoRecord* info) {
  if (!info) return 0;
  strcpy(info->name, kName);
  strcpy(info->vendor, "B2 test tools");
  strcpy(info->version, "1.0");
  strcpy(info->description, "Second plug-in for the menu tests");
  return 0;
}
