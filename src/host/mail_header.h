// Taking a "From" header apart, and the "X-Mailer-Plugin" stamp on outgoing mail.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace pinote {

// The address: trimmed; one layer of <...> at the end, else text before a trailing (comment).
// `from` is in the ANSI code page `cp`, walked by its characters.
[[nodiscard]] std::string ExtractAddress(std::string_view from, const CodePage& cp);
// The display name: text before <...>, or the comment, or the quoted text; else the text before
// its first "@".
[[nodiscard]] std::string ExtractSenderName(std::string_view from, const CodePage& cp);

inline constexpr char kMailerPluginHeader[] = "X-Mailer-Plugin";

// The new "X-Mailer-Plugin" value: this plug-in's entry appended (",\r\n\t" before it when the
// old value is not empty), or an older entry of it replaced in place.
[[nodiscard]] std::string StampedMailerPlugin(std::string_view oldValue);

// True when a header value read through a buffer whose size the host was told is
// `sizeToldToHost` may have been cut: a host may write that many bytes and rely on a terminator
// after them, or count its terminator inside them, so a value of sizeToldToHost - 1 bytes or more
// may be cut. Rebuilding it from those bytes would lose the rest, so the caller leaves the header
// alone. sizeToldToHost <= 1: true.
[[nodiscard]] bool HeaderMayBeTruncated(std::string_view valueRead, size_t sizeToldToHost);

}  // namespace pinote
