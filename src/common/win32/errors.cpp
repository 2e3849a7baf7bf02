#include "common/win32/errors.h"

#include "common/file_io.h"
#include "common/texts.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

std::function<void(const std::wstring&)> g_reporter;

}  // namespace

void ReportCurrentError(HWND owner) noexcept {
  std::wstring text = L"Quillet for Becky!2: unknown error";
  try {
    try {
      throw;
    } catch (const FileBusyError& e) {
      text = Utf8(FillText(Pick(ui::kFileBusy, IsJapanese()), {AnsiToUtf8(e.path())}));
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
  TellUser(owner, text, MB_ICONERROR);
}

void TellUser(HWND owner, const std::wstring& text, UINT icon) noexcept {
  try {
    if (g_reporter) return g_reporter(text);
  } catch (...) {
    // A failing test hook: the box below still tells.
  }
  ::MessageBoxW(owner, text.c_str(), L"Quillet for Becky!2", MB_OK | icon);
}

bool AskUser(HWND owner, const std::wstring& text) noexcept {
  try {
    if (g_reporter) {
      g_reporter(text);
      return false;
    }
  } catch (...) {
    return false;
  }
  return ::MessageBoxW(owner, text.c_str(), L"Quillet for Becky!2",
                       MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES;
}

void SetErrorReporterForTesting(std::function<void(const std::wstring&)> reporter) {
  g_reporter = std::move(reporter);
}

}  // namespace pinote
