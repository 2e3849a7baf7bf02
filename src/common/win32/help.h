// Opening the help file of the user's language, or telling the user it is missing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/paths.h"

namespace pinote {

// Opens PluginFolder()'s Pinote.hlp / PinoteE.hlp by language through the shell's "open" verb,
// or shows the missing-help message owned by `owner`.
void ShowHelp(HWND owner);

// What ShowHelp does once the file is chosen; tests replace both.
struct HelpActions {
  std::function<void(HWND owner, const std::wstring& path)> open;
  std::function<void(HWND owner, const std::wstring& text, const std::wstring& caption)> message;
};
// ShowHelp for a given folder and language, with `exists` telling which files are there.
void ShowHelpWith(HWND owner, const std::string& pluginFolder, bool japanese,
                  const std::function<bool(const std::string&)>& exists,
                  const HelpActions& actions);
// The missing-help text: the paths widened from ANSI, the fixed words from UTF-8.
[[nodiscard]] std::wstring MissingHelpText(const HelpMessageParts& parts);
// True when `path` (ANSI) names an existing file (not a folder).
[[nodiscard]] bool AnsiFileExists(const std::string& path);

}  // namespace pinote
