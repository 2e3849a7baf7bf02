// The library-wide settings store, kept in Pinote.ini beside the plug-in (created at load, freed
// at unload), and the options read from it in the current language.
#pragma once

#include "common/options.h"
#include "common/settings.h"

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

}  // namespace pinote
