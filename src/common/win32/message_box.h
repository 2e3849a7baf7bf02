// What the plug-in tells the user: every message box it shows (a caption from the texts table in
// the current language, a text, and OK, or Yes and No), and the errors that must not reach the
// host: every export, callback and window procedure runs its work through Guarded, which reports
// what was thrown in a box captioned with the plug-in's name.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/texts.h"

namespace pinote {

// Tells `text` in a box owned by `owner` (null: none) with an OK button and `icon` (MB_ICON...,
// 0 for none). Never throws: a box that cannot be made tells nothing.
void Tell(HWND owner, const UiText& caption, const std::wstring& text, UINT icon) noexcept;
// Asks `text` with Yes and No; `style` adds the icon and the default button (MB_DEFBUTTON2: No).
// True for Yes; false for No and when no box could be made.
[[nodiscard]] bool Ask(HWND owner, const UiText& caption, const std::wstring& text,
                       UINT style) noexcept;
// Test hook: receives every box's caption and text instead of a box (Ask then answers No);
// empty: boxes again.
void SetMessageBoxHookForTesting(
    std::function<void(const std::wstring& caption, const std::wstring& text)> hook);

// Inside a catch block: tells what was thrown, in a box owned by `owner` (for a FileError the
// path, a blank line and the system's message; for a file another writer held locked, the
// table's text with the path).
void ReportCurrentError(HWND owner) noexcept;

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
