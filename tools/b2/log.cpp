// Text conversions and the session log: UTF-8, one event per line, shared by the UI thread, the
// script thread and the message-box watcher.
#include <cstdio>
#include <mutex>

#include "b2.h"

namespace b2 {
namespace {

std::mutex log_mutex;
FILE* log_file = nullptr;

std::wstring ToWide(UINT cp, const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string FromWide(UINT cp, const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

std::wstring Wide(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }
std::string Utf8(const std::wstring& wide) { return FromWide(CP_UTF8, wide); }
std::string AnsiToUtf8(const std::string& ansi) { return Utf8(ToWide(CP_ACP, ansi)); }
std::string Utf8ToAnsi(const std::string& utf8) { return FromWide(CP_ACP, Wide(utf8)); }

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02X", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

void OpenLog(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(log_mutex);
  if (log_file) fclose(log_file);
  log_file = _wfopen(path.c_str(), L"ab");
}

void Log(const std::string& line) {
  std::lock_guard<std::mutex> lock(log_mutex);
  if (!log_file) return;
  std::string text = line;
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';  // one event per line, whatever the caller passed
  text += "\n";
  fwrite(text.data(), 1, text.size(), log_file);
  fflush(log_file);
}

}  // namespace b2
