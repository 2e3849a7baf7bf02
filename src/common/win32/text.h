// Text at the UI boundary: the ANSI code page of the system (the plug-in's data, paths and the
// host's texts) and UTF-8 (the texts table) to and from UTF-16 (windows), the language of the
// texts, window texts, and text on the clipboard.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/texts.h"

namespace pinote {

// The system's ANSI code page as the core walks text in it (GetCPInfoEx, IsDBCSLeadByteEx): read
// from the system at the first call, which the library's load makes, and the same for the rest
// of the process.
[[nodiscard]] const CodePage& SystemCodePage();

// From the host's command line and the system's default language name (see language.h).
[[nodiscard]] bool IsJapanese();

// ANSI <-> UTF-16; characters the code page lacks become its default character.
[[nodiscard]] std::wstring Widen(std::string_view ansi);
[[nodiscard]] std::string Narrow(std::wstring_view wide);
// UTF-16 -> ANSI, or nullopt when some character has no form in the code page.
[[nodiscard]] std::optional<std::string> NarrowExactly(std::wstring_view wide);
[[nodiscard]] std::wstring Utf8(std::string_view utf8);
[[nodiscard]] std::string Utf8ToAnsi(std::string_view utf8);
// UTF-16 -> UTF-8 (every character has a form).
[[nodiscard]] std::string ToUtf8(std::wstring_view wide);
// ANSI -> UTF-8 (for texts filled into the UTF-8 table's patterns).
[[nodiscard]] std::string AnsiToUtf8(std::string_view ansi);
// The text of the current language; with arguments (UTF-8) put in for its %1, %2...
[[nodiscard]] std::wstring Tr(const UiText& text);
[[nodiscard]] std::wstring Tr(const UiText& pattern, std::initializer_list<std::string_view> args);

// The window's text ("" for none or a null window).
[[nodiscard]] std::wstring WindowText(HWND wnd);

// Puts `text` on the clipboard as Unicode text, replacing what was there, `owner` owning it;
// nothing happens when the clipboard cannot be opened (another program holds it) or no memory is
// left.
void PutOnClipboard(HWND owner, const std::wstring& text);
// The clipboard's text in the system's code page (CF_TEXT), "" when it holds none or stays
// busy: another program that just put text there may hold it for a moment longer.
[[nodiscard]] std::string ReadClipboardAnsi();

}  // namespace pinote
