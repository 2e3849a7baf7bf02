#include "common/win32/module_paths.h"

#include <shellapi.h>

#include <optional>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/texts.h"
#include "common/win32/handles.h"
#include "common/win32/host_api.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

// Resolved once per load; an empty result is kept too.
std::string g_pluginFileName;
bool g_pluginFileKnown = false;

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

// The name a candidate library reports through its BKC_OnPlugInInfo, or "(unknown)". Loading
// it runs its start-up code, which is why this is the last resort.
std::string CandidatePluginName(const std::string& path) {
  UniqueModule module(::LoadLibraryA(path.c_str()));
  if (!module) return "(unknown)";
  auto info = HostFn<BKC_OnPlugInInfo_t>(::GetProcAddress(module.get(), "BKC_OnPlugInInfo"));
  if (info == nullptr) return "(unknown)";
  PluginInfoRecord record{};
  info(&record);
  record.name[sizeof(record.name) - 1] = '\0';
  return record.name;
}

// Searches base + "PlugIns\*.DLL" for the library that calls itself by this plug-in's name.
std::string SearchPluginFolder(const std::string& base) {
  if (base.empty()) return {};
  const std::string folder = base + "PlugIns\\";
  WIN32_FIND_DATAA data{};
  UniqueFind find(::FindFirstFileA((folder + "*.DLL").c_str(), &data));
  if (!find) return {};
  do {
    const DWORD skip = FILE_ATTRIBUTE_DIRECTORY | 0x8 /* volume label */;
    if ((data.dwFileAttributes & skip) != 0) continue;
    if (CandidatePluginName(folder + data.cFileName) == kPluginName) return folder + data.cFileName;
  } while (::FindNextFileA(find.get(), &data));
  return {};
}

std::string HostDataFolder() {
  if (!HostApiBound()) return {};
  const char* folder = HostFn<BKA_GetDataFolder_t>(HostApi().GetDataFolder)();
  return folder != nullptr ? folder : "";
}

std::string FindPluginFileName() {
  std::string result = StoredNamesOf(ModuleAnsiPath(PluginInstance()));
  if (result.empty()) result = SearchPluginFolder(HostFolder());
  if (result.empty()) result = SearchPluginFolder(HostDataFolder());
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

void SetPluginFileNameForTesting(std::string path) {
  g_pluginFileName = std::move(path);
  g_pluginFileKnown = true;
}

}  // namespace pinote
