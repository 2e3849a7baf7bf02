#include "forms/win32/splitter.h"

#include <windowsx.h>

#include "common/win32/controls.h"
#include "forms/win32/control_ids.h"

namespace pinote {
namespace {

bool MovesAlongX(HWND bar) {
  RECT r{};
  ::GetClientRect(bar, &r);
  return r.bottom > r.right;
}

void Notify(HWND bar, WORD code) {
  ::SendMessageW(::GetParent(bar), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(bar), code),
                 reinterpret_cast<LPARAM>(bar));
}

// While dragging, GWLP_USERDATA holds where the bar was grabbed, plus one (0: not dragging).
LRESULT CALLBACK SplitterProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp) {
  const bool alongX = MovesAlongX(bar);
  switch (msg) {
    case WM_SETCURSOR:
      ::SetCursor(::LoadCursorW(nullptr, alongX ? IDC_SIZEWE : IDC_SIZENS));
      return TRUE;
    case WM_LBUTTONDOWN:
      ::SetWindowLongPtrW(bar, GWLP_USERDATA, 1 + (alongX ? GET_X_LPARAM(lp) : GET_Y_LPARAM(lp)));
      ::SetCapture(bar);
      return 0;
    case WM_MOUSEMOVE: {
      const LONG_PTR grab = ::GetWindowLongPtrW(bar, GWLP_USERDATA);
      if (grab == 0) return 0;
      POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ::MapWindowPoints(bar, ::GetParent(bar), &at, 1);
      const int position = (alongX ? at.x : at.y) - static_cast<int>(grab - 1);
      RECT r{};
      ::GetWindowRect(bar, &r);
      ::MapWindowPoints(HWND_DESKTOP, ::GetParent(bar), reinterpret_cast<POINT*>(&r), 2);
      ::SetWindowPos(bar, nullptr, alongX ? position : r.left, alongX ? r.top : position, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Notify(bar, SPN_MOVING);
      return 0;
    }
    case WM_LBUTTONUP:
      ::ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
      return 0;
    case WM_CAPTURECHANGED:
      if (::GetWindowLongPtrW(bar, GWLP_USERDATA) != 0) {
        ::SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
        Notify(bar, SPN_MOVED);
      }
      return 0;
    default:
      return ::DefWindowProcW(bar, msg, wp, lp);
  }
}

}  // namespace

void RegisterSplitterClass() { RegisterWindowClass(L"" SPLITTER_CLASS, &SplitterProc, nullptr); }

}  // namespace pinote
