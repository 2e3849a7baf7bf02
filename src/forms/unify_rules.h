// The unify dialog's rules that need no window: which addresses a keyword lists, and how the
// keyword history is kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/memo_store.h"

namespace pinote {

// One line of the address list: the record's index in the store, the address's index within
// that record, and the address text.
struct UnifyLine {
  int record = 0;
  int address = 0;
  std::string text;

  friend bool operator==(const UnifyLine& a, const UnifyLine& b) {
    return a.record == b.record && a.address == b.address && a.text == b.text;
  }
};

// Every address of each record whose memo or any address holds `keyword` (letter case counts;
// matched by character, never from a second byte), in store order and address order; "" lists every address of every record; a
// record without addresses adds no line.
[[nodiscard]] std::vector<UnifyLine> FilterAddresses(const MemoStore& data,
                                                     std::string_view keyword);

inline constexpr size_t kKeywordHistoryMax = 16;

// `items` with `text` moved (or added) to the front: the first exactly equal item is removed,
// then the list is cut to kKeywordHistoryMax. An empty `text` is an entry like any other.
[[nodiscard]] std::vector<std::string> UpdateKeywordHistory(std::vector<std::string> items,
                                                            std::string_view text);

// The stored form of the history: every item followed by CR LF ("" for no items).
[[nodiscard]] std::string JoinKeywordHistory(const std::vector<std::string>& items);

// The items of a stored history: its lines by ForEachLine (a final line break adds no item, so ""
// gives none and "\r\n" one empty item; a NUL byte stays in its item).
[[nodiscard]] std::vector<std::string> SplitKeywordHistory(std::string_view stored);

}  // namespace pinote
