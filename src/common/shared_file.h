// A file that several writers share: two hosts on one installation, two PCs behind a sync tool,
// a text editor. Pinote.dat and Pinote.ini are both kept this way. Everything about the sharing
// lives here: the writers' lock, the look at the file, the read, the merge (through the store's
// own hook), the write that replaces the file in one step, the daily backup, conflict files, the
// copies sync tools leave beside the file, and one outcome that says what happened. The stores
// provide their content through SharedContent; the memo window only shows outcomes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/code_page.h"
#include "common/file_io.h"
#include "common/file_watch.h"
#include "common/pc_record.h"

namespace pinote {

// --- What happened, told to the user once ---------------------------------------------------

struct MergedCopy {
  std::string path;       // the sync tool's copy where it was found
  std::string tool;       // "Dropbox", "OneDrive", "Syncthing", "Nextcloud", "ownCloud"
  int merged = 0;         // people (Pinote.dat) or settings (Pinote.ini) it added or changed
  std::string movedTo;    // where it was moved after the save; "" when the move failed
  std::string moveError;  // why it could not be moved (it stays, and is not merged again)
};

enum class CopyLeftReason {
  kUnreadable,   // could not be read (locked, still being synced): tried again at every look
  kNotOwnKind,   // nothing of the file's kind could be read from it though it is not empty
};

struct CopyLeftAlone {
  std::string path;
  std::string tool;
  CopyLeftReason reason = CopyLeftReason::kUnreadable;
  std::string message;  // the system's message for an unreadable copy
};

// A file whose name a sync tool may have given a copy, though the user may have named it so
// (Pinote-Taro-PC.dat): merged only when the user says so.
struct PossibleCopy {
  std::string path;
  std::string tool;
  std::string of;  // the shared file it would be a copy of
};

struct DiskNotices {
  // Records were taken from the file as another writer left it: show the address again.
  bool reloaded = false;
  // Paths of the conflict files written: the other writer's version of what both changed.
  std::vector<std::string> conflictCopies;
  std::vector<MergedCopy> mergedCopies;
  std::vector<CopyLeftAlone> copiesLeftAlone;
  std::vector<PossibleCopy> possibleCopies;

  [[nodiscard]] bool empty() const noexcept {
    return !reloaded && conflictCopies.empty() && mergedCopies.empty() &&
           copiesLeftAlone.empty() && possibleCopies.empty();
  }
  void Append(DiskNotices&& other);
};

// The one answer of every operation on a shared file.
struct DiskOutcome {
  enum class Status {
    kOk,
    kBusy,    // another writer held the lock through the wait: nothing was read or written
    kFailed,  // a file could not be read or written; `path` and `message` say which and why
  };
  Status status = Status::kOk;
  std::string path;     // the file the failure is about (the lock or a temporary file included)
  std::string message;  // the system's message, or why nothing was written
  bool saved = false;   // the file was replaced
  bool unsaved = false;  // changes made here are still not in the file
  DiskNotices notices;

  [[nodiscard]] bool ok() const noexcept { return status == Status::kOk; }
};

// --- The store's side -----------------------------------------------------------------------

// What a store kept in a shared file gives the protocol. Every call comes under the writers'
// lock, except Adopt at a load that could not take it.
class SharedContent {
 public:
  virtual ~SharedContent() = default;
  // The file's text as read at a load: memory becomes it, and it is the base of later merges.
  virtual void Adopt(std::string text) = 0;
  // There is no file: what memory holds is this copy's own, for the next save to write.
  virtual void AdoptMissing() = 0;
  // The file exists but could not be read: memory is emptied; a later save merges the file.
  virtual void Clear() = 0;
  // Memory holds changes that the file did not have at the base.
  [[nodiscard]] virtual bool HasChanges() const = 0;
  // Whether `text` holds no entry, or stops inside one: what a writer that rewrites the file in
  // place leaves for a moment. Only asked while the base holds entries.
  [[nodiscard]] virtual bool LooksCut(std::string_view text) const = 0;
  [[nodiscard]] virtual bool BaseHasEntries() const = 0;
  // Three-way merge against the base: this copy's changes since the base laid onto `text` (the
  // file now), which becomes the base. What both sides changed differently keeps this copy's
  // version; the other side's, in the file's format, is handed to `keepConflicts` before memory
  // changes (when it throws, nothing changed).
  virtual void Merge(std::string text,
                     const std::function<void(const std::string&)>& keepConflicts) = 0;
  // The bytes to write now, in order; valid until memory changes.
  [[nodiscard]] virtual std::vector<std::string_view> Pieces() = 0;
  // The write of Pieces succeeded at file time `when`: this copy's changes in it are noted in
  // `record` (when not null), and what was written is the base.
  virtual void Written(PcRecord* record, int64_t when) = 0;
  // Merges a sync tool's copy of the file (its text); texts kept side by side are parted by
  // `marker`; `record` is what this PC remembers of its own changes (null: nothing). Returns how
  // many entries it added or changed, or -1 when the text holds nothing of this kind.
  virtual int MergeCopy(std::string_view text, std::string_view marker,
                        const PcRecord* record) = 0;
};

// How many daily backups of a shared file are kept.
constexpr int kDailyBackupsKept = 7;

class SharedFile {
 public:
  // Paths are walked in `cp`, the system's code page. With `dailyBackups` the first write of a
  // day keeps the file as it was as that day's backup.
  SharedFile(FileSystem& fs, SharedContent& content, const CodePage& cp, bool dailyBackups);
  SharedFile(const SharedFile&) = delete;
  SharedFile& operator=(const SharedFile&) = delete;

  // Names the file and reads it: under the writers' lock, so that no other copy is replacing it
  // meanwhile (a lock that stays held, or cannot be made, is no reason not to read). A missing
  // file keeps memory as this copy's own; an unreadable one empties it, and a save then merges
  // the file before it writes. `pcFolder` is where this PC keeps its record of the file, outside
  // any synced folder ("" for none). A file at `olderPath` (an older name of the file) is moved
  // to `path` first when `path` is missing; a failed move leaves it there.
  [[nodiscard]] DiskOutcome Load(const std::string& path, const std::string& pcFolder,
                                 const std::string& olderPath = "");
  // Writes memory now. Under the lock: when the file changed since the base it is merged first
  // (a conflict file holds what both sides changed differently); the first write of a day may
  // keep the old file as that day's backup. Nothing is lost on failure: memory keeps every change.
  [[nodiscard]] DiskOutcome Save();
  // The look at the file when a mail is shown or the window is activated: one metadata call
  // (none without `lookAtFile`), and `namesBeside` (the folder's file names starting with the
  // file's stem) searched for sync-tool copies. When the file changed it is merged in; copies
  // are merged, written and moved into the merged folder (each once: a copy that cannot be
  // moved is remembered and left); changes a failed write left in memory are written.
  [[nodiscard]] DiskOutcome Sync(const std::vector<std::string>& namesBeside,
                                 bool lookAtFile = true);
  // The user's answer about a possible copy (a PossibleCopy's path): merged as a copy when
  // `merge`, else left alone for good. Asked once: neither is offered again.
  [[nodiscard]] DiskOutcome DecideOnCopy(const std::string& path, bool merge);

  [[nodiscard]] const std::string& Path() const noexcept { return path_; }
  [[nodiscard]] const CodePage& PathCodePage() const noexcept { return cp_; }
  // True while the file exists but its content has not been read.
  [[nodiscard]] bool ReadFailed() const noexcept { return readFailed_; }

 private:
  struct Copy {
    std::string name;
    const char* tool;
    FileStamp stamp;
  };
  struct Merged {
    MergedCopy copy;
    PcRecord::CopyId id;
  };
  // The protocol's steps; each throws FileError (FileBusyError while another writer holds the
  // lock), which Run turns into the outcome.
  template <typename Step>
  DiskOutcome Run(Step&& step);
  [[nodiscard]] std::unique_ptr<FileLock> TakeLock();
  // The file's text (`text` when the look read it already), read again while it looks cut.
  [[nodiscard]] std::string ReadSettled(std::optional<std::string> text);
  void MergeChangesOnDisk();
  void WriteConflictFile(const std::string& bytes);
  void Write();
  // The daily backup's path when this write is the first of the day and none was made; else "".
  [[nodiscard]] std::string BackupDue();
  void PruneBackups();
  [[nodiscard]] int64_t OwnWriteTime();
  // The sure copies among `namesBeside` not merged or declined before; the possible ones are
  // noted for the user, once.
  [[nodiscard]] std::vector<Copy> CopiesToMerge(const std::vector<std::string>& namesBeside);
  [[nodiscard]] std::vector<Merged> MergeCopies(const std::vector<Copy>& copies);
  void MoveMergedCopies(std::vector<Merged>& merged);

  FileSystem& fs_;
  SharedContent& content_;
  CodePage cp_;
  bool dailyBackups_;
  std::string path_;
  bool readFailed_ = false;
  bool lockRefused_ = false;   // the last try for the lock gave up: the next one waits briefly
  int backupDay_ = 0;          // yyyymmdd of the day whose backup was made
  uint64_t markState_;         // where the own write times are drawn from
  FileWatch watch_;
  PcRecord record_;
  // Copies merged whose move failed: moved at a later look, without a word.
  std::vector<std::string> unmoved_;
  std::set<std::pair<std::string, CopyLeftReason>> toldLeftAlone_;
  std::set<std::string> possibleTold_;
  DiskNotices notices_;  // of the operation running
  bool saved_ = false;   // the operation running replaced the file
};

// The look at both shared files beside the plug-in (the memo file and, when given, the settings
// file in the same folder), as the memo window makes it: one listing of their folder, filtered
// by the start their names share, then SharedFile::Sync of each (the settings file only for its
// copies). The outcome is the memo file's, with the settings file's notices.
[[nodiscard]] DiskOutcome SyncWithDisk(FileSystem& fs, SharedFile& memos, SharedFile* settings);

}  // namespace pinote
