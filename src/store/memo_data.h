// The memo store: one record per person (addresses, memo, importance mark, name-list text), kept
// in Pinote.dat and rewritten whole after every change.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/file_io.h"

namespace pinote {

struct TPerson {
  std::vector<std::string> Addresses;  // as received: case kept, not trimmed
  bool Important = false;
  std::string Memo;       // lines separated by CR LF
  std::string MeiboText;  // from the name-list file; never written to Pinote.dat
};

// Decimal ("+"/"-" optional) or "$"+hex after optional leading spaces, nothing after; decimal in
// the 32-bit signed range, hex in 32 bits. "" and a trailing space are not integers.
[[nodiscard]] bool IsInteger(std::string_view line);
// The value of a line for which IsInteger is true (hex taken as signed 32-bit).
[[nodiscard]] int32_t IntegerValue(std::string_view line);

// The bytes Save writes for `persons` (CR LF lines, one empty line after every record).
[[nodiscard]] std::string FormatMemoFile(const std::vector<std::unique_ptr<TPerson>>& persons);
// Records of a data file's text, in file order.
[[nodiscard]] std::vector<std::unique_ptr<TPerson>> ParseMemoFile(std::string_view text);

class TMemoData {
 public:
  explicit TMemoData(FileSystem& fs = SystemFileSystem()) : fs_(fs) {}

  // Sets FileName; when the file exists, replaces all records with its content. Always ends with
  // RebuildIndex. Throws FileError when it exists but cannot be read (store then empty).
  void Load(const std::string& path);
  // Prunes records with an empty memo and at most one address, rebuilds the index, rewrites
  // FileName in one step. Throws FileError; the old file is then intact and records stay.
  void Save();
  [[nodiscard]] int Count() const noexcept { return static_cast<int>(persons_.size()); }
  // The record at `index`, or nullptr when index < 0 or >= Count.
  [[nodiscard]] TPerson* Get(int index) const noexcept;
  // Record index of the first record holding `address` (case ignored), as of the last
  // RebuildIndex; -1 when none.
  [[nodiscard]] int IndexOfAddress(std::string_view address) const;
  void Add(std::unique_ptr<TPerson> person);
  // Removes the record; an invalid index does nothing.
  void Delete(int index);
  void RebuildIndex();
  // Merges the name-list file at `path`; nothing when no file exists there.
  void LoadMeibo(const std::string& path);
  // The merge itself, over the file's text (used by LoadMeibo).
  void MergeMeiboText(std::string_view text);

  [[nodiscard]] const std::string& FileName() const noexcept { return fileName_; }

 private:
  FileSystem& fs_;
  std::string fileName_;
  std::vector<std::unique_ptr<TPerson>> persons_;
  std::unordered_map<std::string, int> index_;  // upper-cased address -> first record
};

}  // namespace pinote
