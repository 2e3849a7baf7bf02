// The name-list (address book) reader: integer lines and the merge of its entries into the store.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "common/mbtext.h"
#include "common/settings.h"
#include "common/text_lines.h"
#include "store/address_index.h"
#include "store/memo_store.h"

namespace pinote {

namespace {

// A count line may have spaces before its number; nothing else is allowed around it.
std::optional<int32_t> ParseCountLine(std::string_view line) {
  size_t spaces = 0;
  while (spaces < line.size() && line[spaces] == ' ') ++spaces;
  return ParseInteger(line.substr(spaces));
}

}  // namespace

bool IsInteger(std::string_view line) { return ParseCountLine(line).has_value(); }

int32_t IntegerValue(std::string_view line) { return ParseCountLine(line).value_or(0); }

void MemoStore::LoadNameList(const std::string& path) {
  nameListPath_ = path;
  if (!fs_.Exists(path)) return;
  MergeNameListText(fs_.ReadAll(path));
}

void MemoStore::MergeNameListText(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  // Positions in 64 bits: 3 * N + 1 with N near INT32_MAX must neither wrap nor go back.
  const int64_t count = static_cast<int64_t>(lines.size());
  // "Not yet contained, case ignored": a short address list is scanned; a record that grows
  // longer gets a table of its addresses, built once, so a record that collects many entries
  // costs one look-up per address instead of a scan.
  constexpr size_t kScanLimit = 8;
  std::unordered_map<int, AddressIndex> held;
  // The count line at `pos`, when it exists and is an integer.
  const auto countAt = [&](int64_t pos) -> std::optional<int32_t> {
    if (pos >= count) return std::nullopt;
    return ParseCountLine(lines[static_cast<size_t>(pos)]);
  };

  int64_t pos = 1;
  // index_ is not touched until the walk ends: look-ups see the store as it was at the start.
  // Records change here directly, not through the setters, for that reason; every record whose
  // file bytes change is marked for the next Save.
  while (pos < count - 5) {
    const std::string_view rawText = lines[static_cast<size_t>(pos)];
    pos += 3;
    const auto n = countAt(pos);
    if (!n) continue;
    if (*n < 0) break;  // a negative skip would walk backwards, maybe forever: stop here
    pos += 3 * static_cast<int64_t>(*n) + 1;
    const auto m = countAt(pos);
    if (!m) continue;
    if (*m < 0) break;
    const int64_t firstAddress = pos + 1;
    const int64_t endAddress = std::min(pos + 1 + static_cast<int64_t>(*m), count);
    pos += static_cast<int64_t>(*m) + 1;
    const auto p = countAt(pos);
    if (!p) continue;
    if (*p < 0) break;
    pos += 2 * static_cast<int64_t>(*p) + 2;

    // A bad escape leaves the entry's text as written rather than losing the entry.
    std::optional<std::string> decoded = UnescapeText(rawText);
    std::string entryText = decoded ? std::move(*decoded) : std::string(rawText);

    int record = -1;
    for (int64_t i = firstAddress; i < endAddress && record < 0; ++i) {
      const int found = IndexOfAddress(lines[static_cast<size_t>(i)]);
      if (Get(found) != nullptr) record = found;
    }
    if (record < 0) {
      auto person = std::make_unique<Person>();
      for (int64_t i = firstAddress; i < endAddress; ++i) {
        person->Addresses.emplace_back(lines[static_cast<size_t>(i)]);
      }
      person->NameListText = std::move(entryText);
      Record made;
      made.person = std::move(person);
      records_.push_back(std::move(made));
      continue;
    }
    Person& r = *records_[static_cast<size_t>(record)].person;
    if (r.NameListText.empty()) r.NameListText = std::move(entryText);
    const size_t addressesBefore = r.Addresses.size();
    auto it = held.find(record);
    for (int64_t i = firstAddress; i < endAddress; ++i) {
      const std::string_view address = lines[static_cast<size_t>(i)];
      if (it == held.end() && r.Addresses.size() >= kScanLimit) {
        it = held.try_emplace(record).first;
        it->second.Reserve(r.Addresses.size() * 2, 0);
        for (const auto& a : r.Addresses) it->second.Insert(a, record);
      }
      if (it != held.end()) {
        if (it->second.Insert(address, record)) r.Addresses.emplace_back(address);
      } else if (std::none_of(r.Addresses.begin(), r.Addresses.end(), [&](const std::string& a) {
                   return SameAddressKey(a, address);
                 })) {
        r.Addresses.emplace_back(address);
      }
    }
    if (r.Addresses.size() != addressesBefore) Touch(record);
  }
  RebuildIndex();
}

}  // namespace pinote
