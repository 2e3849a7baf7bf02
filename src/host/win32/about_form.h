// The About dialog: name, version, icon and credits, shown modally without an owner.
#pragma once

#include <windows.h>

namespace pinote {

// Creates AboutForm, runs it modally until OK (Enter, Esc) and releases it. The window passed
// is not used: the dialog never has an owner. Other windows of the thread are disabled while
// it runs.
void ShowAbout(HWND ignored);

}  // namespace pinote
