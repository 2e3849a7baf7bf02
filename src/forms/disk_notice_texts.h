// What the memo window tells the user of the memo file on disk: conflict copies written,
// sync-tool copies merged or left alone, and a save that could not be done yet. The texts come
// from the bilingual table; the paths and system messages put in are UTF-8 like it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/shared_file.h"

namespace pinote {

// One text for everything in `notices` that the user is told of, a paragraph each, separated by
// an empty line: conflict copies, sync-tool copies merged (a settings copy, named *.ini, counts
// settings, a memo copy people), copies left alone. "" when there is nothing to tell: a reload
// alone is shown in the window, not told, and possible copies are asked about one by one.
// The paths and messages in `notices` are put in through `toUtf8` (the system's code page to the
// table's UTF-8).
using ToUtf8Fn = std::function<std::string(const std::string&)>;
[[nodiscard]] std::string DiskNoticeText(const DiskNotices& notices, bool japanese,
                                         const ToUtf8Fn& toUtf8);

enum class SaveTrouble {
  kBusy,    // another writer held the lock through the wait
  kFailed,  // the file could not be read or written
};

// The box at the first failed save of a run of them: the file, the system's message (only for
// kFailed) and that the edit is kept for the next save.
[[nodiscard]] std::string SaveTroubleText(SaveTrouble trouble, std::string_view path,
                                          std::string_view message, bool japanese);
// The box when the last try to save, as the memo window goes, fails too: the edits are lost.
[[nodiscard]] std::string NotSavedAtEndText(std::string_view path, std::string_view message,
                                            bool japanese);
// The one-line note the window shows until a save succeeds again.
[[nodiscard]] std::string SaveTroubleNote(SaveTrouble trouble, bool japanese);
// The question about a file that may be a sync tool's copy, default No; its paths put in
// through `toUtf8`.
[[nodiscard]] std::string PossibleCopyQuestion(const PossibleCopy& copy, bool japanese,
                                               const ToUtf8Fn& toUtf8);

}  // namespace pinote
