// The store changes behind the memo window's edits and its Unify and Separate commands, one
// function each; the window only asks its dialogs and shows the outcome.
#pragma once

#include <string>

#include "store/memo_store.h"

namespace pinote {

// An edit of the memo box or the mark: the record of `address` (made when there is none, found
// in any letter case) takes both, and the store is saved. Returns the record's index after the
// save, -1 when the save pruned it (an empty memo of one address).
int StoreEdit(MemoStore& store, const std::string& address, const std::string& memo,
              bool important);

// Address number `address` of record `record`, or null when the store has no such one.
[[nodiscard]] const std::string* PickedAddress(const MemoStore& store, int record, int address);

enum class UnifyOutcome { Unified, SameAddress, AlreadyUnified, NothingPicked };
// Joins `shown` to record `chosen`, picked by its address number `chosenAddress`: appended when
// `shown` has no record, else its record is merged in (addresses appended, the mark kept when
// either has it, the memos joined as they are) and goes. Refuses the picked address itself (any
// letter case) and a record that already holds `shown`; an index out of range picks nothing.
// Saves the store when it unified.
UnifyOutcome UnifyRecords(MemoStore& store, int chosen, int chosenAddress,
                          const std::string& shown);

// Takes `shown` out of its record of two or more addresses into a record of its own with `memo`
// and `important`, and saves. False (nothing changed) when there is no such record.
bool SeparateAddress(MemoStore& store, const std::string& shown, const std::string& memo,
                     bool important);

}  // namespace pinote
