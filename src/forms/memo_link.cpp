#include "forms/memo_link.h"

#include "common/mbtext.h"
#include "common/text_lines.h"

namespace pinote {

// "!", '"' and ' ' are below 0x40, so they are never the second byte of a Shift-JIS character
// and a byte-wise search finds only real separators.
std::optional<MemoLink> ParseMemoLink(std::string_view line) {
  const size_t bang = line.rfind('!');
  if (bang == std::string_view::npos) return std::nullopt;
  std::string_view s = TrimControls(line.substr(bang + 1));
  MemoLink link;
  if (!s.empty() && s.front() == '"') {
    s.remove_prefix(1);
    const size_t close = s.find('"');
    if (close == std::string_view::npos) {
      link.target = std::string(s);
    } else {
      link.target = std::string(s.substr(0, close));
      link.parameters = std::string(TrimControls(s.substr(close + 1)));
    }
    return link;
  }
  const size_t space = s.find(' ');
  if (space == std::string_view::npos) {
    link.target = std::string(s);
  } else {
    link.target = std::string(s.substr(0, space));
    link.parameters = std::string(TrimControls(s.substr(space + 1)));
  }
  return link;
}

}  // namespace pinote

namespace pinote {

namespace {

// Types that run code when opened: programs, scripts and their hosts, installers, shortcuts,
// control-panel items, registry files and other formats that carry commands. Lower case.
constexpr std::string_view kProgramExtensions[] = {
    "application", "appref-ms", "bat",  "chm",      "cmd",     "com",     "cpl",
    "diagcab",     "exe",       "gadget", "hta",    "inf",     "ins",     "isp",
    "jar",         "js",        "jse",  "library-ms", "lnk",   "msc",     "msh",
    "msh1",        "msh1xml",   "msh2", "msh2xml",  "mshxml",  "msi",     "msp",
    "mst",         "pif",       "ps1",  "ps1xml",   "ps2",     "ps2xml",  "psc1",
    "psc2",        "psd1",      "psm1", "py",       "pyw",     "reg",     "scf",
    "scr",         "sct",       "searchconnector-ms", "settingcontent-ms", "shb",
    "shs",         "vb",        "vbe",  "vbs",      "ws",      "wsc",     "wsf",
    "wsh",
};

// Schemes that a browser or mail program opens without starting anything else.
constexpr std::string_view kWebSchemes[] = {"ftp", "http", "https", "mailto", "news", "nntp"};

std::string AsciiLower(std::string_view t) {
  std::string out(t);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

template <size_t N>
bool Contains(const std::string_view (&set)[N], std::string_view value) {
  for (const std::string_view v : set) {
    if (v == value) return true;
  }
  return false;
}

// The scheme of a URL ("http" of "http://x"): a letter, then letters, digits, "+", "-" or ".",
// then ":"; at least two characters, so that a drive letter ("C:") is none. "" when none.
std::string_view SchemeOf(std::string_view target) {
  if (target.empty() || !IsAsciiLetter(target[0])) return {};
  size_t i = 1;
  while (i < target.size() && (IsAsciiLetter(target[i]) || (target[i] >= '0' && target[i] <= '9') ||
                               target[i] == '+' || target[i] == '-' || target[i] == '.')) {
    ++i;
  }
  if (i < 2 || i >= target.size() || target[i] != ':') return {};
  return target.substr(0, i);
}

bool IsWebAddress(std::string_view address) {
  const std::string_view scheme = SchemeOf(TrimControls(address));
  return !scheme.empty() && Contains(kWebSchemes, AsciiLower(scheme));
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

// A local or relative path: by its folder, its last part and that part's extension.
LinkRisk ClassifyPath(std::string_view path, const LinkFacts& facts) {
  const size_t start = HasDrive(path) ? 2 : 0;
  size_t lastPartBegin = start;
  bool hasFolder = start > 0;
  for (size_t i = start; i < path.size(); i += MbCharSize(path, i)) {
    if (MbCharSize(path, i) == 2) continue;
    // A colon past the drive names a stream ("x.txt:s") or something stranger.
    if (path[i] == ':') return LinkRisk::kUnusualName;
    if (IsSeparator(path[i])) {
      hasFolder = true;
      lastPartBegin = i + 1;
    }
  }
  // Without a folder the shell searches its path for the name, which finds programs.
  if (!hasFolder) return LinkRisk::kBareName;
  if (facts.isFolder) return LinkRisk::kNone;
  std::string_view last = path.substr(lastPartBegin);
  // Windows drops trailing dots and spaces from a name: "x.exe. " is x.exe.
  while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.remove_suffix(1);
  if (last.empty()) return LinkRisk::kNone;  // "C:\docs\", "..": a folder
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < last.size(); i += MbCharSize(last, i)) {
    if (last[i] == '.') dot = i;
  }
  if (dot == std::string_view::npos) return LinkRisk::kNoExtension;
  const std::string extension = AsciiLower(last.substr(dot + 1));
  if (Contains(kProgramExtensions, extension)) return LinkRisk::kProgram;
  if (extension == "url") {
    return facts.shortcutAddress && IsWebAddress(*facts.shortcutAddress)
               ? LinkRisk::kNone
               : LinkRisk::kUnknownShortcut;
  }
  return LinkRisk::kNone;
}

// "file:" URLs: a host names a network path; the path is judged like a local one.
LinkRisk ClassifyFileUrl(std::string_view rest, const LinkFacts& facts) {
  // Escapes could hide the extension ("x%2Eexe"); such a URL is not opened unasked.
  if (rest.find('%') != std::string_view::npos) return LinkRisk::kUnusualName;
  if (rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1])) {
    rest.remove_prefix(2);
    size_t hostEnd = 0;
    while (hostEnd < rest.size() && !IsSeparator(rest[hostEnd])) ++hostEnd;
    const std::string host = AsciiLower(rest.substr(0, hostEnd));
    if (!host.empty() && host != "localhost") return LinkRisk::kNetworkPath;
    rest.remove_prefix(hostEnd);
  }
  // "/C:/x" of "file:///C:/x" is the path C:/x.
  if (rest.size() >= 3 && IsSeparator(rest[0]) && HasDrive(rest.substr(1))) rest.remove_prefix(1);
  if (rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1])) {
    return LinkRisk::kNetworkPath;
  }
  return ClassifyPath(rest, facts);
}

}  // namespace

LinkRisk ClassifyMemoLink(const MemoLink& link, const LinkFacts& facts) {
  const std::string_view target = link.target;
  if (target.empty()) return LinkRisk::kNone;
  if (!link.parameters.empty()) return LinkRisk::kParameters;
  if (target.size() >= 2 && IsSeparator(target[0]) && IsSeparator(target[1])) {
    // "\\?\" and "\\.\" name devices and raw paths, not shares.
    if (target.size() >= 4 && (target[2] == '?' || target[2] == '.') && IsSeparator(target[3])) {
      return LinkRisk::kUnusualName;
    }
    return LinkRisk::kNetworkPath;
  }
  const std::string_view scheme = SchemeOf(target);
  if (!scheme.empty()) {
    const std::string lower = AsciiLower(scheme);
    if (Contains(kWebSchemes, lower)) return LinkRisk::kNone;
    if (lower == "file") return ClassifyFileUrl(target.substr(scheme.size() + 1), facts);
    return LinkRisk::kOtherScheme;
  }
  if (target[0] == ':') return LinkRisk::kUnusualName;  // "::{CLSID}" shell folders
  return ClassifyPath(target, facts);
}

std::optional<std::string> UrlShortcutAddress(std::string_view fileText) {
  std::optional<std::string> address;
  bool inShortcut = false;
  ForEachLine(BeforeNul(fileText), [&](std::string_view line) {
    if (address) return;
    line = TrimControls(line);
    if (!line.empty() && line.front() == '[') {
      const size_t close = line.find(']');
      inShortcut = close != std::string_view::npos &&
                   AsciiLower(TrimControls(line.substr(1, close - 1))) == "internetshortcut";
      return;
    }
    const size_t eq = line.find('=');
    if (!inShortcut || eq == std::string_view::npos) return;
    if (AsciiLower(TrimControls(line.substr(0, eq))) != "url") return;
    address = std::string(TrimControls(line.substr(eq + 1)));
  });
  return address;
}

}  // namespace pinote
