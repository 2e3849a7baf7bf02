#include "host/mail_header.h"

#include "common/mbtext.h"
#include "common/texts.h"

namespace pinote {

namespace {

std::string Trimmed(std::string_view t) { return std::string(TrimControls(t)); }

// The last character of `s` is exactly the single-byte `mark` (not the second byte of one).
bool EndsWithChar(const std::string& s, char mark, const CodePage& cp) {
  return MbCopy(s, MbLength(s, cp), 1, cp) == std::string(1, mark);
}

}  // namespace

std::string ExtractAddress(std::string_view from, const CodePage& cp) {
  std::string s = Trimmed(from);
  if (s.empty()) return s;
  if (EndsWithChar(s, '>', cp)) {
    const int len = MbLength(s, cp);
    const int p = MbPos("<", s, cp);
    if (p > 0 && len - p - 1 >= 1) s = Trimmed(MbCopy(s, p + 1, len - p - 1, cp));
  }
  if (EndsWithChar(s, ')', cp)) {
    const int p = MbPos("(", s, cp);
    if (p > 1) s = Trimmed(MbCopy(s, 1, p - 1, cp));
  }
  return s;
}

std::string ExtractSenderName(std::string_view from, const CodePage& cp) {
  std::string s = Trimmed(from);
  if (s.empty()) return s;
  if (EndsWithChar(s, '>', cp)) {
    const int len = MbLength(s, cp);
    const int p = MbPos("<", s, cp);
    if (p == 1) {
      s = MbCopy(s, 2, len - 2, cp);  // the text inside the brackets, as it is
    } else if (p > 1) {
      s = Trimmed(MbCopy(s, 1, p - 1, cp));
    }
  }
  if (EndsWithChar(s, ')', cp)) {
    const int len = MbLength(s, cp);
    const int p = MbPos("(", s, cp);
    if (p > 0) s = Trimmed(MbCopy(s, p + 1, len - p - 1, cp));
  }
  if (!s.empty() && s[0] == '"' && EndsWithChar(s, '"', cp)) {
    // A quoted name is taken whole, "@" and all; a lone quote gives "".
    return MbCopy(s, 2, MbLength(s, cp) - 2, cp);
  }
  const int at = MbPos("@", s, cp);
  if (at > 0) s = MbCopy(s, 1, at - 1, cp);
  return s;
}

std::string StampedMailerPlugin(std::string_view oldValue) {
  const size_t zero = oldValue.find('\0');
  std::string v(oldValue.substr(0, zero));
  const std::string ourName = std::string(kPluginName) + " Ver.";
  std::string rest;
  const size_t p = v.find(ourName);
  if (p == std::string::npos) {
    if (!v.empty()) v += ",\r\n\t";
  } else {
    // Drop our old entry up to, not including, the comma that ends it.
    const size_t comma = v.find(',', p);
    if (comma != std::string::npos) rest = v.substr(comma);
    v.resize(p);
  }
  v += kPluginName;
  v += ' ';
  v += kVersionText;
  v += rest;
  return v;
}

bool HeaderMayBeTruncated(std::string_view valueRead, size_t sizeToldToHost) {
  return sizeToldToHost <= 1 || valueRead.size() >= sizeToldToHost - 1;
}

}  // namespace pinote
