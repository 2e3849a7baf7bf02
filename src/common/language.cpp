#include "common/language.h"

#include "common/mbtext.h"
#include "common/texts.h"

namespace pinote {

bool IsJapaneseFor(std::string_view commandLine, std::string_view languageName,
                   const CodePage& cp) {
  // Plain substring tests on the whole command line, program path included, in any letter case.
  const std::string upper = UpperAnsi(commandLine, cp);
  if (MbPos("/JAPANESE", upper, cp) > 0) return true;
  if (MbPos("/ENGLISH", upper, cp) > 0) return false;
  static constexpr std::string_view kNihon = "\x93\xFA\x96\x7B";  // "日本" in Shift-JIS
  return languageName.substr(0, kNihon.size()) == kNihon;
}

const char* PluginDescriptionUtf8(bool japanese) noexcept {
  return Pick(ui::kDescription, japanese);
}

}  // namespace pinote
