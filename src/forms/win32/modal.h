// What the plug-in's modal forms share: a modal message loop for windows of their own classes
// (not dialog-manager dialogs), keyboard navigation for them, a window class that lives only
// while its form is open, and small helpers for fonts and nested controls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace pinote {

// Pumps the thread's messages until `done` is true. Every other enabled, visible top-level
// window of the thread (the memo window, the host's windows) is disabled meanwhile, as a dialog
// box does, and enabled again before returning, so activation goes back to them. `filter` sees
// each message first and returns true when it consumed it; the rest goes through
// IsDialogMessageW for Tab, Esc and Enter. A WM_QUIT ends the loop and is posted again.
void RunModalLoop(HWND form, const bool& done, const std::function<bool(MSG&)>& filter);

// IsDialogMessageW moves the focus by sending WM_NEXTDLGCTL, which only the dialog manager
// handles; forms of their own class pass it on here.
void HandleNextDlgCtl(HWND form, WPARAM wp, LPARAM lp);

// Enter on a focused push button clicks that button: IsDialogMessageW would send IDOK instead,
// since these forms have no dialog-manager default button. True when it clicked one.
[[nodiscard]] bool ClickFocusedButtonOnEnter(const MSG& msg);

// Registers a window class for the lifetime of the object and unregisters it afterwards, so no
// class of a form outlives the library that owns its window procedure. Throws
// std::runtime_error when the class cannot be registered.
class ScopedWindowClass {
 public:
  ScopedWindowClass(const wchar_t* name, WNDPROC proc, HICON icon, bool dialogBackground);
  ScopedWindowClass(const ScopedWindowClass&) = delete;
  ScopedWindowClass& operator=(const ScopedWindowClass&) = delete;
  ~ScopedWindowClass();

 private:
  const wchar_t* name_;
};

// The control with `id` anywhere below `parent` (controls sit in nested panels), or null.
[[nodiscard]] HWND FindDescendant(HWND parent, int id);
// Gives `font` to `wnd` and every window below it.
void SetFontAll(HWND wnd, HFONT font);
// The character height (tmHeight) of `font`.
[[nodiscard]] int TextHeight(HWND wnd, HFONT font);
// The window's text, and setting it, as UTF-16.
[[nodiscard]] std::wstring WindowText(HWND wnd);
// Sets a window's id (panels are created with id 0).
void SetControlId(HWND wnd, int id);
// Puts `form` in the middle of `over`'s window, or of the primary work area.
void CenterForm(HWND form, HWND over);

}  // namespace pinote
