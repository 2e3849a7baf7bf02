#include "common/win32/clipboard.h"

#include <cstring>

namespace pinote {

void PutOnClipboard(HWND owner, const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  void* p = mem != nullptr ? ::GlobalLock(mem) : nullptr;
  bool taken = false;
  if (p != nullptr && ::OpenClipboard(owner)) {
    std::memcpy(p, text.c_str(), bytes);
    ::GlobalUnlock(mem);
    ::EmptyClipboard();
    taken = ::SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    ::CloseClipboard();
  }
  if (!taken && mem != nullptr) ::GlobalFree(mem);  // ours unless the clipboard took it
}

std::string ReadClipboardAnsi() {
  bool open = false;
  for (int attempt = 0; attempt < 5 && !(open = ::OpenClipboard(nullptr)); ++attempt) ::Sleep(20);
  if (!open) return {};
  std::string result;
  HANDLE data = ::GetClipboardData(CF_TEXT);
  if (const auto* text = data ? static_cast<const char*>(::GlobalLock(data)) : nullptr) {
    // The block may lack its terminating zero; never read past its size.
    result.assign(text, strnlen(text, ::GlobalSize(data)));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return result;
}

}  // namespace pinote
