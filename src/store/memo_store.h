// The memo store: one record per person (addresses, memo, importance mark, name-list text), kept
// in Pinote.dat and rewritten whole after every change. Records change only through the store,
// so that it knows which ones changed: each record's file bytes are kept from the load or its
// last change, and a save formats only what changed since. Until a record is first asked for,
// those bytes (and what the name list gave it) are all the store holds of it: starting with a
// large file costs no allocation per person.
//
// Several writers may share Pinote.dat (two hosts, two PCs behind a sync tool, a text editor).
// The store remembers what the file was at its last read or write and what this copy changed
// since; before every write, under a lock between processes, it lays those changes onto what
// the file holds now, so that nothing another writer wrote is lost.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/disk_notices.h"
#include "common/file_io.h"
#include "common/file_watch.h"
#include "store/address_index.h"

namespace pinote {

struct Person {
  std::vector<std::string> Addresses;  // as received: case kept, not trimmed
  bool Important = false;
  std::string Memo;          // lines separated by CR LF
  std::string NameListText;  // from the name-list file; never written to Pinote.dat
};

// A name-list count line: optional leading spaces, then ParseInteger's syntax (settings.h).
// "" and a trailing space are not integers.
[[nodiscard]] bool IsInteger(std::string_view line);
// The value of a line for which IsInteger is true (hex taken as signed 32-bit); 0 otherwise.
[[nodiscard]] int32_t IntegerValue(std::string_view line);

// False for what a Pinote.dat line cannot hold as an address: "", a first byte of space or "@",
// or any CR, LF or NUL byte. Such an address is left out when the file is written.
[[nodiscard]] bool IsStorableAddress(std::string_view address);

// Whether Save writes `person`: it has a memo or two or more addresses, and at least one address
// that IsStorableAddress accepts (a record without one would lend its mark and memo lines to the
// record after it when the file is read again).
[[nodiscard]] bool IsWrittenOnSave(const Person& person) noexcept;
// Whether Save keeps `person` in memory: a memo, two or more addresses, or name-list text and an
// address to find it by (the text so holds for the whole session, though it is never written).
[[nodiscard]] bool IsKeptOnSave(const Person& person) noexcept;

// Appends the bytes of one record as the file holds it: storable addresses, "@Important" when
// marked, every memo line (cut at a NUL) after a space, then an empty line; all lines end in
// CR LF. Appends nothing for a record without a storable address.
void AppendRecordBytes(const Person& person, std::string& out);
// AppendRecordBytes of every record in order (records are not pruned here).
[[nodiscard]] std::string FormatMemoFile(const std::vector<std::unique_ptr<Person>>& persons);
// Records of a data file's text, in file order. Lines end at CR LF, CR or LF; NUL ends the text.
// Every empty line ends a block and clears the mark; a block without addresses makes no record.
[[nodiscard]] std::vector<std::unique_ptr<Person>> ParseMemoFile(std::string_view text);

// How many daily backups of Pinote.dat are kept.
constexpr int kDailyBackupsKept = 7;

struct SyncOutcome {
  enum class Status {
    kOk,
    kBusy,    // another writer held the lock: nothing read or written, the edits stay in memory
    kFailed,  // a file error; `error` says which; the edits stay in memory
  };
  Status status = Status::kOk;
  std::optional<FileError> error;  // what failed, when the status is not ok
  bool saved = false;      // Pinote.dat was replaced
  bool lookedForCopies = false;  // the folder was searched for sync-tool copies
  DiskNotices notices;     // everything not yet taken with TakeNotices, this call's included
};

class MemoStore {
 public:
  // Addresses, memos and paths are walked in `codePage`, the system's ANSI code page.
  explicit MemoStore(const CodePage& codePage, FileSystem& fs = SystemFileSystem())
      : fs_(fs), codePage_(codePage), index_(codePage) {}
  MemoStore(const MemoStore&) = delete;
  MemoStore& operator=(const MemoStore&) = delete;
  ~MemoStore();

  // Sets FileName; when the file exists, replaces all records with its content (a missing file
  // keeps the records in memory, as changes not yet written). Throws FileError when it exists but
  // cannot be read (store then empty, and ReadFailed() true until a later Save or Load reads it).
  // The file is looked at for sync-tool copies at the next SyncWithDisk.
  void Load(const std::string& path);
  // Writes this copy's changes, durably, before it returns. Under the lock FileName + ".lock":
  // when the file changed on disk since the last read or write (or was never read), it is read
  // and merged first (MergeWithFile); the records IsKeptOnSave rejects are dropped from memory;
  // FileName is replaced in one step with the records IsWrittenOnSave accepts, in store order,
  // the first save of each day keeping the old file as a daily backup. Throws FileBusyError when
  // the lock stays held for kLockWaitMilliseconds, FileError when a file cannot be read or
  // written; the old file is then intact, every change stays in memory and the next Save writes
  // it. Conflict copies written on the way are reported through TakeNotices.
  void Save();
  // The memo window's call whenever a mail is shown, when the window is activated and after the
  // first Load: one metadata call when nothing changed anywhere. When the file changed on disk it
  // is merged in (notices.reloaded); at the first call after Load and whenever the file was found
  // changed, sync-tool copies beside it are merged in, saved and moved into the merged folder;
  // changes a failed Save left in memory are written. Never throws a FileError: the outcome says.
  // Nothing at all before a Load has named the file.
  [[nodiscard]] SyncOutcome SyncWithDisk();
  // What happened on disk since the last call (Save, SyncWithDisk and the merges in them), once.
  [[nodiscard]] DiskNotices TakeNotices();
  // True while changes made through the store since the last read or write are not on disk.
  [[nodiscard]] bool HasUnsavedChanges() const noexcept;

  [[nodiscard]] int Count() const noexcept { return static_cast<int>(records_.size()); }
  // The record at `index`, read-only; nullptr when index < 0 or >= Count. Valid until the record
  // is deleted or pruned by Save. Records are read from the file's bytes at their first Get.
  [[nodiscard]] const Person* Get(int index) const;
  // Record index of the first record holding `address` (case ignored, as UpperAnsi folds); -1
  // when none. Always current: every change below keeps it so.
  [[nodiscard]] int IndexOfAddress(std::string_view address) const;

  // Appends the record and returns its index; nullptr is ignored and gives -1.
  int Add(std::unique_ptr<Person> person);
  // Removes the record; an invalid index does nothing. Later records move one position down.
  void Delete(int index);
  // Field changes of the record at `index`; an invalid index does nothing.
  void SetMemo(int index, std::string memo);
  void SetImportant(int index, bool important);
  void SetNameListText(int index, std::string text);
  // Appends `address` to the record's addresses as it is (an equal one may already be there).
  void AppendAddress(int index, std::string address);
  // Removes the record's first address equal to `address` (case ignored); false when it has none.
  bool RemoveAddress(int index, std::string_view address);

  // Merges the name-list file at `path`; nothing when no file exists there ("" included). The
  // path is kept: after a merge with Pinote.dat the name list is merged again. Its records and
  // addresses are no change of this copy's (a merge never lets them win over the file's).
  // Throws FileError when it exists but cannot be read.
  void LoadNameList(const std::string& path);
  // The merge itself, over the file's text (used by LoadNameList). Look-ups during the walk see
  // the store as it was before it. A negative count ends the walk; an entry text with a bad
  // escape is kept as written.
  void MergeNameListText(std::string_view text);

  // Lays this copy's changes since the last read or write onto `text`, what the file holds now,
  // and makes the result the store, with `text` as the new last-read content:
  // - records nobody here changed come from `text` (people the other writer added, changed or
  //   removed);
  // - a record changed here (memo, mark, addresses) takes the place of every record of `text`
  //   sharing an address with it (letter case ignored); such a record of `text` that differs
  //   from what the file held before (and from this copy's version) is a conflict;
  // - a record made here since (the file had none for it when this copy last read it) joins the
  //   record of `text` sharing an address instead: its addresses are added, its memo follows the
  //   file's on a line of its own, the mark is kept if either has it; records sharing an address
  //   with it are joined into the first;
  // - a record removed here is dropped from `text` when `text` still holds it as it was, else
  //   dropped as a conflict; a record made anew here for its addresses replaces it;
  // - name-list text is merged again from the kept name-list path.
  // Returns the conflicts in the file's format (records of `text` this copy's changes replaced
  // though the other writer changed them too); "" when there are none.
  [[nodiscard]] std::string MergeWithFile(std::string text);
  // Merges the records of a sync tool's conflict copy (`records`) into the store as changes of
  // this copy: a record the store lacks comes in; one whose addresses are held by several records
  // unifies them (memos joined, marks kept); its addresses and mark are added; a memo the record
  // does not hold already (compared by characters) is appended below `marker` on a line of its
  // own, or taken as it is when the record has none. Merging the same copy again changes nothing.
  // Returns how many of its records added or changed something.
  int MergeCopyRecords(const std::vector<std::unique_ptr<Person>>& records,
                       std::string_view marker);

  [[nodiscard]] const std::string& FileName() const noexcept { return fileName_; }
  [[nodiscard]] const CodePage& TextCodePage() const noexcept { return codePage_; }
  // True while the file named by FileName exists but its content has not been read.
  [[nodiscard]] bool ReadFailed() const noexcept { return readFailed_; }
  // Memory held for the kept file bytes and where each record's bytes lie, beyond the records
  // themselves and the index.
  [[nodiscard]] size_t KeptBytesMemory() const noexcept;

 private:
  // A record's Person, made at its first use; until then the record is its kept file bytes (see
  // Record) and what the name list gave it: the index + 1 of its NameListPart, 0 for none. One
  // word, as a pointer: a large store has a hundred thousand records and few are ever used.
  class PersonOrPart {
   public:
    PersonOrPart() noexcept = default;
    PersonOrPart(PersonOrPart&& o) noexcept : bits_(o.bits_) { o.bits_ = 0; }
    PersonOrPart& operator=(PersonOrPart&& o) noexcept {
      if (this != &o) {
        delete person();
        bits_ = o.bits_;
        o.bits_ = 0;
      }
      return *this;
    }
    ~PersonOrPart() { delete person(); }
    [[nodiscard]] Person* person() const noexcept {
      return (bits_ & 1) != 0 ? nullptr : reinterpret_cast<Person*>(bits_);
    }
    [[nodiscard]] uint32_t part() const noexcept {
      return (bits_ & 1) != 0 ? static_cast<uint32_t>(bits_ >> 1) : 0;
    }
    void SetPerson(std::unique_ptr<Person> p) noexcept {
      delete person();
      bits_ = reinterpret_cast<uintptr_t>(p.release());
    }
    void SetPart(uint32_t part) noexcept {  // only while there is no Person
      bits_ = (static_cast<uintptr_t>(part) << 1) | 1;
    }
    [[nodiscard]] std::unique_ptr<Person> TakePerson() noexcept {
      std::unique_ptr<Person> p(person());
      if (p) bits_ = 0;
      return p;
    }

   private:
    uintptr_t bits_ = 0;  // a Person* (even), or (part << 1) | 1
  };
  // Where a record's file bytes are kept: [begin, begin + size) of image_ or of edits_. A stale
  // record's bytes are formatted again at the next Save; until then begin and size still tell
  // where its old bytes lie, so that the last record typed into can reuse its place in edits_.
  // A record without a Person yet is those bytes (exactly as Save writes them, or none) followed
  // by what its NameListPart adds; it is stale while that part holds addresses the bytes lack.
  // Packed into two words: a large store has a hundred thousand of them.
  struct Record {
    mutable PersonOrPart body;
    uint32_t begin = 0;
    uint32_t size : 29;
    uint32_t inEdits : 1;
    uint32_t stale : 1;
    uint32_t onDisk : 1;  // the file held it at the last read or write
    Record() : size(0), inEdits(0), stale(1), onDisk(0) {}
    explicit Record(std::unique_ptr<Person> p) : Record() { body.SetPerson(std::move(p)); }
  };
  // What the name list gave a record that has no Person yet: its text and the addresses it added
  // beyond the record's bytes (a chain through addedAddresses_). Bytes lie in nameListBytes_.
  struct NameListPart {
    uint32_t textBegin = 0;
    uint32_t textSize = 0;
    uint32_t firstAddress = 0;  // index + 1 in addedAddresses_; 0: none
    uint32_t lastAddress = 0;
  };
  struct AddedAddress {
    uint32_t begin;
    uint32_t size;
    uint32_t next;  // index + 1 of the next one of the same record; 0: the last
  };
  // A merge with the file, worked out before anything in the store changes.
  struct MergePlan {
    std::string image;            // the file's text: records kept as it has them point into it
    std::vector<Record> records;  // the merged store, in order
    std::unordered_map<const Person*, std::unique_ptr<Person>> changed;
    std::vector<std::unique_ptr<Person>> removed;
    std::string conflicts;        // records of the file replaced though both sides changed them
  };
  // The record's Person, made from its bytes and name-list part when it has none yet.
  Person& PersonOf(const Record& r) const;
  [[nodiscard]] std::string_view KeptBytes(const Record& r) const noexcept;
  [[nodiscard]] const NameListPart* PartOf(const Record& r) const noexcept;
  // Appends the record's addresses, in order, as views (valid until the store changes).
  void AppendAddressesOf(const Record& r, std::vector<std::string_view>& out) const;
  // Forgets every name-list part (no record without a Person may refer to one any more).
  void ClearNameListParts() noexcept;
  void RebuildIndex();
  void Touch(int index);  // marks the record's bytes stale
  // The record at `index`, about to be changed by this copy: its state before the first change
  // since the last read or write is kept for the merge, and its bytes are marked stale.
  Person& Edit(int index);
  // Keeps what a record leaving the store was in the file, for the merge.
  void NoteRemoved(Record& r);
  // The records of a file's text, each pointing at its bytes in `image` where they are exactly
  // what Save writes; `image` is cut at its first NUL (nothing after it is read). `index`, when
  // given, is assigned the records' addresses.
  static std::vector<Record> ParseRecords(std::string& image, AddressIndex* index);
  // Formats a stale record into edits_; false when Save drops it (IsKeptOnSave).
  bool FormatRecord(Record& r);
  void AdoptFileText(std::string text);
  [[nodiscard]] MergePlan PlanMerge(std::string text) const;
  void ApplyMerge(MergePlan&& plan);
  // Forgets what this copy changed: everything in memory is what the file holds.
  void ClearChanges() noexcept;
  // Formats every stale record, drops what IsKeptOnSave rejects; true when records were dropped.
  bool FormatStaleRecords();
  // The pieces of the file in record order, contiguous runs joined; empty when there are too many
  // and the kept bytes should be compacted first.
  [[nodiscard]] std::vector<std::string_view> FilePieces() const;
  void Compact();

  // Save's steps, under the lock: merge what changed on disk (looking again until the file
  // holds still), then write.
  void MergeChangesOnDisk();
  void WriteFile();
  void WriteConflictCopy(const std::string& bytes);
  // The daily backup's path when this save is the first of the day and none was made; else "".
  [[nodiscard]] std::string BackupDue();
  void PruneBackups();
  [[nodiscard]] std::unique_ptr<FileLock> TakeLock();
  // Merges the sync-tool copies beside the file into the store; the ones merged are returned.
  std::vector<MergedCopy> MergeSyncToolCopies();
  void MoveMergedCopies(std::vector<MergedCopy>& copies);

  FileSystem& fs_;
  CodePage codePage_;
  std::string fileName_;
  bool readFailed_ = false;
  bool lockRefused_ = false;  // the last try for the writers' lock gave up: the next waits briefly
  std::vector<Record> records_;
  // Records changed by this copy since the last read or write, each with what it was then
  // (nullptr: made since, the file held no such record).
  std::unordered_map<const Person*, std::unique_ptr<Person>> changed_;
  // What records removed since the last read or write were in the file.
  std::vector<std::unique_ptr<Person>> removed_;
  FileWatch watch_;
  std::string nameListPath_;
  int backupDay_ = 0;            // yyyymmdd of the day whose backup was seen to
  bool lookForCopies_ = false;   // sync-tool copies are looked for at the next SyncWithDisk
  LeftAloneTold leftAloneTold_;
  DiskNotices notices_;
  AddressIndex index_;  // upper-cased address -> first record
  // The bytes of the file as last loaded or compacted; the records still unchanged since then
  // point into it.
  std::string image_;
  // The bytes of records formatted since, appended in the order they were formatted.
  std::string edits_;
  // What the name list gave records that have no Person yet (see NameListPart).
  std::string nameListBytes_;
  std::vector<NameListPart> nameListParts_;
  std::vector<AddedAddress> addedAddresses_;
};

}  // namespace pinote
