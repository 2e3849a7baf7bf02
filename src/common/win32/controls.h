// Small helpers the plug-in's windows share: making, placing and updating controls, fonts and
// text measures, centring, window classes, the plug-in's keyed bitmaps and a splitter bar.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/options.h"
#include "common/texts.h"
#include "common/win32/handles.h"

namespace pinote {

// The DIALOGEX template `id` of `module` with its font replaced by `font` (face, size in points,
// weight, italic, character set; "" names the language's default face), so that the dialog
// manager makes that font and lays the dialog out in its dialog units. Throws when the template
// is missing or not a DIALOGEX. (The allocator aligns the buffer on a DWORD, as
// DialogBoxIndirectParam wants it.)
[[nodiscard]] std::vector<WORD> DialogTemplateWithFont(HINSTANCE module, int id,
                                                       const StoredFont& font);
// Makes the child `id` of `parent` of class `cls` with `style`, `exStyle` and `text`, in `font`
// (null: the system's); throws when it cannot be made.
HWND CreateChild(HWND parent, int id, const wchar_t* cls, DWORD style, DWORD exStyle,
                 const wchar_t* text, HFONT font);
// One entry of a menu bar for CreateMenuBar: a popup (id 0) that the items after it go into, an
// item choosing command `id`, or a separator (no text).
struct MenuEntry {
  int id;
  const UiText* text;
};
inline constexpr MenuEntry kMenuSeparator{-1, nullptr};
// A menu bar of `entries` in the current language, the first entry a popup.
[[nodiscard]] UniqueMenu CreateMenuBar(std::initializer_list<MenuEntry> entries);
// Moves and sizes a child (negative sizes become 0) without touching its z-order.
void Place(HWND wnd, int x, int y, int width, int height);
// Whether `wnd` has the WS_VISIBLE style, whatever its parent's.
[[nodiscard]] bool HasVisibleStyle(HWND wnd);

// Under Wine a label and a check box paint themselves at once on every new text or state, and an
// edit control its scroll bars on every new text, size or read-only state, even when nothing
// differs: for a window that refills its controls often, most of the time goes there. So these
// change a control only where it differs and say whether they changed anything, and a window
// changing several holds its painting meanwhile (PaintHold).
bool SetVisible(HWND wnd, bool visible);  // shown without activation, or hidden
bool SetText(HWND wnd, const std::wstring& text);
// A box given a text has its caret at the start, is scrolled to the top left and has nothing to
// undo: a box holding `text` that way already only loses its undo.
bool SetBoxText(HWND box, const std::wstring& text);
bool SetCheck(HWND button, bool checked);
bool SetReadOnly(HWND box, bool readOnly);
bool SetEnabled(HWND wnd, bool enabled);
// Place, unless the child lies there already at that size: a move to the same place still sends
// its messages, on which an edit control redraws its scroll bars.
bool PlaceIfMoved(HWND wnd, int x, int y, int width, int height);

// Holds the painting of a visible window while its controls change, so that none of them paints
// at once; ending the hold has the window painted once, with the host's next messages, when
// anything changed (`changed` is read then) or was waiting to be painted (switching redraw off
// forgets that). WM_SETREDRAW takes WS_VISIBLE away from the window meanwhile, and giving it
// back would show a hidden window: so a hidden window is not held, and the window's own
// visibility is read before the hold or after its end.
class PaintHold {
 public:
  PaintHold(HWND wnd, const bool& changed);
  PaintHold(const PaintHold&) = delete;
  PaintHold& operator=(const PaintHold&) = delete;
  ~PaintHold() { End(); }
  void End();

 private:
  HWND wnd_;
  const bool& changed_;
  bool held_ = false, pending_ = false;
};

// For an edit whose text `shown` the system's code page cannot hold whole: sets it to `ansi`, the
// code page's form of it, the selection kept on the same characters, and returns the characters
// that were lost, each once, in their order (a surrogate pair is one).
std::vector<std::wstring> KeepAnsiTextOnly(HWND edit, const std::wstring& shown,
                                           const std::string& ansi);
// The line of the multi-line `edit` that holds the caret (the start of the selection), without
// its line break; for an edit that does not wrap, a line of its text.
[[nodiscard]] std::wstring CaretLine(HWND edit);
// A child's rectangle in its parent's client coordinates.
[[nodiscard]] RECT ChildRect(HWND child);
// Gives `font` to every window below `parent`.
void SetFontOfChildren(HWND parent, HFONT font);
// The line height (tmHeight) and the width of `text` in `font` on `wnd`'s screen.
[[nodiscard]] int TextHeight(HWND wnd, HFONT font);
[[nodiscard]] int TextWidth(HWND wnd, HFONT font, std::wstring_view text);
// The font the windows were designed with: "ＭＳ Ｐゴシック", 12 pixels, Shift-JIS.
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
