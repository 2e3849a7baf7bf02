// The character walk on each code page a Windows system can have as its ANSI code page: one table
// per page of texts split into their characters. Every walk of the core is checked against the
// split: counting and cutting by character, the search for "\", the path's folder part, the
// upper-casing of settings keys and addresses, and the address table's look-up.
#include "common/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/mbtext.h"
#include "common/paths.h"
#include "store/address_index.h"

namespace pinote {
namespace {

struct Walk {
  std::vector<std::string> chars;  // the text, character by character
};

std::string Joined(const std::vector<std::string>& chars, size_t count) {
  std::string out;
  for (size_t k = 0; k < count && k < chars.size(); ++k) out += chars[k];
  return out;
}

void ExpectWalks(const CodePage& cp, const std::vector<Walk>& table) {
  for (const Walk& w : table) {
    const std::string text = Joined(w.chars, w.chars.size());
    SCOPED_TRACE(::testing::PrintToString(text));
    ASSERT_EQ(MbLength(text, cp), static_cast<int>(w.chars.size()));
    size_t folderEnd = 0;  // characters up to the last "\" one
    int firstBackslash = 0;
    std::string upper;
    for (size_t k = 0; k < w.chars.size(); ++k) {
      const std::string& c = w.chars[k];
      EXPECT_EQ(MbCopy(text, static_cast<int>(k) + 1, 1, cp), c) << "character " << k + 1;
      EXPECT_EQ(MbByteOffset(text, static_cast<int>(k) + 1, cp), Joined(w.chars, k).size());
      if (c == "\\") {
        folderEnd = k + 1;
        if (firstBackslash == 0) firstBackslash = static_cast<int>(k) + 1;
      }
      upper += c.size() == 1 && c[0] >= 'a' && c[0] <= 'z' ? std::string(1, c[0] - 32) : c;
    }
    EXPECT_EQ(MbPos("\\", text, cp), firstBackslash);
    EXPECT_EQ(SplitAtLastSeparator(text, "\\", cp).folder, Joined(w.chars, folderEnd));
    EXPECT_EQ(UpperAnsi(text, cp), upper);
    EXPECT_TRUE(SameAddressKey(text, upper, cp));
    AddressIndex index(cp);
    index.Insert(upper, 7);
    EXPECT_EQ(index.Find(text), 7);
  }
}

// Shift-JIS: leads 81-9F and E0-FC; 表 (95 5C) and ソ (83 5C) end in "\", ヂ (83 61) in "a";
// half-width kana (A1-DF) and FD-FF are single bytes.
TEST(CodePageWalk, ShiftJis932) {
  ExpectWalks(CodePage::Known(932), {
      {{"C", ":", "\\", "\x95\x5C", "\\", "a", ".", "t", "x", "t"}},
      {{"\x83\x5C", "\\", "\x83\x61", "a"}},
      {{"\xB1", "\xDF", "\xFD", "\xFE", "\x80", "a"}},
      {{"\xE9\\", "x"}},  // "é" of 1252 is a lead byte here
      {{"\xFC\x40", "a", "\x81"}},  // a lone lead byte at the end stands alone
  });
}

// GBK: every byte from 81 to FE leads, so FE and A1-DF lead too; 80 stands alone.
TEST(CodePageWalk, Gbk936) {
  ExpectWalks(CodePage::Known(936), {
      {{"C", ":", "\\", "\xB1\xED", "\\", "\xD5\x5C", "\\", "a"}},
      {{"\xFE\x5C", "\xA1\x61", "a"}},
      {{"\x80", "\xE9\\", "b"}},
  });
}

// Korean (Unified Hangul Code): leads 81-FE, and a lead takes any byte after it, "\" too.
TEST(CodePageWalk, Korean949) {
  ExpectWalks(CodePage::Known(949), {
      {{"C", ":", "\\", "\xC7\xD1", "\\", "\x81\x61", "a"}},
      {{"\xB0\x5C", "\\", "\xFE\xFE"}},
      {{"\x80", "x", "\xC7"}},
  });
}

// Big5: leads 81-FE; 功 (A5 5C) and 許 (B3 5C) end in "\".
TEST(CodePageWalk, Big5950) {
  ExpectWalks(CodePage::Known(950), {
      {{"C", ":", "\\", "\xA5\x5C", "\\", "\xB3\x5C", "\\", "a", ".", "t", "x", "t"}},
      {{"\xA4\x61", "a", "\x80"}},
  });
}

// Western and every other single-byte page: each byte a character, "é" (E9) included.
TEST(CodePageWalk, Western1252) {
  ExpectWalks(CodePage::Known(1252), {
      {{"C", ":", "\\", "C", "a", "f", "\xE9", "\\", "P", "l", "u", "g", "I", "n", "s"}},
      {{"\xE9", "a", "\x83", "\\", "\x95", "\\"}},
      {{"J", "o", "s", "\xE9", "'", "s"}},
  });
  ExpectWalks(CodePage::Known(1251), {{{"\xE9", "\\", "\xFF", "a"}}});
}

// UTF-8: well-formed sequences of two to four bytes; an overlong form, a surrogate, a cut or
// broken sequence and a lone continuation byte are a byte each, and never take an ASCII byte.
TEST(CodePageWalk, Utf8With65001) {
  ExpectWalks(CodePage::Known(65001), {
      {{"C", ":", "\\", "C", "a", "f", "\xC3\xA9", "\\", "a"}},
      {{"\xE3\x81\x81", ".", "e", "x", "e"}},
      {{"\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "a"}},
      {{"\xC3", "\\", "\xC0", "\xAF", "\xE0", "\x80", "\xAF"}},
      {{"\xED", "\xA0", "\x80", "\xF4", "\x90", "\x80", "\x80"}},
      {{"\xE3", "\x81", "a", "\xE3", "\x81"}},
  });
}

}  // namespace
}  // namespace pinote
