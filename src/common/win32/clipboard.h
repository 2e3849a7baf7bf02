// The clipboard: text put on it for the user, replacing what was there, and text read from it.
#pragma once

#include <windows.h>

#include <string>

namespace pinote {

// Puts `text` on the clipboard as Unicode text, `owner` owning it; nothing happens when the
// clipboard cannot be opened (another program holds it) or no memory is left.
void PutOnClipboard(HWND owner, const std::wstring& text);
// The clipboard's text in the system's code page (CF_TEXT), "" when it holds none or stays
// busy: another program that just put text there may hold it for a moment longer.
[[nodiscard]] std::string ReadClipboardAnsi();

}  // namespace pinote
