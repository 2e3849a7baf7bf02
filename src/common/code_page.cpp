#include "common/code_page.h"

namespace pinote {

CodePage CodePage::SingleByte(uint32_t number) noexcept {
  return CodePage(number, Kind::kSingleByte);
}

CodePage CodePage::DoubleByte(uint32_t number, LeadRanges leadRanges) noexcept {
  CodePage page(number, Kind::kDoubleByte);
  for (const auto& [first, last] : leadRanges) {
    for (unsigned b = first; b <= last; ++b) page.lead_[b >> 6] |= uint64_t{1} << (b & 63);
  }
  return page;
}

CodePage CodePage::Utf8() noexcept { return CodePage(65001, Kind::kUtf8); }

CodePage CodePage::Known(uint32_t number) noexcept {
  switch (number) {
    case 932: return DoubleByte(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    case 936:
    case 949:
    case 950: return DoubleByte(number, {{0x81, 0xFE}});
    case 65001: return Utf8();
    default: return SingleByte(number);
  }
}

// The well-formed sequences of the Unicode standard (no overlong forms, no surrogates, nothing
// above U+10FFFF); the system's conversion takes any other byte as a character of its own.
size_t CodePage::Utf8SequenceSize(std::string_view t, size_t i) noexcept {
  const auto at = [&](size_t k) { return static_cast<unsigned char>(t[i + k]); };
  const unsigned char b = at(0);
  size_t size = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    size = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    size = 3;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    size = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  if (t.size() - i < size || at(1) < low || at(1) > high) return 1;
  for (size_t k = 2; k < size; ++k) {
    if (at(k) < 0x80 || at(k) > 0xBF) return 1;
  }
  return size;
}

}  // namespace pinote
