// Fonts per language and window placement, kept in the settings store under a caller's section.
#pragma once

#include <windows.h>

#include <string>

namespace pinote {

// A font as the forms use it: LOGFONTW plus the colour (red low byte; top bit = system colour).
struct FontSpec {
  LOGFONTW log{};       // lfHeight is negative pixels derived from `points` at 96 dpi
  int points = 9;
  DWORD color = 0x80000008;
};

// The default font of the current language: "ＭＳ Ｐゴシック"/128 or "Arial"/0, 9 points.
[[nodiscard]] FontSpec DefaultFont();
// Section + "\Font\Japanese" or "\Font\English", by IsJapanese().
[[nodiscard]] std::string FontSection(const std::string& section);
// Writes Name, Charset, Size, Color, Pitch, Bold, Italic, Underline, Strikeout (memory only).
void SaveFont(const std::string& section, const FontSpec& font);
// The stored font, starting from `font`; the language's default when no name is stored.
void LoadFont(const std::string& section, FontSpec& font);
// Colour value (possibly a system colour) as a COLORREF.
[[nodiscard]] COLORREF ResolveColor(DWORD color);

// Left, Top (work-area coordinates), Width/Height when `resizable`, State (memory only).
void SaveFormPlacement(HWND form, const std::string& section, bool resizable);
// Moves/sizes the window from the stored keys, keeps it on the primary screen, sets its state.
// A hidden window keeps the state for TakePendingShowCommand instead.
void LoadFormPlacement(HWND form, const std::string& section, bool resizable);
// The ShowWindow command that the last LoadFormPlacement left for a hidden `form`
// (SW_SHOWNORMAL, SW_SHOWMAXIMIZED or SW_SHOWMINNOACTIVE), once; 0 when none is pending.
[[nodiscard]] int TakePendingShowCommand(HWND form);

}  // namespace pinote
