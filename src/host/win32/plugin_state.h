// What the library keeps from load to unload, shared by the entry points and the menu commands.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/win32/handles.h"
#include "forms/win32/memo_window.h"

namespace pinote {

struct PluginState {
  std::string description;  // ANSI, fixed at load by the language
  UniqueBitmap menuBitmap;  // 16 x 16, the menu's background behind the pure green
  HMENU mainMenu = nullptr;  // the host's menu bar (borrowed), kept for BKC_OnStart
  bool memoWindowCreated = false;  // by the first main-menu build
  std::unique_ptr<MemoWindow> memoWindow;  // null before that build and after BKC_OnExit
};
[[nodiscard]] PluginState& State();

}  // namespace pinote
