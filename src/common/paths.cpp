#include "common/paths.h"

#include <vector>

#include "common/mbtext.h"
#include "common/texts.h"

namespace pinote {

namespace {

// Where a folder part ends: Windows separators, the POSIX one (tests, the file seam on Linux)
// and a drive's colon.
constexpr std::string_view kPathSeparators = "\\/:";

// All but the last three characters (nothing when fewer), then `tail`.
std::string ReplaceLastThree(std::string_view path, std::string_view tail, const CodePage& cp) {
  const int keep = MbLength(path, cp) - 3;
  std::string out = keep > 0 ? MbCopy(path, 1, keep, cp) : std::string();
  out += tail;
  return out;
}

}  // namespace

std::string ResolveLongPath(std::string_view path, const DirLookup& lookup, const CodePage& cp) {
  const int first = MbPos("\\", path, cp);
  if (first == 0) return std::string();
  std::string result = MbCopy(path, 1, first, cp);  // the drive root exactly as given
  std::string rest = MbCopy(path, first + 1, kMbRest, cp);
  for (int p = MbPos("\\", rest, cp); p > 0; p = MbPos("\\", rest, cp)) {
    const std::string component = MbCopy(rest, 1, p - 1, cp);
    const auto entry = lookup(result + component, false);
    if (!entry) return result;
    result += entry->name;
    result += '\\';
    rest = MbCopy(rest, p + 1, kMbRest, cp);
  }
  if (rest.empty()) return result;
  if (const auto entry = lookup(result + rest, true)) {
    result += entry->name;
    if (entry->isFolder) result += '\\';
  }
  return result;
}

PathSplit SplitAtLastSeparator(std::string_view path, std::string_view separators,
                               const CodePage& cp) noexcept {
  size_t end = 0;
  for (size_t i = 0; i < path.size(); i += cp.CharSize(path, i)) {
    if (cp.CharSize(path, i) == 1 && separators.find(path[i]) != std::string_view::npos) {
      end = i + 1;
    }
  }
  return {path.substr(0, end), path.substr(end)};
}

std::string FolderOf(std::string_view path, const CodePage& cp) {
  return std::string(SplitAtLastSeparator(path, kPathSeparators, cp).folder);
}

std::string FileNameOf(std::string_view path, const CodePage& cp) {
  return std::string(SplitAtLastSeparator(path, kPathSeparators, cp).name);
}

std::string ExtensionOf(std::string_view path, const CodePage& cp) {
  const PathSplit dot =
      SplitAtLastSeparator(SplitAtLastSeparator(path, kPathSeparators, cp).name, ".", cp);
  if (dot.folder.empty()) return std::string();
  return "." + std::string(dot.name);
}

std::string StemOf(const std::string& name, const CodePage& cp) {
  return name.substr(0, name.size() - ExtensionOf(name, cp).size());
}

std::string ChangeFileExt(std::string_view path, std::string_view ext, const CodePage& cp) {
  const PathSplit split = SplitAtLastSeparator(path, kPathSeparators, cp);
  const PathSplit dot = SplitAtLastSeparator(split.name, ".", cp);
  std::string out(split.folder);
  out += dot.folder.empty() ? split.name : dot.folder.substr(0, dot.folder.size() - 1);
  out += ext;
  return out;
}

std::string DataPathFor(std::string_view pluginFileName, const CodePage& cp) {
  return ChangeFileExt(pluginFileName, ".dat", cp);
}

std::string LegacyDataPathFor(std::string_view pluginFileName, const CodePage& cp) {
  return ChangeFileExt(pluginFileName, "dat", cp);
}

std::string DataPathFromSettingsPath(std::string_view settingsPath, const CodePage& cp) {
  return ReplaceLastThree(settingsPath, "dat", cp);
}

HelpChoice ChooseHelpFile(std::string_view pluginFolder, bool japanese,
                          const std::function<bool(const std::string&)>& exists) {
  HelpChoice c;
  const std::string folder(pluginFolder);
  for (const char* name : japanese ? std::vector<const char*>{"Pinote.hlp", "Pinote.html",
                                                              "PinoteE.html"}
                                   : std::vector<const char*>{"PinoteE.hlp", "Pinote.hlp",
                                                              "PinoteE.html", "Pinote.html"}) {
    c.tried.push_back(folder + name);
    if (exists(c.tried.back())) {
      c.fileToOpen = c.tried.back();
      break;
    }
  }
  return c;
}

std::string MissingHelpText(const HelpChoice& choice, bool japanese,
                            const std::function<std::string(const std::string&)>& pathToUtf8) {
  std::string text;
  for (const std::string& path : choice.tried) {
    if (japanese) {
      text += (text.empty() ? "" : "\r\n") + pathToUtf8(path) + ui::kHelpMissingJapanese;
    } else {
      text += (text.empty() ? "" : ui::kHelpMissingNor) + pathToUtf8(path);
    }
  }
  if (!japanese) text += ui::kHelpMissingEnd;
  return text;
}

}  // namespace pinote
