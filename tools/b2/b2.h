// B2.exe: a small stand-in for the Becky! 2 mail client, enough to load plug-ins, drive their
// callbacks the way the real host does and run scripted sessions for the end-to-end tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/win32/host_api.h"

namespace b2 {

// ---- text and log (log.cpp) ----
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);
// Quoted form for the log: "..." with \\ \" \r \n \t and \xHH for other control bytes.
std::string Quote(const std::string& utf8);
void OpenLog(const std::wstring& path);
void Log(const std::string& utf8_line);  // thread-safe, one line, flushed at once

// ---- command line and paths (main.cpp) ----
struct Options {
  bool japanese = false;
  std::wstring exe_folder;   // ends with "\"
  std::wstring mail_folder;  // ends with "\"
  std::wstring data_folder;  // ends with "\"
  std::wstring script;
  std::wstring log;
  bool fake_shell = false;  // /fakeshell: plug-ins' ShellExecuteA/W are logged, not carried out
};
Options& Opt();

// ---- mail store (mail_store.cpp) ----
struct Mail {
  std::wstring file;
  std::string raw;  // bytes as stored
  // Raw value of header `name` (case-insensitive), folding kept, "" when absent.
  std::string Header(const std::string& name) const;
  std::wstring Display() const;  // the message view's text
  UINT CodePage() const;         // from the Content-Type charset, else the system's
};
struct Folder {
  std::string id;            // the BKA_GetCurrentFolder text, e.g. "1234abcd.mb\!!!!Inbox\"
  std::wstring label;        // tree text
  std::wstring dir;          // where its .eml files are ("" for the account root)
  std::vector<Mail> mails;
};
std::vector<Folder>& Folders();
// Encoded words decoded, the rest in `fallback_cp`: for the list and the view only.
std::wstring DecodeHeaderForDisplay(const std::string& raw, UINT fallback_cp);
void LoadMailFolders();

// ---- host state and main window (main.cpp, host_window.cpp) ----
struct Host {
  HWND main = nullptr, tree = nullptr, list = nullptr, view = nullptr;
  HMENU menubar = nullptr;
  int current_folder = 1;
  int current_mail = -1;
  std::string current_folder_text;
  std::vector<void*> tree_items;  // HTREEITEM per folder, in Folders() order
  HANDLE ready = nullptr;         // set once plug-ins are loaded and the menus are built
};
Host& H();
bool CreateMainWindow(HINSTANCE inst);
void SelectFolder(int index);
bool OpenMail(int index);
// Runs `fn` on the UI thread (posted); waits up to `wait_ms` for it to finish (0: no wait).
// Returns false on a time-out.
bool RunOnUi(std::function<void()> fn, DWORD wait_ms);
inline constexpr UINT kRunMessage = WM_APP + 1;
void LayoutMain();

// ---- menus and registered commands (menus.cpp) ----
HMENU BuildMenuBar();
// Builds the context menu of the message view (type 3) or the compose editor (type 4) with
// every plug-in's additions. The caller destroys it.
HMENU BuildContextMenu(HWND owner, int type);
bool DispatchCommand(int id, HWND origin);  // a host or registered command; false if unknown
int RegisterCommand(const std::string& comment, int target, pinote::CommandCallback cb);
void DumpMenu(HMENU menu, const std::string& prefix);
// Finds an item by texts ("&Tool/Quillet for Becky!2/Open the Quillet"); -1 when not found.
int FindMenuPath(HMENU menu, const std::string& path_utf8);
int FindMenuText(HMENU menu, const std::string& text_utf8);
std::string MenuText(HMENU menu, int pos);  // UTF-8
inline constexpr int kCmdNewMail = 40001, kCmdExit = 40002, kCmdCopy = 40003,
                     kCmdSelectAll = 40004, kCmdPluginSetup = 40005, kCmdContents = 40006,
                     kCmdAbout = 40007, kCmdRefresh = 40008;

// ---- plug-ins (plugins.cpp) ----
struct Plugin {
  std::wstring file;
  HMODULE module = nullptr;
  pinote::BKC_OnStart_t on_start = nullptr;
  pinote::BKC_OnExit_t on_exit = nullptr;
  pinote::BKC_OnMenuInit_t on_menu_init = nullptr;
  pinote::BKC_OnOpenMail_t on_open_mail = nullptr;
  pinote::BKC_OnOutgoing_t on_outgoing = nullptr;
  pinote::BKC_OnPlugInSetup_t on_setup = nullptr;
  pinote::BKC_OnPlugInInfo_t on_info = nullptr;
  pinote::NeverPrecede_t never_precede = nullptr;
  pinote::NeverFollow_t never_follow = nullptr;
  std::string name() const;  // file name, UTF-8
};
std::vector<Plugin>& Plugins();
void LoadPlugins();
void CallMenuInit(HWND window, HMENU menu, int type);
void CallStart();
void CallOpenMail(const std::string& mail_id);
void CallOutgoing(HWND composer);
void CallSetup(HWND window);
void CallInfo();
void CallExit();
void UnloadPlugins();
// Points `module`'s imports of ShellExecuteA/W at stand-ins that log "shell-execute ...".
void FakeShellFor(HMODULE module);

// ---- compose window (compose.cpp) ----
HWND OpenComposer();
bool IsComposer(HWND window);
std::string ComposerHeader(HWND composer, const std::string& name);
void SetComposerHeader(HWND composer, const std::string& name, const std::string& value);
void SendComposer(HWND composer);
HWND ComposerEditor(HWND composer);
inline constexpr int kComposeTo = 1001, kComposeSubject = 1002, kComposeEditor = 1003,
                     kComposeSend = 1004, kComposeResult = 1005;

// ---- scripted mode (script.cpp, msgbox_watch.cpp) ----
void StartScript();
void StartMsgBoxWatcher();
// Message boxes of this process that nobody has logged yet.
HWND FindMessageBox(bool include_claimed);
std::string DescribeMessageBox(HWND box);  // caption="..." text="..."
void ClaimMessageBox(HWND box);             // logged by the script: the watcher keeps off
bool ClaimIfFree(HWND box);                 // true when this caller is the first to claim
void PressMessageBox(HWND box, int button_id);
void SetMsgBoxTimeout(DWORD ms);
std::wstring ClassOf(HWND w);
std::wstring TextOf(HWND w);  // WM_GETTEXT with a time-out, safe across threads
// Top-level window of this process whose class or caption is `target`, visible ones first;
// "NAME@ID" also asks for a control ID inside it (NAME may be empty: any window).
HWND FindTop(const std::wstring& target);
HWND FindControl(HWND top, int id);  // any descendant with that control id
void LogWindow(HWND top);
bool SaveScreenshot(HWND window, const std::wstring& file, std::string* size);

}  // namespace b2
