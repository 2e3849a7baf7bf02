#include "forms/disk_notice_texts.h"

#include <vector>

#include "common/ascii.h"
#include "common/sync_copies.h"
#include "common/texts.h"

namespace pinote {
namespace {

// The name after the last separator. The text is UTF-8, where no byte of a multibyte character
// is below 0x80, so a byte search cannot cut one.
std::string_view NameOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool IsSettingsCopy(std::string_view path) {
  const std::string_view name = NameOf(path);
  return name.size() >= 4 && AsciiLower(name.substr(name.size() - 4)) == ".ini";
}

std::string CountText(int n, bool settings, bool japanese) {
  if (n == 1) return Pick(settings ? ui::kOneSetting : ui::kOnePerson, japanese);
  return FillText(Pick(settings ? ui::kSettings : ui::kPeople, japanese), {std::to_string(n)});
}

}  // namespace

std::string DiskNoticeText(const DiskNotices& notices, bool japanese, const ToUtf8Fn& toUtf8) {
  std::vector<std::string> parts;
  for (const std::string& path : notices.conflictCopies) {
    parts.push_back(FillText(Pick(ui::kConflictCopyNotice, japanese), {toUtf8(path)}));
  }
  for (const MergedCopy& c : notices.mergedCopies) {
    const std::string path = toUtf8(c.path);
    const std::string count = CountText(c.merged, IsSettingsCopy(path), japanese);
    const bool moved = !c.movedTo.empty();
    parts.push_back(FillText(Pick(moved ? ui::kCopyMergedAndMoved : ui::kCopyMergedNotMoved,
                                  japanese),
                             {count, NameOf(path), c.tool,
                              toUtf8(moved ? c.movedTo : c.moveError)}));
  }
  for (const CopyLeftAlone& c : notices.copiesLeftAlone) {
    const std::string path = toUtf8(c.path);
    parts.push_back(c.reason == CopyLeftReason::kNotOwnKind
                        ? FillText(Pick(ui::kCopyNotMemoFile, japanese), {NameOf(path), c.tool})
                        : FillText(Pick(ui::kCopyUnreadable, japanese),
                                   {NameOf(path), c.tool, toUtf8(c.message)}));
  }
  std::string text;
  for (const std::string& p : parts) text += (text.empty() ? "" : "\r\n\r\n") + p;
  return text;
}

std::string SaveTroubleText(SaveTrouble trouble, std::string_view path, std::string_view message,
                            bool japanese) {
  if (trouble == SaveTrouble::kBusy) return FillText(Pick(ui::kSaveBusy, japanese), {path});
  return FillText(Pick(ui::kSaveFailed, japanese), {path, message});
}

std::string NotSavedAtEndText(std::string_view path, std::string_view message, bool japanese) {
  return FillText(Pick(ui::kNotSavedAtEnd, japanese), {path, message});
}

std::string SaveTroubleNote(SaveTrouble trouble, bool japanese) {
  return Pick(trouble == SaveTrouble::kBusy ? ui::kBusyNote : ui::kFailedNote, japanese);
}

std::string PossibleCopyQuestion(const PossibleCopy& copy, bool japanese,
                                 const ToUtf8Fn& toUtf8) {
  const std::string path = toUtf8(copy.path), ofPath = toUtf8(copy.of);
  const std::string_view of = NameOf(ofPath);
  const std::string_view stem = of.substr(0, of.rfind('.'));
  return FillText(Pick(ui::kPossibleCopyQuestion, japanese),
                  {NameOf(path), copy.tool, of, MergedFolderName(stem)});
}

}  // namespace pinote
