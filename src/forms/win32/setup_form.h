// The options dialog: display switches, memo font and colour, the appear and disappear rules
// and the name-list path, all kept in the settings store.
#pragma once

#include <windows.h>

namespace pinote {

// Shows the options dialog modally with `icon` (may be null); every other window of the thread
// is disabled meanwhile. True when it closed with OK, after every option was written to the
// settings and the settings file saved; Cancel, Esc and the close box write nothing. Throws
// when the dialog cannot be created (callers run it Guarded).
bool ShowSetupForm(HWND owner, HICON icon);

// The "Appear on Start" option (Show\Start): the memo window is shown when the host starts.
[[nodiscard]] bool ShouldAppearOnStart();

}  // namespace pinote
