#include "common/win32/text.h"

#include <cstring>

#include "common/language.h"

namespace pinote {
namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
  return out;
}

std::string ToMultiByte(UINT codePage, std::wstring_view wide, DWORD flags, BOOL* lossy) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n =
      ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, lossy);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    ::WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), n, nullptr, lossy);
  }
  return out;
}

CodePage ReadSystemCodePage() {
  CPINFOEXW info{};
  if (!::GetCPInfoExW(CP_ACP, 0, &info)) return CodePage::Known(::GetACP());
  if (info.CodePage == CP_UTF8) return CodePage::Utf8();
  if (info.MaxCharSize != 2) return CodePage::SingleByte(info.CodePage);
  return CodePage::DoubleByteWhere(info.CodePage, [](unsigned char b) {
    return ::IsDBCSLeadByteEx(CP_ACP, b) != FALSE;
  });
}

}  // namespace

const CodePage& SystemCodePage() {
  static const CodePage page = ReadSystemCodePage();
  return page;
}

bool IsJapanese() {
  const char* commandLine = ::GetCommandLineA();
  // The language's name in Shift-JIS whatever the system's code page, as the rule compares it
  // (on a system whose code page is UTF-8 the ANSI name would never match).
  wchar_t name[128] = {};
  ::VerLanguageNameW(::GetSystemDefaultLangID(), name, 127);
  return IsJapaneseFor(commandLine != nullptr ? commandLine : "",
                       ToMultiByte(932, name, 0, nullptr), SystemCodePage());
}

std::wstring Widen(std::string_view ansi) { return ToWide(CP_ACP, ansi); }
std::wstring Utf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string Narrow(std::wstring_view wide) { return ToMultiByte(CP_ACP, wide, 0, nullptr); }
std::string Utf8ToAnsi(std::string_view utf8) { return Narrow(Utf8(utf8)); }
std::string ToUtf8(std::wstring_view wide) { return ToMultiByte(CP_UTF8, wide, 0, nullptr); }
std::string AnsiToUtf8(std::string_view ansi) { return ToUtf8(Widen(ansi)); }
std::wstring Tr(const UiText& text) { return Utf8(Pick(text, IsJapanese())); }
std::wstring Tr(const UiText& pattern, std::initializer_list<std::string_view> args) {
  return Utf8(FillText(Pick(pattern, IsJapanese()), args));
}

std::optional<std::string> NarrowExactly(std::wstring_view wide) {
  if (SystemCodePage().IsUtf8()) {
    // UTF-8 holds every character; the conversion takes no default-character arguments then,
    // and fails only on a lone surrogate.
    std::string utf8 = ToMultiByte(CP_UTF8, wide, WC_ERR_INVALID_CHARS, nullptr);
    return utf8.empty() && !wide.empty() ? std::nullopt : std::optional<std::string>(utf8);
  }
  BOOL lossy = FALSE;
  std::string ansi = ToMultiByte(CP_ACP, wide, WC_NO_BEST_FIT_CHARS, &lossy);
  return lossy ? std::nullopt : std::optional<std::string>(std::move(ansi));
}

std::wstring WindowText(HWND wnd) {
  const int n = wnd != nullptr ? ::GetWindowTextLengthW(wnd) : 0;
  if (n <= 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(wnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

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
