// The clipboard: text put on it for the user, replacing what was there.
#pragma once

#include <windows.h>

#include <string>

namespace pinote {

// Puts `text` on the clipboard as Unicode text, `owner` owning it; nothing happens when the
// clipboard cannot be opened (another program holds it) or no memory is left.
void PutOnClipboard(HWND owner, const std::wstring& text);

}  // namespace pinote
