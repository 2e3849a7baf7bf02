#include "common/win32/host_api.h"

#include "common/texts.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

HostApiTable g_api;
bool g_bound = false;

}  // namespace

HostApiTable& HostApi() { return g_api; }

bool HostApiBound() { return g_bound; }

bool BindHostApi() {
  g_api = HostApiTable{};
  g_bound = false;
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
  ::MessageBoxW(nullptr, Tr(ui::kVersionMismatch).c_str(), L"Pinote", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

}  // namespace pinote
