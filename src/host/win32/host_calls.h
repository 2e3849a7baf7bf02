// Calls into the host that read or change the mail in hand. Only valid when HostApiBound().
#pragma once

#include <windows.h>

#include <string>

namespace pinote {

// The named header of the mail open in the host ("" when it has none), as the host gives it.
[[nodiscard]] std::string ReadMailHeader(const char* name);
// Adds or updates this plug-in's entry in the composed mail's "X-Mailer-Plugin" header. A value
// that may have been cut by the host's buffer is left alone rather than rewritten from a part.
void StampOutgoingHeader(HWND composer);

}  // namespace pinote
