// The library's entry points. Each forwards to the module that does the work and returns the
// fixed value the host expects; nothing thrown inside may reach the host.
#include <windows.h>

#include <string>
#include <type_traits>

#include "common/language.h"
#include "common/win32/env.h"
#include "forms/win32/dock.h"
#include "forms/win32/main_form.h"
#include "forms/win32/setup_form.h"
#include "host/mail_header.h"
#include "host/plugin_info.h"
#include "host/win32/host_api.h"
#include "host/win32/host_calls.h"
#include "host/win32/menus.h"
#include "host/win32/plugin_state.h"

// The export table (pinote.def) names the undecorated symbols. On i686 a stdcall function is
// normally emitted as _Name@N, which makes ld "fix up" each name with a warning; these labels
// give the exact names on both targets while the functions keep the stdcall convention.
#if defined(__i386__)
#define PINOTE_EXPORT_NAME(name) __asm__("_" #name)
#else
#define PINOTE_EXPORT_NAME(name) __asm__(#name)
#endif

extern "C" {
int WINAPI BKC_OnStart() PINOTE_EXPORT_NAME(BKC_OnStart);
int WINAPI BKC_OnExit() PINOTE_EXPORT_NAME(BKC_OnExit);
int WINAPI BKC_OnMenuInit(HWND window, HMENU menu, int type) PINOTE_EXPORT_NAME(BKC_OnMenuInit);
int WINAPI BKC_OnOpenMail(LPCSTR mailId) PINOTE_EXPORT_NAME(BKC_OnOpenMail);
int WINAPI BKC_OnOutgoing(HWND composer, int mode) PINOTE_EXPORT_NAME(BKC_OnOutgoing);
int WINAPI BKC_OnPlugInSetup(HWND window) PINOTE_EXPORT_NAME(BKC_OnPlugInSetup);
int WINAPI BKC_OnPlugInInfo(pinote::PluginInfoRecord* info) PINOTE_EXPORT_NAME(BKC_OnPlugInInfo);
LPCSTR WINAPI NeverPrecede() PINOTE_EXPORT_NAME(NeverPrecede);
LPCSTR WINAPI NeverFollow() PINOTE_EXPORT_NAME(NeverFollow);
}

namespace pinote {
namespace {

// The exported types and the definitions below must agree; a mismatch fails to compile here.
static_assert(std::is_same_v<decltype(&::BKC_OnStart), BKC_OnStart_t>);
static_assert(std::is_same_v<decltype(&::BKC_OnExit), BKC_OnExit_t>);
static_assert(std::is_same_v<decltype(&::BKC_OnMenuInit), BKC_OnMenuInit_t>);
static_assert(std::is_same_v<decltype(&::BKC_OnOpenMail), BKC_OnOpenMail_t>);
static_assert(std::is_same_v<decltype(&::BKC_OnOutgoing), BKC_OnOutgoing_t>);
static_assert(std::is_same_v<decltype(&::BKC_OnPlugInSetup), BKC_OnPlugInSetup_t>);
static_assert(std::is_same_v<decltype(&::BKC_OnPlugInInfo), BKC_OnPlugInInfo_t>);
static_assert(std::is_same_v<decltype(&::NeverPrecede), NeverPrecede_t>);
static_assert(std::is_same_v<decltype(&::NeverFollow), NeverFollow_t>);

template <class F>
int Run(int result, F&& f) noexcept {
  Guarded(nullptr, f);
  return result;
}

// First main-menu build only: read the settings file, create the memo window hidden.
void CreateForms() {
  if (FormsCreated()) return;
  // An unreadable settings file is reported, and the window still comes up on the defaults.
  Guarded(nullptr, [] { Settings().Load(); });
  MainFormHolder() = TMainForm::Create();
  FormsCreated() = true;
}

void BuildMainMenu(HMENU bar, int type) {
  CreateForms();
  AddAboutEntry(bar, type);
  AddHelpEntry(bar, type);
  if (HMENU popup = AddToolGroup(bar)) AddOpenItem(popup, type);
}

void OpenMail() {
  TMainForm* form = MainForm();
  if (!HostApiBound() || form == nullptr) return;
  HWND main = nullptr, tree = nullptr, list = nullptr, view = nullptr;
  HostFn<BKA_GetWindowHandles_t>(HostApi().GetWindowHandles)(&main, &tree, &list, &view);
  const std::string from = ReadMailHeader("From");
  const std::string sender = ExtractSenderName(from);
  const std::string address = ExtractAddress(from);
  form->ShowMemo(main, address, sender, false);
}

void PluginSetup() {
  const std::string oldPath = Settings().ReadString("Meibo", "Path", "");
  HICON icon = ::LoadIconW(PluginInstance(), L"MAINICON");  // shared: not destroyed
  if (!ShowSetupForm(nullptr, icon)) return;
  TMainForm* form = MainForm();
  if (form == nullptr) return;
  // The options reached from the host apply at once, as those reached from the memo window do.
  form->ApplySettings();
  const std::string newPath = Settings().ReadString("Meibo", "Path", "");
  if (newPath != oldPath) form->ReloadData(newPath);
}

void Exit() {
  // An unbound library never read the settings and has nothing of its own to write.
  if (HostApiBound()) Guarded(nullptr, [] { SaveSettingsFile(); });
  // Destroying the window records its placement and writes the settings once more.
  MainFormHolder().reset();
}

void LoadLibraryState() {
  SetPluginDescription(Utf8ToAnsi(PluginDescriptionUtf8(IsJapanese())));
  BindHostApi();
  CreateMenuBitmap();
  CreateSettingsStore();
}

void UnloadLibraryState(bool processEnding) {
  if (processEnding) {
    // The process is going away with all its windows; running window code now is pointless
    // and unsafe, so the memo window is dropped without destruction.
    (void)MainFormHolder().release();
  } else {
    MainFormHolder().reset();
    UnregisterMainFormClass();
    UnregisterDockClasses();
  }
  DestroyMenuBitmap();
  ClearPathCaches();
  DestroySettingsStore();
  SetPluginDescription({});
}

const char kNeverPrecede[4] = {0, 0, 0, 0};
const char kNeverFollow[4] = {0, 0, 0, 0};

}  // namespace
}  // namespace pinote

using pinote::Run;

int WINAPI BKC_OnStart() {
  return Run(0, [] {
    if (!pinote::HostApiBound()) return;
    pinote::CloseToolGroup();
    // "Appear on Start" in the options: the memo window comes up with the host.
    if (pinote::MainForm() && pinote::ShouldAppearOnStart()) pinote::MainForm()->ShowAndActivate();
  });
}

int WINAPI BKC_OnExit() { return Run(0, [] { pinote::Exit(); }); }

int WINAPI BKC_OnMenuInit(HWND window, HMENU menu, int type) {
  return Run(0, [&] {
    if (!pinote::HostApiBound()) return;
    if (type == pinote::kMenuMain) {
      pinote::BuildMainMenu(menu, type);
    } else if (type == pinote::kMenuMessageView || type == pinote::kMenuEditor) {
      pinote::AddAppendItem(menu, type);
    }
  });
}

int WINAPI BKC_OnOpenMail(LPCSTR mailId) { return Run(0, [] { pinote::OpenMail(); }); }

int WINAPI BKC_OnOutgoing(HWND composer, int mode) {
  return Run(0, [&] {
    if (pinote::HostApiBound()) pinote::StampOutgoingHeader(composer);
  });
}

int WINAPI BKC_OnPlugInSetup(HWND window) { return Run(1, [] { pinote::PluginSetup(); }); }

int WINAPI BKC_OnPlugInInfo(pinote::PluginInfoRecord* info) {
  return Run(0, [&] {
    if (info != nullptr) {
      pinote::FillPluginInfo(reinterpret_cast<char*>(info), pinote::PluginDescription());
    }
  });
}

LPCSTR WINAPI NeverPrecede() { return pinote::kNeverPrecede; }

LPCSTR WINAPI NeverFollow() { return pinote::kNeverFollow; }

// Kept to the load sequence: the version-mismatch message box during the load is what the
// host's users have always seen when the versions disagree.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  try {
    if (reason == DLL_PROCESS_ATTACH) {
      ::DisableThreadLibraryCalls(module);
      pinote::LoadLibraryState();
    } else if (reason == DLL_PROCESS_DETACH) {
      pinote::UnloadLibraryState(reserved != nullptr);
    }
  } catch (...) {
    // Nothing can be reported from inside the loader lock; the exports stay harmless because
    // HostApiBound() is false unless binding completed.
  }
  return TRUE;
}
