#include <cstdint>

#include "common/version.h"
#include "common/win32/env.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

HostApiTable g_api;
bool g_bound = false;

bool AllBound(const HostApiTable& api) {
  bool all = true;
#define PINOTE_CHECK_FIELD(name) all = all && api.name != nullptr;
  PINOTE_HOST_API(PINOTE_CHECK_FIELD)
#undef PINOTE_CHECK_FIELD
  return all;
}

void ShowVersionMismatch() {
  const std::wstring text = Tr(
      "Quillet for Becky!2 のバージョンと\r\nBecky! のバージョンが合っていないようです。\r\n\r\n"
      "Quillet for Becky!2 のバージョンは\r\n" PINOTE_VERSION_TEXT " です。",
      "Version Mismatch\r\nbetween Quillet for Becky!2 & Becky!\r\n\r\n"
      "Quillet for Becky!2 is " PINOTE_VERSION_TEXT ".");
  ::MessageBoxW(nullptr, text.c_str(), L"Pinote", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

HostApiTable& HostApi() { return g_api; }

bool HostApiBound() { return g_bound; }

bool BindHostApi() {
  g_api = HostApiTable{};
  g_bound = false;
  // In the host this is the running executable, already loaded; the reference is kept for the
  // life of the process, so the module handle is deliberately not owned.
  HMODULE host = ::LoadLibraryA("B2.exe");
  if (reinterpret_cast<uintptr_t>(host) <= 32) return false;
  // Only the running executable is a host. A "B2.exe" that some other program's search path
  // turned up is an executable mapped as a library, its runtime never started: calling into it
  // would crash that program, so it counts as no host at all.
  if (host != ::GetModuleHandleW(nullptr)) {
    ::FreeLibrary(host);
    return false;
  }
#define PINOTE_BIND_FIELD(name) g_api.name = ::GetProcAddress(host, "BKA_" #name);
  PINOTE_HOST_API(PINOTE_BIND_FIELD)
#undef PINOTE_BIND_FIELD
  if (AllBound(g_api)) {
    g_bound = true;
    return true;
  }
  g_api = HostApiTable{};  // a partial table must not tempt anyone into calling it
  ShowVersionMismatch();
  return false;
}

}  // namespace pinote
