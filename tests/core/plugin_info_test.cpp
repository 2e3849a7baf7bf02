#include "host/plugin_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/texts.h"

namespace pinote {
namespace {

std::vector<char> Filled() { return std::vector<char>(kInfoRecordSize, '\x55'); }

TEST(FillPluginInfo, FourFieldsAndUntouchedTails) {
  auto rec = Filled();
  const std::string desc = "\x83\x81\x83\x82 plug";  // Shift-JIS text goes in as bytes
  FillPluginInfo(rec.data(), desc, CodePage::ShiftJis());
  EXPECT_STREQ(rec.data() + kInfoNameOffset, "Quillet for Becky!2");
  EXPECT_STREQ(rec.data() + kInfoVendorOffset, kVendorText);
  EXPECT_STREQ(rec.data() + kInfoVersionOffset, "Ver.0.03 Rev.2");
  EXPECT_EQ(std::string(rec.data() + kInfoDescriptionOffset), desc);
  // Bytes after each terminating zero are the caller's.
  EXPECT_EQ(rec[kInfoNameOffset + 20], '\x55');
  EXPECT_EQ(rec[kInfoVersionOffset + 15], '\x55');
  EXPECT_EQ(rec[kInfoDescriptionOffset + desc.size() + 1], '\x55');
  EXPECT_EQ(rec[kInfoRecordSize - 1], '\x55');
}

TEST(FillPluginInfo, LongDescriptionIsCutToFit) {
  struct Case {
    std::string desc;
    size_t expectedLength;
  } cases[] = {
      {std::string(255, 'a'), 255},
      {std::string(300, 'b'), 255},
      {std::string(254, 'c') + "\x83\x81", 254},  // a double-byte character is not split
      {std::string(253, 'c') + "\x83\x81", 255},
      {"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.desc.size());
    auto rec = Filled();
    FillPluginInfo(rec.data(), c.desc, CodePage::ShiftJis());
    const char* d = rec.data() + kInfoDescriptionOffset;
    EXPECT_EQ(std::string(d).size(), c.expectedLength);
    EXPECT_EQ(std::string(d), c.desc.substr(0, c.expectedLength));
  }
}

}  // namespace
}  // namespace pinote
