#include "common/win32/help.h"

#include <shellapi.h>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/win32/module_paths.h"
#include "common/win32/text.h"

namespace pinote {

void ShowHelp(HWND owner) {
  const bool japanese = IsJapanese();
  const HelpChoice choice = ChooseHelpFile(PluginFolder(), japanese, [](const std::string& path) {
    return SystemFileSystem().Exists(path);
  });
  if (!choice.fileToOpen.empty()) {
    // The result is not looked at: the shell reports its own failures.
    ::ShellExecuteW(owner, L"OPEN", Widen(choice.fileToOpen).c_str(), L"", L"", SW_SHOW);
    return;
  }
  // The paths are ANSI, the words UTF-8: each piece is converted on its own.
  const HelpMessageParts m = MissingHelpMessage(choice, japanese);
  const std::wstring text = Widen(m.path1) + Utf8(m.middleUtf8) + Widen(m.path2) + Utf8(m.afterUtf8);
  ::MessageBoxW(owner, text.c_str(), Utf8(m.captionUtf8).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace pinote
