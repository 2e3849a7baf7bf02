// Small helpers the plug-in's windows share: placing controls in pixels, fonts and text
// measures, centring, window classes, the plug-in's keyed bitmaps and a splitter bar.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "common/options.h"
#include "common/win32/handles.h"

namespace pinote {

// The DIALOGEX template `id` of `module` with its font replaced by `font` (face, size in points,
// weight, italic, character set; "" names the language's default face), so that the dialog
// manager makes that font and lays the dialog out in its dialog units. Throws when the template
// is missing or not a DIALOGEX. (The allocator aligns the buffer on a DWORD, as
// DialogBoxIndirectParam wants it.)
[[nodiscard]] std::vector<WORD> DialogTemplateWithFont(HINSTANCE module, int id,
                                                       const StoredFont& font);
// Moves and sizes a child (negative sizes become 0) without touching its z-order.
void Place(HWND wnd, int x, int y, int width, int height);
// A child's rectangle in its parent's client coordinates.
[[nodiscard]] RECT ChildRect(HWND child);
// Gives `font` to every window below `parent`.
void SetFontOfChildren(HWND parent, HFONT font);
// The line height (tmHeight) and the width of `text` in `font` on `wnd`'s screen.
[[nodiscard]] int TextHeight(HWND wnd, HFONT font);
[[nodiscard]] int TextWidth(HWND wnd, HFONT font, std::wstring_view text);
// The font the forms were designed with: "ＭＳ Ｐゴシック", 12 pixels, Shift-JIS.
[[nodiscard]] UniqueFont CreateDesignFont();
// Sizes `wnd` and centres it over `over` when that is visible, else in the work area.
void CenterOver(HWND wnd, HWND over, int width, int height);
// Registers the class `name` of the plug-in's module once, with the plug-in's icon when `icon`;
// throws when Windows refuses.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, LPCWSTR cursor,
                         bool icon = false);
// A splitter bar between two panes. Dragging it with the left button moves the bar (along x when
// it is taller than wide, else along y) and tells its parent by WM_COMMAND with SPN_MOVING while
// it moves and SPN_MOVED once at the end; the parent's layout reads where the bar is and places
// the panes and the bar. RegisterSplitterClass registers it under `name` once.
inline constexpr WORD SPN_MOVING = 0x7001, SPN_MOVED = 0x7002;
inline constexpr int kSplitterSize = 6;  // the bar's thickness in pixels
void RegisterSplitterClass(const wchar_t* name);
// The `size` x `size` bitmap resource `name` of `module` as a screen-compatible bitmap, its
// pure-green (0,255,0) pixels replaced by `background`; empty when the resource is missing.
[[nodiscard]] UniqueBitmap LoadKeyedBitmap(HINSTANCE module, const wchar_t* name, int size,
                                           COLORREF background);

}  // namespace pinote
