#include "common/language.h"

#include <gtest/gtest.h>

#include <string>

namespace pinote {
namespace {

const std::string kJapaneseName = "\x93\xFA\x96\x7B\x8C\xEA";  // "日本語" in Shift-JIS

TEST(IsJapaneseFor, SwitchesThenSystemLanguage) {
  struct Case {
    std::string commandLine, language;
    bool japanese;
  } cases[] = {
      {"\"C:\\Becky!\\B2.exe\"", kJapaneseName, true},
      {"\"C:\\Becky!\\B2.exe\"", "Japanese", false},  // Latin spelling is not Japanese
      {"\"C:\\Becky!\\B2.exe\"", "English (United States)", false},
      {"B2.exe /english", kJapaneseName, false},
      {"B2.exe /English /japanese", "English", true},  // both: Japanese wins
      {"B2.exe /ENGLISH /JAPANESE", "English", true},
      {"C:\\x/ENGLISHdocs\\B2.exe", kJapaneseName, false},  // anywhere counts
      {"B2.exe /JAPAN", "English", false},
      {"", "\x93\xFA\x96", false},  // too short a prefix
      {"", "\x93\xFA\x96\x7B", true},
      {"", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine + " | " + c.language);
    EXPECT_EQ(IsJapaneseFor(c.commandLine, c.language, CodePage::ShiftJis()), c.japanese);
  }
}

TEST(PluginDescriptionUtf8, BothLanguages) {
  EXPECT_STREQ(PluginDescriptionUtf8(true), "\xE3\x83\xA1\xE3\x83\xA2\xE6\x9B\xB8\xE3\x81\x8D"
                                            "\xE3\x83\x97\xE3\x83\xA9\xE3\x82\xB0\xE3\x82\xA4"
                                            "\xE3\x83\xB3");
  EXPECT_STREQ(PluginDescriptionUtf8(false), "Memo Plugin");
}

}  // namespace
}  // namespace pinote
