// Opening what a memo line names: at once when it is surely no program, else only after the user
// said yes to a question that names it.
#pragma once

#include <windows.h>

#include <string>

namespace pinote {

// Opens what the memo line `line` (ANSI) names after its last "!" (nothing for a line without
// one) through the shell's "open" verb, parented to `owner`: the target as Windows reads it, at
// once when the judge finds no risk, else after the Yes/No question that names it (No the
// default). The shell's answer is not shown.
void OpenLinkOfLine(HWND owner, const std::string& line);

}  // namespace pinote
