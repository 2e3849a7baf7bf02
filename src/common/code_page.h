// The system's ANSI code page, as every walk over the plug-in's texts needs it: which bytes begin
// a character of more than one byte. The Win32 layer reads it from the system once at load and
// hands it to whatever walks text; nothing here knows which system it runs on.
//
// - Single-byte pages (1252 and the other Western, Central European, Cyrillic, Greek... pages):
//   every byte is a character, "é" (0xE9) included.
// - The East Asian double-byte pages (932 Shift-JIS, 936 GBK, 949 Korean, 950 Big5): a lead byte
//   forms one character with the byte after it, whatever that byte is, as the system's own
//   conversion takes it; that second byte can be 0x5C ("\"), so a byte-wise search for a
//   separator would cut such a character in two.
// - UTF-8 (65001, the system-wide UTF-8 option of Windows 10 and later): a well-formed sequence
//   of two to four bytes is one character; any other byte is a character by itself. A byte below
//   0x80 is never part of a longer sequence, so no ASCII separator is ever hidden, and a cut at
//   a character boundary never leaves half a sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace pinote {

class CodePage {
 public:
  // Pairs of first and last lead byte, both included.
  using LeadRanges = std::initializer_list<std::pair<unsigned char, unsigned char>>;

  // A page whose characters are all one byte.
  [[nodiscard]] static CodePage SingleByte(uint32_t number) noexcept;
  // A double-byte page with the given lead bytes.
  [[nodiscard]] static CodePage DoubleByte(uint32_t number, LeadRanges leadRanges) noexcept;
  // A double-byte page whose lead bytes are those for which `isLead(byte)` is true.
  template <class IsLead>
  [[nodiscard]] static CodePage DoubleByteWhere(uint32_t number, IsLead isLead) {
    CodePage page(number, Kind::kDoubleByte);
    for (unsigned b = 0; b < 256; ++b) {
      if (isLead(static_cast<unsigned char>(b))) page.lead_[b >> 6] |= uint64_t{1} << (b & 63);
    }
    return page;
  }
  [[nodiscard]] static CodePage Utf8() noexcept;
  // The page Windows gives `number`: 932, 936, 949 and 950 with their lead bytes, 65001 UTF-8,
  // every other number single-byte.
  [[nodiscard]] static CodePage Known(uint32_t number) noexcept;
  [[nodiscard]] static CodePage ShiftJis() noexcept { return Known(932); }
  [[nodiscard]] static CodePage Western() noexcept { return Known(1252); }

  [[nodiscard]] uint32_t Number() const noexcept { return number_; }
  [[nodiscard]] bool IsUtf8() const noexcept { return kind_ == Kind::kUtf8; }
  // True for a byte that begins a character of two bytes on a double-byte page; false on the
  // other pages (see CharSize for UTF-8).
  [[nodiscard]] bool IsLeadByte(unsigned char b) const noexcept {
    return kind_ == Kind::kDoubleByte && ((lead_[b >> 6] >> (b & 63)) & 1) != 0;
  }
  // Byte length of the character that starts at byte `i` of `t` (i < t.size()); never runs past
  // the end of `t`: a lead byte that ends the text, or a cut UTF-8 sequence, is one byte.
  [[nodiscard]] size_t CharSize(std::string_view t, size_t i) const noexcept {
    const auto b = static_cast<unsigned char>(t[i]);
    if (b < 0x80) return 1;  // ASCII is one character on every page the system can have
    if (kind_ == Kind::kUtf8) return Utf8SequenceSize(t, i);
    return IsLeadByte(b) && i + 1 < t.size() ? 2 : 1;
  }

  friend bool operator==(const CodePage& a, const CodePage& b) noexcept {
    return a.number_ == b.number_ && a.kind_ == b.kind_ && a.lead_[0] == b.lead_[0] &&
           a.lead_[1] == b.lead_[1] && a.lead_[2] == b.lead_[2] && a.lead_[3] == b.lead_[3];
  }
  friend bool operator!=(const CodePage& a, const CodePage& b) noexcept { return !(a == b); }

 private:
  enum class Kind : uint8_t { kSingleByte, kDoubleByte, kUtf8 };
  CodePage(uint32_t number, Kind kind) noexcept : number_(number), kind_(kind) {}
  [[nodiscard]] static size_t Utf8SequenceSize(std::string_view t, size_t i) noexcept;

  uint32_t number_;
  Kind kind_;
  uint64_t lead_[4] = {0, 0, 0, 0};  // one bit per byte value
};

}  // namespace pinote
