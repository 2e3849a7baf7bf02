#include "forms/win32/dock.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "common/win32/env.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

constexpr wchar_t kAlignProp[] = L"PinoteAlign";
constexpr wchar_t kPanelClass[] = L"PinotePanel";
constexpr wchar_t kSplitterClass[] = L"PinoteSplitter";
// The neighbour of a splitter never shrinks below this while dragging.
constexpr int kMinNeighbourSize = 20;

struct Child {
  HWND wnd;
  RECT rect;  // in the container's client coordinates
  Align align;
  int order;  // position in the window list: creation order unless re-ordered
};

RECT ChildRect(HWND child, HWND container) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, container, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// WS_VISIBLE itself, not IsWindowVisible: a hidden form still lays out its children.
bool HasVisibleStyle(HWND wnd) {
  return (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<Child> DockedChildren(HWND container) {
  std::vector<Child> children;
  int order = 0;
  for (HWND c = ::GetWindow(container, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    const Align align = GetAlign(c);
    if (align == Align::None || !HasVisibleStyle(c)) continue;
    children.push_back({c, ChildRect(c, container), align, order++});
  }
  return children;
}

// Order within one side: nearest its edge first, ties by window order.
bool PlacedBefore(const Child& a, const Child& b) {
  auto key = [](const Child& c) -> long {
    switch (c.align) {
      case Align::Top: return c.rect.top;
      case Align::Bottom: return -c.rect.bottom;
      case Align::Left: return c.rect.left;
      case Align::Right: return -c.rect.right;
      default: return 0;
    }
  };
  if (key(a) != key(b)) return key(a) < key(b);
  return a.order < b.order;
}

void Place(HWND wnd, int x, int y, int w, int h) {
  ::SetWindowPos(wnd, nullptr, x, y, std::max(w, 0), std::max(h, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void PlaceSide(std::vector<Child>& children, Align side, RECT& free) {
  std::vector<Child*> list;
  for (Child& c : children) {
    if (c.align == side) list.push_back(&c);
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const Child* a, const Child* b) { return PlacedBefore(*a, *b); });
  for (Child* c : list) {
    const int w = c->rect.right - c->rect.left, h = c->rect.bottom - c->rect.top;
    const int freeW = free.right - free.left, freeH = free.bottom - free.top;
    switch (side) {
      case Align::Top:
        Place(c->wnd, free.left, free.top, freeW, h);
        free.top += h;
        break;
      case Align::Bottom:
        Place(c->wnd, free.left, free.bottom - h, freeW, h);
        free.bottom -= h;
        break;
      case Align::Left:
        Place(c->wnd, free.left, free.top, w, freeH);
        free.left += w;
        break;
      case Align::Right:
        Place(c->wnd, free.right - w, free.top, w, freeH);
        free.right -= w;
        break;
      case Align::Client:
        Place(c->wnd, free.left, free.top, freeW, freeH);
        break;
      case Align::None:
        break;
    }
  }
}

// Panels hand their controls' notifications on, so the form sees them however deep they sit.
bool IsForwarded(UINT msg) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsForwarded(msg)) {
    if (HWND parent = ::GetParent(wnd)) return ::SendMessageW(parent, msg, wp, lp);
  }
  if (msg == WM_SIZE) {
    Guarded(wnd, [&] { LayoutChildren(wnd); });
    return 0;
  }
  return ::DefWindowProcW(wnd, msg, wp, lp);
}

// Splitter drag state; one drag at a time is all the mouse capture allows.
struct Drag {
  HWND splitter = nullptr;
  HWND neighbour = nullptr;
  POINT start{};
  int startSize = 0;
  int maxSize = 0;
};
Drag g_drag;

bool Vertical(Align a) { return a == Align::Top || a == Align::Bottom; }

// The control docked on the splitter's side that touches it on the side facing its edge.
HWND FindNeighbour(HWND splitter) {
  HWND parent = ::GetParent(splitter);
  const Align side = GetAlign(splitter);
  const RECT s = ChildRect(splitter, parent);
  for (const Child& c : DockedChildren(parent)) {
    if (c.wnd == splitter || c.align != side) continue;
    const bool touches = (side == Align::Top && c.rect.bottom == s.top) ||
                         (side == Align::Bottom && c.rect.top == s.bottom) ||
                         (side == Align::Left && c.rect.right == s.left) ||
                         (side == Align::Right && c.rect.left == s.right);
    if (touches) return c.wnd;
  }
  return nullptr;
}

// How far the neighbour may grow: the space the client-docked sibling holds.
int GrowRoom(HWND splitter) {
  HWND parent = ::GetParent(splitter);
  const bool vertical = Vertical(GetAlign(splitter));
  for (const Child& c : DockedChildren(parent)) {
    if (c.align != Align::Client) continue;
    return vertical ? c.rect.bottom - c.rect.top : c.rect.right - c.rect.left;
  }
  return 0;
}

void BeginDrag(HWND splitter, LPARAM lp) {
  HWND neighbour = FindNeighbour(splitter);
  if (neighbour == nullptr) return;
  RECT r{};
  ::GetWindowRect(neighbour, &r);
  POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  ::ClientToScreen(splitter, &pt);
  const bool vertical = Vertical(GetAlign(splitter));
  g_drag.splitter = splitter;
  g_drag.neighbour = neighbour;
  g_drag.start = pt;
  g_drag.startSize = vertical ? r.bottom - r.top : r.right - r.left;
  g_drag.maxSize = g_drag.startSize + GrowRoom(splitter);
  ::SetCapture(splitter);
}

void DragTo(HWND splitter, LPARAM lp) {
  if (g_drag.splitter != splitter || ::GetCapture() != splitter) return;
  POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  ::ClientToScreen(splitter, &pt);
  const Align side = GetAlign(splitter);
  int delta = Vertical(side) ? pt.y - g_drag.start.y : pt.x - g_drag.start.x;
  // Moving a bottom or right splitter towards the origin makes its neighbour bigger.
  if (side == Align::Bottom || side == Align::Right) delta = -delta;
  const int lo = std::min(kMinNeighbourSize, g_drag.startSize);
  const int size = std::clamp(g_drag.startSize + delta, lo, std::max(lo, g_drag.maxSize));
  HWND parent = ::GetParent(splitter);
  const RECT r = ChildRect(g_drag.neighbour, parent);
  // Keep the far edge where it is, so the layout's ordering by edge is unchanged.
  switch (side) {
    case Align::Top: Place(g_drag.neighbour, r.left, r.top, r.right - r.left, size); break;
    case Align::Bottom:
      Place(g_drag.neighbour, r.left, r.bottom - size, r.right - r.left, size);
      break;
    case Align::Left: Place(g_drag.neighbour, r.left, r.top, size, r.bottom - r.top); break;
    case Align::Right:
      Place(g_drag.neighbour, r.right - size, r.top, size, r.bottom - r.top);
      break;
    default: break;
  }
  LayoutChildren(parent);
}

void EndDrag(HWND splitter) {
  if (g_drag.splitter != splitter) return;
  g_drag = Drag{};
  if (::GetCapture() == splitter) ::ReleaseCapture();  // sends WM_CAPTURECHANGED, now a no-op
  HWND form = ::GetAncestor(splitter, GA_ROOT);
  const int id = ::GetDlgCtrlID(splitter);
  ::SendMessageW(form, WM_COMMAND, MAKEWPARAM(id, kSplitterMoved),
                 reinterpret_cast<LPARAM>(splitter));
}

LRESULT CALLBACK SplitterProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, Vertical(GetAlign(wnd)) ? IDC_SIZENS : IDC_SIZEWE));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      Guarded(wnd, [&] { BeginDrag(wnd, lp); });
      return 0;
    case WM_MOUSEMOVE:
      Guarded(wnd, [&] { DragTo(wnd, lp); });
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      Guarded(wnd, [&] { EndDrag(wnd); });
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(wnd, msg, wp, lp);
}

bool RegisterOnce(const wchar_t* name, WNDPROC proc, HCURSOR cursor) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(PluginInstance(), name, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = PluginInstance();
  wc.hCursor = cursor;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void StoreAlign(HWND child, Align align) {
  ::SetPropW(child, kAlignProp,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(static_cast<int>(align) + 1)));
}

HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
                 int id, int x, int y, int w, int h) {
  return ::CreateWindowExW(exStyle, cls, text, WS_CHILD | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), PluginInstance(),
                           nullptr);
}

}  // namespace

void SetAlign(HWND child, Align align) {
  StoreAlign(child, align);
  if (HWND parent = ::GetParent(child)) LayoutChildren(parent);
}

Align GetAlign(HWND child) {
  const auto stored = reinterpret_cast<INT_PTR>(::GetPropW(child, kAlignProp));
  if (stored < 1 || stored > static_cast<INT_PTR>(Align::Client) + 1) return Align::None;
  return static_cast<Align>(stored - 1);
}

void LayoutChildren(HWND container) {
  RECT free{};
  ::GetClientRect(container, &free);
  std::vector<Child> children = DockedChildren(container);
  for (Align side : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
    PlaceSide(children, side, free);
  }
}

HWND CreatePanel(HWND parent, int x, int y, int w, int h, Align align, DWORD extraStyle) {
  if (!RegisterOnce(kPanelClass, &PanelProc, ::LoadCursorW(nullptr, IDC_ARROW))) return nullptr;
  HWND panel = CreateChild(parent, kPanelClass, L"", WS_VISIBLE | WS_CLIPSIBLINGS | extraStyle,
                           WS_EX_CONTROLPARENT, 0, x, y, w, h);
  if (panel != nullptr) StoreAlign(panel, align);
  return panel;
}

HWND CreateSplitter(HWND parent, int id, int x, int y, int w, int h, Align align) {
  if (!RegisterOnce(kSplitterClass, &SplitterProc, nullptr)) return nullptr;
  HWND splitter = CreateChild(parent, kSplitterClass, L"", WS_VISIBLE, 0, id, x, y, w, h);
  if (splitter != nullptr) StoreAlign(splitter, align);
  return splitter;
}

HWND CreateDocked(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                  int x, int y, int w, int h, Align align, DWORD exStyle) {
  HWND wnd = CreateChild(parent, className, text, style, exStyle, id, x, y, w, h);
  if (wnd != nullptr) StoreAlign(wnd, align);
  return wnd;
}

void UnregisterDockClasses() {
  ::UnregisterClassW(kPanelClass, PluginInstance());
  ::UnregisterClassW(kSplitterClass, PluginInstance());
}

}  // namespace pinote
