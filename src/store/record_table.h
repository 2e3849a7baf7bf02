// The memo store's inside: its records, kept as the bytes Pinote.dat holds for them until one
// is asked for; the address index; what changed since the file was last read or written here
// (the base of a merge); and the formatting of a save, which formats only what changed. The
// name-list merge (name_list.cpp) and the merges with other writers (memo_merge.cpp) work on
// it too. MemoStore (memo_store.h) is its face; the shared-file protocol reaches it through
// SharedContent.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/file_io.h"
#include "common/shared_file.h"
#include "store/address_index.h"
#include "store/memo_store.h"

namespace pinote {

class RunWriter;
struct NameListScan;

class RecordTable final : public SharedContent {
 public:
  // Addresses are folded and memos walked in `codePage`.
  RecordTable(FileSystem& fs, const CodePage& codePage)
      : fs_(fs), codePage_(codePage), index_(codePage) {}
  RecordTable(const RecordTable&) = delete;
  RecordTable& operator=(const RecordTable&) = delete;
  ~RecordTable() override;

  // --- What MemoStore offers (see there) ----------------------------------------------------
  [[nodiscard]] int Count() const noexcept { return static_cast<int>(records_.size()); }
  [[nodiscard]] const Person* Get(int index) const;
  [[nodiscard]] int IndexOfAddress(std::string_view address) const { return index_.Find(address); }
  int Add(std::unique_ptr<Person> person);
  void Delete(int index);
  void SetMemo(int index, std::string memo);
  void SetImportant(int index, bool important);
  void SetNameListText(int index, std::string text);
  void AppendAddress(int index, std::string address);
  bool RemoveAddress(int index, std::string_view address);
  void LoadNameList(const std::string& path);
  void MergeNameListText(std::string_view text);
  void MergeNameList(const std::string& path,
                     const std::function<std::unique_ptr<NameListScan>()>& read);
  void PrepareSave(size_t fewestStale);
  [[nodiscard]] size_t KeptBytesMemory() const noexcept;
  [[nodiscard]] const CodePage& TextCodePage() const noexcept { return codePage_; }

  // --- SharedContent ------------------------------------------------------------------------
  void Adopt(std::string text) override;
  void AdoptMissing() override;
  void Clear() override;
  [[nodiscard]] bool HasChanges() const override { return !changed_.empty() || !removed_.empty(); }
  [[nodiscard]] bool LooksCut(std::string_view text) const override;
  [[nodiscard]] bool BaseHasEntries() const override;
  void Merge(std::string text,
             const std::function<void(const std::string&)>& keepConflicts) override;
  [[nodiscard]] std::vector<std::string_view> Pieces() override;
  void Written(PcRecord* record, int64_t when) override;
  int MergeCopy(std::string_view text, std::string_view marker,
                const PcRecord* record) override;

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
  // record's bytes are formatted again at the next save; until then begin and size still tell
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
  // What the name list gave a record that has no Person yet: its text (as the list writes it,
  // escaped) and the addresses it added beyond the record's bytes (a chain through
  // addedAddresses_). Bytes lie in nameListBytes_.
  struct NameListPart {
    uint32_t textBegin = 0;
    uint32_t textSize = 0;
    uint32_t firstAddress = 0;  // index + 1 in addedAddresses_; 0: none
    uint32_t lastAddress = 0;
    bool unstorable = false;    // an address added is one the file cannot hold
  };
  struct AddedAddress {
    uint32_t begin;  // the address, then CR LF: its line as the file holds it
    uint32_t size;   // of the address alone
    uint32_t next;  // index + 1 of the next one of the same record; 0: the last
  };
  using Befores = std::unordered_map<const Person*, std::unique_ptr<Person>>;
  // A merge with the file, worked out before anything in memory changes.
  struct MergePlan {
    std::string image;            // the file's text: records kept as it has them point into it
    std::vector<Record> records;  // the merged store, in order
    Befores changed;              // this copy's changes that stand, with the file's version
    std::vector<std::unique_ptr<Person>> removed;
    std::string conflicts;        // the file's version of what both sides changed differently
  };

  // Merges the entries of `scan` (see MemoStore::MergeNameListText).
  void MergeNameListScan(NameListScan& scan);
  // The name-list text of an entry whose text the list writes as `written` (escaped).
  [[nodiscard]] std::string NameListTextOf(std::string_view written) const;
  // The record's Person, made from its bytes and name-list part when it has none yet.
  Person& PersonOf(const Record& r) const;
  [[nodiscard]] std::string_view KeptBytes(const Record& r) const noexcept;
  [[nodiscard]] const NameListPart* PartOf(const Record& r) const noexcept;
  // Appends the record's addresses, in order, as views (valid until the table changes).
  void AppendAddressesOf(const Record& r, std::vector<std::string_view>& out) const;
  // The record as the file held it at the base, or nullptr for one made here since; what the
  // name list added is no part of it.
  [[nodiscard]] std::unique_ptr<Person> FileVersionOf(const Record& r) const;
  // Keeps the file's version of a record about to gain addresses from the name list.
  void KeepFileVersion(const Record& r) const;
  // Forgets every name-list part (no record without a Person may refer to one any more).
  void ClearNameListParts() noexcept;
  void RebuildIndex();
  // The record at `index`, about to be changed by this copy: its file version is kept for the
  // merge, and its bytes are marked stale.
  Person& Edit(int index);
  // Keeps what a record leaving the store was in the file, for the merge.
  void NoteRemoved(Record& r);
  // The records of a file's text, each pointing at its bytes in `image` where they are exactly
  // what Save writes; `image` is cut at its first NUL (nothing after it is read). `index`, when
  // given, is assigned the records' addresses.
  static std::vector<Record> ParseRecords(std::string& image, AddressIndex* index);
  // How a record without a Person is written at a save: its bytes before `split` (its address
  // lines), the address lines the name list added, then the rest (its mark, memo lines and
  // closing empty line; that line alone for a record without bytes); `size` bytes in all, none
  // when it is kept for its name-list text alone; not `kept` when Save drops it.
  struct PartLayout {
    bool kept = false;
    size_t split = 0;
    size_t size = 0;
  };
  [[nodiscard]] PartLayout LayOutPart(const Record& r) const;
  // Writes the bytes of such a record by `layout`.
  void WritePartBytes(const Record& r, const PartLayout& layout, RunWriter& out) const;
  // The record's bytes are now [begin, begin + size) of image_ (inEdits: of edits_); a stale one
  // is taken as written.
  void TakePlace(Record& r, size_t begin, size_t size, bool inEdits);
  // A record whose name-list part holds an address the file cannot hold gets its Person.
  void PersonForUnstorable(const Record& r) const;
  // Formats a stale record onto edits_ (`out`); false when Save drops it (IsKeptOnSave).
  bool FormatRecord(Record& r, std::string& out);
  void AdoptFileText(std::string text);
  [[nodiscard]] MergePlan PlanMerge(std::string text) const;
  void ApplyMerge(MergePlan&& plan);
  // Forgets what this copy changed: everything in memory is what the file holds.
  void ClearChanges() noexcept;
  // Drops, in one stable pass, every record that `keep(record, index)` rejects, noting it
  // removed; true when records were dropped.
  template <typename Keep>
  bool KeepRecords(Keep&& keep);
  // Formats every stale record into edits_, drops what IsKeptOnSave rejects; true when records
  // were dropped.
  bool FormatStaleRecords();
  // Every record's bytes into a new image_ (the stale ones formatted, the others copied), edits_
  // emptied; drops what IsKeptOnSave rejects; true when records were dropped.
  bool WriteNewImage();
  // A record's place in a new image (MakeImage): not `kept` when Save drops it; not `current`
  // when the record changed after the image was made.
  struct Placed {
    uint32_t begin = 0;
    uint32_t size = 0;
    bool kept = true;
    bool current = true;
  };
  // Every record's bytes as Save writes them, one after the other, and each one's place; no
  // record changes (but records whose part holds an unstorable address get their Persons).
  [[nodiscard]] std::string MakeImage(std::vector<Placed>& placed) const;
  // Whether TakeImage can take an image made earlier: every record changed or added since is
  // stale and has its Person.
  [[nodiscard]] bool CanTakeImage(const std::vector<Placed>& placed) const noexcept;
  // The image becomes image_, each current record in its place there (dropped when not kept);
  // the others are formatted into a new edits_. True when records were dropped.
  bool TakeImage(std::string image, const std::vector<Placed>& placed);
  // Record `index` changed: its place in a prepared image no longer holds.
  void Touched(int index) noexcept;
  [[nodiscard]] size_t StaleCount() const noexcept;
  // The pieces of the file in record order, contiguous runs joined; empty when there are too many
  // and the kept bytes should be compacted first.
  [[nodiscard]] std::vector<std::string_view> FilePieces() const;

  // The image PrepareSave made for the next save; dropped whenever records come or go otherwise
  // than by Add, or the name list or a merge changes them.
  struct PreparedImage {
    std::string image;
    std::vector<Placed> placed;
  };
  std::unique_ptr<PreparedImage> prepared_;

  FileSystem& fs_;
  CodePage codePage_;
  std::vector<Record> records_;
  // Records changed by this copy since the last read or write, each with what the file held of
  // it then (nullptr: made since, the file held no such record).
  Befores changed_;
  // What records removed since the last read or write were in the file.
  std::vector<std::unique_ptr<Person>> removed_;
  // The file's version of records the name list added addresses to, not changed here otherwise.
  mutable Befores fileVersions_;
  std::string nameListPath_;
  AddressIndex index_;  // upper-cased address -> first record
  // The bytes of the file as last loaded or compacted; the records still unchanged since then
  // point into it.
  std::string image_;
  // The bytes of records formatted since, appended in the order they were formatted.
  std::string edits_;
  // What the name list gave records that have no Person yet (see NameListPart).
  ByteArena nameListBytes_;
  std::vector<NameListPart> nameListParts_;
  std::vector<AddedAddress> addedAddresses_;
};

}  // namespace pinote
