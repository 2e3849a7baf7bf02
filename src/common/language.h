// Which language the plug-in speaks. Pure rule over the host's command line and the system's
// name for its default language; the Win32 layer supplies both.
#pragma once

#include <string_view>

#include "common/code_page.h"

namespace pinote {

// "/JAPANESE" anywhere in the upper-cased command line (ANSI, walked in `cp`) -> true; else
// "/ENGLISH" -> false; else true exactly when the language name begins with the Shift-JIS bytes
// of "日本" (93 FA 96 7B).
[[nodiscard]] bool IsJapaneseFor(std::string_view commandLine, std::string_view languageName,
                                 const CodePage& cp);

// The one-line description, as UTF-8: "メモ書きプラグイン" or "Memo Plugin".
[[nodiscard]] const char* PluginDescriptionUtf8(bool japanese) noexcept;

}  // namespace pinote
