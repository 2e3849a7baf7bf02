// The memo store: one record per person (addresses, memo, importance mark, name-list text), kept
// in Pinote.dat and rewritten whole after every change. Records change only through the store,
// so that it knows which ones changed: each record's file bytes are kept from the load or its
// last change, and a save formats only what changed since. Until a record is first asked for,
// those bytes (and what the name list gave it) are all the store holds of it: starting with a
// large file costs no allocation per person.
//
// Several writers may share Pinote.dat (two hosts, two PCs behind a sync tool, a text editor):
// the store keeps it through SharedFile (common/shared_file.h), which merges what another writer
// left before every write; the record table (record_table.h) holds the records and the merges.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "common/file_io.h"
#include "common/shared_file.h"

namespace pinote {

struct Person {
  std::vector<std::string> addresses;  // as received: case kept, not trimmed
  bool important = false;
  std::string memo;          // lines separated by CR LF
  std::string nameListText;  // from the name-list file; never written to Pinote.dat
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

class RecordTable;
struct NameListScan;

class MemoStore {
 public:
  // Addresses, memos and paths are walked in `codePage`, the system's ANSI code page.
  explicit MemoStore(const CodePage& codePage, FileSystem& fs = SystemFileSystem());
  MemoStore(const MemoStore&) = delete;
  MemoStore& operator=(const MemoStore&) = delete;
  ~MemoStore();

  // Names the file and reads it under the writers' lock (SharedFile::Load): when it exists all
  // records become its content; a missing file keeps the records in memory, as changes of this
  // copy's for the next save; an unreadable one empties the store (ReadFailed() until a save or
  // load reads it; no save replaces it unread). `pcFolder` is where this PC keeps its record of
  // the file (its own changes, copies merged), outside any synced folder; "" for none. A file at
  // `olderPath` (the older name, "Pinotedat") is moved to `path` first when `path` is missing; a
  // failed move leaves it there.
  [[nodiscard]] DiskOutcome Load(const std::string& path, const std::string& pcFolder = "",
                                 const std::string& olderPath = "");
  // The options changed the name list: the store is saved, the file read again and the name
  // list at `nameListPath` merged (LoadNameList). The outcome is the failed save's (nothing is
  // read over changes it could not write) or the load's. Throws what LoadNameList throws.
  [[nodiscard]] DiskOutcome Reload(const std::string& nameListPath);
  // Writes the records now (SharedFile::Save): what another writer left since the last read or
  // write is merged first, three-way against what the file held then; the records IsKeptOnSave
  // rejects are dropped from memory; the file holds the records IsWrittenOnSave accepts, in
  // store order. On failure every change stays in memory for the next save.
  [[nodiscard]] DiskOutcome Save();
  // Formats ahead, in memory, what the next Save would format, when `fewestStale` records or
  // more wait for it (the name list gave half the people an address): done while nothing else
  // is asked, that save then mostly writes. Changes nothing the store tells or writes; records
  // changed meanwhile are formatted by the save itself, and a merge or a reload drops what was
  // made.
  static constexpr size_t kWorthPreparing = 512;
  void PrepareSave(size_t fewestStale = kWorthPreparing);
  // The shared file itself, for the memo window's look (SyncWithDisk) and its questions.
  [[nodiscard]] SharedFile& File() noexcept { return file_; }
  // True while changes made through the store since the last read or write are not on disk.
  [[nodiscard]] bool HasUnsavedChanges() const noexcept;

  [[nodiscard]] int Count() const noexcept;
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
  // LoadNameList with the file read and scanned by `read` (ReadNameList's result, perhaps made
  // on another thread meanwhile; nullptr when there is no file): what it throws, this throws,
  // the path kept.
  void MergeNameList(const std::string& path,
                     const std::function<std::unique_ptr<NameListScan>()>& read);
  // The merge itself, over the file's text (used by LoadNameList). Look-ups during the walk see
  // the store as it was before it. A negative count ends the walk; an entry text with a bad
  // escape is kept as written; an entry's domain addresses ("*@example.co.jp") are left out, so
  // the merge never joins a person and a domain.
  void MergeNameListText(std::string_view text);

  // The three-way merge a save makes when the file changed (SharedContent::Merge), over `text`
  // as the file's content now; returns the conflict file's bytes ("" when nothing clashed).
  [[nodiscard]] std::string MergeWithFile(std::string text);

  [[nodiscard]] const std::string& FileName() const noexcept { return file_.Path(); }
  [[nodiscard]] const CodePage& TextCodePage() const noexcept { return file_.PathCodePage(); }
  // True while the file named by FileName exists but its content has not been read.
  [[nodiscard]] bool ReadFailed() const noexcept { return file_.ReadFailed(); }
  // Memory held for the kept file bytes and where each record's bytes lie, beyond the records
  // themselves and the index.
  [[nodiscard]] size_t KeptBytesMemory() const noexcept;

 private:
  std::unique_ptr<RecordTable> table_;
  SharedFile file_;
  std::string pcFolder_;
};

}  // namespace pinote
