#include "common/win32/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <stdexcept>

#include "common/texts.h"
#include "common/win32/handles.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"

namespace pinote {
namespace {

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
  ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

BOOL CALLBACK DisableOne(HWND wnd, LPARAM disabled) {
  if (::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd)) {
    ::EnableWindow(wnd, FALSE);
    reinterpret_cast<std::vector<HWND>*>(disabled)->push_back(wnd);
  }
  return TRUE;
}

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
      const RECT r = ChildRect(bar);
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

// Whether `wnd` or one of its children waits to be painted.
bool HasPendingPaint(HWND wnd) {
  if (::GetUpdateRect(wnd, nullptr, FALSE)) return true;
  for (HWND c = ::GetWindow(wnd, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetUpdateRect(c, nullptr, FALSE)) return true;
  }
  return false;
}

// A sz_Or_Ord field of a dialog template: 0 (none), 0xFFFF and an ordinal, or a string.
const WORD* SkipNameOrOrdinal(const WORD* p) {
  if (*p == 0xFFFF) return p + 2;
  while (*p++ != 0) {
  }
  return p;
}

}  // namespace

std::vector<WORD> DialogTemplateWithFont(HINSTANCE module, int id, const StoredFont& font) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  const auto* words =
      found ? static_cast<const WORD*>(::LockResource(::LoadResource(module, found))) : nullptr;
  const size_t size = found ? ::SizeofResource(module, found) / sizeof(WORD) : 0;
  // DLGTEMPLATEEX: dlgVer 1, signature 0xFFFF, helpID, exStyle, style, cDlgItems, x, y, cx, cy
  // (13 WORDs); menu, class and title; with DS_SETFONT pointsize, weight, italic and charset (3
  // WORDs) and the typeface; then the items, on a DWORD boundary.
  if (words == nullptr || size < 16 || words[0] != 1 || words[1] != 0xFFFF) {
    throw std::runtime_error("a dialog template is missing");
  }
  const WORD* fontAt = SkipNameOrOrdinal(SkipNameOrOrdinal(SkipNameOrOrdinal(words + 13)));
  const WORD* itemsAt = (words[6] & DS_SETFONT) != 0 ? SkipNameOrOrdinal(fontAt + 3) : fontAt;
  const LOGFONTW log = ToLogFont(font);
  std::vector<WORD> result(words, fontAt);
  result[6] |= DS_SETFONT;  // the style's low word
  result.insert(result.end(), {static_cast<WORD>(font.size), static_cast<WORD>(log.lfWeight),
                               static_cast<WORD>(log.lfItalic | log.lfCharSet << 8)});
  result.insert(result.end(), log.lfFaceName,
                log.lfFaceName + ::wcsnlen(log.lfFaceName, LF_FACESIZE - 1) + 1);
  result.resize((result.size() + 1) & ~size_t{1});
  result.insert(result.end(), words + ((itemsAt - words + 1) & ~1), words + size);
  return result;
}

HWND CreateChild(HWND parent, int id, const wchar_t* cls, DWORD style, DWORD exStyle,
                 const wchar_t* text, HFONT font) {
  HWND child = ::CreateWindowExW(exStyle, cls, text, style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(INT_PTR{id}), PluginInstance(), nullptr);
  if (child == nullptr) throw std::runtime_error("CreateWindowExW failed for a control");
  if (font != nullptr) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

UniqueMenu CreateMenuBar(std::initializer_list<MenuEntry> entries) {
  UniqueMenu bar(::CreateMenu());
  HMENU popup = nullptr;
  for (const MenuEntry& e : entries) {
    if (e.id == 0) {
      popup = ::CreatePopupMenu();
      ::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Tr(*e.text).c_str());
    } else {
      ::AppendMenuW(popup, e.text ? MF_STRING : MF_SEPARATOR, e.text ? e.id : 0,
                    e.text ? Tr(*e.text).c_str() : nullptr);
    }
  }
  return bar;
}

void Place(HWND wnd, int x, int y, int width, int height) {
  ::SetWindowPos(wnd, nullptr, x, y, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

bool HasVisibleStyle(HWND wnd) { return (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }

bool SetVisible(HWND wnd, bool visible) {
  if (HasVisibleStyle(wnd) == visible) return false;
  ::ShowWindow(wnd, visible ? SW_SHOWNA : SW_HIDE);
  return true;
}

bool SetText(HWND wnd, const std::wstring& text) {
  if (WindowText(wnd) == text) return false;
  ::SetWindowTextW(wnd, text.c_str());
  return true;
}

bool SetBoxText(HWND box, const std::wstring& text) {
  DWORD begin = 1, end = 1;
  ::SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&begin), reinterpret_cast<LPARAM>(&end));
  const bool atStart = begin == 0 && end == 0 &&
                       ::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0) == 0 &&
                       ::GetScrollPos(box, SB_HORZ) == 0;
  if (atStart && WindowText(box) == text) {
    ::SendMessageW(box, EM_EMPTYUNDOBUFFER, 0, 0);
    ::SendMessageW(box, EM_SETMODIFY, FALSE, 0);
    return false;
  }
  ::SetWindowTextW(box, text.c_str());
  return true;
}

bool SetCheck(HWND button, bool checked) {
  const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
  if (::SendMessageW(button, BM_GETCHECK, 0, 0) == static_cast<LRESULT>(state)) return false;
  ::SendMessageW(button, BM_SETCHECK, state, 0);
  return true;
}

bool SetReadOnly(HWND box, bool readOnly) {
  if (((::GetWindowLongPtrW(box, GWL_STYLE) & ES_READONLY) != 0) == readOnly) return false;
  ::SendMessageW(box, EM_SETREADONLY, readOnly, 0);
  return true;
}

bool SetEnabled(HWND wnd, bool enabled) {
  if ((::IsWindowEnabled(wnd) != FALSE) == enabled) return false;
  ::EnableWindow(wnd, enabled);
  return true;
}

bool PlaceIfMoved(HWND wnd, int x, int y, int width, int height) {
  const RECT r = ChildRect(wnd);
  if (r.left == x && r.top == y && r.right - r.left == std::max(width, 0) &&
      r.bottom - r.top == std::max(height, 0)) {
    return false;
  }
  Place(wnd, x, y, width, height);
  return true;
}

PaintHold::PaintHold(HWND wnd, const bool& changed) : wnd_(wnd), changed_(changed) {
  held_ = HasVisibleStyle(wnd);
  if (!held_) return;
  pending_ = HasPendingPaint(wnd);
  ::SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
}

void PaintHold::End() {
  if (!held_) return;
  held_ = false;
  ::SendMessageW(wnd_, WM_SETREDRAW, TRUE, 0);
  if (!changed_ && !pending_) return;
  // The client area with the children's frames (the boxes' edges and scroll bars), not the
  // window's own caption and menu bar, which the controls' changes leave alone.
  RECT client{};
  ::GetClientRect(wnd_, &client);
  ::RedrawWindow(wnd_, &client, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

std::vector<std::wstring> KeepAnsiTextOnly(HWND edit, const std::wstring& shown,
                                           const std::string& ansi) {
  std::vector<std::wstring> lost;
  for (size_t i = 0; i < shown.size();) {
    const bool pair = IS_HIGH_SURROGATE(shown[i]) && i + 1 < shown.size() &&
                      IS_LOW_SURROGATE(shown[i + 1]);
    const std::wstring c = shown.substr(i, pair ? 2 : 1);
    i += c.size();
    if (Widen(Narrow(c)) != c && std::find(lost.begin(), lost.end(), c) == lost.end()) {
      lost.push_back(c);
    }
  }
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const auto keptLength = [&](DWORD units) {
    return static_cast<WPARAM>(Widen(Narrow(shown.substr(0, units))).size());
  };
  ::SetWindowTextW(edit, Widen(ansi).c_str());
  ::SendMessageW(edit, EM_SETSEL, keptLength(start), static_cast<LPARAM>(keptLength(end)));
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  return lost;
}

std::wstring CaretLine(HWND edit) {
  DWORD caret = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  const std::wstring text = WindowText(edit);
  const size_t begin = caret == 0 ? 0 : text.rfind(L'\n', caret - 1) + 1;  // npos + 1 is 0
  return text.substr(begin, text.find_first_of(L"\r\n", begin) - begin);
}

RECT ChildRect(HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void SetFontOfChildren(HWND parent, HFONT font) {
  ::EnumChildWindows(parent, &SetFontOf, reinterpret_cast<LPARAM>(font));
}

int TextHeight(HWND wnd, HFONT font) {
  WindowDc dc(wnd);
  SelectGuard select(dc.get(), font);
  TEXTMETRICW tm{};
  return ::GetTextMetricsW(dc.get(), &tm) ? tm.tmHeight : 12;
}

int TextWidth(HWND wnd, HFONT font, std::wstring_view text) {
  WindowDc dc(wnd);
  SelectGuard select(dc.get(), font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

UniqueFont CreateDesignFont() {
  return UniqueFont(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0,
                                  0, 0, 0, Utf8(ui::kDefaultFontFace.japanese).c_str()));
}

void CenterOver(HWND wnd, HWND over, int width, int height) {
  RECT area{};
  if (over == nullptr || !::IsWindowVisible(over) || !::GetWindowRect(over, &area)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  ::SetWindowPos(wnd, nullptr, (area.left + area.right - width) / 2,
                 (area.top + area.bottom - height) / 2, width, height, SWP_NOZORDER);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, LPCWSTR cursor, bool icon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (::GetClassInfoExW(PluginInstance(), name, &wc)) return;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = PluginInstance();
  wc.hCursor = cursor != nullptr ? ::LoadCursorW(nullptr, cursor) : nullptr;
  wc.hIcon = icon ? ::LoadIconW(PluginInstance(), L"MAINICON") : nullptr;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  if (::RegisterClassExW(&wc) == 0) throw std::runtime_error("RegisterClassExW failed");
}

void RegisterSplitterClass(const wchar_t* name) {
  RegisterWindowClass(name, &SplitterProc, nullptr);
}

UniqueBitmap LoadKeyedBitmap(HINSTANCE module, const wchar_t* name, int size, COLORREF background) {
  // An image list masks the pure green out when it draws the picture over the background.
  const HIMAGELIST list = ::ImageList_LoadImageW(module, name, size, 0, RGB(0, 255, 0), IMAGE_BITMAP,
                                                 LR_CREATEDIBSECTION);
  if (list == nullptr) return {};
  WindowDc screen(nullptr);
  UniqueBitmap result(::CreateCompatibleBitmap(screen.get(), size, size));
  UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
  if (result && dc) {
    SelectGuard select(dc.get(), result.get());
    UniqueBrush fill(::CreateSolidBrush(background));
    const RECT all{0, 0, size, size};
    ::FillRect(dc.get(), &all, fill.get());
    ::ImageList_Draw(list, 0, dc.get(), 0, 0, ILD_TRANSPARENT);
  }
  ::ImageList_Destroy(list);
  return result;
}

ThreadWindowsDisabled::ThreadWindowsDisabled() {
  ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&disabled_));
}

void ThreadWindowsDisabled::Restore() noexcept {
  for (HWND wnd : disabled_) {
    if (::IsWindow(wnd)) ::EnableWindow(wnd, TRUE);
  }
  disabled_.clear();
}

}  // namespace pinote
