#include "forms/unify_rules.h"

#include <algorithm>

#include "common/mbtext.h"
#include "common/text_lines.h"

namespace pinote {

namespace {

// By character, so that a keyword never matches from the second byte of a double-byte
// character ("@" inside "ァ", 83 40).
bool RecordMatches(const Person& person, std::string_view keyword, const CodePage& cp) {
  if (keyword.empty()) return true;
  if (MbPos(keyword, person.memo, cp) > 0) return true;
  return std::any_of(person.addresses.begin(), person.addresses.end(),
                     [&](const std::string& a) { return MbPos(keyword, a, cp) > 0; });
}

}  // namespace

std::vector<UnifyLine> FilterAddresses(const MemoStore& data, std::string_view keyword) {
  std::vector<UnifyLine> lines;
  for (int r = 0; r < data.Count(); ++r) {
    const Person* person = data.Get(r);
    if (person == nullptr || !RecordMatches(*person, keyword, data.TextCodePage())) continue;
    for (size_t a = 0; a < person->addresses.size(); ++a) {
      lines.push_back({r, static_cast<int>(a), person->addresses[a]});
    }
  }
  return lines;
}

std::vector<std::string> UpdateKeywordHistory(std::vector<std::string> items,
                                              std::string_view text) {
  const auto same = std::find(items.begin(), items.end(), text);
  if (same != items.end()) items.erase(same);
  items.insert(items.begin(), std::string(text));
  if (items.size() > kKeywordHistoryMax) items.resize(kKeywordHistoryMax);
  return items;
}

std::string JoinKeywordHistory(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) {
    out += item;
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> SplitKeywordHistory(std::string_view stored) {
  std::vector<std::string> items;
  ForEachLine(stored, [&items](std::string_view line) { items.emplace_back(line); });
  return items;
}

}  // namespace pinote
