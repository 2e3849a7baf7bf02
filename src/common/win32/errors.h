// Errors that must not reach the host: every export, callback and window procedure runs its work
// through Guarded, which reports what was thrown in a message box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace pinote {

// Inside a catch block: a message box owned by `owner` telling what was thrown (for a FileError
// the path, a blank line and the system's message; for a file another writer held locked, the
// table's text with the path).
void ReportCurrentError(HWND owner) noexcept;
// A message box owned by `owner` with the plug-in's name as its caption (`icon`: MB_ICON...), or
// the test hook's call when one is set. For what the user must know, not only for errors.
void TellUser(HWND owner, const std::wstring& text, UINT icon) noexcept;
// A Yes/No question in a message box owned by `owner`, No the default; true for Yes. With the
// test hook set, the hook receives the text and the answer is No.
[[nodiscard]] bool AskUser(HWND owner, const std::wstring& text) noexcept;
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
