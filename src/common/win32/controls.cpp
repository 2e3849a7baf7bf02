#include "common/win32/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <stdexcept>

#include "common/texts.h"
#include "common/win32/handles.h"
#include "common/win32/module_paths.h"
#include "common/win32/placement.h"
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

void Place(HWND wnd, int x, int y, int width, int height) {
  ::SetWindowPos(wnd, nullptr, x, y, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
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
