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
#include "common/disk_notices.h"
#include "common/file_io.h"
#include "common/file_watch.h"

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

class SettingsStore {
 public:
  // `pluginFileName` is asked once, at the first load, for the library's own path; keys, values
  // and paths are walked in `codePage`.
  SettingsStore(FileSystem& fs, std::function<std::string()> pluginFileName,
                const CodePage& codePage);

  // Reads the file once per store: later calls do nothing. Throws FileError when the file
  // exists but cannot be read; the store then stays empty and remembers it (ReadFailed).
  void Load();
  // The stored value (kind of the stored entry), or `def` when absent or not convertible.
  [[nodiscard]] SettingValue Read(std::string_view section, std::string_view key,
                                  const SettingValue& def);
  // Sets the first entry of the key (case ignored), or appends one, and removes any later lines of
  // the same key, so a file with a key twice keeps one; writing none removes every line of it.
  void Write(std::string_view section, std::string_view key, const SettingValue& value);
  // Writes every entry to the settings path, under the lock path + ".lock". When the file
  // changed on disk since it was read or written here (or could not be read), it is read again
  // first and the keys written or deleted here since are laid onto its entries: those keys are
  // this copy's, every other key is the file's. Throws FileBusyError when another writer holds
  // the lock through kLockWaitMilliseconds, FileError when the file cannot be read or written;
  // the old file is then intact and nothing is lost from memory.
  void Save();
  // Merges the copies sync tools left of the settings file beside it: keys the store lacks come
  // in (as this copy's), the others stay as they are; then saves (when anything came in) and
  // moves each merged copy into the merged folder. A copy that cannot be read is left for next
  // time. Nothing while the settings file itself could not be read. Throws what Save throws
  // (the copies then stay where they are).
  [[nodiscard]] DiskNotices MergeSyncToolCopies();
  // True while the file existed at the load but could not be read.
  [[nodiscard]] bool ReadFailed() const noexcept { return readFailed_; }
  [[nodiscard]] const std::string& FileName() const noexcept { return path_; }
  [[nodiscard]] const std::vector<SettingEntry>& Entries() const noexcept { return entries_; }

  // Typed reads that also convert a stored value of another kind; `def` when that fails.
  [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key, bool def);
  [[nodiscard]] int32_t ReadInt(std::string_view section, std::string_view key, int32_t def);
  [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                       std::string_view def);

 private:
  [[nodiscard]] std::optional<size_t> Find(std::string_view fullKeyUpper) const;
  void NoteChanged(const std::string& fullKeyUpper);
  // Lays the keys written or deleted since the last read or write onto `fresh`, the file's
  // entries now, and makes the result the store.
  void MergeFileEntries(std::vector<SettingEntry> fresh);

  FileSystem& fs_;
  std::function<std::string()> pluginFileName_;
  CodePage codePage_;
  std::string path_;
  bool loaded_ = false;
  bool readFailed_ = false;
  std::vector<SettingEntry> entries_;
  // Upper-cased full keys written or deleted since the last read or write, in the order first
  // touched: what wins when the file changed on disk meanwhile.
  std::vector<std::string> changed_;
  FileWatch watch_;
  LeftAloneTold leftAloneTold_;
};

}  // namespace pinote
