// Library-wide state of the plug-in, from load to unload, and the bound host API.
#pragma once

#include <windows.h>

#include <memory>

#include "host/win32/host_api.h"

namespace pinote {

class TMainForm;

struct HostApiTable {
#define PINOTE_HOST_FIELD(name) FARPROC name = nullptr;
  PINOTE_HOST_API(PINOTE_HOST_FIELD)
#undef PINOTE_HOST_FIELD
};

// The bound entry points (null until bound) and whether all 52 were found.
[[nodiscard]] HostApiTable& HostApi();
[[nodiscard]] bool HostApiBound();
// Binds the 52 entry points of "B2.exe"; shows the version-mismatch message when any is missing.
bool BindHostApi();

// Typed access to the entry points the plug-in calls (only valid when HostApiBound()).
template <class Fn>
[[nodiscard]] Fn HostFn(FARPROC p) { return reinterpret_cast<Fn>(reinterpret_cast<void*>(p)); }

[[nodiscard]] HBITMAP MenuBitmap();   // 16x16, menu background behind the green
void CreateMenuBitmap();
void DestroyMenuBitmap();
[[nodiscard]] HMENU& MainMenuHandle();
[[nodiscard]] TMainForm* MainForm();  // null before the first main-menu build and after exit
// The owner of the memo window: set by the creation step, reset (window destroyed) at exit.
[[nodiscard]] std::unique_ptr<TMainForm>& MainFormHolder();
// Whether the creation step of the first main-menu build has run.
[[nodiscard]] bool& FormsCreated();

// The plug-in's module handle (for resources and window classes).
[[nodiscard]] HINSTANCE PluginInstance();

}  // namespace pinote
