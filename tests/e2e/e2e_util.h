// Readers for the host log: menu dumps, window dumps and fields of one line.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/win32/control_ids.h"
#include "harness.h"

namespace e2e {

inline constexpr char kEntry[] = "Quillet for Becky!2 Ver.0.03 Rev.2";

// Value of `key=` up to the next space ("" when absent); for text= the quoted rest.
std::string FieldOf(const std::string& line, const std::string& key);

struct MenuItem {
  std::string path, kind, text;  // text in its quoted log form
  bool bitmap = false;
};
// The items of the n-th menu dump ("menubar" or "contextmenu") in the log.
std::vector<MenuItem> MenuDump(const RunResult& r, const std::string& begin, int nth = 0);
// Direct children of `path` ("" for the top level), in order.
std::vector<MenuItem> Children(const std::vector<MenuItem>& items, const std::string& path);
// Path of the top-level item whose quoted text equals Quoted(text), "" when none.
std::string TopPath(const std::vector<MenuItem>& items, const std::string& text);

struct WindowDump {
  std::string window;                    // the "window ..." line
  std::map<int, std::string> children;   // id -> "child ..." line
};
std::vector<WindowDump> WindowDumps(const RunResult& r);
// The `key` field of child control `id` in a window dump, or "(missing)".
std::string Child(const WindowDump& d, int id, const std::string& key);
// The bundled sample Pinote.dat, byte for byte.
std::string SampleDat();

// A text as the script wants it: CR, LF, TAB and backslash escaped.
std::string ScriptText(const std::string& text);

// The plug-in's windows as script targets: the memo window by its class, each dialog (class
// "#32770") by a control only it has.
extern const std::string kMemoWindow, kOptionsDialog, kUnifyDialog, kAboutDialog;
// Script lines driving controls by the shared ids: "type T ID TEXT", "click T ID", a menu command
// of the memo window, "waitwindow T" / "waithidden T" / "window T".
std::string TypeInto(const std::string& target, int id, const std::string& text);
std::string ClickOn(const std::string& target, int id);
std::string MemoCommand(int id);
std::string WaitWindow(const std::string& target);
std::string WaitHidden(const std::string& target);
std::string DumpWindow(const std::string& target);
// The memo window opened from the host's menu (and waited for); text typed into its memo box.
std::string ShowMemoWindow();
std::string TypeMemo(const std::string& text);

// Runs `action` on a thread of the test once the script created `flag` in the installation
// (with `copyfile`), so the test can change the files while the host is running.
class WhenFlagged {
 public:
  WhenFlagged(const Installation& inst, const wchar_t* flag, std::function<void()> action)
      : path_(inst.dir() + flag), action_(std::move(action)) {
    thread_ = CreateThread(nullptr, 0, &WhenFlagged::Main, this, 0, nullptr);
  }
  ~WhenFlagged() {
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  WhenFlagged(const WhenFlagged&) = delete;
  WhenFlagged& operator=(const WhenFlagged&) = delete;
  bool fired() const { return fired_; }

 private:
  static DWORD WINAPI Main(void* self) {
    auto* w = static_cast<WhenFlagged*>(self);
    while (!w->stop_) {
      if (GetFileAttributesW(w->path_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        w->action_();
        w->fired_ = true;
        return 0;
      }
      Sleep(30);
    }
    return 0;
  }
  std::wstring path_;
  std::function<void()> action_;
  std::atomic<bool> stop_{false}, fired_{false};
  HANDLE thread_ = nullptr;
};

// A handle that keeps every other opener out of the file (share mode 0), as another program
// holding it open would.
class Lock {
 public:
  // `disposition`: OPEN_EXISTING for a file the plug-in keeps, CREATE_ALWAYS for a lock file
  // that another writer holds.
  explicit Lock(const std::wstring& path, DWORD disposition = OPEN_EXISTING)
      : h_(CreateFileW(path.c_str(), GENERIC_READ | (disposition == OPEN_EXISTING ? 0 : GENERIC_WRITE),
                       0, nullptr, disposition, 0, nullptr)) {}
  ~Lock() { Release(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  bool held() const { return h_ != INVALID_HANDLE_VALUE; }
  // What the file holds now, read through the lock itself.
  std::string Content() const {
    std::string out;
    SetFilePointer(h_, 0, nullptr, FILE_BEGIN);
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h_, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
  }
  void Release() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

}  // namespace e2e
