#include "common/shared_file.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <utility>

#include "common/paths.h"
#include "common/sync_copies.h"

namespace pinote {

namespace {

// How often the file may change again while a merge runs before the save gives up for now.
constexpr int kMergeRounds = 4;
// A file that holds nothing, or stops inside an entry, while the last look saw entries is read
// again this often, this long apart: a text editor writing it in place has finished by then.
constexpr int kCutRereads = 3;
constexpr int kCutRereadMilliseconds = 100;

int DayNumber(const SettingDate& d) { return d.year * 10000 + d.month * 100 + d.day; }

// A seed no other process draws: the own write times of two copies saving within the same clock
// tick must differ.
uint64_t FreshSeed(const void* self) {
  uint64_t seed = static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  seed ^= reinterpret_cast<uintptr_t>(self);
  try {
    std::random_device device;
    seed ^= (uint64_t{device()} << 32) ^ device();
  } catch (...) {
    // No random device: the clock and the address still differ between processes.
  }
  return seed != 0 ? seed : 0x9E3779B97F4A7C15u;
}

}  // namespace

void DiskNotices::Append(DiskNotices&& other) {
  reloaded = reloaded || other.reloaded;
  for (auto& c : other.conflictCopies) conflictCopies.push_back(std::move(c));
  for (auto& c : other.mergedCopies) mergedCopies.push_back(std::move(c));
  for (auto& c : other.copiesLeftAlone) copiesLeftAlone.push_back(std::move(c));
  for (auto& c : other.possibleCopies) possibleCopies.push_back(std::move(c));
}

SharedFile::SharedFile(FileSystem& fs, SharedContent& content, const CodePage& cp,
                       bool dailyBackups)
    : fs_(fs), content_(content), cp_(cp), dailyBackups_(dailyBackups),
      markState_(FreshSeed(this)) {}

template <typename Step>
DiskOutcome SharedFile::Run(Step&& step) {
  DiskOutcome out;
  saved_ = false;
  try {
    step();
  } catch (const FileBusyError& e) {
    out.status = DiskOutcome::Status::kBusy;
    out.path = e.path();
    out.message = e.systemMessage();
  } catch (const FileError& e) {
    out.status = DiskOutcome::Status::kFailed;
    out.path = e.path();
    out.message = e.systemMessage();
  }
  out.saved = saved_;
  out.unsaved = content_.HasChanges();
  out.notices = std::move(notices_);
  notices_ = DiskNotices();
  return out;
}

std::unique_ptr<FileLock> SharedFile::TakeLock() {
  std::unique_ptr<FileLock> lock =
      fs_.Lock(LockFileOf(path_), lockRefused_ ? kLockRetryMilliseconds : kLockWaitMilliseconds);
  lockRefused_ = !lock;
  if (!lock) {
    throw FileBusyError(path_, "Another program is saving this file. The change is kept and "
                               "saved with the next one.");
  }
  return lock;
}

std::string SharedFile::ReadSettled(std::optional<std::string> text) {
  if (!text) text = fs_.ReadAll(path_);
  if (!content_.BaseHasEntries()) return std::move(*text);
  for (int n = 0; n < kCutRereads && content_.LooksCut(*text); ++n) {
    fs_.Wait(kCutRereadMilliseconds);
    text = fs_.ReadAll(path_);
  }
  return std::move(*text);
}

DiskOutcome SharedFile::Load(const std::string& path, const std::string& pcFolder,
                             const std::string& olderPath) {
  path_ = path;
  readFailed_ = false;
  unmoved_.clear();
  watch_.Forget();
  record_.Open(fs_, pcFolder, path_, cp_);
  return Run([this, &olderPath] {
    // A writer holds the lock through its replace of the file, and a file being replaced cannot
    // be opened: reading under the lock keeps a copy that starts meanwhile from starting without
    // its memos. A lock that stays held or cannot be made is no reason not to read.
    std::unique_ptr<FileLock> lock;
    try {
      lock = fs_.Lock(LockFileOf(path_), kLockWaitMilliseconds);
    } catch (const FileError&) {
      // A folder where no lock file can be made: read all the same.
    }
    try {
      if (!olderPath.empty() && !fs_.Exists(path_) && fs_.Exists(olderPath)) {
        fs_.Rename(olderPath, path_);
      }
    } catch (const FileError&) {
      // The older file stays where it is; the store then starts without it.
    }
    try {
      const FileStamp stamp = fs_.Stat(path_);
      if (!stamp.exists) {
        watch_.Remember(fs_, stamp, nullptr);
        content_.AdoptMissing();
        return;
      }
      std::string text = fs_.ReadAll(path_);
      const bool settled = IsSettled(stamp.writeTime, fs_.Now(), fs_.ClockTick());
      const uint64_t hash = settled ? 0 : HashOf(text);
      content_.Adopt(std::move(text));
      watch_.Remember(fs_, stamp, [hash] { return hash; });
    } catch (const FileError&) {
      // Remembered, so that no save replaces a file whose content was not read.
      readFailed_ = true;
      content_.Clear();
      throw;
    }
  });
}

void SharedFile::MergeChangesOnDisk() {
  for (int round = 0;; ++round) {
    FileWatch::Look look = watch_.LookAt(fs_, path_);
    if (!look.changed) return;
    if (!look.stamp.exists) {
      // Deleted or moved away: there is nothing to merge, and everything in memory is written.
      watch_.Remember(fs_, look.stamp, nullptr);
      return;
    }
    if (round == kMergeRounds) {
      throw FileBusyError(path_, "The file keeps changing while it is being merged. The change "
                                 "is kept and saved with the next one.");
    }
    std::string text;
    try {
      text = ReadSettled(std::move(look.text));
    } catch (const FileError& e) {
      throw FileError(path_, "The file changed on disk and could not be read, so nothing was "
                             "written (" + e.systemMessage() + ")");
    }
    const bool settled = IsSettled(look.stamp.writeTime, fs_.Now(), fs_.ClockTick());
    const uint64_t hash = settled ? 0 : HashOf(text);
    // The other side's version of what both changed is on disk before memory lets it go.
    content_.Merge(std::move(text), [this](const std::string& conflicts) {
      WriteConflictFile(conflicts);
    });
    readFailed_ = false;
    watch_.Remember(fs_, look.stamp, [hash] { return hash; });
    notices_.reloaded = true;
    // Looked at again: a writer that does not take the lock may have replaced it meanwhile.
  }
}

void SharedFile::WriteConflictFile(const std::string& bytes) {
  const std::string folder = FolderOf(path_, cp_), name = FileNameOf(path_, cp_);
  const SettingDate now = fs_.LocalTime(fs_.Now());
  std::string path;
  for (int serial = 1;; ++serial) {
    path = folder + ConflictCopyName(StemOf(name, cp_), ExtensionOf(name, cp_), now, serial);
    if (!fs_.Exists(path)) break;
  }
  fs_.WriteAllSafely(path, bytes);
  notices_.conflictCopies.push_back(path);
}

std::string SharedFile::BackupDue() {
  if (!dailyBackups_) return {};
  const SettingDate today = fs_.LocalTime(fs_.Now());
  if (DayNumber(today) == backupDay_) return {};
  const std::string path = FolderOf(path_, cp_) + DailyBackupName(FileNameOf(path_, cp_), today);
  // Made already (by another copy, or before a restart), or nothing to keep yet.
  if (fs_.Exists(path) || !fs_.Exists(path_)) {
    backupDay_ = DayNumber(today);
    return {};
  }
  return path;
}

void SharedFile::PruneBackups() {
  const std::string folder = FolderOf(path_, cp_), name = FileNameOf(path_, cp_);
  try {
    std::vector<std::string> backups;
    for (std::string& n : fs_.ListFiles(folder, name)) {
      if (IsDailyBackupName(n, name, cp_)) backups.push_back(std::move(n));
    }
    std::sort(backups.begin(), backups.end());  // by date: the digits sort as they count
    for (size_t i = 0; i + kDailyBackupsKept < backups.size(); ++i) fs_.Remove(folder + backups[i]);
  } catch (const FileError&) {
    // An old backup left in place costs nothing; the next day tries again.
  }
}

int64_t SharedFile::OwnWriteTime() {
  // Below a millisecond before now, at a point that a clock tick lands on only by chance: a later
  // write by anyone else within the same tick still shows as another time, so the next look
  // needs neither a hash now nor a read then (keystrokes come faster than the clock's ticks).
  markState_ ^= markState_ << 13;
  markState_ ^= markState_ >> 7;
  markState_ ^= markState_ << 17;
  return fs_.Now() - 1 - static_cast<int64_t>(markState_ % 10000);
}

void SharedFile::Write() {
  const std::vector<std::string_view> pieces = content_.Pieces();
  const std::string backup = BackupDue();
  const int64_t mark = OwnWriteTime();
  bool backedUp = !backup.empty();
  try {
    // The old file becomes the day's backup within the replace itself.
    fs_.WritePiecesSafely(path_, pieces, backup, mark);
  } catch (const FileError&) {
    if (backup.empty()) throw;
    // The safety net must never stop the save itself; the day's backup is tried again.
    fs_.WritePiecesSafely(path_, pieces, std::string(), mark);
    backedUp = false;
  }
  if (backedUp) backupDay_ = DayNumber(fs_.LocalTime(fs_.Now()));
  try {
    const FileStamp written = fs_.Stat(path_);
    if (written.exists && written.writeTime == mark) {
      watch_.RememberMarked(written);
    } else {
      // Where the time did not stick (FAT keeps its own) the file may also be another writer's
      // that replaced it right after: the next look reads it and compares the bytes.
      ContentHash hash;
      for (const std::string_view piece : pieces) hash.Add(piece);
      watch_.RememberUnsure(written, hash.Value());
    }
  } catch (const FileError&) {
    watch_.Forget();  // looked at again (and read) before the next write
  }
  content_.Written(&record_, fs_.Now());
  readFailed_ = false;
  saved_ = true;
  if (backedUp) PruneBackups();
}

std::vector<SharedFile::Copy> SharedFile::CopiesToMerge(
    const std::vector<std::string>& namesBeside) {
  const std::string folder = FolderOf(path_, cp_), name = FileNameOf(path_, cp_);
  const std::string stem = StemOf(name, cp_), extension = ExtensionOf(name, cp_);
  std::vector<Copy> copies;
  for (const std::string& n : namesBeside) {
    const CopyName match = SyncToolCopyOf(n, stem, extension, cp_);
    if (match.tool == nullptr) continue;
    const std::string path = folder + n;
    FileStamp stamp;
    try {
      stamp = fs_.Stat(path);
    } catch (const FileError&) {
      continue;  // looked at again next time
    }
    if (!stamp.exists) continue;
    const PcRecord::CopyFate fate = record_.FateOf({n, stamp.size, stamp.writeTime});
    if (fate == PcRecord::CopyFate::kMerged &&
        std::find(unmoved_.begin(), unmoved_.end(), path) == unmoved_.end()) {
      unmoved_.push_back(path);  // merged before a restart, and still here: moved, not merged
    }
    if (fate != PcRecord::CopyFate::kUnknown) continue;
    if (!match.sure) {
      if (possibleTold_.insert(path).second) {
        notices_.possibleCopies.push_back({path, match.tool, path_});
      }
      continue;
    }
    copies.push_back({n, match.tool, stamp});
  }
  std::sort(copies.begin(), copies.end(),
            [](const Copy& a, const Copy& b) { return a.name < b.name; });
  return copies;
}

std::vector<SharedFile::Merged> SharedFile::MergeCopies(const std::vector<Copy>& copies) {
  std::vector<Merged> merged;
  const std::string folder = FolderOf(path_, cp_);
  auto told = [this](CopyLeftAlone left) {
    if (toldLeftAlone_.insert({left.path, left.reason}).second) {
      notices_.copiesLeftAlone.push_back(std::move(left));
    }
  };
  for (const Copy& copy : copies) {
    const std::string path = folder + copy.name;
    const PcRecord::CopyId id{copy.name, copy.stamp.size, copy.stamp.writeTime};
    std::string text;
    try {
      text = fs_.ReadAll(path);
    } catch (const FileError& e) {
      told({path, copy.tool, CopyLeftReason::kUnreadable, e.systemMessage()});
      continue;
    }
    const std::string marker =
        MergedCopyMarker(copy.name, fs_.LocalTime(copy.stamp.writeTime));
    // What this PC remembers of its own changes speaks only for a copy written after it began.
    const PcRecord* record = record_.Since() <= copy.stamp.writeTime ? &record_ : nullptr;
    const int count = content_.MergeCopy(text, marker, record);
    if (count < 0) {
      told({path, copy.tool, CopyLeftReason::kNotOwnKind, ""});
      record_.Remember(id, PcRecord::CopyFate::kDeclined);
      continue;
    }
    merged.push_back({{path, copy.tool, count, "", ""}, id});
  }
  return merged;
}

void SharedFile::MoveMergedCopies(std::vector<Merged>& merged) {
  // Once what they brought is on disk, merged copies are remembered, so that none is merged
  // again (text the user removed since would come back), and moved out of the way; one that
  // cannot be moved stays, is told once, and is moved at a later look without a word.
  for (Merged& m : merged) {
    record_.Remember(m.id, PcRecord::CopyFate::kMerged);
    try {
      m.copy.movedTo = MoveIntoMergedFolder(fs_, m.copy.path, path_, cp_);
    } catch (const FileError& e) {
      m.copy.moveError = e.systemMessage();
      unmoved_.push_back(m.copy.path);
    }
    notices_.mergedCopies.push_back(std::move(m.copy));
  }
}

DiskOutcome SharedFile::Save() {
  if (path_.empty()) {
    DiskOutcome out;
    out.status = DiskOutcome::Status::kFailed;
    out.message = "There is no file to save to.";
    out.unsaved = content_.HasChanges();
    return out;
  }
  return Run([this] {
    const std::unique_ptr<FileLock> lock = TakeLock();
    MergeChangesOnDisk();
    Write();
  });
}

DiskOutcome SharedFile::Sync(const std::vector<std::string>& namesBeside, bool lookAtFile) {
  if (path_.empty()) return {};
  return Run([&] {
    const std::vector<Copy> copies = CopiesToMerge(namesBeside);
    for (auto it = unmoved_.begin(); it != unmoved_.end();) {
      try {
        (void)MoveIntoMergedFolder(fs_, *it, path_, cp_);
        it = unmoved_.erase(it);
      } catch (const FileError&) {
        ++it;
      }
    }
    if (lookAtFile) {
      if (!watch_.LookAt(fs_, path_).changed && copies.empty() && !content_.HasChanges()) return;
    } else if (copies.empty()) {
      return;  // the settings file is looked at when it is saved
    }
    const std::unique_ptr<FileLock> lock = TakeLock();
    MergeChangesOnDisk();
    std::vector<Merged> merged = MergeCopies(copies);
    if (content_.HasChanges()) Write();
    MoveMergedCopies(merged);
  });
}

DiskOutcome SharedFile::DecideOnCopy(const std::string& path, bool merge) {
  const std::string name = FileNameOf(path, cp_);
  const std::string own = FileNameOf(path_, cp_);
  const CopyName match = SyncToolCopyOf(name, StemOf(own, cp_), ExtensionOf(own, cp_), cp_);
  return Run([&] {
    const FileStamp stamp = fs_.Stat(path);
    if (!stamp.exists || match.tool == nullptr) return;
    if (!merge) {
      record_.Remember({name, stamp.size, stamp.writeTime}, PcRecord::CopyFate::kDeclined);
      return;
    }
    const std::unique_ptr<FileLock> lock = TakeLock();
    MergeChangesOnDisk();
    std::vector<Merged> merged = MergeCopies({{name, match.tool, stamp}});
    if (content_.HasChanges()) Write();
    MoveMergedCopies(merged);
  });
}

DiskOutcome SyncWithDisk(FileSystem& fs, SharedFile& memos, SharedFile* settings) {
  if (memos.Path().empty()) return {};
  // One listing for both files, filtered by the part of their names they share ("Pinote"):
  // the copies that sync tools leave all begin with it.
  const CodePage& cp = memos.PathCodePage();
  const std::string folder = FolderOf(memos.Path(), cp);
  std::string prefix = FileNameOf(memos.Path(), cp);
  prefix.resize(prefix.size() - ExtensionOf(prefix, cp).size());
  const bool sameFolder = settings != nullptr && FolderOf(settings->Path(), cp) == folder;
  if (sameFolder) {
    const std::string other = FileNameOf(settings->Path(), cp);
    size_t common = 0;
    while (common < prefix.size() && common < other.size() &&
           NameStartsWith(other.substr(common, 1), prefix.substr(common, 1))) {
      ++common;
    }
    prefix.resize(common);
  }
  std::vector<std::string> names;
  try {
    names = fs.ListFiles(folder, prefix);
  } catch (const FileError&) {
    // The copies are looked for again at the next look.
  }
  DiskOutcome out = memos.Sync(names);
  if (sameFolder) {
    // Only what the settings file's copies came to is told: a failure there leaves them for the
    // next look, and the settings are written at their own times, not with the memos.
    out.notices.Append(settings->Sync(names, false).notices);
  }
  return out;
}

}  // namespace pinote
