#include "common/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/ascii.h"
#include "common/mbtext.h"
#include "common/paths.h"
#include "common/text_lines.h"

namespace pinote {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";


// Reads an unsigned decimal number of 1 to `maxDigits` digits at `pos`, advancing it.
std::optional<int> ReadNumber(std::string_view t, size_t& pos, size_t maxDigits) {
  size_t start = pos;
  int value = 0;
  while (pos < t.size() && IsAsciiDigit(t[pos]) && pos - start < maxDigits) {
    value = value * 10 + (t[pos] - '0');
    ++pos;
  }
  if (pos == start || (pos < t.size() && IsAsciiDigit(t[pos]))) return std::nullopt;
  return value;
}

bool IsLeapYear(int y) noexcept { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) noexcept {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

std::string JoinKey(std::string_view section, std::string_view key) {
  std::string full(section);
  full += '\\';
  full += key;
  return full;
}

void SetValue(SettingEntry& e, const SettingValue& value, const CodePage& cp) {
  if (const bool* b = std::get_if<bool>(&value)) {
    e.typeName = "Boolean";
    e.valueText = *b ? "True" : "False";
  } else if (const SettingDate* d = std::get_if<SettingDate>(&value)) {
    e.typeName = "Date";
    e.valueText = FormatDate(*d);
  } else if (const double* f = std::get_if<double>(&value)) {
    e.typeName = "Float";
    e.valueText = FormatFloat(*f);
  } else if (const int32_t* i = std::get_if<int32_t>(&value)) {
    e.typeName = "Integer";
    e.valueText = std::to_string(*i);
  } else if (const std::string* s = std::get_if<std::string>(&value)) {
    e.typeName = "String";
    e.valueText = EscapeText(*s, cp);
  }
}

std::optional<SettingValue> Convert(const SettingEntry& e, const CodePage& cp) {
  if (e.typeName == "Boolean") return SettingValue(e.valueText == "True");
  if (e.typeName == "Date") {
    if (auto d = ParseDate(e.valueText)) return SettingValue(*d);
    return std::nullopt;
  }
  if (e.typeName == "Float") {
    if (auto f = ParseFloat(e.valueText)) return SettingValue(*f);
    return std::nullopt;
  }
  if (e.typeName == "Integer") {
    if (auto i = ParseInteger(e.valueText)) return SettingValue(*i);
    return std::nullopt;
  }
  if (auto s = UnescapeText(e.valueText, cp)) return SettingValue(std::move(*s));
  return std::nullopt;
}

std::vector<SettingEntry> ParseFile(std::string_view text, const CodePage& cp) {
  std::vector<SettingEntry> entries;
  for (std::string_view line : SplitLines(text)) entries.push_back(ParseSettingLine(line, cp));
  return entries;
}

std::optional<size_t> FindIn(const std::vector<SettingEntry>& entries, std::string_view upper) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].lookupKey == upper) return i;
  }
  return std::nullopt;
}

// Removes the entries of `upper` after position `first`: a hand-edited file can hold a key twice,
// and a later line left behind would come back as the key's value once the first is deleted.
void EraseLaterLines(std::vector<SettingEntry>& entries, std::string_view upper, size_t first) {
  entries.erase(std::remove_if(entries.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                               entries.end(),
                               [upper](const SettingEntry& e) { return e.lookupKey == upper; }),
                entries.end());
}

// Writes `entry` over the first line of its key (or appends it) and drops the later ones; nullopt
// removes every line of the key.
void PutEntry(std::vector<SettingEntry>& entries, const std::string& upper,
              const std::optional<SettingEntry>& entry) {
  const auto i = FindIn(entries, upper);
  if (!i) {
    if (entry) entries.push_back(*entry);
    return;
  }
  EraseLaterLines(entries, upper, *i);
  if (entry) {
    entries[*i] = *entry;
  } else {
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(*i));
  }
}

}  // namespace

std::string EscapeText(std::string_view t, const CodePage& cp) {
  std::string out;
  out.reserve(t.size());
  for (size_t i = 0; i < t.size();) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    const size_t n = cp.CharSize(t, i);
    // A lead byte followed by a control byte is no real character; kept together they would
    // put a raw line break into the file, so the lead byte is escaped on its own.
    const bool strayLead = n == 2 && static_cast<unsigned char>(t[i + 1]) < 0x20;
    if (n == 1 && c == '%') {
      out += "%%";
    } else if ((n == 1 && c < 0x20) || strayLead) {
      out += '%';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
      i += 1;
      continue;
    } else {
      out.append(t.substr(i, n));
    }
    i += n;
  }
  return out;
}

bool AppendUnescaped(std::string_view t, std::string& out, const CodePage& cp) {
  const size_t before = out.size();
  size_t run = 0;  // where the characters not yet appended begin
  for (size_t i = 0; i < t.size();) {
    if (t[i] != '%') {
      i += cp.CharSize(t, i);
      continue;
    }
    out.append(t.substr(run, i - run));
    if (i + 1 < t.size() && t[i + 1] == '%') {
      out += '%';
      i += 2;
      run = i;
      continue;
    }
    // One or two hexadecimal digits; a double-byte character there is no digit.
    const size_t digits = t.size() - (i + 1) >= 2 ? 2 : t.size() - (i + 1);
    int value = 0;
    bool hex = digits > 0;
    for (size_t k = 0; k < digits && hex; ++k) {
      const int h = HexDigitValue(t[i + 1 + k]);
      hex = h >= 0;
      value = value * 16 + h;
    }
    if (!hex) {
      out.resize(before);
      return false;
    }
    out += static_cast<char>(value);
    i += 1 + digits;
    run = i;
  }
  out.append(t.substr(run));
  return true;
}

std::optional<std::string> UnescapeText(std::string_view t, const CodePage& cp) {
  std::string out;
  out.reserve(t.size());
  if (!AppendUnescaped(t, out, cp)) return std::nullopt;
  return out;
}

std::optional<int32_t> ParseInteger(std::string_view t) {
  if (t.empty()) return std::nullopt;
  if (t[0] == '$') {
    const std::string_view hex = t.substr(1);
    if (hex.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : hex) {
      const int h = HexDigitValue(c);
      if (h < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(h);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  bool negative = false;
  size_t i = 0;
  if (t[0] == '+' || t[0] == '-') {
    negative = t[0] == '-';
    i = 1;
  }
  if (i == t.size()) return std::nullopt;
  // Nine digits or fewer cannot pass 32 bits: counted without 64-bit arithmetic, which costs
  // several instructions a step on i686 (a name list has hundreds of thousands of counts).
  uint32_t low = 0;
  const size_t lowEnd = t.size() - i > 9 ? i + 9 : t.size();
  for (; i < lowEnd; ++i) {
    if (!IsAsciiDigit(t[i])) return std::nullopt;
    low = low * 10 + static_cast<uint32_t>(t[i] - '0');
  }
  int64_t value = low;
  for (; i < t.size(); ++i) {
    if (!IsAsciiDigit(t[i])) return std::nullopt;
    value = value * 10 + (t[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string FormatDate(const SettingDate& d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  return buf;
}

std::optional<SettingDate> ParseDate(std::string_view t) {
  t = TrimControls(t);
  SettingDate d;
  size_t pos = 0;
  auto sep = [&](char c) {
    if (pos < t.size() && t[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  };
  auto y = ReadNumber(t, pos, 4);
  if (!y || !sep('/')) return std::nullopt;
  auto m = ReadNumber(t, pos, 2);
  if (!m || !sep('/')) return std::nullopt;
  auto day = ReadNumber(t, pos, 2);
  if (!day) return std::nullopt;
  d.year = *y;
  d.month = *m;
  d.day = *day;
  d.hour = d.minute = d.second = 0;
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 ||
      d.day > DaysInMonth(d.year, d.month)) {
    return std::nullopt;
  }
  if (pos == t.size()) return d;
  if (t[pos] != ' ') return std::nullopt;
  while (pos < t.size() && t[pos] == ' ') ++pos;
  auto h = ReadNumber(t, pos, 2);
  if (!h || !sep(':')) return std::nullopt;
  auto mi = ReadNumber(t, pos, 2);
  if (!mi) return std::nullopt;
  std::optional<int> s = 0;
  if (sep(':')) s = ReadNumber(t, pos, 2);
  if (!s || pos != t.size() || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
  d.hour = *h;
  d.minute = *mi;
  d.second = *s;
  return d;
}

std::string FormatFloat(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  char buf[400];
  // The fewest significant digits (at most 15) that read back as the same value; values that
  // need more digits are rounded to 15.
  int precision = 1;
  std::to_chars_result r{};
  for (; precision <= 15; ++precision) {
    r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision - 1);
    double back = 0;
    auto p = std::from_chars(buf, r.ptr, back);
    if (p.ec == std::errc() && back == v) break;
  }
  if (precision > 15) precision = 15;
  r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision - 1);
  std::string sci(buf, static_cast<size_t>(r.ptr - buf));
  size_t e = sci.find('e');
  // Rounded to 15 digits the value may end in zeros, which the general form leaves out.
  size_t last = e;
  while (last > 0 && sci[last - 1] == '0') --last;
  if (last > 0 && sci[last - 1] == '.') --last;
  sci.erase(last, e - last);
  e = last;
  precision = 0;
  for (size_t k = 0; k < e; ++k) precision += IsAsciiDigit(sci[k]) ? 1 : 0;
  int exponent = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
  // Plain notation within the range where 15 digits show the value without an exponent.
  if (exponent < -4 || exponent >= 15) return sci;
  const int decimals = std::max(0, precision - 1 - exponent);
  r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return std::string(buf, static_cast<size_t>(r.ptr - buf));
}

std::optional<double> ParseFloat(std::string_view t) {
  if (t == "NAN") return std::numeric_limits<double>::quiet_NaN();
  if (t == "INF") return std::numeric_limits<double>::infinity();
  if (t == "-INF") return -std::numeric_limits<double>::infinity();
  // Strict decimal form: sign, digits with an optional ".", optional exponent.
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  const size_t numberStart = i;
  size_t digits = 0;
  while (i < t.size() && IsAsciiDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsAsciiDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < t.size() && IsAsciiDigit(t[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  double value = 0;
  // from_chars takes no "+" sign; it is dropped here and the sign applied afterwards.
  auto r = std::from_chars(t.data() + numberStart, t.data() + t.size(), value);
  if (r.ec == std::errc::result_out_of_range) {
    // Underflow gives zero, overflow infinity, as the usual text-to-float conversions do.
    size_t e = t.find_first_of("eE");
    const bool negExp = e != std::string_view::npos && e + 1 < t.size() && t[e + 1] == '-';
    value = negExp ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (r.ec != std::errc() || r.ptr != t.data() + t.size()) {
    return std::nullopt;
  }
  return numberStart == 1 && t[0] == '-' ? -value : value;
}

std::string SettingsPathFor(std::string_view pluginFileName, const CodePage& cp) {
  const int keep = MbLength(pluginFileName, cp) - 3;
  std::string path = keep > 0 ? MbCopy(pluginFileName, 1, keep, cp) : std::string();
  return path + "ini";
}

SettingEntry ParseSettingLine(std::string_view line, const CodePage& cp) {
  // For a missing separator MbPos gives 0: the copy of characters 1 .. -1 is then the whole
  // line, and so is the copy from character 1 on.
  SettingEntry e;
  const int eq = MbPos("=", line, cp);
  e.keyText = MbCopy(line, 1, eq - 1, cp);
  const std::string rest = MbCopy(line, eq + 1, kMbRest, cp);
  const int colon = MbPos(":", rest, cp);
  e.typeName = MbCopy(rest, 1, colon - 1, cp);
  e.valueText = MbCopy(rest, colon + 1, kMbRest, cp);
  e.lookupKey = UpperAnsi(e.keyText, cp);
  return e;
}

SettingsStore::SettingsStore(FileSystem& fs, std::function<std::string()> pluginFileName,
                             const CodePage& codePage, std::string pcFolder)
    : pluginFileName_(std::move(pluginFileName)),
      codePage_(codePage),
      pcFolder_(std::move(pcFolder)),
      file_(fs, *this, codePage, false) {}

void SettingsStore::Load() {
  if (loaded_) return;
  loaded_ = true;  // set first: a failed read is not retried by every later call
  path_ = SettingsPathFor(pluginFileName_ ? pluginFileName_() : std::string(), codePage_);
  const DiskOutcome out = file_.Load(path_, pcFolder_);
  if (!out.ok()) throw FileError(out.path, out.message);
}

std::optional<size_t> SettingsStore::Find(std::string_view fullKeyUpper) const {
  return FindIn(entries_, fullKeyUpper);
}

SettingValue SettingsStore::Read(std::string_view section, std::string_view key,
                                 const SettingValue& def) {
  Load();
  const auto i = Find(UpperAnsi(JoinKey(section, key), codePage_));
  if (!i) return def;
  auto value = Convert(entries_[*i], codePage_);
  return value ? std::move(*value) : def;
}

void SettingsStore::Write(std::string_view section, std::string_view key,
                          const SettingValue& value) {
  Load();
  const std::string full = JoinKey(section, key);
  const std::string upper = UpperAnsi(full, codePage_);
  if (std::holds_alternative<std::monostate>(value)) {
    // While the file is unread the store cannot tell what it holds: the delete is remembered
    // for the save that reads it again.
    if (ReadFailed() &&
        std::find(deletedUnread_.begin(), deletedUnread_.end(), upper) == deletedUnread_.end()) {
      deletedUnread_.push_back(upper);
    }
    PutEntry(entries_, upper, std::nullopt);
    return;
  }
  SettingEntry e;
  e.keyText = full;
  e.lookupKey = upper;
  SetValue(e, value, codePage_);
  PutEntry(entries_, upper, e);
  deletedUnread_.erase(std::remove(deletedUnread_.begin(), deletedUnread_.end(), upper),
                       deletedUnread_.end());
}

DiskOutcome SettingsStore::Save() {
  try {
    Load();
  } catch (const FileError&) {
    // Remembered: the save reads the file first, and fails without replacing it while it cannot.
  }
  return file_.Save();
}

void SettingsStore::Adopt(std::string text) {
  entries_ = ParseFile(text, codePage_);
  base_ = entries_;
  deletedUnread_.clear();
}

void SettingsStore::AdoptMissing() { base_.clear(); }

void SettingsStore::Clear() {
  entries_.clear();
  base_.clear();
}

namespace {

// The value of `upper` in `entries` (type and text), or nullptr when it has none.
const SettingEntry* EntryOf(const std::vector<SettingEntry>& entries, std::string_view upper) {
  const auto i = FindIn(entries, upper);
  return i ? &entries[*i] : nullptr;
}

bool SameValue(const SettingEntry* a, const SettingEntry* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->typeName == b->typeName && a->valueText == b->valueText;
}

// The keys of `entries` whose value differs from `base` (added, changed or deleted), in order.
std::vector<std::string> ChangedKeys(const std::vector<SettingEntry>& entries,
                                     const std::vector<SettingEntry>& base) {
  std::vector<std::string> keys;
  const auto note = [&keys](const std::string& upper) {
    if (std::find(keys.begin(), keys.end(), upper) == keys.end()) keys.push_back(upper);
  };
  for (const SettingEntry& e : entries) {
    if (!SameValue(EntryOf(entries, e.lookupKey), EntryOf(base, e.lookupKey))) note(e.lookupKey);
  }
  for (const SettingEntry& e : base) {
    if (EntryOf(entries, e.lookupKey) == nullptr) note(e.lookupKey);
  }
  return keys;
}

}  // namespace

bool SettingsStore::HasChanges() const {
  return !deletedUnread_.empty() || !ChangedKeys(entries_, base_).empty();
}

bool SettingsStore::LooksCut(std::string_view text) const {
  text = BeforeNul(text);
  return text.empty() || (text.back() != '\n' && text.back() != '\r');
}

void SettingsStore::Merge(std::string text, const std::function<void(const std::string&)>&) {
  // Three-way per key: a key changed here keeps this copy's value (its deletion included); every
  // other key is as the file has it now. Both changing one key: this copy's value stands.
  std::vector<SettingEntry> fresh = ParseFile(text, codePage_);
  std::vector<SettingEntry> merged = fresh;
  for (const std::string& upper : ChangedKeys(entries_, base_)) {
    const SettingEntry* mine = EntryOf(entries_, upper);
    PutEntry(merged, upper, mine ? std::optional<SettingEntry>(*mine) : std::nullopt);
  }
  for (const std::string& upper : deletedUnread_) PutEntry(merged, upper, std::nullopt);
  deletedUnread_.clear();
  entries_ = std::move(merged);
  base_ = std::move(fresh);
}

std::vector<std::string_view> SettingsStore::Pieces() {
  text_.clear();
  for (const SettingEntry& e : entries_) {
    text_ += e.keyText;
    text_ += '=';
    text_ += e.typeName;
    text_ += ':';
    text_ += e.valueText;
    text_ += "\r\n";
  }
  return {text_};
}

void SettingsStore::Written(PcRecord*, int64_t) {
  base_ = entries_;
  deletedUnread_.clear();
}

int SettingsStore::MergeCopy(std::string_view text, std::string_view, const PcRecord*) {
  // Keys the store lacks (the file merged just before, so "lacks" means the file lacks them
  // too) come in; every key the store has stays as it is.
  int merged = 0;
  for (SettingEntry& e : ParseFile(text, codePage_)) {
    if (e.lookupKey.empty() || Find(e.lookupKey)) continue;
    entries_.push_back(std::move(e));
    ++merged;
  }
  return merged;
}

bool SettingsStore::ReadBool(std::string_view section, std::string_view key, bool def) {
  const SettingValue v = Read(section, key, def);
  if (const bool* b = std::get_if<bool>(&v)) return *b;
  if (const int32_t* i = std::get_if<int32_t>(&v)) return *i != 0;
  if (const double* f = std::get_if<double>(&v)) return std::isnan(*f) ? def : *f != 0;
  if (const std::string* s = std::get_if<std::string>(&v)) {
    const std::string u = UpperAnsi(*s, codePage_);
    if (u == "TRUE") return true;
    if (u == "FALSE") return false;
    if (auto i = ParseInteger(*s)) return *i != 0;
  }
  return def;
}

int32_t SettingsStore::ReadInt(std::string_view section, std::string_view key, int32_t def) {
  const SettingValue v = Read(section, key, def);
  if (const int32_t* i = std::get_if<int32_t>(&v)) return *i;
  if (const bool* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  if (const double* f = std::get_if<double>(&v)) {
    const double r = std::nearbyint(*f);
    if (std::isfinite(r) && r >= INT32_MIN && r <= INT32_MAX) return static_cast<int32_t>(r);
    return def;
  }
  if (const std::string* s = std::get_if<std::string>(&v)) {
    if (auto i = ParseInteger(TrimControls(*s))) return *i;
  }
  return def;
}

std::string SettingsStore::ReadString(std::string_view section, std::string_view key,
                                      std::string_view def) {
  const SettingValue v = Read(section, key, std::string(def));
  if (const std::string* s = std::get_if<std::string>(&v)) return *s;
  if (const bool* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (const int32_t* i = std::get_if<int32_t>(&v)) return std::to_string(*i);
  if (const double* f = std::get_if<double>(&v)) return FormatFloat(*f);
  if (const SettingDate* d = std::get_if<SettingDate>(&v)) return FormatDate(*d);
  return std::string(def);
}

}  // namespace pinote
