// The library-wide settings store, kept in Pinote.ini beside the plug-in (created at load, freed
// at unload), the options read from it in the current language, and its fonts and window
// placements (options.h declares their keys) applied to windows: stored fonts as GDI fonts,
// placements moved onto the primary screen.
#pragma once

#include <windows.h>

#include <string_view>

#include "common/options.h"
#include "common/settings.h"
#include "common/win32/handles.h"

namespace pinote {

[[nodiscard]] SettingsStore& Settings();
void CreateSettingsStore();
void DestroySettingsStore();
// Writes the settings file beside the plug-in. Every save goes through here: while the plug-in's
// own path is unknown nothing is written, since a name formed from no path would land in
// whatever folder is current. Throws FileBusyError while another writer holds the file's lock,
// FileError when it cannot be written.
void SaveSettingsFile();
// ReadOptions of the settings store in the current language.
[[nodiscard]] Options CurrentOptions();

// The current language's default font, its face spelled in the system's code page (name "" where
// the code page cannot spell it: /JAPANESE on a Western system).
[[nodiscard]] StoredFont LanguageDefaultFont();
// The stored font of `section` in the current language (LanguageDefaultFont when none is stored).
[[nodiscard]] StoredFont LoadFont(std::string_view section);
// The screen's pixels per logical inch (LOGPIXELSY), by which the font chooser too turns points
// into pixels.
[[nodiscard]] int ScreenPixelsPerInch();
// As a LOGFONT, its point size turned into pixels at `pixelsPerInch` (the screen's unless given);
// an empty name takes the language's default face.
[[nodiscard]] LOGFONTW ToLogFont(const StoredFont& font, int pixelsPerInch = ScreenPixelsPerInch());
// A font chosen in the system's font chooser (size in points, colour as a COLORREF).
[[nodiscard]] StoredFont FromLogFont(const LOGFONTW& log, int points, COLORREF color);
[[nodiscard]] UniqueFont CreateStoredFont(const StoredFont& font);
// A stored colour (top bit: system colour number) as a COLORREF.
[[nodiscard]] COLORREF ResolveColor(uint32_t color);

// Writes the window's normal rectangle (work-area coordinates) and state under `section`
// (memory only); nothing when the system cannot tell the placement.
void SaveWindowPlacement(HWND wnd, std::string_view section, bool resizable);
// Moves (and sizes) the window from the stored keys, shifted by the work area's offset and kept
// on the primary screen, and sets the stored state. A hidden window keeps the state for its
// first showing (TakePendingShowCommand): maximizing a window that was never mapped trips
// Wine's X11 driver when it is hidden again, and would flash it on Windows.
void LoadWindowPlacement(HWND wnd, std::string_view section, bool resizable);
// The ShowWindow command that the last LoadWindowPlacement left for a hidden `wnd`
// (SW_SHOWNORMAL, SW_SHOWMAXIMIZED or SW_SHOWMINNOACTIVE), once; 0 when none is pending.
[[nodiscard]] int TakePendingShowCommand(HWND wnd);
// Shows `wnd` with `command`; at its first showing it then takes the state LoadWindowPlacement
// left (maximized or minimized), once the window is mapped. Later calls just show it.
void ShowWithStoredState(HWND wnd, int command);

}  // namespace pinote
