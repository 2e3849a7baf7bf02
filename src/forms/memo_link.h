// What a memo line names for opening: free text, then "!", then a file, folder, link or a program
// with its arguments, e.g. "manual ! "C:\Program Files\Viewer\view.exe" -r notes.txt". And
// whether it may be opened at a double-click (which is also how a word is selected, and memo text
// can come from received mail) or only after the user said yes: only what is surely no program
// opens at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/code_page.h"

namespace pinote {

struct MemoLink {
  std::string target;      // file, program or link to open ("" when the line ends in "!")
  std::string parameters;  // arguments for a program ("" for none)

  friend bool operator==(const MemoLink& a, const MemoLink& b) {
    return a.target == b.target && a.parameters == b.parameters;
  }
};

// The link of a memo line: the trimmed text after its last "!", split into a target and its
// parameters. A leading double quote encloses the target (an unclosed one takes the whole rest
// and gives no parameters); otherwise the first space ends the target. nullopt when the line has
// no "!". ("!", '"' and ' ' are below 0x40: never the second byte of a character on any code page.)
[[nodiscard]] std::optional<MemoLink> ParseMemoLink(std::string_view line);

// Why a link is not opened at once (kNone: it is).
enum class LinkRisk {
  kNone,             // an http, https or mailto address; a document; a plain local folder
  kParameters,       // given parameters (or parameters and no target): only a program takes them
  kBareName,         // no folder: the shell would look the name up on its search path
  kNetworkPath,      // \\host, //host, \\?\UNC, \??\UNC, file://host, a network drive
  kOtherScheme,      // a URL scheme other than http, https and mailto (ms-msdt:, search-ms:...)
  kUnusualName,      // a stream, device, namespace or wildcard name, a short (8.3) file name, a
                     // control character, a "%" Windows could expand again, a name of dots
  kNotADocument,     // a file whose type is not on the list of documents
  kProgramBeside,    // a program named like it plus a program extension lies beside it, which
                     // the shell may start instead ("X" and "X.exe")
  kShellFolder,      // a folder a class id makes a shell object (name.{CLSID}, its desktop.ini),
                     // a drive whose autorun.inf may change what opening it does
  kUnknownShortcut,  // an Internet shortcut (.url) whose address is not http, https or mailto
  kUnknownPlace,     // what lies there could not be told (no answer from the file system)
};

// What judging a link may ask of the computer. The judge asks only about paths on a drive that
// DriveIsLocal accepted, never about a network path, a device or a namespace path: the look
// itself would connect to the host (and hand it the user's login).
class LinkSurroundings {
 public:
  enum class Kind { kNothing, kFile, kFolder, kUnknown };

  virtual ~LinkSurroundings() = default;
  // The full path of a relative, drive-relative ("C:x") or root-relative ("\x") path, made from
  // the process's current folders without touching any disk; nullopt when none can be made.
  [[nodiscard]] virtual std::optional<std::string> FullPath(const std::string& path) = 0;
  // Whether drive `letter` (A-Z) is a local disk, not a network drive.
  [[nodiscard]] virtual bool DriveIsLocal(char letter) = 0;
  // What lies at the full path `path`; kUnknown when the system cannot tell.
  [[nodiscard]] virtual Kind KindAt(const std::string& path) = 0;
  // The content of the small file at `path` (a shortcut, a desktop.ini); nullopt when it cannot
  // be read or is larger than any such file.
  [[nodiscard]] virtual std::optional<std::string> ReadSmallFile(const std::string& path) = 0;
  // The value of the environment variable `name`; nullopt when it is not set.
  [[nodiscard]] virtual std::optional<std::string> Variable(std::string_view name) = 0;
};

struct LinkVerdict {
  LinkRisk risk = LinkRisk::kNone;
  // What to hand the shell, and to name in the question: the target as Windows reads it
  // (environment variables expanded, "." and ".." and the trailing dots and spaces Windows drops
  // gone, "/" made "\", a file: URL made the path it names) and the parameters.
  MemoLink open;
};

// Judges `link`, whose text is in the ANSI code page `cp`. Opens at once (kNone) only http, https
// and mailto URLs; existing local folders that are no shell object and have no program of the
// same name beside them; and files (present or not) whose extension is on the list of documents,
// on a local disk, with no program of the same name plus a program extension beside them; and an
// Internet shortcut (.url) that names an http, https or mailto address. An empty target without
// parameters is kNone (the shell opens nothing).
[[nodiscard]] LinkVerdict JudgeMemoLink(const MemoLink& link, const CodePage& cp,
                                        LinkSurroundings& surroundings);

// Whether the shell opens a file of type `extension` (without the dot, any case) in a viewer or
// editor that runs no code of the file's: the list of documents.
[[nodiscard]] bool IsDocumentExtension(std::string_view extension);

// The address an Internet shortcut (.url) opens, read as the shell reads it: the URL key of its
// [InternetShortcut.W] section (UTF-7, given back as UTF-8) when there is one, else that of its
// [InternetShortcut] section; section and key names without regard to case, the first of each
// counting, the value trimmed and unquoted. nullopt when neither holds one.
[[nodiscard]] std::optional<std::string> UrlShortcutAddress(std::string_view fileText);

}  // namespace pinote
