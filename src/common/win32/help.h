// Opening the help file of the user's language, or telling the user it is missing.
#pragma once

#include <windows.h>

namespace pinote {

// Opens Pinote.hlp (Japanese) or PinoteE.hlp (English, else Pinote.hlp) beside the plug-in
// through the shell's "open" verb, or shows the missing-help message owned by `owner`.
void ShowHelp(HWND owner);

}  // namespace pinote
