#include "common/sync_copies.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/ascii.h"
#include "common/mbtext.h"
#include "common/paths.h"
#include "common/settings.h"

namespace pinote {

namespace {

// "Conflicted copy" as the sync tools write it in the languages of their clients. Japanese
// clients write 競合コピー, which reaches the plug-in in Shift-JIS on a Japanese system and in
// UTF-8 on one whose code page is UTF-8.
constexpr const char* kConflictedCopyWords[] = {
    "conflicted copy",
    "\x8B\xA3\x8D\x87\x83\x52\x83\x73\x81\x5B",                  // 競合コピー, Shift-JIS
    "\xE7\xAB\xB6\xE5\x90\x88\xE3\x82\xB3\xE3\x83\x94\xE3\x83\xBC",  // 競合コピー, UTF-8
    "copie en conflit",
    "copia en conflicto",
    "in Konflikt stehende Kopie",
};

const std::vector<SyncToolRule> kRules = {
    {"Syncthing", ".sync-conflict-########-######-{id}"},
    {"Nextcloud", " (conflicted copy *####-##-## ######)"},
    {"ownCloud", "_conflict-########-######"},
    {"Dropbox", " (*{copy}*####-##-##)"},
    {"Dropbox", " (*{copy}*####-##-## ({n}))"},
};

constexpr const char* kOneDrive = "OneDrive";

class Matcher {
 public:
  Matcher(std::string_view text, const CodePage& cp) : text_(text), cp_(cp) {}
  bool Match(std::string_view pattern, size_t at) const {
    if (pattern.empty()) return at == text_.size();
    const std::string_view rest = text_.substr(at);
    if (pattern[0] == '#') {
      return !rest.empty() && IsAsciiDigit(rest[0]) && Match(pattern.substr(1), at + 1);
    }
    if (pattern[0] == '*') {
      // Every character boundary, so that no match starts on the second byte of a character.
      for (size_t i = at;; i += cp_.CharSize(text_, i)) {
        if (Match(pattern.substr(1), i)) return true;
        if (i >= text_.size()) return false;
      }
    }
    if (pattern[0] == '{') {
      const size_t close = pattern.find('}');
      const std::string_view token = pattern.substr(1, close - 1);
      const std::string_view after = pattern.substr(close + 1);
      if (token == "copy") {
        for (const char* word : kConflictedCopyWords) {
          if (StartsWithAsciiFolded(rest, word) && Match(after, at + std::strlen(word))) return true;
        }
        return false;
      }
      return MatchRun(token, after, at);
    }
    return !rest.empty() && AsciiUpper(rest[0]) == AsciiUpper(pattern[0]) &&
           Match(pattern.substr(1), at + 1);
  }

 private:
  // {id} and {n}: the longest run first, then shorter ones.
  bool MatchRun(std::string_view token, std::string_view after, size_t at) const {
    size_t end = at;
    while (end < text_.size() && (IsAsciiDigit(text_[end]) ||
                                  (token != "n" && IsAsciiLetter(text_[end])))) {
      ++end;
    }
    for (; end > at; --end) {
      if (Match(after, end)) return true;
    }
    return false;
  }

  std::string_view text_;
  const CodePage& cp_;
};

// What the text after "Pinote-" says of a OneDrive copy, by how Windows names computers: at most
// 15 letters, digits and hyphens, no hyphen at either end, not digits alone.
CopyName OneDriveCopy(std::string_view host) {
  // OneDrive numbers a second copy from the same computer: "-2" after the name.
  const size_t dash = host.rfind('-');
  if (dash != std::string_view::npos && dash > 0 && IsAllAsciiDigits(host.substr(dash + 1))) {
    host = host.substr(0, dash);
  }
  if (host.empty() || host.size() > 15 || host.front() == '-' || host.back() == '-' ||
      IsAllAsciiDigits(host)) {
    return {};
  }
  bool lower = false, upper = false, digit = false, hyphen = false;
  for (const char c : host) {
    if (c >= 'a' && c <= 'z') {
      lower = true;
    } else if (IsAsciiUpper(c)) {
      upper = true;
    } else if (IsAsciiDigit(c)) {
      digit = true;
    } else if (c == '-') {
      hyphen = true;
    } else {
      return {};
    }
  }
  // Windows shows its computers' names in capitals; DESKTOP-4F2KQ1 and TARO-PC are the names
  // users see, and people rarely write their own file names so.
  if (!lower && (hyphen || (upper && digit && host.size() >= 4))) return {kOneDrive, true};
  // A word in small letters (Old, Backup) is the user's own name for a file.
  if (lower && !hyphen && !digit) return {};
  return {kOneDrive, false};
}

std::string Digits(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

std::string DayDigits(const SettingDate& d) {
  return Digits(d.year, 4) + Digits(d.month, 2) + Digits(d.day, 2);
}

// The date in `digits`: "yyyymmdd" or "yyyymmddhhnnss"; nullopt unless every byte is a digit.
std::optional<SettingDate> DateOfDigits(std::string_view digits) {
  for (const char c : digits) {
    if (!IsAsciiDigit(c)) return std::nullopt;
  }
  const auto part = [&](size_t at, size_t width) {
    return at + width <= digits.size() ? ParseInteger(digits.substr(at, width)).value_or(0) : 0;
  };
  return SettingDate{part(0, 4), part(4, 2), part(6, 2), part(8, 2), part(10, 2), part(12, 2)};
}

// The separator to put after `folder` (which ends in one, or is "" or a drive).
char SeparatorAfter(const std::string& folder) {
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) return folder.back();
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

}  // namespace

const std::vector<SyncToolRule>& SyncToolRules() { return kRules; }

CopyName SyncToolCopyOf(std::string_view fileName, std::string_view stem,
                        std::string_view extension, const CodePage& cp) {
  if (fileName.size() <= stem.size() + extension.size()) return {};
  // The base name compared by characters, as the system compares names; the extension is ASCII.
  if (UpperAnsi(fileName.substr(0, stem.size()), cp) != UpperAnsi(stem, cp)) return {};
  if (UpperAnsi(fileName.substr(fileName.size() - extension.size()), cp) !=
      UpperAnsi(extension, cp)) {
    return {};
  }
  // The base name must end on a character boundary of the whole name.
  size_t i = 0;
  while (i < stem.size()) i += cp.CharSize(fileName, i);
  if (i != stem.size()) return {};
  const std::string_view middle =
      fileName.substr(stem.size(), fileName.size() - stem.size() - extension.size());
  const Matcher matcher(middle, cp);
  for (const SyncToolRule& rule : kRules) {
    if (matcher.Match(rule.pattern, 0)) return {rule.tool, true};
  }
  if (middle.size() > 1 && middle.front() == '-') return OneDriveCopy(middle.substr(1));
  return {};
}

std::string MergedFolderOf(const std::string& path, const CodePage& cp) {
  const std::string folder = FolderOf(path, cp);
  return folder + MergedFolderName(StemOf(FileNameOf(path, cp), cp)) + SeparatorAfter(folder);
}

std::string MoveIntoMergedFolder(FileSystem& fs, const std::string& copyPath,
                                 const std::string& path, const CodePage& cp) {
  const std::string target = MergedFolderOf(path, cp);
  fs.CreateFolder(target.substr(0, target.size() - 1));
  const std::string name = FileNameOf(copyPath, cp);
  std::string to = target + name;
  for (int n = 2; fs.Exists(to); ++n) {
    to = target + StemOf(name, cp) + " (" + std::to_string(n) + ")" + ExtensionOf(name, cp);
  }
  fs.Rename(copyPath, to);
  return to;
}

std::string ConflictCopyName(std::string_view stem, std::string_view extension,
                             const SettingDate& when, int serial) {
  std::string name(stem);
  name += ".conflict-" + DayDigits(when) + "-" + Digits(when.hour, 2) + Digits(when.minute, 2) +
          Digits(when.second, 2);
  if (serial > 1) name += "-" + std::to_string(serial);
  name += extension;
  return name;
}

std::optional<ConflictCopyStamp> ParseConflictCopyName(std::string_view name,
                                                       std::string_view stem,
                                                       std::string_view extension,
                                                       const CodePage& cp) {
  const std::string head = std::string(stem) + ".conflict-";
  constexpr size_t kStamp = 8 + 1 + 6;  // "20240501-101530"
  if (name.size() < head.size() + kStamp + extension.size()) return std::nullopt;
  if (UpperAnsi(name.substr(0, head.size()), cp) != UpperAnsi(head, cp) ||
      UpperAnsi(name.substr(name.size() - extension.size()), cp) != UpperAnsi(extension, cp)) {
    return std::nullopt;
  }
  const std::string_view stamp = name.substr(head.size(), kStamp);
  const std::string_view rest =
      name.substr(head.size() + kStamp, name.size() - head.size() - kStamp - extension.size());
  if (stamp[8] != '-') return std::nullopt;
  const auto when = DateOfDigits(std::string(stamp.substr(0, 8)) + std::string(stamp.substr(9)));
  if (!when) return std::nullopt;
  ConflictCopyStamp out{*when, 1};
  if (rest.empty()) return out;
  // "-2", "-3"...: a later copy within the same second.
  if (rest.size() < 2 || rest[0] != '-' || !DateOfDigits(rest.substr(1))) return std::nullopt;
  out.serial = ParseInteger(rest.substr(1)).value_or(1);
  return out;
}

std::string DailyBackupName(std::string_view fileName, const SettingDate& day) {
  return std::string(fileName) + "." + DayDigits(day) + ".bak";
}

std::optional<SettingDate> ParseDailyBackupName(std::string_view name, std::string_view fileName,
                                                const CodePage& cp) {
  constexpr size_t kDigits = 8;
  const size_t tail = 1 + kDigits + 4;  // ".20240501.bak"
  if (name.size() != fileName.size() + tail) return std::nullopt;
  if (UpperAnsi(name.substr(0, fileName.size()), cp) != UpperAnsi(fileName, cp)) {
    return std::nullopt;
  }
  const std::string_view rest = name.substr(fileName.size());
  if (rest[0] != '.' || UpperAnsi(rest.substr(1 + kDigits), cp) != ".BAK") return std::nullopt;
  return DateOfDigits(rest.substr(1, kDigits));
}

bool IsDailyBackupName(std::string_view name, std::string_view fileName, const CodePage& cp) {
  return ParseDailyBackupName(name, fileName, cp).has_value();
}

std::string MergedFolderName(std::string_view stem) { return std::string(stem) + ".merged"; }

std::string LockFileOf(std::string_view path) { return std::string(path) + ".lock"; }

std::string MergedCopyMarker(std::string_view copyName, const SettingDate& written) {
  return "----- " + std::string(copyName) + " " + FormatDate(written) + " -----";
}

}  // namespace pinote
