#include "common/win32/message_box.h"

#include "common/file_io.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

std::function<void(const std::wstring&, const std::wstring&)> g_hook;

int Show(HWND owner, const UiText& caption, const std::wstring& text, UINT style) noexcept {
  try {
    const std::wstring title = Tr(caption);
    if (g_hook) {
      g_hook(title, text);
      return IDNO;
    }
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), style);
  } catch (...) {
    return 0;  // out of memory for the caption, or a failing test hook
  }
}

}  // namespace

void Tell(HWND owner, const UiText& caption, const std::wstring& text, UINT icon) noexcept {
  Show(owner, caption, text, MB_OK | icon);
}

bool Ask(HWND owner, const UiText& caption, const std::wstring& text, UINT style) noexcept {
  return Show(owner, caption, text, MB_YESNO | style) == IDYES;
}

void SetMessageBoxHookForTesting(
    std::function<void(const std::wstring&, const std::wstring&)> hook) {
  g_hook = std::move(hook);
}

void ReportCurrentError(HWND owner) noexcept {
  std::wstring text = L"Quillet for Becky!2: unknown error";
  try {
    try {
      throw;
    } catch (const FileBusyError& e) {
      text = Tr(ui::kFileBusy, {AnsiToUtf8(e.path())});
    } catch (const FileError& e) {
      text = Widen(e.path()) + L"\r\n\r\n" + Widen(e.systemMessage());
    } catch (const std::exception& e) {
      text = Widen(e.what());
    } catch (...) {
      // Not ours to name: the text above says so.
    }
  } catch (...) {
    // Out of memory: the box below still tells that something failed.
  }
  Tell(owner, ui::kPluginNameTitle, text, MB_ICONERROR);
}

}  // namespace pinote
