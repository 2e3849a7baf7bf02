// Taking a "From" header apart, and the "X-Mailer-Plugin" stamp on outgoing mail.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pinote {

// The address: trimmed; one layer of <...> at the end, else text before a trailing (comment).
[[nodiscard]] std::string ExtractAddress(std::string_view from);
// The display name: text before <...>, or the comment, or the quoted text; else the text before
// its first "@".
[[nodiscard]] std::string ExtractSenderName(std::string_view from);

inline constexpr char kMailerPluginHeader[] = "X-Mailer-Plugin";

// The new "X-Mailer-Plugin" value: this plug-in's entry appended (",\r\n\t" before it when the
// old value is not empty), or an older entry of it replaced in place.
[[nodiscard]] std::string StampedMailerPlugin(std::string_view oldValue);

// True when a header value read into a buffer the host was told is `bufferSize` bytes long
// fills it (size >= bufferSize - 1): the host may have cut it, and rebuilding it from those
// bytes would lose the rest, so the caller must leave the header alone. bufferSize <= 1: true.
[[nodiscard]] bool HeaderMayBeTruncated(std::string_view valueRead, size_t bufferSize);

}  // namespace pinote
