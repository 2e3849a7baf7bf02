// The opening every window procedure of the plug-in shares: the object is tied to its window at
// WM_NCCREATE (WM_INITDIALOG for dialogs), the derived class's HandleMessage unpacks the
// parameters and calls named handlers, and whatever it throws is reported here once, so nothing
// reaches the host's message loop.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "common/win32/controls.h"
#include "common/win32/message_box.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"

namespace pinote {

// Derived: LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp), falling back to DefWindowProc.
template <class Derived>
class WindowBase {
 public:
  [[nodiscard]] HWND Handle() const noexcept { return wnd_; }
  // The window class's procedure; the window is created with the object as its parameter.
  static LRESULT CALLBACK Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      self->wnd_ = wnd;
      ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(wnd, msg, wp, lp);
    LRESULT result = 0;
    if (!Guarded(wnd, [&] { result = self->HandleMessage(msg, wp, lp); })) {
      result = msg == WM_CREATE ? -1 : ::DefWindowProcW(wnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
      ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
      static_cast<WindowBase*>(self)->wnd_ = nullptr;
    }
    return result;
  }

 protected:
  HWND wnd_ = nullptr;
};

// Disables every other enabled, visible top-level window of the thread (the memo window, the
// host's windows) until Restore or the end of the object, as a modal dialog without an owner
// must.
class ThreadWindowsDisabled {
 public:
  ThreadWindowsDisabled();
  ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
  ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;
  ~ThreadWindowsDisabled() { Restore(); }
  void Restore() noexcept;

 private:
  std::vector<HWND> disabled_;
};

// Derived: INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp), returning what a dialog
// procedure returns (FALSE: not handled).
template <class Derived>
class DialogBase {
 public:
  // Runs the dialog template `id` modally with the dialog manager, laid out in `font` (the
  // template's dialog units are that font's); every other window of the thread is disabled
  // meanwhile. Returns EndModal's result (IDCANCEL when setting the dialog up failed, which has
  // been reported); throws when the dialog could not be made at all.
  INT_PTR RunModal(HWND owner, int id, const StoredFont& font) {
    const std::vector<WORD> dialog = DialogTemplateWithFont(PluginInstance(), id, font);
    // What a template cannot say the controls get once they exist.
    if (font.underline || font.strikeout || font.pitch != 0) fullFont_ = CreateStoredFont(font);
    ThreadWindowsDisabled others;
    others_ = &others;
    const INT_PTR result = ::DialogBoxIndirectParamW(
        PluginInstance(), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), owner, &Procedure,
        reinterpret_cast<LPARAM>(this));
    if (result == -1) throw std::runtime_error("a dialog could not be made");
    return result;
  }

 protected:
  // Enables the other windows first, so that activation returns to them. A dialog placed by
  // UseStoredPlacement records where it stands first.
  void EndModal(INT_PTR result) {
    if (placementSection_ != nullptr) SaveWindowPlacement(dlg_, placementSection_, resizable_);
    others_->Restore();
    ::EndDialog(dlg_, result);
  }
  // Moves (and, when `resizable`, sizes) the dialog from the placement stored under `section`,
  // and from then on records its placement there (in memory) whenever it loses activation.
  void UseStoredPlacement(const char* section, bool resizable) {
    placementSection_ = section;
    resizable_ = resizable;
    LoadWindowPlacement(dlg_, section, resizable);
  }
  [[nodiscard]] HWND Item(int id) const { return ::GetDlgItem(dlg_, id); }
  // The font the dialog manager made from the template's (the stored one).
  [[nodiscard]] HFONT Font() const {
    return reinterpret_cast<HFONT>(::SendMessageW(dlg_, WM_GETFONT, 0, 0));
  }

  static INT_PTR CALLBACK Procedure(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
      ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
      auto* base = reinterpret_cast<DialogBase*>(lp);
      base->dlg_ = dlg;
      if (base->fullFont_) {
        ::SendMessageW(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(base->fullFont_.get()), FALSE);
        SetFontOfChildren(dlg, base->fullFont_.get());
      }
    }
    auto* self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(dlg, DWLP_USER));
    if (self == nullptr) return FALSE;
    if (ApplyStoredStateOnFirstShow(dlg, msg, wp)) return TRUE;
    // Losing activation, closing included, records where the dialog stands.
    if (msg == WM_ACTIVATE && LOWORD(wp) == WA_INACTIVE && self->placementSection_ != nullptr) {
      SaveWindowPlacement(dlg, self->placementSection_, self->resizable_);
    }
    INT_PTR result = FALSE;
    if (!Guarded(dlg, [&] { result = self->HandleMessage(msg, wp, lp); }) && msg == WM_INITDIALOG) {
      self->EndModal(IDCANCEL);  // a dialog that could not be set up is not shown half-made
    }
    return result;
  }

  HWND dlg_ = nullptr;

 private:
  // The dialog manager shows a modal dialog itself, normal; the state its LoadWindowPlacement
  // stored (maximized, minimized) follows once it is on the screen.
  static constexpr UINT kApplyStoredState = WM_APP + 0x51;
  static bool ApplyStoredStateOnFirstShow(HWND dlg, UINT msg, WPARAM wp) {
    if (msg == WM_SHOWWINDOW && wp) ::PostMessageW(dlg, kApplyStoredState, 0, 0);
    if (msg != kApplyStoredState) return false;
    ShowWithStoredState(dlg, SW_SHOW);
    return true;
  }

  ThreadWindowsDisabled* others_ = nullptr;
  const char* placementSection_ = nullptr;  // UseStoredPlacement's
  bool resizable_ = false;
  UniqueFont fullFont_;  // the stored font where the template's could not say it all
};

}  // namespace pinote
