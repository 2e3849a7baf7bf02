// Drives a modal dialog as a user would, from inside its own message loop: a thread timer fires
// while the dialog runs, finds it by a control only it has (dialogs and message boxes are all of
// class "#32770") and performs one scripted step per tick through messages to the controls.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/win32/control_ids.h"

namespace pinote::testing_dialogs {

// The control a message box holds: its text.
constexpr int kMessageBoxText = 0xFFFF;

using Step = std::function<void(HWND dialog)>;
// A step for the dialog holding control `mark`.
struct MarkedStep {
  int mark;
  Step step;
};

struct FindState {
  int mark;
  HWND found;
};

inline BOOL CALLBACK FindMarked(HWND wnd, LPARAM lp) {
  auto* state = reinterpret_cast<FindState*>(lp);
  wchar_t cls[16] = {};
  ::GetClassNameW(wnd, cls, 16);
  if (std::wstring(cls) != L"#32770" || !::IsWindowVisible(wnd)) return TRUE;
  if (::GetDlgItem(wnd, state->mark) == nullptr) return TRUE;
  state->found = wnd;
  return FALSE;
}

// The visible dialog of this thread that holds control `mark`.
inline HWND FindDialog(int mark) {
  FindState state{mark, nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindMarked, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

struct Script {
  int mark = 0;
  std::vector<MarkedStep> steps;
  size_t next = 0;
  int idleTicks = 0;
};

inline Script*& CurrentScript() {
  static Script* script = nullptr;
  return script;
}

inline void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  Script* s = CurrentScript();
  if (s == nullptr) return;
  const int mark = s->next < s->steps.size() ? s->steps[s->next].mark : s->mark;
  HWND dialog = FindDialog(mark);
  if (dialog == nullptr) return;
  if (s->next < s->steps.size()) {
    const Step step = s->steps[s->next++].step;
    step(dialog);
    return;
  }
  // The script is done but the dialog is still open: close it so the test cannot hang.
  if (++s->idleTicks > 20) {
    ADD_FAILURE() << "the dialog is still open after its script";
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

// Runs `open` (which blocks in a modal loop) while `steps` run, each on the dialog it marks.
template <class F>
auto RunMarkedScript(int mark, std::vector<MarkedStep> steps, F&& open) {
  Script script{mark, std::move(steps)};
  CurrentScript() = &script;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ScriptTick);
  struct Stop {
    UINT_PTR timer;
    ~Stop() {
      ::KillTimer(nullptr, timer);
      CurrentScript() = nullptr;
    }
  } stop{timer};
  auto result = open();
  EXPECT_EQ(script.next, script.steps.size()) << "not every step ran";
  EXPECT_EQ(FindDialog(mark), nullptr) << "the dialog outlived its modal call";
  return result;
}

// Opens the dialog marked by `mark` with `open` while `steps` run on it.
template <class F>
auto RunScripted(int mark, std::vector<Step> steps, F&& open) {
  std::vector<MarkedStep> marked;
  for (Step& step : steps) marked.push_back({mark, std::move(step)});
  return RunMarkedScript(mark, std::move(marked), std::forward<F>(open));
}

inline HWND Ctl(HWND dialog, int id) {
  HWND c = ::GetDlgItem(dialog, id);
  EXPECT_NE(c, nullptr) << "no control " << id;
  return c;
}
inline void Click(HWND dialog, int id) { ::SendMessageW(Ctl(dialog, id), BM_CLICK, 0, 0); }
inline bool Checked(HWND dialog, int id) {
  return ::SendMessageW(Ctl(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(Ctl(dialog, id)) != FALSE; }
inline std::wstring Text(HWND dialog, int id) { return WindowText(Ctl(dialog, id)); }
// A key pressed in the control with the focus moved there, through the dialog's own loop.
inline void PressKey(HWND control, WPARAM key) {
  ::SetFocus(control);
  ::PostMessageW(control, WM_KEYDOWN, key, 0);
  ::PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

// Replaces the text of an edit (or of a combo's edit) by typing: select all, backspace, then
// one WM_CHAR per character, so the control sends its change notifications itself.
inline void Type(HWND control, const std::wstring& text) {
  HWND edit = ::FindWindowExW(control, nullptr, L"Edit", nullptr);
  if (edit == nullptr) edit = control;
  ::SetFocus(edit);
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  ::SendMessageW(edit, WM_CHAR, VK_BACK, 0);
  for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 0);
}

// A left click (or double-click) in the middle of list box line `line`.
inline void ClickListLine(HWND list, int line, bool twice) {
  RECT r{};
  ::SendMessageW(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(list, WM_LBUTTONUP, 0, at);
  if (twice) {
    ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
  }
}

// A folder of its own for a test's settings file, emptied first; the library's path points
// into it, and a fresh settings store is made.
inline std::string FreshSettingsFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name;
  ::CreateDirectoryA(folder.c_str(), nullptr);
  ::DeleteFileA((folder + "\\Pinote.ini").c_str());
  DestroySettingsStore();
  SetPluginFileNameForTesting(folder + "\\Pinote.dll");
  CreateSettingsStore();
  return folder;
}

inline std::string ReadFileBytes(const std::string& path) {
  std::string data;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) data += static_cast<char>(c);
    std::fclose(f);
  }
  return data;
}

}  // namespace pinote::testing_dialogs
