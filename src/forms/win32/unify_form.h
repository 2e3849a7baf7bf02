// The unify dialog: a keyword-filtered list of every stored address with the memo of the
// highlighted one; the memo window's Look and Unify commands pick an address with it.
#pragma once

#include <windows.h>

#include <string>

#include "store/memo_store.h"

namespace pinote {

struct UnifyResult {
  bool ok = false;  // closed with OK on a listed line
  int record = 0;   // the picked record's index in the store
  int address = 0;  // the picked address's index within that record's Addresses
};

// Shows the dialog modally, owned by `owner`, with `okCaption` on its OK button. The store is
// only read. OK, a double-click or Enter on a line picks that line; while the list is empty
// nothing can be picked and only Cancel, Esc or the close box end the dialog. Throws when the
// dialog cannot be created (callers run it Guarded).
[[nodiscard]] UnifyResult ShowUnifyForm(HWND owner, const MemoStore& data,
                                        const std::wstring& okCaption);

}  // namespace pinote
