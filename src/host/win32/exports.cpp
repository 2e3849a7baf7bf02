// The library's entry points. Each forwards to the module that does the work and returns the
// fixed value the host expects; nothing thrown inside may reach the host. The export table
// (pinote.def) gives their undecorated names and fixed ordinals.
#include <windows.h>

#include <string>
#include <type_traits>

#include "common/language.h"
#include "common/win32/controls.h"
#include "common/win32/message_box.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/win32/dialogs.h"
#include "forms/win32/memo_window.h"
#include "host/mail_header.h"
#include "host/plugin_info.h"
#include "host/win32/host_api.h"
#include "host/win32/menus.h"

namespace pinote {
namespace {

// Runs `f` where nothing may reach the host (only when the host is bound, unless `always`).
// The first entry point the host calls tells a version mismatch found at load.
template <class F>
int Run(int result, F&& f, bool always = false) noexcept {
  TellVersionMismatchOnce();
  if (always || HostApiBound()) Guarded(nullptr, f);
  return result;
}

// The host fills at most 2047 bytes of a 2048-byte buffer; the last byte stays our terminator.
constexpr int kHeaderBuffer = 2048;

// The named header of the mail open in the host ("" when it has none), as the host gives it.
std::string ReadMailHeader(const char* name) {
  char buffer[kHeaderBuffer] = {};
  HostFn<BKA_GetSpecifiedHeader_t>(HostApi().GetSpecifiedHeader)(name, buffer, kHeaderBuffer - 1);
  buffer[kHeaderBuffer - 1] = '\0';
  return buffer;
}

// Adds or updates this plug-in's entry in the composed mail's "X-Mailer-Plugin" header.
void StampOutgoingHeader(HWND composer) {
  char buffer[kHeaderBuffer] = {};
  HostFn<BKA_CompGetSpecifiedHeader_t>(HostApi().CompGetSpecifiedHeader)(
      composer, kMailerPluginHeader, buffer, kHeaderBuffer - 1);
  buffer[kHeaderBuffer - 1] = '\0';
  const std::string value(buffer);
  // Rebuilding from a truncated read would drop the other plug-ins' entries beyond the cut.
  if (HeaderMayBeTruncated(value, kHeaderBuffer - 1)) return;
  HostFn<BKA_CompSetSpecifiedHeader_t>(HostApi().CompSetSpecifiedHeader)(
      composer, kMailerPluginHeader, StampedMailerPlugin(value).c_str());
}

void BuildMainMenu(HMENU bar, int type) {
  // The first build only: read the settings file, create the memo window hidden. An unreadable
  // settings file is reported, and the window still comes up on the defaults.
  PluginState& state = State();
  if (!state.memoWindowCreated) {
    Guarded(nullptr, [] { Settings().Load(); });
    state.memoWindow = MemoWindow::Create();
    state.memoWindowCreated = true;
  }
  AddAboutEntry(bar, type);
  AddHelpEntry(bar, type);
  if (HMENU popup = AddToolGroup(bar)) AddOpenItem(popup, type);
}

void OpenMail() {
  MemoWindow* memo = State().memoWindow.get();
  if (memo == nullptr) return;
  HWND main = nullptr, tree = nullptr, list = nullptr, view = nullptr;
  HostFn<BKA_GetWindowHandles_t>(HostApi().GetWindowHandles)(&main, &tree, &list, &view);
  const std::string from = ReadMailHeader("From");
  memo->ShowMemo(main, ExtractAddress(from, SystemCodePage()),
                 ExtractSenderName(from, SystemCodePage()), false);
}

void UnloadLibraryState(bool processEnding) {
  PluginState& state = State();
  if (processEnding) {
    // The process is going away with all its windows; running window code now is pointless
    // and unsafe, so the memo window is dropped without destruction.
    (void)state.memoWindow.release();
  } else {
    state.memoWindow.reset();
    UnregisterWindowClasses();
  }
  state = PluginState{};
  ClearPathCaches();
  DestroySettingsStore();
}

// The description in the system's code page: the Japanese one only where that code page can
// hold it (question marks would reach the host otherwise), else the English one.
std::string PluginDescriptionAnsi(bool japanese) {
  if (japanese) {
    if (auto ansi = NarrowExactly(Utf8(PluginDescriptionUtf8(true)))) return *ansi;
  }
  return Utf8ToAnsi(PluginDescriptionUtf8(false));
}

// NeverPrecede's and NeverFollow's list of other plug-ins: none.
const char kNoPlugins[4] = {0, 0, 0, 0};

}  // namespace

PluginState& State() {
  static PluginState state;
  return state;
}

}  // namespace pinote

using namespace pinote;

extern "C" int WINAPI BKC_OnStart() {
  return Run(0, [] {
    CloseToolGroup(State().mainMenu);
    // "Appear on Start" in the options: the memo window comes up with the host.
    if (State().memoWindow && ReadOption(Settings(), &Options::appearOnStart)) {
      State().memoWindow->ShowAndActivate();
    }
  });
}

extern "C" int WINAPI BKC_OnExit() {
  // An unbound library never read the settings and has nothing of its own to write.
  Run(0, [] { SaveSettingsFile(); });
  // Destroying the window records its placement and writes the settings once more.
  return Run(0, [] { State().memoWindow.reset(); }, true);
}

extern "C" int WINAPI BKC_OnMenuInit(HWND, HMENU menu, int type) {
  return Run(0, [&] {
    if (type == kMenuMain) BuildMainMenu(menu, type);
    if (type == kMenuMessageView || type == kMenuEditor) AddAppendItem(menu, type);
  });
}

extern "C" int WINAPI BKC_OnOpenMail(LPCSTR) { return Run(0, [] { OpenMail(); }); }

extern "C" int WINAPI BKC_OnOutgoing(HWND composer, int) {
  return Run(0, [&] { StampOutgoingHeader(composer); });
}

extern "C" int WINAPI BKC_OnPlugInSetup(HWND) {
  return Run(1, [] { ChangeOptions(State().memoWindow.get()); }, true);
}

extern "C" int WINAPI BKC_OnPlugInInfo(PluginInfoRecord* info) {
  return Run(0, [&] {
    if (info != nullptr) {
      FillPluginInfo(reinterpret_cast<char*>(info), State().description, SystemCodePage());
    }
  }, true);
}

extern "C" LPCSTR WINAPI NeverPrecede() {
  TellVersionMismatchOnce();
  return kNoPlugins;
}
extern "C" LPCSTR WINAPI NeverFollow() {
  TellVersionMismatchOnce();
  return kNoPlugins;
}

// The exports and the types the host calls them by must agree.
static_assert(std::is_same_v<decltype(&BKC_OnStart), BKC_OnStart_t> &&
              std::is_same_v<decltype(&BKC_OnExit), BKC_OnExit_t> &&
              std::is_same_v<decltype(&BKC_OnMenuInit), BKC_OnMenuInit_t> &&
              std::is_same_v<decltype(&BKC_OnOpenMail), BKC_OnOpenMail_t> &&
              std::is_same_v<decltype(&BKC_OnOutgoing), BKC_OnOutgoing_t> &&
              std::is_same_v<decltype(&BKC_OnPlugInSetup), BKC_OnPlugInSetup_t> &&
              std::is_same_v<decltype(&BKC_OnPlugInInfo), BKC_OnPlugInInfo_t> &&
              std::is_same_v<decltype(&NeverPrecede), NeverPrecede_t> &&
              std::is_same_v<decltype(&NeverFollow), NeverFollow_t>);

// Runs inside the loader lock: nothing here may wait on another thread or show a window (a
// version mismatch is told by the first entry point the host calls).
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  try {
    if (reason == DLL_PROCESS_ATTACH) {
      ::DisableThreadLibraryCalls(module);
      (void)SystemCodePage();  // the code page's lead bytes, taken once for every text walk
      State().description = PluginDescriptionAnsi(IsJapanese());
      BindHostApi();
      SetPluginFileSearch(&SearchHostPluginFolders);
      State().menuBitmap =
          LoadKeyedBitmap(PluginInstance(), L"ICONBITMAP16", 16, ::GetSysColor(COLOR_MENU));
      CreateSettingsStore();
    } else if (reason == DLL_PROCESS_DETACH) {
      UnloadLibraryState(reserved != nullptr);
    }
  } catch (...) {
    // Nothing can be reported from inside the loader lock; the exports stay harmless because
    // HostApiBound() is false unless binding completed.
  }
  return TRUE;
}
