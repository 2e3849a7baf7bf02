#include "common/mbtext.h"

#include <cstdint>

namespace pinote {

int MbLength(std::string_view t, const CodePage& cp) noexcept {
  int n = 0;
  for (size_t i = 0; i < t.size(); i += cp.CharSize(t, i)) ++n;
  return n;
}

int MbPos(std::string_view sub, std::string_view t, const CodePage& cp) noexcept {
  sub = BeforeNul(sub);
  t = BeforeNul(t);
  int number = 1;
  for (size_t i = 0; i < t.size(); i += cp.CharSize(t, i), ++number) {
    if (t.size() - i >= sub.size() && t.compare(i, sub.size(), sub) == 0) return number;
  }
  return 0;
}

std::string MbCopy(std::string_view t, int start, int count, const CodePage& cp) {
  if (count == kMbRest) {
    // Measure the characters before `start` the same way the bounded copy does, so that a start
    // below 1 or past the end yields the empty rest.
    const int64_t before = static_cast<int64_t>(start) - 1;
    if (before > INT32_MAX || before < INT32_MIN) return std::string();
    const std::string head = MbCopy(t, 1, static_cast<int>(before), cp);
    return std::string(t.substr(head.size()));
  }
  const int64_t first = start;
  const int64_t stop = static_cast<int64_t>(start) + count;
  bool begun = false;
  size_t begin = 0;
  int64_t number = 1;
  for (size_t i = 0; i < t.size(); i += cp.CharSize(t, i), ++number) {
    if (number == first) {
      begun = true;
      begin = i;
    }
    if (number == stop) {
      // The end before the beginning (negative count) leaves nothing to copy.
      return begun ? std::string(t.substr(begin, i - begin)) : std::string();
    }
  }
  return begun ? std::string(t.substr(begin)) : std::string();
}

std::string_view TrimControls(std::string_view t) noexcept {
  size_t b = 0, e = t.size();
  while (b < e && static_cast<unsigned char>(t[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(t[e - 1]) <= 32) --e;
  return t.substr(b, e - b);
}

std::string UpperAnsi(std::string_view t, const CodePage& cp) {
  std::string out(t);
  for (size_t i = 0; i < out.size(); i += cp.CharSize(out, i)) {
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
  }
  return out;
}

size_t MbByteOffset(std::string_view t, int n, const CodePage& cp) noexcept {
  int number = 1;
  for (size_t i = 0; i < t.size(); i += cp.CharSize(t, i), ++number) {
    if (number >= n) return i;
  }
  return t.size();
}

}  // namespace pinote
