// Path rules: long-name resolution, the names derived from the library's path, and which help
// file to open.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"

namespace pinote {

struct DirEntry {
  std::string name;  // the name as stored on disk
  bool isFolder = false;
};
// Looks up one entry at `path` (no wildcards). With includeHidden false, hidden and system
// entries are not found.
using DirLookup = std::function<std::optional<DirEntry>(const std::string& path, bool includeHidden)>;

// Every folder and file name of `path` replaced by its name as stored on disk. A path without
// "\" gives ""; a component that is not found (or a hidden/system folder on the way) stops the
// resolution at the part resolved so far. Double-byte characters are never split.
[[nodiscard]] std::string ResolveLongPath(std::string_view path, const DirLookup& lookup,
                                          const CodePage& cp);

// `path` cut after its last separator, one of `separators` ("\\" for Windows paths): the folder
// part ends with that separator ("" when there is none), the name is the rest. Walks by character,
// so the second byte of a double-byte character (0x5C in 表, ソ, 能) is never a separator and a
// lone lead byte at the end stays part of the name.
struct PathSplit {
  std::string_view folder;
  std::string_view name;
};
[[nodiscard]] PathSplit SplitAtLastSeparator(std::string_view path, std::string_view separators,
                                             const CodePage& cp) noexcept;
// Text up to and including the last "\", "/" or ":"; "" when there is none.
[[nodiscard]] std::string FolderOf(std::string_view path, const CodePage& cp);
// Text after FolderOf: the file's own name ("" for a path ending in a separator).
[[nodiscard]] std::string FileNameOf(std::string_view path, const CodePage& cp);
// The extension of the file's name, from its last "." on (".dat"); "" when it has none.
[[nodiscard]] std::string ExtensionOf(std::string_view path, const CodePage& cp);
// The file's name without its extension ("Pinote" for "C:\\x\\Pinote.dat" named "Pinote.dat").
[[nodiscard]] std::string StemOf(const std::string& name, const CodePage& cp);
// Extension (from the last "." after the last separator) replaced by `ext` (".dat"); appended
// when none.
[[nodiscard]] std::string ChangeFileExt(std::string_view path, std::string_view ext,
                                        const CodePage& cp);
// "C:\x\Pinote.dll" -> "C:\x\Pinote.dat".
[[nodiscard]] std::string DataPathFor(std::string_view pluginFileName, const CodePage& cp);
// The older data-file name: the extension, dot included, replaced by "dat" ("C:\x\Pinotedat").
[[nodiscard]] std::string LegacyDataPathFor(std::string_view pluginFileName, const CodePage& cp);
// From the settings path: all but the last three characters, then "dat".
[[nodiscard]] std::string DataPathFromSettingsPath(std::string_view settingsPath,
                                                   const CodePage& cp);

struct HelpChoice {
  std::string fileToOpen;          // "" when the message is to be shown instead
  std::vector<std::string> tried;  // every file looked for, in that order
};
// The first of these in `pluginFolder` that exists. English: PinoteE.hlp, Pinote.hlp,
// PinoteE.html, Pinote.html. Japanese: Pinote.hlp, Pinote.html, PinoteE.html (PinoteE.hlp is
// never opened in Japanese). WinHelp files keep their precedence where they exist; the HTML help
// is what opens on Windows versions without WinHelp. None of them: fileToOpen is empty.
[[nodiscard]] HelpChoice ChooseHelpFile(std::string_view pluginFolder, bool japanese,
                                        const std::function<bool(const std::string&)>& exists);
// The missing-help message's text (texts.h; its caption is the table's) naming every file tried,
// in order, in UTF-8: in Japanese each path followed by " がありません", a line each; in English
// the paths with "nor" between them, then "is not found.". The paths are ANSI: `pathToUtf8`
// converts each one.
[[nodiscard]] std::string MissingHelpText(
    const HelpChoice& choice, bool japanese,
    const std::function<std::string(const std::string&)>& pathToUtf8);

}  // namespace pinote
