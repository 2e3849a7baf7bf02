// Drives a modal form as a user would, from inside its own message loop: a thread timer fires
// while the form runs, finds it by its class and performs one scripted step per tick (clicks,
// typing, focus moves, all through messages to the controls).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/win32/env.h"
#include "forms/win32/modal.h"

namespace pinote::testing_dialogs {

using Step = std::function<void(HWND form)>;
// A step for a window of another class (a message box is "#32770"), shown while a command runs.
struct ClassStep {
  const wchar_t* cls;
  Step step;
};

struct Script {
  const wchar_t* cls = nullptr;
  std::vector<ClassStep> steps;
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
  const wchar_t* cls = s->next < s->steps.size() ? s->steps[s->next].cls : s->cls;
  HWND form = ::FindWindowW(cls, nullptr);
  if (form == nullptr || !::IsWindowVisible(form)) return;
  if (s->next < s->steps.size()) {
    const Step step = s->steps[s->next++].step;
    step(form);
    return;
  }
  // The script is done but the form is still open: close it so the test cannot hang.
  if (++s->idleTicks > 20) {
    ADD_FAILURE() << "the form is still open after its script";
    ::PostMessageW(form, WM_CLOSE, 0, 0);
  }
}

// Runs `open` (which blocks in a modal loop) while `steps` run, each on the window of its class.
template <class F>
auto RunClassScripted(const wchar_t* cls, std::vector<ClassStep> steps, F&& open) {
  Script script{cls, std::move(steps)};
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
  EXPECT_EQ(::FindWindowW(cls, nullptr), nullptr) << "the form outlived its modal call";
  return result;
}

// Opens the form with `open` (which blocks in the form's modal loop) while `steps` run.
template <class F>
auto RunScripted(const wchar_t* cls, std::vector<Step> steps, F&& open) {
  std::vector<ClassStep> classed;
  for (Step& step : steps) classed.push_back({cls, std::move(step)});
  return RunClassScripted(cls, std::move(classed), std::forward<F>(open));
}

inline HWND Ctl(HWND form, int id) {
  HWND c = FindDescendant(form, id);
  EXPECT_NE(c, nullptr) << "no control " << id;
  return c;
}
inline void Click(HWND form, int id) { ::SendMessageW(Ctl(form, id), BM_CLICK, 0, 0); }
inline bool Checked(HWND form, int id) {
  return ::SendMessageW(Ctl(form, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline bool Enabled(HWND form, int id) { return ::IsWindowEnabled(Ctl(form, id)) != FALSE; }
inline std::wstring Text(HWND form, int id) { return WindowText(Ctl(form, id)); }

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
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    std::fclose(f);
  }
  return data;
}

}  // namespace pinote::testing_dialogs
