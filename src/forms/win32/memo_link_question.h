// Opening what a memo line names: at once when it is surely no program, else only after the user
// said yes to a question that names it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "forms/memo_link.h"

namespace pinote {

// This computer as the memo-link judge sees it: its current folders, its drives, the file system
// of its local disks (no dialog for a drive without a disk) and its environment.
class SystemLinkSurroundings final : public LinkSurroundings {
 public:
  [[nodiscard]] std::optional<std::string> FullPath(const std::string& path) override;
  [[nodiscard]] bool DriveIsLocal(char letter) override;
  [[nodiscard]] Kind KindAt(const std::string& path) override;
  [[nodiscard]] std::optional<std::string> ReadSmallFile(const std::string& path) override;
  [[nodiscard]] std::optional<std::string> Variable(std::string_view name) override;
};

// Opens `link` from a memo line through the shell's "open" verb, parented to `owner`: the target
// as Windows reads it, at once when the judge finds no risk, else after the Yes/No question that
// names it (No the default). The shell's answer is not shown.
void OpenMemoLink(HWND owner, const MemoLink& link);

}  // namespace pinote
