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

std::string FillText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    const size_t n = static_cast<size_t>(next - '1');
    if (pattern[i] == '%' && next >= '1' && next <= '9' && n < args.size()) {
      out += *(args.begin() + n);
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace pinote
