// The memo store: one record per person (addresses, memo, importance mark, name-list text), kept
// in Pinote.dat and rewritten whole after every change. Records change only through the store,
// so that it knows which ones changed: each record's file bytes are kept from the load or its
// last change, and a save formats only what changed since.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
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

class MemoStore {
 public:
  explicit MemoStore(FileSystem& fs = SystemFileSystem()) : fs_(fs) {}
  MemoStore(const MemoStore&) = delete;
  MemoStore& operator=(const MemoStore&) = delete;
  ~MemoStore();

  // Sets FileName; when the file exists, replaces all records with its content (a missing file
  // keeps the records in memory). Throws FileError when it exists but cannot be read (store then
  // empty, and ReadFailed() true until a later Save or Load reads it).
  void Load(const std::string& path);
  // Drops from memory the records IsKeptOnSave rejects, then replaces FileName in one step with
  // the records IsWrittenOnSave accepts, in store order. Throws FileError; the old file is then
  // intact, the records and the index stay as they are in memory and the next Save writes them.
  // After a failed Load it first reads the file again and merges the records made meanwhile into
  // it by address (a record kept by Save takes the place of the file's record sharing an address,
  // which lends it its other addresses and its mark, and whose memo comes before the new one;
  // name-list text goes to the record sharing an address; the rest are appended); while the file
  // stays unreadable Save throws and writes nothing.
  void Save();

  [[nodiscard]] int Count() const noexcept { return static_cast<int>(records_.size()); }
  // The record at `index`, read-only; nullptr when index < 0 or >= Count. Valid until the record
  // is deleted or pruned by Save.
  [[nodiscard]] const Person* Get(int index) const noexcept;
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

  // Merges the name-list file at `path`; nothing when no file exists there ("" included).
  // Throws FileError when it exists but cannot be read.
  void LoadNameList(const std::string& path);
  // The merge itself, over the file's text (used by LoadNameList). Look-ups during the walk see
  // the store as it was before it. A negative count ends the walk; an entry text with a bad
  // escape is kept as written.
  void MergeNameListText(std::string_view text);

  [[nodiscard]] const std::string& FileName() const noexcept { return fileName_; }
  // True while the file named by FileName exists but its content has not been read.
  [[nodiscard]] bool ReadFailed() const noexcept { return readFailed_; }
  // Memory held for the kept file bytes and where each record's bytes lie, beyond the records
  // themselves and the index.
  [[nodiscard]] size_t KeptBytesMemory() const noexcept;

 private:
  // Where a record's file bytes are kept: [begin, begin + size) of image_ or of edits_. A stale
  // record's bytes are formatted again at the next Save; until then begin and size still tell
  // where its old bytes lie, so that the last record typed into can reuse its place in edits_.
  // Packed into eight bytes beside the record: a large store has a hundred thousand of them.
  struct Record {
    std::unique_ptr<Person> person;
    uint32_t begin = 0;
    uint32_t size : 30;
    uint32_t inEdits : 1;
    uint32_t stale : 1;
    Record() : size(0), inEdits(0), stale(1) {}
  };
  void RebuildIndex();
  void Touch(int index);  // marks the record's bytes stale
  void MergeEditsInto(std::vector<std::unique_ptr<Person>> loaded);
  void AdoptFileText(std::string text);
  // Formats every stale record, drops what IsKeptOnSave rejects; true when records were dropped.
  bool FormatStaleRecords();
  // The pieces of the file in record order, contiguous runs joined; empty when there are too many
  // and the kept bytes should be compacted first.
  [[nodiscard]] std::vector<std::string_view> FilePieces() const;
  void Compact();

  FileSystem& fs_;
  std::string fileName_;
  bool readFailed_ = false;
  std::vector<Record> records_;
  AddressIndex index_;  // upper-cased address -> first record
  // The bytes of the file as last loaded or compacted; the records still unchanged since then
  // point into it.
  std::string image_;
  // The bytes of records formatted since, appended in the order they were formatted.
  std::string edits_;
};

}  // namespace pinote
