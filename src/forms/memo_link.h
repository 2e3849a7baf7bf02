// What a memo line names for opening: free text, then "!", then a file, folder, link or a program
// with its arguments, e.g. "manual ! "C:\Program Files\Viewer\view.exe" -r notes.txt".
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
// no "!".
[[nodiscard]] std::optional<MemoLink> ParseMemoLink(std::string_view line);

// Whether a memo line's link may be opened at a double-click (which is also how a word is
// selected, and memo text can come from received mail), or only after the user said yes.
enum class LinkRisk {
  kNone,              // a document, a folder or a web address (http, https, ftp, mailto, news...)
  kProgram,           // an executable or script type by its extension (.exe, .bat, .js, .lnk...)
  kUnknownShortcut,   // a .url shortcut whose address is not known or is not a web address
  kParameters,        // a target given parameters: only a program takes them
  kBareName,          // no folder: the shell would look the name up on the path ("notepad")
  kNoExtension,       // a path whose last part has no extension: the shell tries program types
  kNetworkPath,       // \\host\share, //host, file://host/...
  kOtherScheme,       // a URL scheme other than the web ones (ms-msdt:, search-ms:, javascript:)
  kUnusualName,       // a stream, device or namespace name ("x.txt:s", "\\?\", "::{...}")
};

// What the caller knows from the file system; the classification reads no file.
struct LinkFacts {
  bool isFolder = false;  // the target names an existing folder
  // For a .url target: the address its "URL=" line gives (see UrlShortcutAddress); nullopt when
  // it could not be read.
  std::optional<std::string> shortcutAddress;
};

// The risk of opening `link`; kNone only when it opens a document, a folder or a web address
// without starting a program. Extensions compare without regard to case, after the trailing dots
// and spaces that Windows ignores; names are walked by character, so a Shift-JIS byte 0x5C is
// never taken for a folder separator. An empty target is kNone (the shell opens nothing).
[[nodiscard]] LinkRisk ClassifyMemoLink(const MemoLink& link, const LinkFacts& facts = {});

// The address of an Internet shortcut (.url) file's text: the value of the first "URL=" line of
// its [InternetShortcut] section (key and section names without regard to case); nullopt when
// there is none.
[[nodiscard]] std::optional<std::string> UrlShortcutAddress(std::string_view fileText);

}  // namespace pinote
