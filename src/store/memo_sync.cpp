// Saving the memo store when others may write Pinote.dat too: the lock, the look at the file
// before writing, conflict copies, the daily backup, and the copies sync tools leave beside it.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/paths.h"
#include "common/sync_copies.h"
#include "store/memo_store.h"

namespace pinote {

namespace {

// How often the file may change again while a merge runs before the save gives up for now.
constexpr int kMergeRounds = 4;

// Below a millisecond (in file-time units), different at every save and in every process.
uint64_t MarkOffset(int64_t now) noexcept {
  static uint64_t state = 0x9E3779B97F4A7C15u;
  state ^= static_cast<uint64_t>(now) + (state << 6) + (state >> 2);
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return state % 10000;
}

std::string StemOf(const std::string& name, const CodePage& cp) {
  return name.substr(0, name.size() - ExtensionOf(name, cp).size());
}

}  // namespace

std::unique_ptr<FileLock> MemoStore::TakeLock() {
  std::unique_ptr<FileLock> lock = fs_.Lock(
      LockFileOf(fileName_), lockRefused_ ? kLockRetryMilliseconds : kLockWaitMilliseconds);
  lockRefused_ = !lock;
  if (!lock) {
    throw FileBusyError(fileName_,
                        "Another program is saving this file. The change is kept and saved "
                        "with the next one.");
  }
  return lock;
}

void MemoStore::MergeChangesOnDisk() {
  for (int round = 0;; ++round) {
    FileWatch::Look look = watch_.LookAt(fs_, fileName_);
    if (!look.changed) return;
    lookForCopies_ = true;
    if (!look.stamp.exists) {
      // Deleted or moved away: there is nothing to merge, and everything in memory is written.
      watch_.Remember(fs_, look.stamp, nullptr);
      return;
    }
    if (round == kMergeRounds) {
      throw FileBusyError(fileName_, "The file keeps changing while it is being merged. The "
                                     "change is kept and saved with the next one.");
    }
    std::string text;
    if (look.text) {
      text = std::move(*look.text);
    } else {
      try {
        text = fs_.ReadAll(fileName_);
      } catch (const FileError& e) {
        throw FileError(fileName_, "The file changed on disk and could not be read, so nothing "
                                   "was written (" + e.systemMessage() + ")");
      }
    }
    const bool settled = IsSettled(look.stamp.writeTime, fs_.Now(), fs_.ClockTick());
    const uint64_t hash = settled ? 0 : HashOf(text);
    MergePlan plan = PlanMerge(std::move(text));
    // On disk before the merge takes the other version out of memory.
    if (!plan.conflicts.empty()) WriteConflictCopy(plan.conflicts);
    ApplyMerge(std::move(plan));
    watch_.Remember(fs_, look.stamp, [hash] { return hash; });
    notices_.reloaded = true;
    // Looked at again: a writer that does not take the lock may have replaced it meanwhile.
  }
}

void MemoStore::WriteConflictCopy(const std::string& bytes) {
  const std::string folder = FolderOf(fileName_, codePage_),
                    name = FileNameOf(fileName_, codePage_);
  const SettingDate now = fs_.LocalTime(fs_.Now());
  std::string path;
  for (int serial = 1;; ++serial) {
    path = folder + ConflictCopyName(StemOf(name, codePage_), ExtensionOf(name, codePage_), now,
                                     serial);
    if (!fs_.Exists(path)) break;
  }
  fs_.WriteAllSafely(path, bytes);
  notices_.conflictCopies.push_back(path);
}

std::string MemoStore::BackupDue() {
  const SettingDate today = fs_.LocalTime(fs_.Now());
  const int day = today.year * 10000 + today.month * 100 + today.day;
  if (day == backupDay_) return {};
  backupDay_ = day;
  const std::string path =
      FolderOf(fileName_, codePage_) + DailyBackupName(FileNameOf(fileName_, codePage_), today);
  if (!fs_.Exists(fileName_) || fs_.Exists(path)) return {};
  return path;
}

void MemoStore::PruneBackups() {
  const std::string folder = FolderOf(fileName_, codePage_),
                    name = FileNameOf(fileName_, codePage_);
  try {
    std::vector<std::string> backups;
    for (std::string& n : fs_.ListFiles(folder)) {
      if (IsDailyBackupName(n, name, codePage_)) backups.push_back(std::move(n));
    }
    std::sort(backups.begin(), backups.end());  // by date: the digits sort as they count
    for (size_t i = 0; i + kDailyBackupsKept < backups.size(); ++i) fs_.Remove(folder + backups[i]);
  } catch (const FileError&) {
    // An old backup left in place costs nothing; the next day tries again.
  }
}

void MemoStore::WriteFile() {
  // Only records changed since the last Save are formatted, and only their pruning moves the
  // others, so the index is rebuilt only then; the common case, one memo edited, touches one
  // record. The index stands before the write, so it stays right when the write fails.
  if (FormatStaleRecords()) RebuildIndex();
  std::vector<std::string_view> pieces = FilePieces();
  if (pieces.empty()) {
    Compact();
    pieces.assign(1, image_);
  }
  const std::string backup = BackupDue();
  // The new file carries a last-write time of its own: a little before now, at a point that a
  // clock tick lands on only by chance. A later write by anyone else within the same tick then
  // still shows as another time, and the next look needs neither a hash now nor a read then
  // (keystrokes come faster than the clock's two ticks). Where the file system keeps coarser
  // times (FAT), the time does not stick and the hash decides as before.
  const int64_t mark = fs_.Now() - 1 - static_cast<int64_t>(MarkOffset(fs_.Now()));
  try {
    fs_.WritePiecesSafely(fileName_, pieces, backup, mark);
  } catch (const FileError&) {
    if (backup.empty()) throw;
    // The safety net must never stop the save itself.
    fs_.WritePiecesSafely(fileName_, pieces, std::string(), mark);
  }
  try {
    const FileStamp written = fs_.Stat(fileName_);
    if (written.exists && written.writeTime == mark) {
      watch_.RememberMarked(written);
    } else {
      watch_.Remember(fs_, written, [&pieces] {
        ContentHash hash;
        for (const std::string_view piece : pieces) hash.Add(piece);
        return hash.Value();
      });
    }
  } catch (const FileError&) {
    watch_.Forget();  // looked at again (and read) before the next write
  }
  ClearChanges();
  readFailed_ = false;
  if (!backup.empty()) PruneBackups();
}

void MemoStore::Save() {
  if (fileName_.empty()) throw FileError(fileName_, "The memo store has no file to save to.");
  const std::unique_ptr<FileLock> lock = TakeLock();
  MergeChangesOnDisk();
  WriteFile();
}

std::vector<MergedCopy> MemoStore::MergeSyncToolCopies() {
  std::vector<MergedCopy> merged;
  std::vector<SyncToolCopy> copies;
  try {
    copies = FindSyncToolCopies(fs_, fileName_, codePage_);
  } catch (const FileError&) {
    return merged;  // looked for again next time
  }
  bool again = false;
  for (const SyncToolCopy& copy : copies) {
    const std::string path = FolderOf(fileName_, codePage_) + copy.name;
    std::string text;
    FileStamp stamp;
    try {
      stamp = fs_.Stat(path);
      text = fs_.ReadAll(path);
    } catch (const FileError& e) {
      leftAloneTold_.Tell(notices_,
                          {path, copy.tool, CopyLeftReason::kUnreadable, e.systemMessage()});
      again = true;
      continue;
    }
    const std::vector<std::unique_ptr<Person>> records = ParseMemoFile(text);
    if (records.empty() && !text.empty()) {
      leftAloneTold_.Tell(notices_, {path, copy.tool, CopyLeftReason::kNotMemoFile, ""});
      continue;
    }
    const std::string marker = MergedCopyMarker(copy.name, fs_.LocalTime(stamp.writeTime));
    merged.push_back({path, copy.tool, MergeCopyRecords(records, marker), "", ""});
  }
  lookForCopies_ = again;
  return merged;
}

void MemoStore::MoveMergedCopies(std::vector<MergedCopy>& copies) {
  for (MergedCopy& c : copies) {
    try {
      c.movedTo = MoveIntoMergedFolder(fs_, c.path, fileName_, codePage_);
    } catch (const FileError& e) {
      c.moveError = e.systemMessage();
      lookForCopies_ = true;  // merged again (nothing new comes in) and moved next time
    }
    notices_.mergedCopies.push_back(std::move(c));
  }
}

SyncOutcome MemoStore::SyncWithDisk() {
  SyncOutcome out;
  if (fileName_.empty()) return out;
  try {
    const FileWatch::Look look = watch_.LookAt(fs_, fileName_);
    if (look.changed) lookForCopies_ = true;
    if (look.changed || lookForCopies_ || HasUnsavedChanges()) {
      const std::unique_ptr<FileLock> lock = TakeLock();
      MergeChangesOnDisk();
      std::vector<MergedCopy> copies;
      if (lookForCopies_) {
        out.lookedForCopies = true;
        copies = MergeSyncToolCopies();
      }
      if (HasUnsavedChanges()) {
        try {
          WriteFile();
        } catch (const FileError&) {
          if (!copies.empty()) lookForCopies_ = true;
          throw;
        }
        out.saved = true;
      }
      MoveMergedCopies(copies);
    }
  } catch (const FileBusyError& e) {
    out.status = SyncOutcome::Status::kBusy;
    out.error = e;
  } catch (const FileError& e) {
    out.status = SyncOutcome::Status::kFailed;
    out.error = e;
  }
  out.notices = TakeNotices();
  return out;
}

DiskNotices MemoStore::TakeNotices() {
  DiskNotices taken = std::move(notices_);
  notices_ = DiskNotices();
  return taken;
}

}  // namespace pinote
