#include "common/win32/pc_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "common/win32/text.h"

namespace pinote {

std::string PcRecordFolder() {
  // The environment's LOCALAPPDATA first (set in every user session), so that a process started
  // with another one keeps its records there; the shell's folder otherwise.
  std::wstring folder;
  wchar_t buffer[MAX_PATH];
  const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    folder.assign(buffer, n);
  } else if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr,
                                          SHGFP_TYPE_CURRENT, buffer))) {
    folder = buffer;
  }
  if (folder.empty()) return {};
  if (folder.back() != L'\\') folder += L'\\';
  const std::optional<std::string> ansi = NarrowExactly(folder + L"Quillet\\");
  return ansi ? *ansi : std::string();
}

}  // namespace pinote
