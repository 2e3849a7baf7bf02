#include "forms/memo_link.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/ascii.h"
#include "common/mbtext.h"
#include "common/text_lines.h"

namespace pinote {

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

namespace {

// The documents: types the shell opens in a viewer or an editor that runs nothing the file
// holds. Lower case. Plain text (txt, log); PDF; the Office formats that cannot hold macros
// (docx, xlsx, pptx; the macro-enabled ones end in "m"); pictures; audio; video.
constexpr std::string_view kDocumentExtensions[] = {
    "txt", "log", "pdf", "docx", "xlsx", "pptx", "bmp", "gif", "jpg", "jpeg", "png",
    "tif", "tiff", "mp3", "m4a", "wav", "mp4", "m4v", "mov", "avi", "mpg", "mpeg",
};

// What the shell may start instead of "X" when "X.<one of these>" lies beside it: the program
// types its path resolution tries first, and those of the standard PATHEXT.
constexpr std::string_view kProgramExtensions[] = {
    "pif", "com", "exe", "bat", "lnk", "cmd", "vbs", "vbe", "js", "jse", "wsf", "wsh", "msc",
};

// Schemes handed to the browser or the mail program, which start nothing else.
constexpr std::string_view kWebSchemes[] = {"http", "https", "mailto"};

// Names Win32 takes for a device in any folder and with any extension ("C:\x\nul.txt").
constexpr std::string_view kDeviceNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};

// The keys of a folder's desktop.ini that make it a shell object.
constexpr std::string_view kFolderClassKeys[] = {"clsid", "clsid2", "uiclsid"};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

template <size_t N>
bool Contains(const std::string_view (&set)[N], std::string_view value) {
  for (const std::string_view v : set) {
    if (v == value) return true;
  }
  return false;
}

// The position of the first character `c` (a single-byte one, not the second byte of another)
// of `t` at or after the character boundary `from`; npos when there is none.
size_t FindChar(std::string_view t, char c, size_t from, const CodePage& cp) {
  for (size_t i = from; i < t.size(); i += cp.CharSize(t, i)) {
    if (t[i] == c && cp.CharSize(t, i) == 1) return i;
  }
  return std::string_view::npos;
}

// The scheme of a URL ("http" of "http://x"): a letter, then letters, digits, "+", "-" or ".",
// then ":"; at least two characters, so that a drive letter ("C:") is none. "" when none.
std::string_view SchemeOf(std::string_view target) {
  if (target.empty() || !IsAsciiLetter(target[0])) return {};
  size_t i = 1;
  while (i < target.size() && (IsAsciiLetter(target[i]) || IsAsciiDigit(target[i]) ||
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
bool HasDriveRoot(std::string_view path) {
  return HasDrive(path) && path.size() >= 3 && IsSeparator(path[2]);
}
bool IsUncLike(std::string_view path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}
// "\\?\", "\\.\" and "\??\" (with either separator): paths Windows hands on as they are, to
// devices and to other namespaces than the drives'.
bool HasNamespacePrefix(std::string_view path) {
  if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[3])) return false;
  return (IsSeparator(path[1]) && (path[2] == '?' || path[2] == '.')) ||
         (path[1] == '?' && path[2] == '?');
}

// The names between "\" and "/" separators, walked by character.
std::vector<std::string_view> SplitNames(std::string_view path, const CodePage& cp) {
  std::vector<std::string_view> names;
  size_t begin = 0;
  for (size_t i = 0; i < path.size(); i += cp.CharSize(path, i)) {
    if (cp.CharSize(path, i) == 1 && IsSeparator(path[i])) {
      names.push_back(path.substr(begin, i - begin));
      begin = i + 1;
    }
  }
  names.push_back(path.substr(begin));
  return names;
}

// `name` without the dots and spaces that end it, which Windows drops.
std::string_view WithoutTrailingDotsAndSpaces(std::string_view name, const CodePage& cp) {
  size_t end = 0;
  for (size_t i = 0; i < name.size(); i += cp.CharSize(name, i)) {
    const size_t n = cp.CharSize(name, i);
    if (n > 1 || (name[i] != '.' && name[i] != ' ')) end = i + n;
  }
  return name.substr(0, end);
}

// The extension of a file name, after its last "." ("" when it has none).
std::string_view ExtensionOfName(std::string_view name, const CodePage& cp) {
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < name.size(); i += cp.CharSize(name, i)) {
    if (name[i] == '.' && cp.CharSize(name, i) == 1) dot = i;
  }
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// "CON", "nul.txt", "COM1 .log": a device, whatever the folder.
bool IsDeviceName(std::string_view name, const CodePage& cp) {
  std::string base = AsciiLower(WithoutTrailingDotsAndSpaces(
      name.substr(0, std::min(name.size(), FindChar(name, '.', 0, cp))), cp));
  if (Contains(kDeviceNames, base)) return true;
  // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits of the Western pages.
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         (IsAsciiDigit(base[3]) || static_cast<unsigned char>(base[3]) >= 0x80);
}

// "PROGRA~1", "EVIL~1.APP": the short (8.3) form of a longer name, whose real extension the
// name does not show.
bool LooksLikeShortName(std::string_view name, const CodePage& cp) {
  for (size_t i = FindChar(name, '~', 0, cp); i != std::string_view::npos;
       i = FindChar(name, '~', i + 1, cp)) {
    if (i + 1 < name.size() && IsAsciiDigit(name[i + 1])) return true;
  }
  return false;
}

// "x.{20D04FE0-3AEA-1069-A2D8-08002B30309D}": a folder the shell opens as the object of that
// class.
bool IsClassIdName(std::string_view name) {
  constexpr std::string_view kShape = ".{00000000-0000-0000-0000-000000000000}";
  if (name.size() < kShape.size()) return false;
  const std::string_view tail = name.substr(name.size() - kShape.size());
  for (size_t i = 0; i < kShape.size(); ++i) {
    if (kShape[i] == '0' ? HexDigitValue(tail[i]) < 0 : tail[i] != kShape[i]) return false;
  }
  return true;
}

// "%XX" made the byte it stands for; a "%" without two hexadecimal digits stays.
std::string PercentDecoded(std::string_view t) {
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '%' && i + 2 < t.size() && HexDigitValue(t[i + 1]) >= 0 &&
        HexDigitValue(t[i + 2]) >= 0) {
      out += static_cast<char>(HexDigitValue(t[i + 1]) * 16 + HexDigitValue(t[i + 2]));
      i += 2;
    } else {
      out += t[i];
    }
  }
  return out;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (IsAsciiDigit(c)) return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// UTF-7, as the shell writes the values of a shortcut's Unicode section, to UTF-8: "+" starts
// base64 of UTF-16 up to the first other character ("-" ends it and is dropped), "+-" is "+".
// A lone surrogate becomes U+FFFD.
std::string Utf7ToUtf8(std::string_view t) {
  std::u16string units;
  for (size_t i = 0; i < t.size();) {
    if (t[i] != '+') {
      units += static_cast<char16_t>(static_cast<unsigned char>(t[i++]));
      continue;
    }
    ++i;
    if (i < t.size() && t[i] == '-') {
      units += u'+';
      ++i;
      continue;
    }
    uint32_t bits = 0;
    int count = 0;
    for (; i < t.size() && Base64Value(t[i]) >= 0; ++i) {
      bits = ((bits << 6) | static_cast<uint32_t>(Base64Value(t[i]))) & 0x3FFFFF;
      count += 6;
      if (count >= 16) {
        count -= 16;
        units += static_cast<char16_t>((bits >> count) & 0xFFFF);
      }
    }
    if (i < t.size() && t[i] == '-') ++i;
  }
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(c, out);
  }
  return out;
}

// The value of `key` in `section` of an INI text, as the system's profile functions read it:
// names without regard to case, the first section of that name and its first such key counting,
// the value trimmed and, when quoted, unquoted. nullopt when there is none.
std::optional<std::string> IniValue(std::string_view text, std::string_view section,
                                    std::string_view key) {
  std::optional<std::string> value;
  enum { kBefore, kInside, kAfter } where = kBefore;
  ForEachLine(BeforeNul(text), [&](std::string_view line) {
    if (value || where == kAfter) return;
    line = TrimControls(line);
    if (!line.empty() && line.front() == '[') {
      if (where == kInside) {
        where = kAfter;
        return;
      }
      const size_t close = line.find(']');
      if (close != std::string_view::npos &&
          AsciiLower(TrimControls(line.substr(1, close - 1))) == section) {
        where = kInside;
      }
      return;
    }
    const size_t eq = line.find('=');
    if (where != kInside || eq == std::string_view::npos) return;
    if (AsciiLower(TrimControls(line.substr(0, eq))) != key) return;
    std::string_view v = TrimControls(line.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
      v = v.substr(1, v.size() - 2);
    }
    value = std::string(v);
  });
  return value;
}

// A path Windows takes apart: its root ("C:\" or "\\host\share") and the names below it, in
// the normal form Windows gives them.
struct NormalPath {
  std::string text;
  std::vector<std::string> names;
};

class LinkJudge {
 public:
  LinkJudge(const CodePage& cp, LinkSurroundings& surroundings, bool look)
      : cp_(cp), surroundings_(surroundings), look_(look) {}

  // The risk of `text`; `open` becomes what the shell is to be given. Environment variables are
  // expanded once, where Windows expands them: in a path, not in a URL.
  LinkRisk OfText(std::string_view text, bool expand, std::string& open) {
    open = std::string(text);
    const std::string_view scheme = SchemeOf(text);
    if (!scheme.empty()) {
      const std::string lower = AsciiLower(scheme);
      if (Contains(kWebSchemes, lower)) return LinkRisk::kNone;
      if (lower == "file") return OfFileUrl(text.substr(scheme.size() + 1), open);
      return LinkRisk::kOtherScheme;
    }
    if (expand && FindChar(text, '%', 0, cp_) != std::string_view::npos) {
      return OfText(Expanded(text), false, open);
    }
    return OfPath(text, open, true);
  }

 private:
  // %NAME% replaced by the variable's value where it is set, as ExpandEnvironmentStrings does.
  std::string Expanded(std::string_view text) {
    std::string out;
    size_t done = 0;
    for (size_t i = FindChar(text, '%', 0, cp_); i != std::string_view::npos;) {
      const size_t close = FindChar(text, '%', i + 1, cp_);
      if (close == std::string_view::npos) break;
      const auto value = close > i + 1 ? surroundings_.Variable(text.substr(i + 1, close - i - 1))
                                       : std::nullopt;
      if (!value) {
        i = close;  // the closing "%" may open the next name
        continue;
      }
      out.append(text.substr(done, i - done));
      out += *value;
      done = close + 1;
      i = FindChar(text, '%', done, cp_);
    }
    out.append(text.substr(done));
    return out;
  }

  // A file: URL: the path it names, which is what the shell is given. "file://host/..." names a
  // share; the query and the fragment are no part of the path.
  LinkRisk OfFileUrl(std::string_view rest, std::string& open) {
    rest = rest.substr(0, std::min(rest.size(), rest.find_first_of("?#")));
    std::string path;
    if (IsUncLike(rest)) {
      // No host and "localhost" name this computer; "file://C:/x" puts the drive there.
      const size_t hostEnd = std::min(rest.size(), rest.find_first_of("\\/", 2));
      const std::string_view host = rest.substr(2, hostEnd - 2);
      if (HasDrive(host)) {
        rest.remove_prefix(2);
      } else if (host.empty() || AsciiLower(host) == "localhost") {
        rest.remove_prefix(hostEnd);
      } else {
        path = "\\\\";  // a share: \\host\...
        rest.remove_prefix(2);
      }
    }
    // "/C:/x" and "/C|/x": the drive after the separator.
    if (path.empty() && rest.size() >= 3 && IsSeparator(rest[0]) && IsAsciiLetter(rest[1]) &&
        (rest[2] == ':' || rest[2] == '|')) {
      rest.remove_prefix(1);
    }
    path += PercentDecoded(rest);
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == '|') path[1] = ':';
    return OfPath(path, open, true);
  }

  LinkRisk OfPath(std::string_view path, std::string& open, bool mayResolve) {
    open = std::string(path);
    for (const char c : path) {
      if (static_cast<unsigned char>(c) < 0x20) return LinkRisk::kUnusualName;
    }
    if (HasNamespacePrefix(path)) {
      const std::string_view after = path.substr(4);
      return StartsWithAsciiFolded(after, "unc") && after.size() > 3 && IsSeparator(after[3])
                 ? LinkRisk::kNetworkPath
                 : LinkRisk::kUnusualName;
    }
    const bool unc = IsUncLike(path);
    if (!unc && !HasDriveRoot(path)) {
      const bool bare = !HasDrive(path) && SplitNames(path, cp_).size() == 1;
      if (bare) return LinkRisk::kBareName;  // searched for on the path: left as written
      const auto full = mayResolve ? surroundings_.FullPath(std::string(path)) : std::nullopt;
      if (!full || !(IsUncLike(*full) || HasDriveRoot(*full))) return LinkRisk::kUnknownPlace;
      return OfPath(*full, open, false);
    }
    // What is left of "%" after the one expansion Windows could expand again.
    if (FindChar(path, '%', 0, cp_) != std::string_view::npos) return LinkRisk::kUnusualName;
    NormalPath normal;
    if (!Normalize(path, unc, normal)) return LinkRisk::kUnusualName;
    open = normal.text;
    if (unc) return LinkRisk::kNetworkPath;
    for (const std::string& name : normal.names) {
      if (name.find_first_of(":*?\"<>|") != std::string::npos) return LinkRisk::kUnusualName;
      if (IsClassIdName(name)) return LinkRisk::kShellFolder;
    }
    if (!normal.names.empty() &&
        (IsDeviceName(normal.names.back(), cp_) || LooksLikeShortName(normal.names.back(), cp_))) {
      return LinkRisk::kUnusualName;
    }
    if (!look_) return LinkRisk::kNone;  // the caller asks on other grounds and looks at nothing
    const char drive = static_cast<char>(path[0] & ~0x20);
    if (!surroundings_.DriveIsLocal(drive)) return LinkRisk::kNetworkPath;
    return OfLocal(normal);
  }

  // Windows' normal form of an absolute path: "\" between names, no empty, "." or ".." names,
  // no dots and spaces ending a name. False when a name is nothing but dots and spaces.
  bool Normalize(std::string_view path, bool unc, NormalPath& out) {
    std::vector<std::string_view> parts;
    size_t fixed = 0;  // the names ".." cannot take away: a share's host and share
    if (unc) {
      parts = SplitNames(path.substr(2), cp_);
      out.text = "\\\\";
      fixed = std::min<size_t>(parts.size(), 2);
    } else {
      parts = SplitNames(path.substr(3), cp_);
      out.text = std::string(path.substr(0, 2)) + "\\";
    }
    for (size_t k = 0; k < parts.size(); ++k) {
      const std::string_view part = parts[k];
      if (k < fixed) {
        out.names.emplace_back(part);
        continue;
      }
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (out.names.size() > fixed) out.names.pop_back();
        continue;
      }
      const std::string_view kept = WithoutTrailingDotsAndSpaces(part, cp_);
      if (kept.empty()) return false;
      out.names.emplace_back(kept);
    }
    for (size_t k = 0; k < out.names.size(); ++k) {
      if (k > 0) out.text += '\\';
      out.text += out.names[k];
    }
    if (unc) out.names.erase(out.names.begin(), out.names.begin() + static_cast<long>(fixed));
    return true;
  }

  // A path on a local disk, by what lies there.
  LinkRisk OfLocal(const NormalPath& path) {
    const LinkSurroundings::Kind kind = surroundings_.KindAt(path.text);
    if (kind == LinkSurroundings::Kind::kUnknown) return LinkRisk::kUnknownPlace;
    if (path.names.empty()) {  // a drive's root, whose "open" an autorun.inf there may change
      if (kind != LinkSurroundings::Kind::kFolder) return LinkRisk::kUnknownPlace;
      return surroundings_.KindAt(path.text + "autorun.inf") == LinkSurroundings::Kind::kNothing
                 ? LinkRisk::kNone
                 : LinkRisk::kShellFolder;
    }
    if (ProgramBeside(path.text)) return LinkRisk::kProgramBeside;
    if (kind == LinkSurroundings::Kind::kFolder) {
      return IsShellFolder(path.text) ? LinkRisk::kShellFolder : LinkRisk::kNone;
    }
    const std::string extension = AsciiLower(ExtensionOfName(path.names.back(), cp_));
    if (extension == "url") {
      const auto text = kind == LinkSurroundings::Kind::kFile
                            ? surroundings_.ReadSmallFile(path.text)
                            : std::nullopt;
      const auto address = text ? UrlShortcutAddress(*text) : std::nullopt;
      return address && IsWebAddress(*address) ? LinkRisk::kNone : LinkRisk::kUnknownShortcut;
    }
    return IsDocumentExtension(extension) ? LinkRisk::kNone : LinkRisk::kNotADocument;
  }

  // Whether "path.exe" or another program type lies beside `path` (or cannot be told).
  bool ProgramBeside(const std::string& path) {
    for (const std::string_view extension : kProgramExtensions) {
      const std::string program = path + "." + std::string(extension);
      if (surroundings_.KindAt(program) != LinkSurroundings::Kind::kNothing) return true;
    }
    return false;
  }

  // Whether the folder's desktop.ini gives it a class (or cannot be read).
  bool IsShellFolder(const std::string& folder) {
    const std::string ini = folder + "\\desktop.ini";
    const LinkSurroundings::Kind kind = surroundings_.KindAt(ini);
    if (kind == LinkSurroundings::Kind::kNothing) return false;
    const auto text = kind == LinkSurroundings::Kind::kFile ? surroundings_.ReadSmallFile(ini)
                                                            : std::nullopt;
    if (!text) return true;
    for (const std::string_view key : kFolderClassKeys) {
      if (IniValue(*text, ".shellclassinfo", key)) return true;
    }
    return false;
  }

  const CodePage& cp_;
  LinkSurroundings& surroundings_;
  const bool look_;
};

}  // namespace

bool IsDocumentExtension(std::string_view extension) {
  return Contains(kDocumentExtensions, AsciiLower(extension));
}

LinkVerdict JudgeMemoLink(const MemoLink& link, const CodePage& cp,
                          LinkSurroundings& surroundings) {
  LinkVerdict verdict;
  verdict.open = link;
  if (link.target.empty()) {
    // Nothing to open, unless parameters make the shell run something after all.
    verdict.risk = link.parameters.empty() ? LinkRisk::kNone : LinkRisk::kParameters;
    return verdict;
  }
  // With parameters the question is asked anyway: the target is only put in the form the shell
  // is given, nothing is looked at.
  const bool parameters = !link.parameters.empty();
  LinkJudge judge(cp, surroundings, !parameters);
  verdict.risk = judge.OfText(link.target, true, verdict.open.target);
  if (parameters) verdict.risk = LinkRisk::kParameters;
  return verdict;
}

std::optional<std::string> UrlShortcutAddress(std::string_view fileText) {
  if (auto unicode = IniValue(fileText, "internetshortcut.w", "url")) {
    return Utf7ToUtf8(*unicode);
  }
  return IniValue(fileText, "internetshortcut", "url");
}

}  // namespace pinote
