#include "forms/win32/modal.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

struct DisableState {
  HWND form;
  std::vector<HWND> disabled;
};

BOOL CALLBACK DisableOne(HWND wnd, LPARAM lp) {
  auto* state = reinterpret_cast<DisableState*>(lp);
  if (wnd != state->form && ::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd)) {
    ::EnableWindow(wnd, FALSE);
    state->disabled.push_back(wnd);
  }
  return TRUE;
}

bool IsPushButton(HWND wnd) {
  wchar_t cls[16] = {};
  if (wnd == nullptr || ::GetClassNameW(wnd, cls, 16) == 0) return false;
  if (::lstrcmpiW(cls, L"Button") != 0) return false;
  const LONG_PTR type = ::GetWindowLongPtrW(wnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

struct FindState {
  int id;
  HWND found;
};

BOOL CALLBACK FindOne(HWND wnd, LPARAM lp) {
  auto* state = reinterpret_cast<FindState*>(lp);
  if (::GetDlgCtrlID(wnd) == state->id) {
    state->found = wnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK SetFontOne(HWND wnd, LPARAM lp) {
  ::SendMessageW(wnd, WM_SETFONT, static_cast<WPARAM>(lp), TRUE);
  return TRUE;
}

}  // namespace

void RunModalLoop(HWND form, const bool& done, const std::function<bool(MSG&)>& filter) {
  DisableState state{form, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&state));
  struct Restore {
    DisableState& s;
    ~Restore() {
      for (HWND w : s.disabled) {
        if (::IsWindow(w)) ::EnableWindow(w, TRUE);
      }
    }
  } restore{state};

  MSG msg{};
  while (!done && ::IsWindow(form)) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (filter && filter(msg)) continue;
    if (::IsDialogMessageW(form, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void HandleNextDlgCtl(HWND form, WPARAM wp, LPARAM lp) {
  HWND target = nullptr;
  if (LOWORD(lp) != 0) {
    target = reinterpret_cast<HWND>(wp);
  } else {
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(form, focus)) focus = nullptr;
    target = ::GetNextDlgTabItem(form, focus, wp != 0);
  }
  if (target == nullptr) return;
  ::SetFocus(target);
  // A one-line edit (alone or in a combo) gets its whole text selected, as in a dialog box.
  if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    ::SendMessageW(target, EM_SETSEL, 0, -1);
  }
}

bool ClickFocusedButtonOnEnter(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
  HWND focus = ::GetFocus();
  if (!IsPushButton(focus) || !::IsWindowEnabled(focus)) return false;
  ::SendMessageW(focus, BM_CLICK, 0, 0);
  return true;
}

ScopedWindowClass::ScopedWindowClass(const wchar_t* name, WNDPROC proc, HICON icon,
                                     bool dialogBackground)
    : name_(name) {
  // A class left behind by an earlier copy of the library would point at a dead procedure.
  ::UnregisterClassW(name, PluginInstance());
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = PluginInstance();
  wc.hIcon = icon;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(
      static_cast<INT_PTR>((dialogBackground ? COLOR_BTNFACE : COLOR_WINDOW) + 1));
  wc.lpszClassName = name;
  if (::RegisterClassExW(&wc) == 0) {
    throw std::runtime_error("RegisterClassExW failed: " + std::to_string(::GetLastError()));
  }
}

ScopedWindowClass::~ScopedWindowClass() { ::UnregisterClassW(name_, PluginInstance()); }

HWND FindDescendant(HWND parent, int id) {
  FindState state{id, nullptr};
  ::EnumChildWindows(parent, &FindOne, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

void SetFontAll(HWND wnd, HFONT font) {
  ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  ::EnumChildWindows(wnd, &SetFontOne, reinterpret_cast<LPARAM>(font));
}

int TextHeight(HWND wnd, HFONT font) {
  WindowDc dc(wnd);
  if (dc.get() == nullptr) return 12;
  SelectGuard select(dc.get(), font);
  TEXTMETRICW tm{};
  if (!::GetTextMetricsW(dc.get(), &tm)) return 12;
  return tm.tmHeight;
}

std::wstring WindowText(HWND wnd) {
  const int n = ::GetWindowTextLengthW(wnd);
  if (n <= 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(wnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

void SetControlId(HWND wnd, int id) {
  ::SetWindowLongPtrW(wnd, GWLP_ID, static_cast<LONG_PTR>(id));
}

void CenterForm(HWND form, HWND over) {
  RECT area{};
  if (over == nullptr || !::IsWindowVisible(over) || !::GetWindowRect(over, &area)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT r{};
  ::GetWindowRect(form, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  ::SetWindowPos(form, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace pinote
