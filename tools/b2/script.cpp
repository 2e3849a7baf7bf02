// Scripted sessions (/script:FILE): a thread that reads one command per line and drives the UI
// thread by posted tasks and window messages, logging what the host saw. docs/b2-script.md
// lists the commands.

#include <cstdio>
#include <locale>
#include <sstream>
#include <thread>

#include "b2.h"
#include "measure.h"

#include <commctrl.h>

namespace b2 {
namespace {

constexpr DWORD kUiWait = 15000;
HWND composer = nullptr;

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Escapes in texts: \n \r \t \\ \" \| and \uXXXX.
std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    if (c == 'n') out += '\n';
    else if (c == 'r') out += '\r';
    else if (c == 't') out += '\t';
    else if (c == 'u' && i + 4 < s.size()) {
      std::wstring w(1, static_cast<wchar_t>(std::stoi(s.substr(i + 1, 4), nullptr, 16)));
      out += Utf8(w);
      i += 4;
    } else out += c;
  }
  return out;
}

// Splits off the first `n` words (a word may be "double quoted"); the rest stays raw.
std::vector<std::string> Words(const std::string& line, size_t n, std::string* rest) {
  std::vector<std::string> words;
  size_t i = 0;
  while (words.size() < n) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size()) break;
    std::string w;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        w += line[i];
      }
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ') w += line[i++];
    }
    words.push_back(w);
  }
  if (i < line.size() && line[i] == ' ') ++i;
  if (rest) *rest = i < line.size() ? line.substr(i) : std::string();
  return words;
}

int Int(const std::string& s, int fallback = 0) {
  try {
    return std::stoi(s, nullptr, 0);
  } catch (...) {
    return fallback;
  }
}

bool WaitReady() {
  if (WaitForSingleObject(H().ready, 60000) == WAIT_OBJECT_0) return true;
  Log("error host-not-ready");
  return false;
}

bool Ui(std::function<void()> fn) {
  if (!WaitReady()) return false;
  if (RunOnUi(std::move(fn), kUiWait)) return true;
  Log("error ui-timeout");
  return false;
}

HWND Control(const std::string& target, const std::string& id, const char* cmd) {
  HWND top = FindTop(Wide(target));
  HWND ctl = top ? FindControl(top, Int(id, -1)) : nullptr;
  if (!ctl) Log(std::string("error ") + cmd + " no-control " + Quote(target) + " id=" + id);
  return ctl;
}

void Send(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR r;
  SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL, kUiWait, &r);
}

// Typing goes where a user who clicked at the end of the text would put it.
void TypeText(HWND ctl, const std::string& text) {
  Send(ctl, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  DWORD_PTR len = 0;
  SendMessageTimeoutW(ctl, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kUiWait, &len);
  Send(ctl, EM_SETSEL, len, static_cast<LPARAM>(len));
  // Each character's synchronous send is timed: a plug-in that saves on every change does it
  // inside that send.
  auto send_char = [ctl](wchar_t c) {
    Stopwatch watch;
    Send(ctl, WM_CHAR, c, 1);
    RecordSample("type", watch.Micros());
  };
  for (wchar_t c : Wide(text)) {
    if (c == L'\n') {
      Send(ctl, WM_KEYDOWN, VK_RETURN, 1);
      send_char(L'\r');
      Send(ctl, WM_KEYUP, VK_RETURN, 0xC0000001);
    } else {
      send_char(c);
    }
  }
}

BOOL CALLBACK FindDefaultButton(HWND w, LPARAM lp) {
  if ((GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON) return TRUE;
  *reinterpret_cast<int*>(lp) = GetDlgCtrlID(w);
  return FALSE;
}

// The id of the box's default push button (IDOK when it marks none).
int DefaultButton(HWND box) {
  int id = IDOK;
  EnumChildWindows(box, FindDefaultButton, reinterpret_cast<LPARAM>(&id));
  return id;
}

// A user's double-click on line `line` of an edit control (its second character, or its first
// when it has one): posted, so that a message box it opens can be answered by later commands.
void CmdDoubleClick(HWND edit, int line) {
  DWORD_PTR start = 0, length = 0, pos = 0;
  SendMessageTimeoutW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0, SMTO_NORMAL, kUiWait,
                      &start);
  SendMessageTimeoutW(edit, EM_LINELENGTH, start, 0, SMTO_NORMAL, kUiWait, &length);
  SendMessageTimeoutW(edit, EM_POSFROMCHAR, start + (length > 1 ? 1 : 0), 0, SMTO_NORMAL,
                      kUiWait, &pos);
  const LPARAM at = MAKELPARAM(LOWORD(pos) + 1, HIWORD(pos) + 2);
  Log("dblclick line=" + std::to_string(line) + " char=" + std::to_string(start));
  PostMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(edit, WM_LBUTTONUP, 0, at);
  PostMessageW(edit, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(edit, WM_LBUTTONUP, 0, at);
}

void CmdMsgBox(const std::vector<std::string>& a) {
  int button = a.empty() || a[0] == "ok" ? IDOK : a[0] == "cancel" ? IDCANCEL
               : a[0] == "yes"           ? IDYES : a[0] == "no" ? IDNO : IDOK;
  DWORD limit = a.size() > 1 ? static_cast<DWORD>(Int(a[1], 10000)) : 10000;
  for (DWORD start = GetTickCount(); GetTickCount() - start < limit; Sleep(50)) {
    HWND box = FindMessageBox(false);
    if (box && ClaimIfFree(box)) {
      // "default": the button Enter would press, named by its id.
      if (!a.empty() && a[0] == "default") button = DefaultButton(box);
      Log("msgbox " + DescribeMessageBox(box) + " button=" +
          (a.empty() ? "ok" : a[0] == "default" ? "default id=" + std::to_string(button) : a[0]));
      PressMessageBox(box, button);
      return;
    }
  }
  Log("msgbox none");
}

void CmdExpectNoMsgBox(DWORD ms) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
    HWND box = FindMessageBox(false);
    if (box && ClaimIfFree(box)) {
      Log("msgbox-unexpected " + DescribeMessageBox(box));
      PressMessageBox(box, GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK);
      return;
    }
  }
  Log("no-msgbox " + std::to_string(ms));
}

void CmdContextMenu(const std::string& which, const std::string& item) {
  HWND owner = which == "editor" ? ComposerEditor(composer) : H().view;
  if (!owner) {
    Log("error contextmenu no-" + which);
    return;
  }
  int type = which == "editor" ? pinote::kMenuEditor : pinote::kMenuMessageView;
  int id = -1;
  Ui([&] {
    HMENU menu = BuildContextMenu(owner, type);
    Log("contextmenu-begin " + which);
    DumpMenu(menu, "ctx");
    Log("contextmenu-end " + which);
    if (!item.empty()) {
      int pos = FindMenuText(menu, item);
      id = pos < 0 ? -1 : static_cast<int>(GetMenuItemID(menu, pos));
    }
    DestroyMenu(menu);
  });
  if (item.empty()) return;
  if (id < 0) {
    Log("contextmenu-missing " + Quote(item));
    return;
  }
  Log("contextmenu-choose " + Quote(item) + " id=" + std::to_string(id));
  RunOnUi([id, owner] { DispatchCommand(id, owner); }, 0);
}

void CmdHostMenu(const std::string& path) {
  int id = -1;
  Ui([&] { id = FindMenuPath(H().menubar, path); });
  if (id < 0) {
    Log("hostmenu-missing " + Quote(path));
    return;
  }
  Log("hostmenu " + Quote(path) + " id=" + std::to_string(id));
  // Posted: the command may open a modal dialog that later commands answer.
  RunOnUi([id] { DispatchCommand(id, H().main); }, 0);
}

void CmdCompose(const std::string& rest, bool open) {
  if (open) Ui([&] { composer = OpenComposer(); });
  std::string r = Unescape(rest);
  size_t at = 0;
  while (at < r.size()) {
    size_t bar = r.find(" | ", at);
    std::string part = r.substr(at, bar == std::string::npos ? bar : bar - at);
    at = bar == std::string::npos ? r.size() : bar + 3;
    size_t colon = part.find(':');
    if (colon == std::string::npos) continue;
    std::string name = Trim(part.substr(0, colon)), value = part.substr(colon + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    Ui([&] { SetComposerHeader(composer, Utf8ToAnsi(name), Utf8ToAnsi(value)); });
  }
}

void CmdFolder(const std::string& name) {
  Ui([&] {
    auto& folders = Folders();
    for (size_t i = 0; i < folders.size(); ++i)
      if (Utf8(folders[i].label) == name || std::to_string(i) == name) {
        TreeView_SelectItem(H().tree, static_cast<HTREEITEM>(H().tree_items[i]));
        SelectFolder(static_cast<int>(i));
        return;
      }
    Log("error folder-missing " + Quote(name));
  });
}

void CmdWaitWindow(const std::string& name, DWORD ms, bool want_visible) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
    // FindTop prefers a visible window; a window already destroyed counts as hidden (a form
    // may be gone between two looks).
    HWND w = FindTop(Wide(name));
    const bool visible = w && IsWindowVisible(w);
    if (visible == want_visible) {
      Log(std::string(want_visible ? "waitwindow " : "waithidden ") + Quote(name) + " ok");
      return;
    }
  }
  Log(std::string(want_visible ? "waitwindow " : "waithidden ") + Quote(name) + " timeout");
}

// One command; false ends the script.
bool Run(const std::string& line) {
  std::string rest;
  std::vector<std::string> w = Words(line, 1, &rest);
  if (w.empty()) return true;
  const std::string& cmd = w[0];
  Log("> " + line);
  // Only these may run while the host is still loading plug-ins (a plug-in's message box at
  // load time is answered by "msgbox"); everything else sees the host as the user would.
  static const char* const kEarly[] = {"msgbox", "expect-no-msgbox", "wait", "log", "set"};
  bool early = false;
  for (const char* e : kEarly) early = early || cmd == e;
  if (!early && !WaitReady()) return true;
  if (cmd == "wait") {
    Sleep(static_cast<DWORD>(Int(rest)));
  } else if (cmd == "log") {
    Log("note " + rest);
  } else if (cmd == "open") {
    int n = Int(rest, -1);
    const auto a = Words(rest, 2, nullptr);
    const bool paint = a.size() == 2 && a[1] == "paint";
    Ui([n, paint] {
      if (!OpenMail(n)) Log("error open " + std::to_string(n));
      if (paint) {
        const double us = PaintPending(nullptr);
        RecordSample("paint", us);
        Log("paint us=" + Micros(us));
      }
    });
  } else if (cmd == "folder") {
    CmdFolder(Trim(rest));
  } else if (cmd == "type" || cmd == "settext") {
    std::string text;
    auto a = Words(rest, 2, &text);
    HWND ctl = a.size() == 2 ? Control(a[0], a[1], cmd.c_str()) : nullptr;
    if (ctl && cmd == "type") TypeText(ctl, Unescape(text));
    if (ctl && cmd == "settext")
      Send(ctl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(Unescape(text)).c_str()));
  } else if (cmd == "click") {
    auto a = Words(rest, 2, nullptr);
    if (HWND ctl = a.size() == 2 ? Control(a[0], a[1], "click") : nullptr)
      PostMessageW(ctl, BM_CLICK, 0, 0);
  } else if (cmd == "dblclick") {
    auto a = Words(rest, 3, nullptr);
    if (HWND ctl = a.size() == 3 ? Control(a[0], a[1], "dblclick") : nullptr)
      CmdDoubleClick(ctl, Int(a[2]));
  } else if (cmd == "clipboard") {
    // What the clipboard holds as Unicode text, as a user pasting it would get it.
    Ui([] {
      std::string text;
      if (OpenClipboard(H().main)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
          if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Utf8(chars);
            GlobalUnlock(data);
          }
        }
        CloseClipboard();
      }
      Log("clipboard " + Quote(text));
    });
  } else if (cmd == "sync") {
    // Everything the UI thread was posted before this has been handled.
    if (Ui([] {})) Log("sync");
  } else if (cmd == "menuinit") {
    // The host builds its main menu again (a real host does so, e.g. on a layout change): every
    // plug-in's BKC_OnMenuInit type 0 runs on the bar it already holds.
    Ui([] {
      CallMenuInit(H().main, H().menubar, pinote::kMenuMain);
      DrawMenuBar(H().main);
    });
  } else if (cmd == "command") {
    auto a = Words(rest, 2, nullptr);
    HWND top = a.size() == 2 ? FindTop(Wide(a[0])) : nullptr;
    if (top) PostMessageW(top, WM_COMMAND, MAKEWPARAM(Int(a[1]), 0), 0);
    else Log("error command no-window");
  } else if (cmd == "sendmsg") {
    // Generic escape hatch for controls without a command of their own (e.g. switching the
    // page of a tab control with TCM_SETCURFOCUS, which also sends TCN_SELCHANGE).
    auto a = Words(rest, 5, nullptr);
    HWND ctl = a.size() == 5 ? Control(a[0], a[1], "sendmsg") : nullptr;
    if (ctl) {
      DWORD_PTR r = 0;
      bool ok = SendMessageTimeoutW(ctl, static_cast<UINT>(Int(a[2])),
                                    static_cast<WPARAM>(Int(a[3])), static_cast<LPARAM>(Int(a[4])),
                                    SMTO_NORMAL, kUiWait, &r) != 0;
      Log("sendmsg id=" + a[1] + " msg=" + a[2] +
          (ok ? " -> " + std::to_string(static_cast<long long>(r)) : " timeout"));
    } else if (a.size() != 5) {
      Log("error sendmsg needs TARGET ID MSG WPARAM LPARAM");
    }
  } else if (cmd == "hostmenu") {
    CmdHostMenu(Trim(rest));
  } else if (cmd == "dumpmenu") {
    Ui([] {
      Log("menubar-begin");
      DumpMenu(H().menubar, "");
      Log("menubar-end");
    });
  } else if (cmd == "contextmenu") {
    std::string item;
    auto a = Words(rest, 1, &item);
    CmdContextMenu(a.empty() ? "view" : a[0], Trim(item));
  } else if (cmd == "select-view" || cmd == "select-editor") {
    auto a = Words(rest, 2, nullptr);
    int from = a.size() > 0 ? Int(a[0]) : 0, len = a.size() > 1 ? Int(a[1]) : 0;
    Ui([&] {
      HWND e = cmd == "select-view" ? H().view : ComposerEditor(composer);
      SendMessageW(e, EM_SETSEL, from, from + len);
      DWORD s = 0, t = 0;
      SendMessageW(e, EM_GETSEL, (WPARAM)&s, (LPARAM)&t);
      std::wstring all = TextOf(e);
      Log("selected " + Quote(Utf8(all.substr(std::min<size_t>(s, all.size()), t - s))));
    });
  } else if (cmd == "window") {
    HWND top = FindTop(Wide(Trim(rest)));
    if (top) LogWindow(top);
    else Log("window-missing " + Quote(Trim(rest)));
  } else if (cmd == "waitwindow" || cmd == "waithidden") {
    auto a = Words(rest, 2, nullptr);
    if (!a.empty())
      CmdWaitWindow(a[0], a.size() > 1 ? Int(a[1], 5000) : 5000, cmd == "waitwindow");
  } else if (cmd == "msgbox") {
    CmdMsgBox(Words(rest, 2, nullptr));
  } else if (cmd == "expect-no-msgbox") {
    CmdExpectNoMsgBox(static_cast<DWORD>(Int(rest, 1000)));
  } else if (cmd == "compose") {
    CmdCompose(rest, true);
  } else if (cmd == "header") {
    CmdCompose(rest, false);  // same syntax, on the composer already open
  } else if (cmd == "send") {
    Ui([] { SendComposer(composer); });
  } else if (cmd == "setup") {
    if (WaitReady()) RunOnUi([] { CallSetup(H().main); }, 0);
  } else if (cmd == "info") {
    Ui([] { CallInfo(); });
  } else if (cmd == "screenshot") {
    std::string target;
    auto a = Words(rest, 1, &target);
    HWND win = Trim(target).empty() ? nullptr : FindTop(Wide(Trim(target)));
    std::string size;
    bool ok = !a.empty() && SaveScreenshot(win, Wide(a[0]), &size);
    Log("screenshot " + Quote(a.empty() ? "" : a[0]) + (ok ? " ok " + size : " failed"));
  } else if (cmd == "foreground") {
    HWND f = GetForegroundWindow();
    Log("foreground class=" + Quote(Utf8(ClassOf(f))) + " caption=" + Quote(Utf8(TextOf(f))));
  } else if (cmd == "copyfile") {
    // Paths relative to the folder of B2.exe: lets a test see a file as it was at this point.
    auto a = Words(rest, 2, nullptr);
    bool ok = a.size() == 2 && CopyFileW((Opt().exe_folder + Wide(a[0])).c_str(),
                                         (Opt().exe_folder + Wide(a[1])).c_str(), FALSE);
    Log("copyfile " + Quote(a.empty() ? "" : a[0]) + (ok ? " ok" : " failed"));
  } else if (cmd == "waitfile") {
    // Another process's turn is over once it made the file: two hosts on one installation take
    // turns this way.
    auto a = Words(rest, 2, nullptr);
    const std::wstring path = a.empty() ? L"" : Opt().exe_folder + Wide(a[0]);
    const DWORD ms = a.size() > 1 ? static_cast<DWORD>(Int(a[1], 30000)) : 30000;
    bool ok = false;
    for (DWORD start = GetTickCount(); !path.empty(); Sleep(30)) {
      if ((ok = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)) break;
      if (GetTickCount() - start >= ms) break;
    }
    Log("waitfile " + Quote(a.empty() ? "" : a[0]) + (ok ? " ok" : " timeout"));
  } else if (cmd == "set") {
    auto a = Words(rest, 2, nullptr);
    if (a.size() == 2 && a[0] == "msgbox-timeout") SetMsgBoxTimeout(static_cast<DWORD>(Int(a[1])));
  } else if (cmd == "exit") {
    if (WaitReady()) PostMessageW(H().main, WM_CLOSE, 0, 0);
    return false;
  } else if (std::optional<bool> go_on = RunMeasuringCommand(cmd, rest, Run)) {
    return *go_on;
  } else {
    Log("error unknown-command " + Quote(cmd));
  }
  return true;
}

void ScriptMain(std::wstring file) {
  std::string text;
  if (FILE* f = _wfopen(file.c_str(), L"rb")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
  } else {
    Log("error script-missing");
  }
  std::istringstream in(text);
  std::string line;
  bool exited = false;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line = Trim(line.substr(3));
    if (line.empty() || line[0] == '#') continue;
    if (!Run(line)) {
      exited = true;
      break;
    }
  }
  Log("script-end");
  // A script that forgets "exit" must not leave the host running.
  if (!exited && WaitReady()) PostMessageW(H().main, WM_CLOSE, 0, 0);
}

}  // namespace

void StartScript() {
  // Wait until the thread runs: a thread still starting when a plug-in shows a message box from
  // inside LoadLibrary would wait on the loader lock until that box is gone.
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread([started](std::wstring file) {
    // The C++ library's first use of its locale (the script reader's) looks up a msvcrt entry
    // point with GetProcAddress on i686, which waits for the loader lock, and a plug-in showing
    // a message box from inside LoadLibrary holds that lock: set the locale up first.
    std::locale::classic();
    SetEvent(started);
    ScriptMain(std::move(file));
  }, Opt().script).detach();
  WaitForSingleObject(started, 10000);
  CloseHandle(started);
}

}  // namespace b2
