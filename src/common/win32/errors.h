// Errors that must not reach the host: every export, callback and window procedure runs its work
// through Guarded, which reports what was thrown in a message box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace pinote {

// Inside a catch block: a message box owned by `owner` telling what was thrown (for a FileError
// the path, a blank line and the system's message).
void ReportCurrentError(HWND owner) noexcept;
// Test hook: receives the text of every report instead of a message box (empty: boxes again).
void SetErrorReporterForTesting(std::function<void(const std::wstring&)> reporter);

// Runs `f`; true when it returned, false when it threw (the error has been reported).
template <class F>
bool Guarded(HWND owner, F&& f) noexcept {
  try {
    f();
    return true;
  } catch (...) {
    ReportCurrentError(owner);
    return false;
  }
}

}  // namespace pinote
