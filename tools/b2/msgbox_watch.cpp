// Message boxes of this process. The script's "msgbox" command claims and answers one; any box
// that nobody claims within the time-out is logged and dismissed here, so that a plug-in's
// message never hangs a scripted session. Each box is logged exactly once.
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "b2.h"

namespace b2 {
namespace {

constexpr int kMsgBoxTextId = 0xFFFF;  // the static control holding a MessageBox's text

std::mutex mutex;
std::set<HWND> claimed;
std::map<HWND, DWORD> first_seen;
DWORD timeout_ms = 4000;

struct Search {
  bool include_claimed;
  HWND found = nullptr;
};

bool IsMessageBox(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid == GetCurrentProcessId() && IsWindowVisible(w) && ClassOf(w) == L"#32770" &&
         GetDlgItem(w, kMsgBoxTextId) != nullptr;
}

BOOL CALLBACK SearchProc(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  if (!IsMessageBox(w)) return TRUE;
  std::lock_guard<std::mutex> lock(mutex);
  if (!s->include_claimed && claimed.count(w)) return TRUE;
  s->found = w;
  return FALSE;
}

bool TryClaim(HWND box) {
  std::lock_guard<std::mutex> lock(mutex);
  return claimed.insert(box).second;
}

void Press(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

void WatchLoop() {
  for (;;) {
    Sleep(100);
    HWND box = FindMessageBox(false);
    if (!box) continue;
    DWORD now = GetTickCount();
    DWORD seen;
    {
      std::lock_guard<std::mutex> lock(mutex);
      seen = first_seen.emplace(box, now).first->second;
      if (now - seen < timeout_ms) continue;
    }
    if (!TryClaim(box)) continue;
    int button = GetDlgItem(box, IDCANCEL) ? IDCANCEL : GetDlgItem(box, IDNO) ? IDNO : IDOK;
    Log("msgbox-auto " + DescribeMessageBox(box) + " button=" + std::to_string(button));
    Press(box, button);
  }
}

}  // namespace

HWND FindMessageBox(bool include_claimed) {
  Search s{include_claimed};
  EnumWindows(SearchProc, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string DescribeMessageBox(HWND box) {
  return "caption=" + Quote(Utf8(TextOf(box))) +
         " text=" + Quote(Utf8(TextOf(GetDlgItem(box, kMsgBoxTextId))));
}

void ClaimMessageBox(HWND box) { TryClaim(box); }

bool ClaimIfFree(HWND box) { return TryClaim(box); }

void PressMessageBox(HWND box, int id) { Press(box, id); }

void SetMsgBoxTimeout(DWORD ms) {
  std::lock_guard<std::mutex> lock(mutex);
  timeout_ms = ms;
}

void StartMsgBoxWatcher() {
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // see StartScript
  std::thread([started] {
    SetEvent(started);
    WatchLoop();
  }).detach();
  WaitForSingleObject(started, 10000);
  CloseHandle(started);
}

}  // namespace b2
