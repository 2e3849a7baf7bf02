// Opening what a memo line names: at once when it is surely no program, else only after the user
// said yes to a question that names it.
#include "forms/win32/dialogs.h"

#include <shellapi.h>

#include <optional>
#include <string_view>

#include "common/file_io.h"
#include "common/texts.h"
#include "common/win32/message_box.h"
#include "common/win32/text.h"
#include "forms/memo_link.h"

namespace pinote {
namespace {

// A shortcut or a desktop.ini is a few hundred bytes; anything far larger is no such file.
constexpr uint64_t kLargestSmallFile = 64 * 1024;

// A look at a drive without a disk (a card reader, an empty DVD drive) fails quietly instead of
// asking the user to insert one.
class NoDiskPrompts {
 public:
  NoDiskPrompts() : old_(::SetErrorMode(SEM_FAILCRITICALERRORS)) {
    ::SetErrorMode(old_ | SEM_FAILCRITICALERRORS);
  }
  NoDiskPrompts(const NoDiskPrompts&) = delete;
  NoDiskPrompts& operator=(const NoDiskPrompts&) = delete;
  ~NoDiskPrompts() { ::SetErrorMode(old_); }

 private:
  UINT old_;
};

// This computer as the memo-link judge sees it: its current folders, its drives, the file system
// of its local disks (no dialog for a drive without a disk) and its environment.
class SystemLinkSurroundings final : public LinkSurroundings {
 public:
  std::optional<std::string> FullPath(const std::string& path) override {
    // Made from the process's current folders alone: nothing is looked at on any disk.
    const DWORD n = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::nullopt;
    std::string full(n, '\0');
    const DWORD got = ::GetFullPathNameA(path.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return std::nullopt;
    full.resize(got);
    return full;
  }

  bool DriveIsLocal(char letter) override {
    const char root[] = {letter, ':', '\\', '\0'};
    switch (::GetDriveTypeA(root)) {
      case DRIVE_FIXED:
      case DRIVE_REMOVABLE:
      case DRIVE_CDROM:
      case DRIVE_RAMDISK: return true;
      default: return false;  // a network drive, or none at all
    }
  }

  Kind KindAt(const std::string& path) override {
    const NoDiskPrompts quiet;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = ::GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::kNothing
                                                                            : Kind::kUnknown;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::kFolder : Kind::kFile;
  }

  std::optional<std::string> ReadSmallFile(const std::string& path) override {
    const NoDiskPrompts quiet;
    try {
      FileSystem& fs = SystemFileSystem();
      const FileStamp stamp = fs.Stat(path);
      if (!stamp.exists || stamp.size > kLargestSmallFile) return std::nullopt;
      return fs.ReadAll(path);
    } catch (const FileError&) {
      return std::nullopt;
    }
  }

  std::optional<std::string> Variable(std::string_view name) override {
    const std::string key(name);
    const DWORD n = ::GetEnvironmentVariableA(key.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::string value(n, '\0');
    const DWORD got = ::GetEnvironmentVariableA(key.c_str(), value.data(), n);
    if (got >= n) return std::nullopt;  // changed in between
    value.resize(got);
    return value;
  }
};

// Asks whether to open a link that may start a program, naming it; No is the default.
bool ConfirmMemoLink(HWND owner, const MemoLink& link) {
  const std::string named = link.parameters.empty() ? link.target
                                                    : link.target + " " + link.parameters;
  const std::wstring text = Tr(ui::kOpenLinkQuestion) + L"\r\n\r\n" + Widen(named);
  return Ask(owner, ui::kOpenLinkTitle, text, MB_ICONWARNING | MB_DEFBUTTON2);
}

}  // namespace

void OpenLinkOfLine(HWND owner, const std::string& line) {
  const std::optional<MemoLink> link = ParseMemoLink(line);
  if (!link) return;
  SystemLinkSurroundings surroundings;
  const LinkVerdict verdict = JudgeMemoLink(*link, SystemCodePage(), surroundings);
  if (verdict.risk != LinkRisk::kNone && !ConfirmMemoLink(owner, verdict.open)) return;
  const MemoLink& open = verdict.open;
  ::ShellExecuteA(owner, "open", open.target.c_str(),
                  open.parameters.empty() ? nullptr : open.parameters.c_str(), nullptr, SW_SHOW);
}

}  // namespace pinote
