#include "e2e_util.h"

namespace e2e {

std::string FieldOf(const std::string& line, const std::string& key) {
  std::string k = " " + key + "=";
  size_t at = line.find(k);
  if (at == std::string::npos) return {};
  at += k.size();
  if (key == "text") return line.substr(at);  // always the last field
  if (at < line.size() && line[at] == '"') {
    size_t e = at + 1;
    while (e < line.size() && line[e] != '"') e += line[e] == '\\' ? 2 : 1;
    return line.substr(at, e + 1 - at);
  }
  return line.substr(at, line.find(' ', at) - at);
}

std::vector<MenuItem> MenuDump(const RunResult& r, const std::string& begin, int nth) {
  std::vector<MenuItem> items;
  int seen = -1;
  bool in = false;
  for (const auto& l : r.lines) {
    if (l.rfind(begin + "-begin", 0) == 0) in = ++seen == nth;
    else if (l.rfind(begin + "-end", 0) == 0) in = false;
    else if (in && l.rfind("menu ", 0) == 0) {
      MenuItem m;
      size_t p1 = l.find(' ', 5), p2 = l.find(' ', p1 + 1);
      m.path = l.substr(5, p1 - 5);
      m.kind = l.substr(p1 + 1, p2 - p1 - 1);
      size_t t = l.find(" text="), b = l.rfind(" bitmap=");
      m.text = l.substr(t + 6, b - t - 6);
      m.bitmap = l.compare(b, 9, " bitmap=1") == 0;
      if (m.path.rfind("ctx.", 0) == 0) m.path = m.path.substr(4);
      items.push_back(m);
    }
  }
  return items;
}

std::vector<MenuItem> Children(const std::vector<MenuItem>& items, const std::string& path) {
  std::vector<MenuItem> out;
  std::string prefix = path.empty() ? "" : path + ".";
  for (const auto& m : items)
    if (m.path.compare(0, prefix.size(), prefix) == 0 &&
        m.path.find('.', prefix.size()) == std::string::npos)
      out.push_back(m);
  return out;
}

std::string TopPath(const std::vector<MenuItem>& items, const std::string& text) {
  for (const auto& m : Children(items, ""))
    if (m.text == Quoted(text)) return m.path;
  return {};
}

std::vector<WindowDump> WindowDumps(const RunResult& r) {
  std::vector<WindowDump> dumps;
  bool in = false;
  for (const auto& l : r.lines) {
    if (l.rfind("window class=", 0) == 0) {
      dumps.push_back({l, {}});
      in = true;
    } else if (in && l.rfind("child ", 0) == 0) {
      dumps.back().children[std::stoi(FieldOf(l, "id"))] = l;
    } else {
      in = false;
    }
  }
  return dumps;
}

std::string ScriptText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

std::string Child(const WindowDump& d, int id, const std::string& key) {
  auto it = d.children.find(id);
  return it == d.children.end() ? "(missing)" : FieldOf(it->second, key);
}

const std::string kMemoWindow = MEMO_WINDOW_CLASS;
const std::string kOptionsDialog = "#32770@" + std::to_string(IDC_OPTION_TABS);
const std::string kUnifyDialog = "#32770@" + std::to_string(IDC_ADDRESS_LIST);
const std::string kAboutDialog = "#32770@" + std::to_string(IDC_NAME_LABEL);

std::string TypeInto(const std::string& target, int id, const std::string& text) {
  return "type " + target + " " + std::to_string(id) + " " + text + "\n";
}
std::string ClickOn(const std::string& target, int id) {
  return "click " + target + " " + std::to_string(id) + "\n";
}
std::string MemoCommand(int id) { return "command " + kMemoWindow + " " + std::to_string(id) + "\n"; }
std::string WaitWindow(const std::string& target) { return "waitwindow " + target + "\n"; }
std::string WaitHidden(const std::string& target) { return "waithidden " + target + "\n"; }
std::string DumpWindow(const std::string& target) { return "window " + target + "\n"; }
std::string ShowMemoWindow() {
  return "hostmenu &Tool/Quillet for Becky!2/Open the Quillet\n" + WaitWindow(kMemoWindow);
}
std::string TypeMemo(const std::string& text) { return TypeInto(kMemoWindow, IDC_MEMO_EDIT, text); }

std::string SampleDat() { return ReadBytes(SourceDir() + L"data\\sample\\Pinote.dat"); }

}  // namespace e2e
