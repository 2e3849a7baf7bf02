// A small docking layer: any child window can carry a docking side; a container lays out its
// direct children by it. Controls docked top are placed first, one under the other in the order
// of their design (top) positions, each over the full width left free with its own height;
// bottom likewise from the bottom; left/right take the full remaining height with their own
// width; client fills what remains; none keeps its design place and size. Hidden children take
// no space.
#pragma once

#include <windows.h>

namespace pinote {

enum class Align { None, Top, Bottom, Left, Right, Client };

// Stores the side on the child (a window property) and re-lays out its parent.
void SetAlign(HWND child, Align align);
[[nodiscard]] Align GetAlign(HWND child);
// Lays out the direct children of `container` inside its client area.
void LayoutChildren(HWND container);

// A borderless container ("PinotePanel") that lays out its children on WM_SIZE and forwards
// WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR* and WM_DRAWITEM to its parent, so the form's window
// procedure sees its controls' notifications wherever they are nested.
[[nodiscard]] HWND CreatePanel(HWND parent, int x, int y, int w, int h, Align align,
                               DWORD extraStyle = 0);
// A splitter bar ("PinoteSplitter"): drag resizes the neighbour it is docked against (the
// control docked on the same side just before/after it). Sends WM_COMMAND with
// MAKEWPARAM(id, kSplitterMoved) to the form (the top-level ancestor) after a drag.
inline constexpr WORD kSplitterMoved = 0x7001;
[[nodiscard]] HWND CreateSplitter(HWND parent, int id, int x, int y, int w, int h, Align align);

// Creates a child control with a docking side (the "alignable" controls are standard controls
// created through this). Like a form being loaded, the Create* functions do not lay out: the
// design places of all children decide their order at the caller's first LayoutChildren.
[[nodiscard]] HWND CreateDocked(HWND parent, const wchar_t* className, const wchar_t* text,
                                DWORD style, int id, int x, int y, int w, int h, Align align,
                                DWORD exStyle = 0);

// Removes the panel and splitter classes (a library's classes outlive it otherwise).
void UnregisterDockClasses();

}  // namespace pinote
