// The typed settings store kept in Pinote.ini beside the library. One line per entry:
// KeyText "=" TypeName ":" ValueText; keys are "Section\Key" and match without regard to case.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/code_page.h"
#include "common/date_time.h"
#include "common/file_io.h"
#include "common/shared_file.h"

namespace pinote {

// none (monostate), Boolean, Date, Float, Integer, String. Writing none deletes a key.
using SettingValue = std::variant<std::monostate, bool, SettingDate, double, int32_t, std::string>;

// "%" doubled, bytes below 0x20 as "%XX"; multibyte characters copied whole.
[[nodiscard]] std::string EscapeText(std::string_view t, const CodePage& cp);
// Inverse of EscapeText. "%%" -> "%", "%XX" -> byte (one digit when only one follows);
// returns nullopt (the conversion error) when the digits are missing or not hexadecimal.
[[nodiscard]] std::optional<std::string> UnescapeText(std::string_view t, const CodePage& cp);
// UnescapeText appended to `out`; false (and `out` as it was) on the conversion error.
[[nodiscard]] bool AppendUnescaped(std::string_view t, std::string& out, const CodePage& cp);

// The one integer syntax of the plug-in's files: decimal with an optional "+"/"-" in the 32-bit
// signed range, or "$" and hexadecimal digits in 32 bits taken as signed ("$FFFFFFFF" is -1).
// nullopt when the text is empty, holds any other character (a space included) or is out of range.
[[nodiscard]] std::optional<int32_t> ParseInteger(std::string_view t);
[[nodiscard]] std::string FormatDate(const SettingDate& d);          // "yyyy/mm/dd hh:nn:ss"
[[nodiscard]] std::optional<SettingDate> ParseDate(std::string_view t);  // date, optional time
[[nodiscard]] std::string FormatFloat(double v);                     // shortest, <= 15 digits
[[nodiscard]] std::optional<double> ParseFloat(std::string_view t);

// "Pinote.dll" -> "Pinote.ini": the path without its last three characters, then "ini".
[[nodiscard]] std::string SettingsPathFor(std::string_view pluginFileName, const CodePage& cp);

struct SettingEntry {
  std::string keyText, lookupKey, typeName, valueText;
};

// Parses one line of the file into an entry (no "=": key, type and value are the whole line).
[[nodiscard]] SettingEntry ParseSettingLine(std::string_view line, const CodePage& cp);

// The settings kept in Pinote.ini. Several writers may share the file (SharedFile): a save lays
// the keys changed here onto what the file holds then, three-way per key against the file as it
// was last read or written here.
class SettingsStore : private SharedContent {
 public:
  // `pluginFileName` is asked once, at the first load, for the library's own path; keys, values
  // and paths are walked in `codePage`; `pcFolder` is where this PC keeps its record of the file
  // ("" for none).
  SettingsStore(FileSystem& fs, std::function<std::string()> pluginFileName,
                const CodePage& codePage, std::string pcFolder = std::string());

  // Reads the file once per store, under the writers' lock: later calls do nothing. Throws
  // FileError when the file exists but cannot be read; the store then stays empty and remembers
  // it (ReadFailed), and no save replaces the file before it was read.
  void Load();
  // The stored value (kind of the stored entry), or `def` when absent or not convertible.
  [[nodiscard]] SettingValue Read(std::string_view section, std::string_view key,
                                  const SettingValue& def);
  // Sets the first entry of the key (case ignored), or appends one, and removes any later lines of
  // the same key, so a file with a key twice keeps one; writing none removes every line of it.
  void Write(std::string_view section, std::string_view key, const SettingValue& value);
  // Writes every entry (SharedFile::Save). When the file changed on disk since it was read or
  // written here it is merged first: a key whose value here differs from the file's at that time
  // was changed here and wins; every other key is the file's now (a key written here with the
  // value it had counts as unchanged). Nothing is lost from memory when it fails.
  [[nodiscard]] DiskOutcome Save();
  // The shared file itself, for the memo window's look (SyncWithDisk), which merges the copies
  // sync tools leave of it: keys the store lacks (the file merged first) come in.
  [[nodiscard]] SharedFile& File() noexcept { return file_; }
  // True while the file existed at the load but could not be read.
  [[nodiscard]] bool ReadFailed() const noexcept { return file_.ReadFailed(); }
  [[nodiscard]] const std::string& FileName() const noexcept { return path_; }
  [[nodiscard]] const std::vector<SettingEntry>& Entries() const noexcept { return entries_; }

  // Typed reads that also convert a stored value of another kind; `def` when that fails.
  [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key, bool def);
  [[nodiscard]] int32_t ReadInt(std::string_view section, std::string_view key, int32_t def);
  [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                       std::string_view def);

 private:
  [[nodiscard]] std::optional<size_t> Find(std::string_view fullKeyUpper) const;
  // SharedContent: the entries as the file holds them (the base) against memory.
  void Adopt(std::string text) override;
  void AdoptMissing() override;
  void Clear() override;
  [[nodiscard]] bool HasChanges() const override;
  [[nodiscard]] bool LooksCut(std::string_view text) const override;
  [[nodiscard]] bool BaseHasEntries() const override { return !base_.empty(); }
  void Merge(std::string text,
             const std::function<void(const std::string&)>& keepConflicts) override;
  [[nodiscard]] std::vector<std::string_view> Pieces() override;
  void Written(PcRecord* record, int64_t when) override;
  int MergeCopy(std::string_view text, std::string_view marker,
                const PcRecord* record) override;

  std::function<std::string()> pluginFileName_;
  CodePage codePage_;
  std::string pcFolder_;
  std::string path_;
  bool loaded_ = false;
  std::vector<SettingEntry> entries_;
  // The entries as the file held them when last read or written here.
  std::vector<SettingEntry> base_;
  // Upper-cased keys deleted while the file could not be read: the store could not tell whether
  // the file holds them, so the save that reads it deletes them there.
  std::vector<std::string> deletedUnread_;
  std::string text_;  // what the write in progress writes
  SharedFile file_;
};

}  // namespace pinote
