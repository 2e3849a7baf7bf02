// MbLength / MbPos / MbCopy / MbByteOffset with arguments from the input, in a code page the
// input picks, against a reference that first splits the text into characters. No character of
// more than one byte may start with an ASCII byte, nor hold one on UTF-8: a separator is never
// hidden where the system's own conversion sees it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/mbtext.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<std::string> Chars(const std::string& t, const pinote::CodePage& cp) {
  std::vector<std::string> out;
  for (size_t i = 0; i < t.size();) {
    const size_t n = cp.CharSize(t, i);
    Check(n >= 1 && i + n <= t.size());
    const std::string c = t.substr(i, n);
    if (n > 1) {
      Check(static_cast<unsigned char>(c[0]) >= 0x80);
      for (const char b : c) Check(!cp.IsUtf8() || static_cast<unsigned char>(b) >= 0x80);
    }
    out.push_back(c);
    i += n;
  }
  return out;
}

int32_t Int(const uint8_t* p) {
  return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pinote;
  if (size < 10) return 0;
  static const uint32_t kPages[] = {932, 936, 949, 950, 1252, 65001};
  const CodePage cp = CodePage::Known(kPages[data[9] % 6]);
  // start and count: small values most of the time, any 32-bit value sometimes.
  int32_t start = Int(data), count = Int(data + 4);
  if (!(data[8] & 1)) start = static_cast<int8_t>(data[0]);
  if (!(data[8] & 2)) count = static_cast<int8_t>(data[4]);
  if (data[8] & 4) count = kMbRest;
  const size_t subLen = (data[8] >> 3) & 3;
  const std::string rest(reinterpret_cast<const char*>(data + 10), size - 10);
  const std::string sub = rest.substr(0, subLen);
  const std::string t = rest.substr(sub.size());

  const auto c = Chars(t, cp);
  const int len = MbLength(t, cp);
  Check(len == static_cast<int>(c.size()));

  // MbCopy against the character vector.
  std::string expected;
  const int64_t stop = count == kMbRest ? INT64_MAX : int64_t{start} + count;
  if (start >= 1 && start <= len) {
    const int64_t end = stop < 1 ? len + 1 : stop;
    for (int64_t k = start; k < end && k <= len; ++k) expected += c[k - 1];
  }
  const std::string got = MbCopy(t, start, count, cp);
  Check(got == expected);
  Check(got.size() <= t.size());

  // MbPos: both texts end at their first zero byte.
  const std::string tz = t.substr(0, t.find('\0')), sz = sub.substr(0, sub.find('\0'));
  const auto cz = Chars(tz, cp);
  int pos = 0;
  size_t off = 0;
  for (size_t k = 0; k < cz.size(); off += cz[k].size(), ++k) {
    if (tz.size() - off >= sz.size() && tz.compare(off, sz.size(), sz) == 0) {
      pos = static_cast<int>(k) + 1;
      break;
    }
  }
  const int p = MbPos(sub, t, cp);
  Check(p == pos);
  if (p > 0) Check(MbCopy(tz, p, kMbRest, cp).compare(0, sz.size(), sz) == 0);

  // Byte offsets of character starts, and cutting/joining at them.
  const size_t b = MbByteOffset(t, start, cp);
  size_t ref = t.size();
  if (start >= 1 && start <= len) {
    ref = 0;
    for (int k = 1; k < start; ++k) ref += c[k - 1].size();
  } else if (start < 1) {
    ref = 0;
  }
  Check(b == ref);
  if (start >= 1) Check(MbCopy(t, 1, start - 1, cp) + MbCopy(t, start, kMbRest, cp) == t);

  const std::string up = UpperAnsi(t, cp);
  Check(up.size() == t.size() && MbLength(up, cp) == len);
  const std::string_view trimmed = TrimControls(t);
  Check(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > 32 &&
                            static_cast<unsigned char>(trimmed.back()) > 32));
  return 0;
}
