// A splitter bar between two panes. Dragging it with the left button moves the bar (along x
// when it is taller than wide, else along y) and tells its parent by WM_COMMAND with
// SPN_MOVING while it moves and SPN_MOVED once at the end; the parent's layout reads where the
// bar is and sizes the panes, placing the bar itself again.
#pragma once

#include <windows.h>

namespace pinote {

inline constexpr WORD SPN_MOVING = 0x7001, SPN_MOVED = 0x7002;
// The bar's thickness in pixels.
inline constexpr int kSplitterSize = 6;

// Registers the class (SPLITTER_CLASS) once.
void RegisterSplitterClass();

}  // namespace pinote
