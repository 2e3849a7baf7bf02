#include "common/win32/settings_file.h"

#include <memory>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/win32/module_paths.h"
#include "common/win32/placement.h"
#include "common/win32/text.h"

namespace pinote {
namespace {

std::unique_ptr<SettingsStore> g_settings;

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

}  // namespace pinote
