// B2.exe entry: command line, log, plug-in loading in the order the real host uses, the message
// loop and the orderly shutdown (BKC_OnExit, then FreeLibrary).

#include <cwctype>

#include "b2.h"
#include "measure.h"

#include <commctrl.h>
#include <shellapi.h>

namespace b2 {

Options& Opt() {
  static Options o;
  return o;
}

namespace {

std::wstring WithSlash(std::wstring dir) {
  if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
  return dir;
}

std::wstring Upper(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

// Switches: /JAPANESE /ENGLISH /mail:DIR /data:DIR /script:FILE /log:FILE (values may be quoted),
// /fakeshell.
void ParseCommandLine() {
  Options& o = Opt();
  wchar_t exe[MAX_PATH * 2];
  GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
  o.exe_folder = exe;
  o.exe_folder.erase(o.exe_folder.find_last_of(L'\\') + 1);
  o.mail_folder = o.exe_folder + L"Mail\\";
  o.data_folder = o.exe_folder + L"Data\\";
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    std::wstring a = argv[i], up = Upper(a);
    auto value = [&](const wchar_t* key) { return a.substr(wcslen(key)); };
    if (up == L"/JAPANESE") o.japanese = true;
    else if (up.rfind(L"/MAIL:", 0) == 0) o.mail_folder = WithSlash(value(L"/mail:"));
    else if (up.rfind(L"/DATA:", 0) == 0) o.data_folder = WithSlash(value(L"/data:"));
    else if (up.rfind(L"/SCRIPT:", 0) == 0) o.script = value(L"/script:");
    else if (up.rfind(L"/LOG:", 0) == 0) o.log = value(L"/log:");
    else if (up == L"/FAKESHELL") o.fake_shell = true;
  }
  if (argv) LocalFree(argv);
}

}  // namespace
}  // namespace b2

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int show) {
  using namespace b2;
  ParseCommandLine();
  if (!Opt().log.empty()) OpenLog(Opt().log);
  Log("start cmdline=" + Quote(Utf8(GetCommandLineW())) + " acp=" + std::to_string(GetACP()));
#ifdef B2_LACKING
  Log(std::string("start lacking=") + B2_LACKING);
#endif
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES;
  InitCommonControlsEx(&icc);
  LoadMailFolders();
  if (!CreateMainWindow(inst)) {
    Log("error main-window");
    return 1;
  }
  // The watcher and the script thread exist before any plug-in is loaded: a plug-in may show a
  // message box from inside LoadLibrary, and a thread started then would wait on the loader.
  H().ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  StartMsgBoxWatcher();
  if (!Opt().script.empty()) StartScript();
  LogMemory("loading-plugins");
  LoadPlugins();
  H().menubar = BuildMenuBar();
  LogMemory("menus-built");
  SetMenu(H().main, H().menubar);
  DrawMenuBar(H().main);
  CallStart();
  SelectFolder(1);
  ShowWindow(H().main, show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(H().main);
  Log("ready");
  SetEvent(H().ready);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  UnloadPlugins();
  Log("exit");
  return 0;
}
