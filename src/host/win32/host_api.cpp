#include "host/win32/host_api.h"

#include "common/texts.h"
#include "common/win32/handles.h"
#include "common/win32/message_box.h"
#include "common/win32/module_paths.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

HostApiTable g_api;
bool g_bound = false;
// A "B2.exe" lacking an entry point was found at load and not yet told.
bool g_mismatchUntold = false;

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

}  // namespace

HostApiTable& HostApi() { return g_api; }

bool HostApiBound() { return g_bound; }

bool BindHostApi() {
  g_api = HostApiTable{};
  g_bound = false;
  g_mismatchUntold = false;
  // Only the running executable is a host, and it is already loaded: asking for it by name
  // loads nothing. (Loading a "B2.exe" that some other program's search path turns up would map
  // an executable whose runtime never started; calling into it would crash that program.)
  HMODULE host = ::GetModuleHandleW(L"B2.exe");
  if (host == nullptr || host != ::GetModuleHandleW(nullptr)) return false;
  bool all = true;
#define PINOTE_BIND_FIELD(name)                                    \
  g_api.name = ::GetProcAddress(host, "BKA_" #name); \
  all = all && g_api.name != nullptr;
  PINOTE_HOST_API(PINOTE_BIND_FIELD)
#undef PINOTE_BIND_FIELD
  if (all) return g_bound = true;
  g_api = HostApiTable{};  // a partial table must not tempt anyone into calling it
  g_mismatchUntold = true;
  return false;
}

void TellVersionMismatchOnce() noexcept {
  if (!g_mismatchUntold) return;
  g_mismatchUntold = false;  // before the box: a call arriving while it is open tells nothing
  try {
    Tell(nullptr, ui::kVersionMismatchTitle, Tr(ui::kVersionMismatch), MB_ICONEXCLAMATION);
  } catch (...) {
    // Out of memory for the text: the unbound library stays quiet and harmless.
  }
}

std::string SearchHostPluginFolders() {
  std::string found = SearchPluginFolder(HostFolder());
  return found.empty() ? SearchPluginFolder(HostDataFolder()) : found;
}

}  // namespace pinote
