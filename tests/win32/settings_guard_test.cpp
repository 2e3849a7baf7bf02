// Every settings save goes through the one guard: while the plug-in's own path is unknown
// nothing is written, neither Pinote.ini nor a file named after no path ("ini") in whatever
// folder is current.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/win32/controls.h"
#include "dialog_script.h"
#include "forms/win32/dialogs.h"
#include "forms/win32/memo_window.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data{};
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return names;
}

TEST(SettingsSaves, WriteNothingWhileThePluginsPathIsUnknown) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string current = std::string(temp) + "pinote-unknown-path";
  ::CreateDirectoryA(current.c_str(), nullptr);
  for (const std::string& name : FilesIn(current)) ::DeleteFileA((current + "\\" + name).c_str());
  char before[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryA(current.c_str()));
  DestroySettingsStore();
  SetPluginFileNameForTesting("");
  CreateSettingsStore();
  MemoStore store(SystemCodePage());
  struct Save {
    const char* name;
    std::function<void()> run;
  } saves[] = {
      {"options dialog OK",
       [] {
         RunScripted(IDC_OPTION_TABS, {[](HWND f) { Click(f, IDOK); }},
                     [] { return RunOptionsDialog(); });
       }},
      {"unify dialog's list width",
       [&] {
         RunScripted(IDC_ADDRESS_LIST,
                     {[](HWND f) {
                        ::SendMessageW(f, WM_COMMAND, MAKEWPARAM(IDC_LIST_SPLITTER, SPN_MOVED),
                                       reinterpret_cast<LPARAM>(Ctl(f, IDC_LIST_SPLITTER)));
                      },
                      [](HWND f) { Click(f, IDCANCEL); }},
                     [&] { return RunUnifyDialog(nullptr, store, ui::kLookButton).ok; });
       }},
      {"memo window closed and destroyed",
       [] {
         auto window = MemoWindow::Create();
         ::SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
       }},
      {"host exit", [] { SaveSettingsFile(); }},
  };
  for (const Save& save : saves) {
    SCOPED_TRACE(save.name);
    Settings().Write("Probe", "Key", SettingValue(std::string(save.name)));
    save.run();
    EXPECT_EQ(FilesIn(current), std::vector<std::string>{});
  }
  ::SetCurrentDirectoryA(before);
  DestroySettingsStore();
}

}  // namespace
}  // namespace pinote
