#include "common/win32/env.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "common/file_io.h"
#include "common/language.h"
#include "common/paths.h"
#include "common/texts.h"
#include "common/win32/handles.h"
#include "host/win32/host_api.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

// Module paths are read into a 1024-byte buffer; the system is told one byte less so the text
// is always terminated, whatever the Windows version does on truncation.
constexpr DWORD kPathBuffer = 1024;

struct PathCache {
  bool resolved = false;
  std::string value;
};

PathCache g_pluginFileName, g_pluginFolder, g_hostExePath, g_hostFolder;
std::string g_description;
std::unique_ptr<SettingsStore> g_settings;
std::function<void(const std::wstring&)> g_errorReporter;

std::string ModuleFileName(HMODULE module) {
  char buffer[kPathBuffer] = {};
  DWORD n = ::GetModuleFileNameA(module, buffer, kPathBuffer - 1);
  buffer[std::min<DWORD>(n, kPathBuffer - 1)] = '\0';
  return std::string(buffer);  // cut at the first NUL
}

// One directory entry by exact name. FindFirstFileA would treat "*" and "?" as patterns, so a
// name holding them is never looked up.
std::optional<DirEntry> LookupEntry(const std::string& path, bool includeHidden) {
  const size_t cut = path.find_last_of('\\');
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  if (name.empty() || name.find_first_of("*?") != std::string::npos) return std::nullopt;
  WIN32_FIND_DATAA data{};
  UniqueFind find(::FindFirstFileA(path.c_str(), &data));
  if (!find) return std::nullopt;
  const DWORD hiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (!includeHidden && (data.dwFileAttributes & hiddenOrSystem) != 0) return std::nullopt;
  DirEntry entry;
  entry.name = data.cFileName;
  entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return entry;
}

std::string ResolveOnDisk(const std::string& path) {
  return ResolveLongPath(path, DirLookup(&LookupEntry));
}

// The name a candidate library reports through its BKC_OnPlugInInfo, or "(unknown)".
std::string CandidatePluginName(const std::string& path) {
  UniqueModule module(::LoadLibraryA(path.c_str()));
  if (!module) return "(unknown)";
  auto info = reinterpret_cast<BKC_OnPlugInInfo_t>(
      reinterpret_cast<void*>(::GetProcAddress(module.get(), "BKC_OnPlugInInfo")));
  if (info == nullptr) return "(unknown)";
  PluginInfoRecord record{};
  info(&record);
  record.name[sizeof(record.name) - 1] = '\0';
  return std::string(record.name);
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
    const std::string candidate = folder + data.cFileName;
    if (CandidatePluginName(candidate) == kPluginName) return candidate;
  } while (::FindNextFileA(find.get(), &data));
  return {};
}

std::string HostDataFolder() {
  if (!HostApiBound()) return {};
  const char* folder = HostFn<BKA_GetDataFolder_t>(HostApi().GetDataFolder)();
  return folder != nullptr ? std::string(folder) : std::string();
}

std::string FindPluginFileName() {
  std::string result;
  if (HMODULE self = ::GetModuleHandleA(kLibraryFileName)) {
    result = ResolveOnDisk(ModuleFileName(self));
  }
  if (result.empty()) result = SearchPluginFolder(HostFolder());
  if (result.empty()) result = SearchPluginFolder(HostDataFolder());
  return result;
}

std::wstring Convert(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
  std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0) {
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  }
  return out;
}

std::wstring SystemMessageFor(const FileError& e) { return Widen(e.systemMessage()); }

void Report(HWND owner, const std::wstring& text) noexcept {
  try {
    if (g_errorReporter) {
      g_errorReporter(text);
      return;
    }
  } catch (...) {
    // A failing test hook must not turn a report into a crash; fall through to the box.
  }
  ::MessageBoxW(owner, text.c_str(), L"Quillet for Becky!2", MB_OK | MB_ICONERROR);
}

}  // namespace

bool IsJapanese() {
  const char* commandLine = ::GetCommandLineA();
  char name[128] = {};
  ::VerLanguageNameA(::GetSystemDefaultLangID(), name, 127);
  name[127] = '\0';
  return IsJapaneseFor(commandLine != nullptr ? commandLine : "", name);
}

const std::string& PluginDescription() { return g_description; }
void SetPluginDescription(std::string ansi) { g_description = std::move(ansi); }

const std::string& PluginFileName() {
  if (!g_pluginFileName.resolved) {
    g_pluginFileName.value = FindPluginFileName();
    g_pluginFileName.resolved = true;
  }
  return g_pluginFileName.value;
}

const std::string& PluginFolder() {
  if (!g_pluginFolder.resolved) {
    g_pluginFolder.value = FolderOf(PluginFileName());
    g_pluginFolder.resolved = true;
  }
  return g_pluginFolder.value;
}

const std::string& HostExePath() {
  if (!g_hostExePath.resolved) {
    g_hostExePath.value = ResolveOnDisk(ModuleFileName(nullptr));
    g_hostExePath.resolved = true;
  }
  return g_hostExePath.value;
}

const std::string& HostFolder() {
  if (!g_hostFolder.resolved) {
    // FolderOf walks by characters: a trail byte of a double-byte character can be 0x5C.
    g_hostFolder.value = FolderOf(HostExePath());
    g_hostFolder.resolved = true;
  }
  return g_hostFolder.value;
}

void ClearPathCaches() {
  g_pluginFileName = {};
  g_pluginFolder = {};
  g_hostExePath = {};
  g_hostFolder = {};
}

void SetPluginFileNameForTesting(std::string path) {
  ClearPathCaches();
  g_pluginFileName.value = std::move(path);
  g_pluginFileName.resolved = true;
}

SettingsStore& Settings() {
  if (!g_settings) CreateSettingsStore();
  return *g_settings;
}

void CreateSettingsStore() {
  g_settings = std::make_unique<SettingsStore>(SystemFileSystem(),
                                               [] { return PluginFileName(); });
}

void DestroySettingsStore() { g_settings.reset(); }

void SaveSettingsFile() {
  if (PluginFileName().empty()) return;
  Settings().Save();
}

std::wstring Widen(std::string_view ansi) { return Convert(CP_ACP, ansi); }

std::wstring Utf8(std::string_view utf8) { return Convert(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0) {
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                          nullptr, nullptr);
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) { return Narrow(Utf8(utf8)); }

std::wstring Tr(const char* japaneseUtf8, const char* englishUtf8) {
  return Utf8(IsJapanese() ? japaneseUtf8 : englishUtf8);
}

void ReportError(HWND owner, const std::exception& e) noexcept {
  try {
    std::wstring text;
    if (const auto* fe = dynamic_cast<const FileError*>(&e)) {
      text = Widen(fe->path()) + L"\r\n\r\n" + SystemMessageFor(*fe);
    } else {
      text = Widen(e.what());
    }
    Report(owner, text);
  } catch (...) {
    Report(owner, L"Quillet for Becky!2: error");
  }
}

void ReportUnknownError(HWND owner) noexcept {
  Report(owner, L"Quillet for Becky!2: unknown error");
}

void SetErrorReporterForTesting(std::function<void(const std::wstring&)> reporter) {
  g_errorReporter = std::move(reporter);
}

}  // namespace pinote
