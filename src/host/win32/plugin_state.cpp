#include "host/win32/plugin_state.h"

#include "common/win32/bitmaps.h"
#include "common/win32/handles.h"
#include "forms/win32/main_form.h"

namespace pinote {
namespace {

UniqueBitmap g_menuBitmap;
HMENU g_mainMenu = nullptr;  // the host's menu bar: borrowed
std::unique_ptr<TMainForm> g_mainForm;
bool g_formsCreated = false;

}  // namespace

HBITMAP MenuBitmap() { return g_menuBitmap.get(); }

void CreateMenuBitmap() {
  g_menuBitmap = LoadKeyedBitmap(PluginInstance(), L"ICONBITMAP16", ::GetSysColor(COLOR_MENU));
}

void DestroyMenuBitmap() { g_menuBitmap.reset(); }

HMENU& MainMenuHandle() { return g_mainMenu; }

TMainForm* MainForm() { return g_mainForm.get(); }

std::unique_ptr<TMainForm>& MainFormHolder() { return g_mainForm; }

bool& FormsCreated() { return g_formsCreated; }

// The module that holds this code: Pinote.dll in the host, the test program in tests.
HINSTANCE PluginInstance() {
  static HMODULE module = [] {
    HMODULE m = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&g_formsCreated), &m);
    return m;
  }();
  return module;
}

}  // namespace pinote
