// The version is written once (common/version.h); every place that shows it must say the same.
#include "common/version.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/texts.h"
#include "host/mail_header.h"
#include "host/plugin_info.h"

namespace pinote {
namespace {

std::string Format(const char* pattern) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, PINOTE_VERSION_MAJOR, PINOTE_VERSION_MINOR,
                PINOTE_VERSION_REVISION);
  return buffer;
}

TEST(Version, TheNumbersAndEveryTextAgree) {
  const std::string text = Format("Ver.%d.%02d Rev.%d");
  EXPECT_EQ(text, "Ver.0.03 Rev.2");  // the text users know this release by
  std::vector<char> record(kInfoRecordSize, '\0');
  FillPluginInfo(record.data(), "Memo Plugin", CodePage::ShiftJis());
  struct Case {
    const char* where;
    std::string shown, expected;
  } cases[] = {
      {"text macro", PINOTE_VERSION_TEXT, text},
      {"shared text", kVersionText, text},
      {"information record", record.data() + kInfoVersionOffset, text},
      {"X-Mailer-Plugin", StampedMailerPlugin(""), std::string("Quillet for Becky!2 ") + text},
      {"resource numbers", PINOTE_VERSION_NUMBERS_TEXT, Format("%d.%d.%d.0")},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, c.expected) << c.where;
  const int numbers[] = {PINOTE_VERSION_NUMBERS};
  EXPECT_EQ(std::vector<int>(std::begin(numbers), std::end(numbers)),
            (std::vector<int>{PINOTE_VERSION_MAJOR, PINOTE_VERSION_MINOR, PINOTE_VERSION_REVISION,
                              0}));
}

}  // namespace
}  // namespace pinote
