#include "common/win32/module_paths.h"

#include <shellapi.h>
#include <shlobj.h>

#include <optional>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/texts.h"
#include "common/win32/handles.h"
#include "common/win32/message_box.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

// Resolved once per load; an empty result is kept too.
std::string g_pluginFileName;
bool g_pluginFileKnown = false;
std::string (*g_search)() = nullptr;

// One directory entry by exact name. FindFirstFileA would treat "*" and "?" as patterns, so a
// name holding them is never looked up.
std::optional<DirEntry> LookupEntry(const std::string& path, bool includeHidden) {
  const std::string_view name = SplitAtLastSeparator(path, "\\", SystemCodePage()).name;
  if (name.empty() || name.find_first_of("*?") != std::string_view::npos) return std::nullopt;
  WIN32_FIND_DATAA data{};
  UniqueFind find(::FindFirstFileA(path.c_str(), &data));
  if (!find) return std::nullopt;
  const DWORD hiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (!includeHidden && (data.dwFileAttributes & hiddenOrSystem) != 0) return std::nullopt;
  return DirEntry{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

std::string FindPluginFileName() {
  std::string result = StoredNamesOf(ModuleAnsiPath(PluginInstance()));
  if (result.empty() && g_search != nullptr) result = g_search();
  return result;
}

}  // namespace

HINSTANCE PluginInstance() {
  static HMODULE module = [] {
    HMODULE m = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&g_pluginFileName), &m);
    return m;
  }();
  return module;
}

std::string ModuleAnsiPath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = 0;
  // A result that fills the buffer may have been cut: try again with more room.
  while ((n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(n);
  if (path.empty()) return {};
  if (auto ansi = NarrowExactly(path)) return *ansi;
  // A name the code page cannot spell still has a short name made of characters it can.
  std::wstring shortPath(path.size() + 1, L'\0');
  n = ::GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  shortPath.resize(n < shortPath.size() ? n : 0);
  return NarrowExactly(shortPath).value_or(std::string());
}

std::string StoredNamesOf(const std::string& ansiPath) {
  if (ansiPath.empty()) return {};
  const std::string resolved =
      ResolveLongPath(ansiPath, DirLookup(&LookupEntry), SystemCodePage());
  // Resolved only when it names the file itself, not a folder on its way.
  const bool whole =
      !resolved.empty() && !SplitAtLastSeparator(resolved, "\\", SystemCodePage()).name.empty();
  return whole ? resolved : ansiPath;
}

const std::string& PluginFileName() {
  if (!g_pluginFileKnown) g_pluginFileName = FindPluginFileName();
  g_pluginFileKnown = true;
  return g_pluginFileName;
}

std::string PluginFolder() { return FolderOf(PluginFileName(), SystemCodePage()); }

std::string HostExePath() { return StoredNamesOf(ModuleAnsiPath(nullptr)); }

std::string HostFolder() { return FolderOf(HostExePath(), SystemCodePage()); }

void ClearPathCaches() { g_pluginFileKnown = false; }

std::string PcRecordFolder() {
  // The environment's LOCALAPPDATA first (set in every user session), so that a process started
  // with another one keeps its records there; the shell's folder otherwise.
  std::wstring folder;
  wchar_t buffer[MAX_PATH];
  const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    folder.assign(buffer, n);
  } else if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr,
                                          SHGFP_TYPE_CURRENT, buffer))) {
    folder = buffer;
  }
  if (folder.empty()) return {};
  if (folder.back() != L'\\') folder += L'\\';
  return NarrowExactly(folder + L"Quillet\\").value_or(std::string());
}

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
  Tell(owner, ui::kHelpMissingTitle, Utf8(MissingHelpText(choice, japanese, &AnsiToUtf8)),
       MB_ICONEXCLAMATION);
}

void SetPluginFileSearch(std::string (*search)()) { g_search = search; }

void SetPluginFileNameForTesting(std::string path) {
  g_pluginFileName = std::move(path);
  g_pluginFileKnown = true;
}

}  // namespace pinote
