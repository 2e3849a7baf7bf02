// The Win32 side of the common services: language, the library's own location, the settings
// store, text conversion at the UI boundary and the report of errors that must not reach the
// host.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "common/settings.h"

namespace pinote {

// From the host's command line and the system's default language name (see language.h).
[[nodiscard]] bool IsJapanese();
// Fixed at library load; ANSI bytes for the information record.
[[nodiscard]] const std::string& PluginDescription();
void SetPluginDescription(std::string ansi);

// The library's full path with names as stored on disk ("" when not found); resolved once.
[[nodiscard]] const std::string& PluginFileName();
[[nodiscard]] const std::string& PluginFolder();  // ends with "\"
[[nodiscard]] const std::string& HostExePath();
[[nodiscard]] const std::string& HostFolder();  // ends with "\"
void ClearPathCaches();
// Test hook: fixes PluginFileName (and so the settings and data paths) to `path`.
void SetPluginFileNameForTesting(std::string path);

// The library-wide settings store (created at load, freed at unload).
[[nodiscard]] SettingsStore& Settings();
void CreateSettingsStore();
// Writes the settings file; nothing when the library's own path is unknown, since the file's
// name derives from it and a bare relative name would land wherever the host's folder is.
void SaveSettingsFile();
void DestroySettingsStore();

// ANSI (system code page) <-> UTF-16 and UTF-8 -> UTF-16.
[[nodiscard]] std::wstring Widen(std::string_view ansi);
[[nodiscard]] std::string Narrow(std::wstring_view wide);
[[nodiscard]] std::wstring Utf8(std::string_view utf8);
// UTF-8 text -> ANSI bytes (for texts the host or the data files receive).
[[nodiscard]] std::string Utf8ToAnsi(std::string_view utf8);
// Picks the Japanese or English UTF-8 text by IsJapanese() and widens it.
[[nodiscard]] std::wstring Tr(const char* japaneseUtf8, const char* englishUtf8);

// Message box with the error's text (for a FileError: the path and the system's message).
void ReportError(HWND owner, const std::exception& e) noexcept;
void ReportUnknownError(HWND owner) noexcept;
// Test hook: receives the text of every report instead of a message box (empty: boxes again).
void SetErrorReporterForTesting(std::function<void(const std::wstring&)> reporter);

// Runs `f`, reporting any exception instead of letting it reach the host.
template <class F>
void Guarded(HWND owner, F&& f) noexcept {
  try {
    f();
  } catch (const std::exception& e) {
    ReportError(owner, e);
  } catch (...) {
    ReportUnknownError(owner);
  }
}

}  // namespace pinote
