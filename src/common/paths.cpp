#include "common/paths.h"

#include <vector>

#include "common/mbtext.h"

namespace pinote {

namespace {

// Byte offset just past the last character equal to one of `marks`, or 0 when there is none.
// Walks by character so that a second byte such as the one of "表" (95 5C) never counts.
size_t EndOfLastMark(std::string_view t, std::string_view marks) {
  size_t end = 0;
  for (size_t i = 0; i < t.size();) {
    const bool lead = IsLeadByte(static_cast<unsigned char>(t[i])) && i + 1 < t.size();
    if (!lead && marks.find(t[i]) != std::string_view::npos) end = i + 1;
    i += lead ? 2 : 1;
  }
  return end;
}

// All but the last three characters (nothing when fewer), then `tail`.
std::string ReplaceLastThree(std::string_view path, std::string_view tail) {
  const int keep = MbLength(path) - 3;
  std::string out = keep > 0 ? MbCopy(path, 1, keep) : std::string();
  out += tail;
  return out;
}

}  // namespace

std::string ResolveLongPath(std::string_view path, const DirLookup& lookup) {
  const int first = MbPos("\\", path);
  if (first == 0) return std::string();
  std::string result = MbCopy(path, 1, first);  // the drive root exactly as given
  std::string rest = MbCopy(path, first + 1, kMbRest);
  for (int p = MbPos("\\", rest); p > 0; p = MbPos("\\", rest)) {
    const std::string component = MbCopy(rest, 1, p - 1);
    const auto entry = lookup(result + component, false);
    if (!entry) return result;
    result += entry->name;
    result += '\\';
    rest = MbCopy(rest, p + 1, kMbRest);
  }
  if (rest.empty()) return result;
  if (const auto entry = lookup(result + rest, true)) {
    result += entry->name;
    if (entry->isFolder) result += '\\';
  }
  return result;
}

std::string FolderOf(std::string_view path) {
  return std::string(path.substr(0, EndOfLastMark(path, "\\/:")));
}

std::string FileNameOf(std::string_view path) {
  return std::string(path.substr(EndOfLastMark(path, "\\/:")));
}

std::string ExtensionOf(std::string_view path) {
  const size_t end = EndOfLastMark(path, ".\\/:");
  if (end == 0 || path[end - 1] != '.') return std::string();
  return std::string(path.substr(end - 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const size_t end = EndOfLastMark(path, ".\\/:");
  std::string out(path);
  if (end > 0 && path[end - 1] == '.') out.resize(end - 1);
  out += ext;
  return out;
}

std::string DataPathFor(std::string_view pluginFileName) {
  return ChangeFileExt(pluginFileName, ".dat");
}

std::string LegacyDataPathFor(std::string_view pluginFileName) {
  return ChangeFileExt(pluginFileName, "dat");
}

std::string DataPathFromSettingsPath(std::string_view settingsPath) {
  return ReplaceLastThree(settingsPath, "dat");
}

HelpChoice ChooseHelpFile(std::string_view pluginFolder, bool japanese,
                          const std::function<bool(const std::string&)>& exists) {
  HelpChoice c;
  const std::string folder(pluginFolder);
  c.japanesePath = folder + "Pinote.hlp";
  c.englishPath = folder + "PinoteE.hlp";
  c.japaneseHtmlPath = folder + "Pinote.html";
  c.englishHtmlPath = folder + "PinoteE.html";
  const std::vector<const std::string*> order =
      japanese ? std::vector<const std::string*>{&c.japanesePath, &c.japaneseHtmlPath,
                                                  &c.englishHtmlPath}
               : std::vector<const std::string*>{&c.englishPath, &c.japanesePath,
                                                  &c.englishHtmlPath, &c.japaneseHtmlPath};
  for (const std::string* candidate : order) {
    if (exists(*candidate)) {
      c.fileToOpen = *candidate;
      break;
    }
  }
  return c;
}

HelpMessageParts MissingHelpMessage(const HelpChoice& choice, bool japanese) {
  static constexpr char kMissing[] = " がありません";
  static constexpr char kNor[] = "\r\nnor\r\n";
  HelpMessageParts m;
  if (japanese) {
    m.path1 = choice.japanesePath;
    m.middleUtf8 = std::string(kMissing) + "\r\n";
    m.path2 = choice.japaneseHtmlPath;
    m.afterUtf8 = kMissing;
    m.captionUtf8 = "エラー";
  } else {
    m.path1 = choice.englishPath;
    m.middleUtf8 = kNor;
    m.path2 = choice.japanesePath + kNor + choice.englishHtmlPath;
    m.afterUtf8 = "\r\nis not found.";
    m.captionUtf8 = "Error";
  }
  return m;
}

}  // namespace pinote
