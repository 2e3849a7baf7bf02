#include "common/win32/help.h"

#include <shellapi.h>

#include "common/win32/env.h"

namespace pinote {

bool AnsiFileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring MissingHelpText(const HelpMessageParts& parts) {
  return Widen(parts.path1) + Utf8(parts.middleUtf8) + Widen(parts.path2) + Utf8(parts.afterUtf8);
}

void ShowHelpWith(HWND owner, const std::string& pluginFolder, bool japanese,
                  const std::function<bool(const std::string&)>& exists,
                  const HelpActions& actions) {
  const HelpChoice choice = ChooseHelpFile(pluginFolder, japanese, exists);
  if (!choice.fileToOpen.empty()) {
    actions.open(owner, Widen(choice.fileToOpen));
    return;
  }
  const HelpMessageParts parts = MissingHelpMessage(choice, japanese);
  actions.message(owner, MissingHelpText(parts), Utf8(parts.captionUtf8));
}

void ShowHelp(HWND owner) {
  HelpActions actions;
  actions.open = [](HWND o, const std::wstring& path) {
    // The result is not looked at: the shell reports its own failures.
    ::ShellExecuteW(o, L"OPEN", path.c_str(), L"", L"", SW_SHOW);
  };
  actions.message = [](HWND o, const std::wstring& text, const std::wstring& caption) {
    ::MessageBoxW(o, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
  };
  ShowHelpWith(owner, PluginFolder(), IsJapanese(), &AnsiFileExists, actions);
}

}  // namespace pinote
