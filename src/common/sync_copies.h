// The names of the files that gather beside Pinote.dat and Pinote.ini: the copies sync tools
// leave behind on a conflict, and the plug-in's own conflict copies, daily backups, lock files
// and the folder that merged copies are moved to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "common/date_time.h"
#include "common/file_io.h"

namespace pinote {

// One way a sync tool names the copy it keeps of a file it could not reconcile. `pattern`
// describes what comes between the file's base name and its extension:
//   #       one decimal digit
//   *       any characters, none included (double-byte characters kept whole)
//   {id}    one or more ASCII letters or digits (a device id)
//   {n}     one or more decimal digits (a copy number)
//   {copy}  "conflicted copy" in one of the languages of kConflictedCopyWords
//   other   that character; ASCII letters match either case
// OneDrive's copies are the name, a hyphen and the computer's name ("Pinote-DESKTOP-5F7K8L3"),
// which users also write for files of their own: see SyncToolCopyOf.
struct SyncToolRule {
  const char* tool;
  const char* pattern;
};

// Every rule with a pattern, in the order they are tried.
[[nodiscard]] const std::vector<SyncToolRule>& SyncToolRules();

struct CopyName {
  const char* tool = nullptr;  // nullptr: no sync tool's copy
  bool sure = false;           // false: the user may have named a file of their own so
};
// Whether a sync tool left `fileName` as a conflict copy of `stem` + `extension` ("Pinote",
// ".dat"), and which. Base name and extension match without regard to letter case. Never
// matches the file itself nor the names this plug-in makes (see below). After "-", a name the
// way Windows computers are named makes a sure OneDrive copy: upper-case letters, digits and
// inner hyphens, at most 15, not digits alone, with an inner hyphen or letters and digits in four
// or more (DESKTOP-4F2KQ1, TARO-PC, HOST1), and maybe OneDrive's own "-2" after it. A name that
// may be a computer's but may as well be the user's (Taro-PC, OLD, V2) is possible only; a word
// in small letters, or a number, is none (Old, Backup, 2, 2023).
[[nodiscard]] CopyName SyncToolCopyOf(std::string_view fileName, std::string_view stem,
                                      std::string_view extension, const CodePage& cp);
// Moves the merged copy `copyPath` into the merged folder beside the file at `path` (made when
// missing), under its own name or, when that is taken there, "name (2).ext" and so on. Returns
// where it went; throws FileError (the copy then stays where it was).
std::string MoveIntoMergedFolder(FileSystem& fs, const std::string& copyPath,
                                 const std::string& path, const CodePage& cp);

// This copy's own conflict copy: "Pinote.conflict-20240501-101530.dat"; a `serial` above 1
// adds "-2", "-3"... for a second copy within the same second.
[[nodiscard]] std::string ConflictCopyName(std::string_view stem, std::string_view extension,
                                           const SettingDate& when, int serial);
// The time and serial (1 without "-n") in a ConflictCopyName of `stem` + `extension` (letter
// case ignored); nullopt for any other name.
struct ConflictCopyStamp {
  SettingDate when;
  int serial = 1;
};
[[nodiscard]] std::optional<ConflictCopyStamp> ParseConflictCopyName(std::string_view name,
                                                                     std::string_view stem,
                                                                     std::string_view extension,
                                                                     const CodePage& cp);
// The backup of `fileName` made at the first save of `day`: "Pinote.dat.20240501.bak".
[[nodiscard]] std::string DailyBackupName(std::string_view fileName, const SettingDate& day);
// The day (time 0:00:00) of a DailyBackupName of `fileName` (letter case ignored); nullopt for
// any other name.
[[nodiscard]] std::optional<SettingDate> ParseDailyBackupName(std::string_view name,
                                                              std::string_view fileName,
                                                              const CodePage& cp);
// Whether `name` is a DailyBackupName of `fileName` (letter case ignored).
[[nodiscard]] bool IsDailyBackupName(std::string_view name, std::string_view fileName,
                                     const CodePage& cp);
// The folder that merged sync-tool copies are moved into: "Pinote.merged".
[[nodiscard]] std::string MergedFolderName(std::string_view stem);
// Its path beside the file at `path`, ending in a separator: "C:\x\Pinote.merged\".
[[nodiscard]] std::string MergedFolderOf(const std::string& path, const CodePage& cp);
// The lock file of `path`: "Pinote.dat.lock".
[[nodiscard]] std::string LockFileOf(std::string_view path);

// The one-line marker above a memo taken from a sync-tool copy:
// "----- Pinote (Taro's conflicted copy 2024-05-01).dat 2024/05/01 10:15:30 -----".
[[nodiscard]] std::string MergedCopyMarker(std::string_view copyName, const SettingDate& written);

}  // namespace pinote
