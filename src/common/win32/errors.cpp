#include "common/win32/errors.h"

#include "common/file_io.h"
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
    } catch (const FileError& e) {
      text = Widen(e.path()) + L"\r\n\r\n" + Widen(e.systemMessage());
    } catch (const std::exception& e) {
      text = Widen(e.what());
    } catch (...) {
      // Not ours to name: the text above says so.
    }
    if (g_reporter) return g_reporter(text);
  } catch (...) {
    // Out of memory, or a failing test hook: the box below still tells that something failed.
  }
  ::MessageBoxW(owner, text.c_str(), L"Quillet for Becky!2", MB_OK | MB_ICONERROR);
}

void SetErrorReporterForTesting(std::function<void(const std::wstring&)> reporter) {
  g_reporter = std::move(reporter);
}

}  // namespace pinote
