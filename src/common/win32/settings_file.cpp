#include "common/win32/settings_file.h"

#include <algorithm>
#include <cwchar>
#include <memory>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/texts.h"
#include "common/win32/module_paths.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

std::unique_ptr<SettingsStore> g_settings;

constexpr wchar_t kPendingStateProp[] = L"PinotePendingShowState";

// Stored pitches are 0 default, 1 variable, 2 fixed; LOGFONT has variable 2 and fixed 1.
constexpr BYTE kPitches[] = {DEFAULT_PITCH, VARIABLE_PITCH, FIXED_PITCH};

RECT WindowRect(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  return r;
}

void MoveTo(HWND wnd, int left, int top) {
  ::SetWindowPos(wnd, nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The ShowWindow command of each state, in WindowState's order (Normal, Minimized, Maximized).
constexpr int kShowCommands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};

WindowState ShownState(HWND wnd) {
  return ::IsIconic(wnd)   ? WindowState::Minimized
         : ::IsZoomed(wnd) ? WindowState::Maximized
                            : WindowState::Normal;
}

void ApplyState(HWND wnd, WindowState state) {
  const int command = kShowCommands[static_cast<int>(state)];
  if (!::IsWindowVisible(wnd)) {
    ::SetPropW(wnd, kPendingStateProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(command)));
  } else if (ShownState(wnd) != state) {
    ::ShowWindow(wnd, command == SW_SHOWNORMAL ? SW_RESTORE : command);
  }
}

// The state a window is in, or, while it waits for its first showing, the state it will take:
// a window never shown keeps the stored state instead of writing "Normal" over it.
WindowState CurrentState(HWND wnd) {
  const auto pending = reinterpret_cast<INT_PTR>(::GetPropW(wnd, kPendingStateProp));
  for (int state = 0; state < 3; ++state) {
    if (pending == kShowCommands[state]) return static_cast<WindowState>(state);
  }
  return ShownState(wnd);
}

}  // namespace

SettingsStore& Settings() {
  if (!g_settings) CreateSettingsStore();
  return *g_settings;
}

void CreateSettingsStore() {
  g_settings = std::make_unique<SettingsStore>(
      SystemFileSystem(), [] { return PluginFileName(); }, SystemCodePage(), PcRecordFolder());
}

void DestroySettingsStore() { g_settings.reset(); }

void SaveSettingsFile() {
  SettingsStore& store = Settings();
  store.Load();  // fixes the file's name from the plug-in's path
  const std::string& folder = PluginFolder();
  if (folder.empty() || FolderOf(store.FileName(), SystemCodePage()) != folder) return;
  // Its callers report what is thrown (Guarded), in the words for a file another writer holds.
  const DiskOutcome out = store.Save();
  if (out.status == DiskOutcome::Status::kBusy) throw FileBusyError(out.path, out.message);
  if (out.status == DiskOutcome::Status::kFailed) throw FileError(out.path, out.message);
}

Options CurrentOptions() {
  return ReadOptions(Settings(), IsJapanese(), LanguageDefaultFont());
}

StoredFont LanguageDefaultFont() {
  const bool japanese = IsJapanese();
  StoredFont font = DefaultFont(japanese);
  font.name = NarrowExactly(Utf8(Pick(ui::kDefaultFontFace, japanese))).value_or("");
  return font;
}

StoredFont LoadFont(std::string_view section) {
  return ReadFont(Settings(), section, IsJapanese(), LanguageDefaultFont());
}

int ScreenPixelsPerInch() {
  WindowDc screen(nullptr);
  const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;  // the usual, where the screen does not tell
}

LOGFONTW ToLogFont(const StoredFont& font, int pixelsPerInch) {
  LOGFONTW log{};
  const std::wstring face =
      font.name.empty() ? Utf8(Pick(ui::kDefaultFontFace, IsJapanese())) : Widen(font.name);
  // LF_FACESIZE counts the terminating zero; a longer stored name is cut, not overrun.
  std::wmemcpy(log.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
  log.lfHeight = -::MulDiv(font.size, pixelsPerInch, 72);
  log.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  log.lfItalic = font.italic;
  log.lfUnderline = font.underline;
  log.lfStrikeOut = font.strikeout;
  log.lfCharSet = static_cast<BYTE>(font.charset);
  log.lfPitchAndFamily = kPitches[std::clamp(font.pitch, 0, 2)];
  return log;
}

StoredFont FromLogFont(const LOGFONTW& log, int points, COLORREF color) {
  StoredFont font;
  font.name = Narrow(log.lfFaceName);
  font.charset = log.lfCharSet;
  font.size = points;
  font.color = color;
  const BYTE pitch = log.lfPitchAndFamily & 0x3;
  font.pitch = pitch == VARIABLE_PITCH ? 1 : pitch == FIXED_PITCH ? 2 : 0;
  font.bold = log.lfWeight >= FW_BOLD;
  font.italic = log.lfItalic != 0;
  font.underline = log.lfUnderline != 0;
  font.strikeout = log.lfStrikeOut != 0;
  return font;
}

UniqueFont CreateStoredFont(const StoredFont& font) {
  const LOGFONTW log = ToLogFont(font);
  return UniqueFont(::CreateFontIndirectW(&log));
}

COLORREF ResolveColor(uint32_t color) {
  if ((color & 0x80000000u) != 0) return ::GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0x00FFFFFF;
}

void SaveWindowPlacement(HWND wnd, std::string_view section, bool resizable) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  if (!::GetWindowPlacement(wnd, &wp)) return;
  const RECT& r = wp.rcNormalPosition;
  const WindowState state = CurrentState(wnd);
  WritePlacement(Settings(), section, {r.left, r.top, r.right - r.left, r.bottom - r.top, state},
                 resizable);
}

void LoadWindowPlacement(HWND wnd, std::string_view section, bool resizable) {
  RECT r = WindowRect(wnd);
  const StoredPlacement p = ReadPlacement(
      Settings(), section, {r.left, r.top, r.right - r.left, r.bottom - r.top}, resizable);
  int left = p.left, top = p.top;
  MoveTo(wnd, left, top);
  // The stored numbers are work-area coordinates: shift by the work area's offset, which the
  // difference between the screen position and the normal rectangle reveals.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  if (::GetWindowPlacement(wnd, &wp)) {
    left += p.left - wp.rcNormalPosition.left;
    top += p.top - wp.rcNormalPosition.top;
  }
  if (resizable) {
    ::SetWindowPos(wnd, nullptr, 0, 0, p.width, p.height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  }
  r = WindowRect(wnd);  // the system may have enforced a minimum size
  MoveTo(wnd, KeepOnScreen(left, r.right - r.left, ::GetSystemMetrics(SM_CXSCREEN)),
         KeepOnScreen(top, r.bottom - r.top, ::GetSystemMetrics(SM_CYSCREEN)));
  ApplyState(wnd, p.state);
}

int TakePendingShowCommand(HWND wnd) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(::RemovePropW(wnd, kPendingStateProp)));
}

void ShowWithStoredState(HWND wnd, int command) {
  const int pending = TakePendingShowCommand(wnd);
  ::ShowWindow(wnd, command);
  // Maximized or minimized only now that the window is mapped: Wine's X11 driver fails when a
  // window maximized before it was ever mapped is hidden again.
  if (pending == SW_SHOWMAXIMIZED || pending == SW_SHOWMINNOACTIVE) ::ShowWindow(wnd, pending);
}

}  // namespace pinote
