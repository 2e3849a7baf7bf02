#include "forms/unify_rules.h"

#include <algorithm>

#include "common/text_lines.h"

namespace pinote {

namespace {

bool RecordMatches(const Person& person, std::string_view keyword) {
  if (keyword.empty()) return true;
  if (std::string_view(person.Memo).find(keyword) != std::string_view::npos) return true;
  return std::any_of(person.Addresses.begin(), person.Addresses.end(), [&](const std::string& a) {
    return std::string_view(a).find(keyword) != std::string_view::npos;
  });
}

}  // namespace

std::vector<UnifyLine> FilterAddresses(const MemoStore& data, std::string_view keyword) {
  std::vector<UnifyLine> lines;
  for (int r = 0; r < data.Count(); ++r) {
    const Person* person = data.Get(r);
    if (person == nullptr || !RecordMatches(*person, keyword)) continue;
    for (size_t a = 0; a < person->Addresses.size(); ++a) {
      lines.push_back({r, static_cast<int>(a), person->Addresses[a]});
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
