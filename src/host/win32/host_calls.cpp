#include "host/win32/host_calls.h"

#include "host/mail_header.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

// The host fills at most 2047 bytes of a 2048-byte buffer; the last byte stays our terminator.
constexpr int kHeaderBuffer = 2048;

}  // namespace

std::string ReadMailHeader(const char* name) {
  char buffer[kHeaderBuffer] = {};
  HostFn<BKA_GetSpecifiedHeader_t>(HostApi().GetSpecifiedHeader)(name, buffer, kHeaderBuffer - 1);
  buffer[kHeaderBuffer - 1] = '\0';
  return std::string(buffer);
}

void StampOutgoingHeader(HWND composer) {
  char buffer[kHeaderBuffer] = {};
  HostFn<BKA_CompGetSpecifiedHeader_t>(HostApi().CompGetSpecifiedHeader)(
      composer, kMailerPluginHeader, buffer, kHeaderBuffer - 1);
  buffer[kHeaderBuffer - 1] = '\0';
  const std::string value(buffer);
  // Rebuilding from a truncated read would drop the other plug-ins' entries beyond the cut.
  if (HeaderMayBeTruncated(value, kHeaderBuffer - 1)) return;
  const std::string stamped = StampedMailerPlugin(value);
  HostFn<BKA_CompSetSpecifiedHeader_t>(HostApi().CompSetSpecifiedHeader)(
      composer, kMailerPluginHeader, stamped.c_str());
}

}  // namespace pinote
