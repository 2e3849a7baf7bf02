// The reference for filling a plug-in window: a plain window the host makes itself, with a copy
// of every check box, label and edit of the plug-in's window at the same place (panels and
// splitters are not copied: their space stays a gap), whose texts are set the way a plug-in sets
// them: SetWindowTextW per label and edit, BM_SETCHECK for a check box.
#include <algorithm>
#include <vector>

#include "b2.h"
#include "measure.h"

namespace b2 {
namespace {

constexpr wchar_t kReferenceClass[] = L"B2Reference";

struct Copy {
  HWND source, copy;
  bool check_box;
};

struct Reference {
  HWND window = nullptr;
  HWND source = nullptr;
  std::vector<Copy> controls;
  std::vector<HFONT> fonts;  // the copies' own, so a plug-in may free its fonts meanwhile
};
Reference reference;

bool IsClass(HWND w, const wchar_t* name) { return _wcsicmp(ClassOf(w).c_str(), name) == 0; }

bool IsCopied(HWND w) {
  return IsClass(w, L"Button") || IsClass(w, L"Static") || IsClass(w, L"Edit");
}

bool IsCheckBox(HWND w) {
  const LONG type = GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK;
  return IsClass(w, L"Button") && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX ||
                                   type == BS_3STATE || type == BS_AUTO3STATE);
}

BOOL CALLBACK CollectProc(HWND w, LPARAM lp) {
  if (IsCopied(w)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}

void Discard() {
  if (reference.window) DestroyWindow(reference.window);
  for (HFONT f : reference.fonts) DeleteObject(f);
  reference = Reference{};
}

HFONT CopyFont(HWND control) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  if (!font || GetObjectW(font, sizeof lf, &lf) != sizeof lf) return nullptr;
  HFONT copy = CreateFontIndirectW(&lf);
  if (copy) reference.fonts.push_back(copy);
  return copy;
}

bool Build(HWND source) {
  Discard();
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kReferenceClass;
    registered = RegisterClassExW(&wc) != 0;
    if (!registered) return false;
  }
  // The same client size and frame, without a menu bar; beside the source, not over it.
  const DWORD style = static_cast<DWORD>(GetWindowLongW(source, GWL_STYLE)) &
                      ~(WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongW(source, GWL_EXSTYLE)) & ~WS_EX_TOPMOST;
  RECT client{}, outer{};
  GetClientRect(source, &client);
  GetWindowRect(source, &outer);
  RECT frame = client;
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  reference.window = CreateWindowExW(ex_style, kReferenceClass, L"B2 reference fill", style,
                                     std::max(0L, outer.left - width), outer.top, width, height,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!reference.window) return false;
  reference.source = source;
  std::vector<HWND> controls;
  EnumChildWindows(source, CollectProc, reinterpret_cast<LPARAM>(&controls));
  for (HWND c : controls) {
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(HWND_DESKTOP, source, reinterpret_cast<POINT*>(&r), 2);
    const DWORD child_style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE)) & ~WS_DISABLED;
    HWND copy = CreateWindowExW(
        static_cast<DWORD>(GetWindowLongW(c, GWL_EXSTYLE)), ClassOf(c).c_str(), L"",
        child_style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top,
        reference.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(c))),
        GetModuleHandleW(nullptr), nullptr);
    if (!copy) continue;
    if (HFONT font = CopyFont(c)) SendMessageW(copy, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    if (IsClass(c, L"Edit")) SendMessageW(copy, EM_SETLIMITTEXT, 0, 0);
    reference.controls.push_back({c, copy, IsCheckBox(c)});
  }
  ShowWindow(reference.window, SW_SHOWNOACTIVATE);
  UpdateWindow(reference.window);
  return true;
}

}  // namespace

bool FillReferenceWindow(const std::string& target) {
  HWND source = FindTop(Wide(target));
  if (!source) return false;
  if ((source != reference.source || !IsWindow(reference.window)) && !Build(source)) {
    Log("error reffill cannot-build");
    return true;
  }
  struct Fill {
    HWND copy;
    std::wstring text;
    bool check_box;
    WPARAM check;
  };
  // Read first: only the setting is timed.
  std::vector<Fill> fills;
  for (const Copy& c : reference.controls) {
    const bool box = c.check_box;
    fills.push_back({c.copy, box ? std::wstring() : TextOf(c.source), box,
                     box ? static_cast<WPARAM>(SendMessageW(c.source, BM_GETCHECK, 0, 0)) : 0});
  }
  Stopwatch watch;
  for (const Fill& f : fills) {
    if (f.check_box) {
      SendMessageW(f.copy, BM_SETCHECK, f.check, 0);
    } else {
      SetWindowTextW(f.copy, f.text.c_str());
    }
  }
  const double us = watch.Micros();
  const double paint_us = PaintPending(reference.window);
  RecordSample("reffill", us);
  RecordSample("reffill-paint", paint_us);
  Log("reffill " + Quote(target) + " controls=" + std::to_string(fills.size()) +
      " us=" + Micros(us) + " paint_us=" + Micros(paint_us));
  return true;
}

}  // namespace b2
