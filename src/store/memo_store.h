// The memo store: one record per person (addresses, memo, importance mark, name-list text), kept
// in Pinote.dat and rewritten whole after every change.
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
  std::string Memo;       // lines separated by CR LF
  std::string NameListText;  // from the name-list file; never written to Pinote.dat
};

// Decimal ("+"/"-" optional) or "$"+hex after optional leading spaces, nothing after; decimal in
// the 32-bit signed range, hex in 32 bits. "" and a trailing space are not integers.
[[nodiscard]] bool IsInteger(std::string_view line);
// The value of a line for which IsInteger is true (hex taken as signed 32-bit); 0 otherwise.
[[nodiscard]] int32_t IntegerValue(std::string_view line);

// False for what a Pinote.dat line cannot hold as an address: "", a first byte of space or "@",
// or any CR, LF or NUL byte. Such an address is left out when the file is written.
[[nodiscard]] bool IsStorableAddress(std::string_view address);

// The bytes Save writes for `persons` (CR LF lines, one empty line after every record); addresses
// that IsStorableAddress rejects are left out, a memo is cut at a NUL byte.
[[nodiscard]] std::string FormatMemoFile(const std::vector<std::unique_ptr<Person>>& persons);
// Records of a data file's text, in file order. Lines end at CR LF, CR or LF; NUL ends the text.
[[nodiscard]] std::vector<std::unique_ptr<Person>> ParseMemoFile(std::string_view text);

class MemoStore {
 public:
  explicit MemoStore(FileSystem& fs = SystemFileSystem()) : fs_(fs) {}

  // Sets FileName; when the file exists, replaces all records with its content. Always ends with
  // RebuildIndex. Throws FileError when it exists but cannot be read (store then empty, and
  // ReadFailed() true until a later Save or Load reads it).
  void Load(const std::string& path);
  // Prunes records with an empty memo and at most one address, rebuilds the index, rewrites
  // FileName in one step. Throws FileError; the old file is then intact and records stay.
  // After a failed Load it first reads the file again and merges the records made meanwhile
  // into it by address (a record kept by Save takes the place of the file's record sharing an
  // address, which lends it its other addresses and its mark, and whose memo comes before the
  // new one; the rest are appended); while the file stays unreadable Save throws and writes
  // nothing.
  void Save();
  [[nodiscard]] int Count() const noexcept { return static_cast<int>(persons_.size()); }
  // The record at `index`, or nullptr when index < 0 or >= Count.
  [[nodiscard]] Person* Get(int index) const noexcept;
  // Record index of the first record holding `address` (case ignored), as of the last
  // RebuildIndex; -1 when none.
  [[nodiscard]] int IndexOfAddress(std::string_view address) const;
  // Appends the record (nullptr is ignored) and rebuilds the index.
  void Add(std::unique_ptr<Person> person);
  // Removes the record; an invalid index does nothing.
  void Delete(int index);
  void RebuildIndex();
  // Merges the name-list file at `path`; nothing when no file exists there ("" included).
  // Throws FileError when it exists but cannot be read.
  void LoadNameList(const std::string& path);
  // The merge itself, over the file's text (used by LoadNameList); always ends with RebuildIndex.
  // A negative count ends the walk; an entry text with a bad escape is kept as written.
  void MergeNameListText(std::string_view text);

  [[nodiscard]] const std::string& FileName() const noexcept { return fileName_; }
  // True while the file named by FileName exists but its content has not been read.
  [[nodiscard]] bool ReadFailed() const noexcept { return readFailed_; }

 private:
  void MergeEditsInto(std::vector<std::unique_ptr<Person>> loaded);

  FileSystem& fs_;
  std::string fileName_;
  bool readFailed_ = false;
  // Scratch of Save, kept between calls (see Save).
  std::string saveText_;
  std::vector<AddressIndex::Entry> saveKeys_;
  std::vector<size_t> saveWritten_;
  std::vector<std::unique_ptr<Person>> persons_;
  AddressIndex index_;  // upper-cased address -> first record, as of the last rebuild
};

// Whether Save keeps `person`: a memo, or two or more addresses.
[[nodiscard]] bool IsKeptOnSave(const Person& person) noexcept;

}  // namespace pinote
