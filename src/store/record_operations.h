// What the memo window does to the store: look at a picked address, unify the shown address with
// a picked record, separate it again, and store what the user typed. The window asks the user
// and shows the outcome; the rules and their refusals live here.
//
// The operations change memory only: the caller saves (MemoStore::Save) after every change and
// shows the save's outcome. A refusal changes nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/memo_store.h"

namespace pinote {

// The address the unify dialog picked: entry `address` of record `record`; nullopt when either
// index names nothing in the store.
[[nodiscard]] std::optional<std::string> PickedAddress(const MemoStore& store, int record,
                                                       int address);

enum class UnifyOutcome {
  kUnified,           // the shown address now belongs to the picked record
  kNothingPicked,     // the pick names no address in the store
  kSameAddress,       // the picked address is the shown one (case ignored)
  kAlreadyUnified,    // the picked record already holds the shown address
  kPersonAndDomain,   // one side is a person, the other a domain ("*@example.co.jp")
  kAddressNotStored,  // the shown address cannot be kept in Pinote.dat (IsStorableAddress)
};

// Unifies `shownAddress` with the picked record, refusing in the order of the outcomes above.
// When no record holds the shown address it is appended to the picked record as written. Else
// its record joins the picked one: its addresses are appended in order, the mark is set when
// either had it, its memo follows the picked record's memo directly (no separator), and it is
// deleted with its name-list text (the picked record keeps its own).
[[nodiscard]] UnifyOutcome Unify(MemoStore& store, std::string_view shownAddress, int pickedRecord,
                                 int pickedAddress);

enum class SeparateOutcome {
  kSeparated,         // the shown address has a record of its own now
  kNotInGroup,        // no record holds it together with another address
  kAddressNotStored,  // the shown address cannot be kept in Pinote.dat
};

// Takes `shownAddress` out of its group: the group's first address equal to it (case ignored)
// is removed, and a new record {shownAddress as written, `important`, `memo`} is appended
// without name-list text. The group keeps its memo, mark and name-list text. An empty memo makes
// a record that the Save drops again.
[[nodiscard]] SeparateOutcome Separate(MemoStore& store, std::string_view shownAddress,
                                       std::string memo, bool important);

// Stores what the user typed for `address`: the memo text and the mark of its record, made (with
// that one address) when it has none. `shown`, when given, is the memo the text was typed into:
// when the record holds another memo by now (merged from another writer while the box could not
// be refilled), the typing is laid onto it (LayTypedOnto) instead of replacing it. False when
// the address cannot be kept in Pinote.dat (nothing changed). A record left with an empty memo
// and one address is dropped by the save. Read the record back after the save: when it merged
// what another writer left (or a file unreadable at the load), a record made here for the
// address joins the file's, whose memo comes first and whose mark stays.
[[nodiscard]] bool StoreTypedMemo(MemoStore& store, std::string_view address, std::string memo,
                                  bool important, const std::string* shown = nullptr);

// `typed`, made from `shown`, laid onto `now`, made from `shown` meanwhile by another writer: both
// changes when they touch different parts of the text; `now` with `typed` on a line of its own
// after it when they touch the same part (nothing of either is lost).
[[nodiscard]] std::string LayTypedOnto(std::string_view shown, std::string_view typed,
                                       std::string_view now);

}  // namespace pinote
