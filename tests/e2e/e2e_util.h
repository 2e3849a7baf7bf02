// Readers for the host log: menu dumps, window dumps and fields of one line.
#pragma once

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

}  // namespace e2e
