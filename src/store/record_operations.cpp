#include "store/record_operations.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "store/address_index.h"
#include "store/domain_memo.h"

namespace pinote {

std::optional<std::string> PickedAddress(const MemoStore& store, int record, int address) {
  const Person* person = store.Get(record);
  if (person == nullptr || address < 0 ||
      static_cast<size_t>(address) >= person->addresses.size()) {
    return std::nullopt;
  }
  return person->addresses[static_cast<size_t>(address)];
}

UnifyOutcome Unify(MemoStore& store, std::string_view shownAddress, int pickedRecord,
                   int pickedAddress) {
  const std::optional<std::string> picked = PickedAddress(store, pickedRecord, pickedAddress);
  if (!picked) return UnifyOutcome::kNothingPicked;
  if (SameAddressKey(*picked, shownAddress, store.TextCodePage())) {
    return UnifyOutcome::kSameAddress;
  }
  const int shownRecord = store.IndexOfAddress(shownAddress);
  if (shownRecord == pickedRecord) return UnifyOutcome::kAlreadyUnified;
  if (MixesPersonAndDomain(shownAddress, store.Get(shownRecord), *store.Get(pickedRecord))) {
    return UnifyOutcome::kPersonAndDomain;
  }
  // Unified, such an address would leave the picked record's mark and memo lines to the record
  // after it in the file, or be lost with its memo at the next start.
  if (!IsStorableAddress(shownAddress)) return UnifyOutcome::kAddressNotStored;
  if (shownRecord < 0) {
    store.AppendAddress(pickedRecord, std::string(shownAddress));
  } else {
    const Person& joining = *store.Get(shownRecord);
    const Person& into = *store.Get(pickedRecord);
    const bool important = into.important || joining.important;
    std::string memo = into.memo + joining.memo;  // joined as they are, no separator
    for (const std::string& a : joining.addresses) store.AppendAddress(pickedRecord, a);
    store.SetImportant(pickedRecord, important);
    store.SetMemo(pickedRecord, std::move(memo));
    store.Delete(shownRecord);
  }
  return UnifyOutcome::kUnified;
}

SeparateOutcome Separate(MemoStore& store, std::string_view shownAddress, std::string memo,
                         bool important) {
  const int group = store.IndexOfAddress(shownAddress);
  const Person* person = store.Get(group);
  // Taking the only address out would leave a record nobody can reach.
  if (person == nullptr || person->addresses.size() < 2) return SeparateOutcome::kNotInGroup;
  if (!IsStorableAddress(shownAddress)) return SeparateOutcome::kAddressNotStored;
  store.RemoveAddress(group, shownAddress);
  auto own = std::make_unique<Person>();
  own->addresses.emplace_back(shownAddress);
  own->important = important;
  own->memo = std::move(memo);
  store.Add(std::move(own));
  return SeparateOutcome::kSeparated;
}

std::string LayTypedOnto(std::string_view shown, std::string_view typed, std::string_view now) {
  if (typed == shown || typed == now) return std::string(now);
  if (now == shown) return std::string(typed);
  // The one part of `shown` each side replaced: [begin, end), from the common start and end.
  struct Change {
    size_t begin, end;
    std::string_view with;
  };
  const auto changeOf = [shown](std::string_view text) {
    const size_t most = std::min(shown.size(), text.size());
    size_t begin = 0;
    while (begin < most && shown[begin] == text[begin]) ++begin;
    size_t tail = 0;
    while (tail < most - begin && shown[shown.size() - 1 - tail] == text[text.size() - 1 - tail]) {
      ++tail;
    }
    return Change{begin, shown.size() - tail, text.substr(begin, text.size() - tail - begin)};
  };
  Change a = changeOf(typed), b = changeOf(now);
  if (a.end < b.begin || b.end < a.begin) {
    if (b.begin < a.begin) std::swap(a, b);
    std::string out(shown.substr(0, a.begin));
    out += a.with;
    out += shown.substr(a.end, b.begin - a.end);
    out += b.with;
    out += shown.substr(b.end);
    return out;
  }
  std::string out(now);
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
  out += typed;
  return out;
}

bool StoreTypedMemo(MemoStore& store, std::string_view address, std::string memo,
                    bool important, const std::string* shown) {
  if (!IsStorableAddress(address)) return false;
  int record = store.IndexOfAddress(address);
  if (record < 0) {
    auto person = std::make_unique<Person>();
    person->addresses.emplace_back(address);
    record = store.Add(std::move(person));
  } else if (shown != nullptr && store.Get(record)->memo != *shown) {
    memo = LayTypedOnto(*shown, memo, store.Get(record)->memo);
  }
  store.SetImportant(record, important);
  store.SetMemo(record, std::move(memo));
  return true;
}

}  // namespace pinote
