#include "forms/memo_edits.h"

#include <algorithm>
#include <memory>

#include "common/mbtext.h"

namespace pinote {
namespace {

bool SameAddress(std::string_view a, std::string_view b) { return UpperAnsi(a) == UpperAnsi(b); }

std::unique_ptr<Person> NewPerson(const std::string& address, const std::string& memo,
                                  bool important) {
  auto person = std::make_unique<Person>();
  person->Addresses.push_back(address);
  person->Memo = memo;
  person->Important = important;
  return person;
}

}  // namespace

int StoreEdit(MemoStore& store, const std::string& address, const std::string& memo,
              bool important) {
  Person* record = store.Get(store.IndexOfAddress(address));
  if (record == nullptr) {
    store.Add(NewPerson(address, memo, important));
  } else {
    record->Memo = memo;
    record->Important = important;
  }
  // A failed write throws; the record keeps the edit and the next successful save writes it.
  store.Save();
  return store.IndexOfAddress(address);
}

const std::string* PickedAddress(const MemoStore& store, int record, int address) {
  const Person* person = store.Get(record);
  if (person == nullptr || address < 0 || static_cast<size_t>(address) >= person->Addresses.size()) {
    return nullptr;
  }
  return &person->Addresses[static_cast<size_t>(address)];
}

UnifyOutcome UnifyRecords(MemoStore& store, int chosen, int chosenAddress,
                          const std::string& shown) {
  const std::string* picked = PickedAddress(store, chosen, chosenAddress);
  if (picked == nullptr) return UnifyOutcome::NothingPicked;
  if (SameAddress(*picked, shown)) return UnifyOutcome::SameAddress;
  Person* target = store.Get(chosen);
  const int own = store.IndexOfAddress(shown);
  if (own == chosen) return UnifyOutcome::AlreadyUnified;
  if (const Person* other = store.Get(own)) {
    target->Addresses.insert(target->Addresses.end(), other->Addresses.begin(),
                             other->Addresses.end());
    target->Important = target->Important || other->Important;
    target->Memo += other->Memo;  // joined as they are, no separator
    store.Delete(own);            // its name-list text goes with it
  } else {
    target->Addresses.push_back(shown);
  }
  store.Save();
  return UnifyOutcome::Unified;
}

bool SeparateAddress(MemoStore& store, const std::string& shown, const std::string& memo,
                     bool important) {
  Person* record = store.Get(store.IndexOfAddress(shown));
  // Taking the only address out would leave a record nobody can reach.
  if (record == nullptr || record->Addresses.size() < 2) return false;
  auto& addresses = record->Addresses;
  addresses.erase(std::find_if(addresses.begin(), addresses.end(),
                               [&](const std::string& a) { return SameAddress(a, shown); }));
  store.Add(NewPerson(shown, memo, important));
  store.Save();
  return true;
}

}  // namespace pinote
