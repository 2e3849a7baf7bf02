#include "store/record_operations.h"

#include <memory>
#include <utility>

#include "store/address_index.h"

namespace pinote {

std::optional<std::string> PickedAddress(const MemoStore& store, int record, int address) {
  const Person* person = store.Get(record);
  if (person == nullptr || address < 0 ||
      static_cast<size_t>(address) >= person->Addresses.size()) {
    return std::nullopt;
  }
  return person->Addresses[static_cast<size_t>(address)];
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
  // Unified, such an address would leave the picked record's mark and memo lines to the record
  // after it in the file, or be lost with its memo at the next start.
  if (!IsStorableAddress(shownAddress)) return UnifyOutcome::kAddressNotStored;
  if (shownRecord < 0) {
    store.AppendAddress(pickedRecord, std::string(shownAddress));
  } else {
    const Person& joining = *store.Get(shownRecord);
    const Person& into = *store.Get(pickedRecord);
    const bool important = into.Important || joining.Important;
    std::string memo = into.Memo + joining.Memo;  // joined as they are, no separator
    for (const std::string& a : joining.Addresses) store.AppendAddress(pickedRecord, a);
    store.SetImportant(pickedRecord, important);
    store.SetMemo(pickedRecord, std::move(memo));
    store.Delete(shownRecord);
  }
  store.Save();
  return UnifyOutcome::kUnified;
}

SeparateOutcome Separate(MemoStore& store, std::string_view shownAddress, std::string memo,
                         bool important) {
  const int group = store.IndexOfAddress(shownAddress);
  const Person* person = store.Get(group);
  // Taking the only address out would leave a record nobody can reach.
  if (person == nullptr || person->Addresses.size() < 2) return SeparateOutcome::kNotInGroup;
  if (!IsStorableAddress(shownAddress)) return SeparateOutcome::kAddressNotStored;
  store.RemoveAddress(group, shownAddress);
  auto own = std::make_unique<Person>();
  own->Addresses.emplace_back(shownAddress);
  own->Important = important;
  own->Memo = std::move(memo);
  store.Add(std::move(own));
  store.Save();
  return SeparateOutcome::kSeparated;
}

StoredMemo StoreTypedMemo(MemoStore& store, std::string_view address, std::string memo,
                          bool important) {
  if (!IsStorableAddress(address)) return {};
  int record = store.IndexOfAddress(address);
  if (record < 0) {
    auto person = std::make_unique<Person>();
    person->Addresses.emplace_back(address);
    record = store.Add(std::move(person));
  }
  store.SetImportant(record, important);
  store.SetMemo(record, std::move(memo));
  store.Save();
  return {true, store.IndexOfAddress(address)};
}

}  // namespace pinote
