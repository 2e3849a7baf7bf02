// Where the plug-in lives: its module handle, its own file (from which the settings, memo and
// help file names are formed, resolved once per load), the host program's path, the folder of
// this PC's own records, and the help file beside the plug-in. Paths are ANSI byte strings with every name as stored on disk.
#pragma once

#include <windows.h>

#include <string>

namespace pinote {

// The module that holds this code: Pinote.dll in the host, the test program in tests.
[[nodiscard]] HINSTANCE PluginInstance();

// The plug-in's own file, "" when it cannot be found. Taken from the plug-in's own module
// handle; only when the module's name has no ANSI form at all is the search that
// SetPluginFileSearch gave asked (the host's plug-in folders, searched by the host layer).
[[nodiscard]] const std::string& PluginFileName();
void SetPluginFileSearch(std::string (*search)());
[[nodiscard]] std::string PluginFolder();  // ends with "\"
[[nodiscard]] std::string HostExePath();
[[nodiscard]] std::string HostFolder();  // ends with "\"
void ClearPathCaches();
// Test hook: fixes PluginFileName (and so the settings and data paths) to `path`.
void SetPluginFileNameForTesting(std::string path);

// The ANSI form of `module`'s file name as the system reports it: the long name when the code
// page can express it, else the short (8.3) name, else "". `module` null: the program's.
[[nodiscard]] std::string ModuleAnsiPath(HMODULE module);
// The file `ansiPath` names with every folder and file name as stored on disk, or `ansiPath`
// itself when that cannot be resolved (a hidden folder on the way, say): the system named that
// file, so no other file is ever taken for it.
[[nodiscard]] std::string StoredNamesOf(const std::string& ansiPath);

// Where this PC keeps its own records of the shared files (common/pc_record.h), under the user's
// local application data, which no sync tool carries to another PC: "<local application
// data>\Quillet\" in the system code page; "" when there is none or its path cannot be written
// in the code page (the records are then kept in memory only).
[[nodiscard]] std::string PcRecordFolder();

// Opens Pinote.hlp (Japanese) or PinoteE.hlp (English, else Pinote.hlp) beside the plug-in
// through the shell's "open" verb, or shows the missing-help message owned by `owner`.
void ShowHelp(HWND owner);

}  // namespace pinote
