// The memo window's one call that brings memory and disk together: Pinote.dat merged with what
// other writers left, sync-tool copies of Pinote.dat and Pinote.ini merged and moved away.
#pragma once

#include "common/settings.h"
#include "store/memo_store.h"

namespace pinote {

// Call after the first Load (and LoadNameList) at start, whenever a mail is shown (before
// ShowMemo fills the window) and when the memo window is activated. Costs one metadata call when
// nothing changed. Runs MemoStore::SyncWithDisk; when that looked for sync-tool copies (at start
// and whenever Pinote.dat was found changed) also SettingsStore::MergeSyncToolCopies of
// `settings` (none when null). Never throws a FileError: the outcome carries the status, the
// error text and every notice not yet taken (those of the Saves since the last call included),
// for the window to tell once. When notices.reloaded, the window shows its address again.
[[nodiscard]] SyncOutcome SyncWithDisk(MemoStore& memos, SettingsStore* settings);

}  // namespace pinote
