#include "store/disk_sync.h"

#include <utility>

namespace pinote {

SyncOutcome SyncWithDisk(MemoStore& memos, SettingsStore* settings) {
  SyncOutcome out = memos.SyncWithDisk();
  if (!out.lookedForCopies || settings == nullptr) return out;
  try {
    out.notices.Append(settings->MergeSyncToolCopies());
  } catch (const FileError& e) {
    // The settings copies stay where they are and are merged at the next look; the memo side's
    // own failure, if any, is the one reported.
    if (out.status == SyncOutcome::Status::kOk) {
      const bool busy = dynamic_cast<const FileBusyError*>(&e) != nullptr;
      out.status = busy ? SyncOutcome::Status::kBusy : SyncOutcome::Status::kFailed;
      out.error = e;
    }
  }
  return out;
}

}  // namespace pinote
