// Test seams of the memo window.
#pragma once

#include <windows.h>

#include <functional>

namespace pinote {

// Receives the window that the memo window hands the foreground to, instead of
// SetForegroundWindow (empty: the real call again).
void SetForegroundHookForTesting(std::function<void(HWND)> hook);

}  // namespace pinote
