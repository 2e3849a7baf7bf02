// Measuring commands of scripted sessions: a timed repeat of commands with the medians of what
// they recorded, a reference write of a file's bytes, and the working set of the host process.
#include "measure.h"

#include <psapi.h>

#include "b2.h"

namespace b2 {
namespace {

constexpr DWORD kUiWait = 15000;

std::string FirstWord(const std::string& s, std::string* rest) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) {
    *rest = std::string();
    return std::string();
  }
  const size_t e = s.find(' ', b);
  *rest = e == std::string::npos ? std::string() : s.substr(e + 1);
  return s.substr(b, e == std::string::npos ? e : e - b);
}

// The first word, or the text between double quotes when it starts with one.
std::string Argument(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b != std::string::npos && s[b] == '"') {
    const size_t e = s.find('"', b + 1);
    return s.substr(b + 1, e == std::string::npos ? e : e - b - 1);
  }
  std::string ignored;
  return FirstWord(s, &ignored);
}

int Number(const std::string& s, int fallback) {
  try {
    return std::stoi(s, nullptr, 0);
  } catch (...) {
    return fallback;
  }
}

void LogSummaries() {
  for (auto& [key, values] : TakeSamples()) {
    const Summary s = Summarize(std::move(values));
    Log("timing " + key + " n=" + std::to_string(s.count) + " median_us=" + Micros(s.median) +
        " min_us=" + Micros(s.min) + " max_us=" + Micros(s.max));
  }
}

// "repeat N [skip=W] COMMAND [; COMMAND]...": the commands W times as warm-up, then N times
// with the samples they record summed up per key, and each round's wall time as "round".
bool Repeat(const std::string& args, const std::function<bool(const std::string&)>& run_line) {
  std::string rest;
  const int rounds = Number(FirstWord(args, &rest), -1);
  int warmups = 0;
  std::string after_skip;
  const std::string maybe_skip = FirstWord(rest, &after_skip);
  if (maybe_skip.rfind("skip=", 0) == 0) {
    warmups = Number(maybe_skip.substr(5), -1);
    rest = after_skip;
  }
  const std::vector<std::string> commands = SplitCommands(rest);
  if (rounds < 1 || warmups < 0 || commands.empty()) {
    Log("error repeat needs N [skip=W] COMMAND [; COMMAND]...");
    return true;
  }
  for (int round = 0; round < warmups + rounds; ++round) {
    if (round == warmups) ClearSamples();
    Stopwatch watch;
    for (const std::string& c : commands) {
      if (!run_line(c)) return false;
    }
    if (round >= warmups) RecordSample("round", watch.Micros());
  }
  LogSummaries();
  return true;
}

std::string ReadAll(const std::wstring& path, bool* ok) {
  std::string bytes;
  *ok = false;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(f, &size) && size.QuadPart < 0x40000000) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    *ok = ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
          got == bytes.size();
  }
  CloseHandle(f);
  return bytes;
}

// What a plug-in that saves a file safely cannot do with less: the same bytes written to a new
// file in one call, flushed, closed and moved over "FILE.ref". Only the write is timed.
void ReferenceWrite(const std::string& relative) {
  const std::wstring path = Opt().exe_folder + Wide(relative);
  bool read = false;
  const std::string bytes = ReadAll(path, &read);
  if (!read) {
    Log("error refwrite cannot-read " + Quote(relative));
    return;
  }
  const std::wstring target = path + L".ref", temp = path + L".ref.tmp";
  Stopwatch watch;
  HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD wrote = 0;
  bool ok = f != INVALID_HANDLE_VALUE &&
            WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
            wrote == bytes.size() && FlushFileBuffers(f);
  if (f != INVALID_HANDLE_VALUE) ok = CloseHandle(f) && ok;
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  const double us = watch.Micros();
  if (!ok) {
    Log("error refwrite " + Quote(relative) + " error=" + std::to_string(GetLastError()));
    DeleteFileW(temp.c_str());
    return;
  }
  RecordSample("refwrite", us);
  Log("refwrite " + Quote(relative) + " bytes=" + std::to_string(bytes.size()) +
      " us=" + Micros(us));
}

BOOL CALLBACK PaintProc(HWND w, LPARAM) {
  if (w != H().main && IsWindowVisible(w))
    RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return TRUE;
}

}  // namespace

double PaintPending(HWND window) {
  Stopwatch watch;
  if (window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  } else {
    EnumThreadWindows(GetCurrentThreadId(), PaintProc, 0);
  }
  return watch.Micros();
}

void LogMemory(const std::string& label) {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                            sizeof pmc)) {
    Log("error memory " + label + " error=" + std::to_string(GetLastError()));
    return;
  }
  Log("memory " + label + " working_set_kb=" + std::to_string(pmc.WorkingSetSize / 1024) +
      " peak_working_set_kb=" + std::to_string(pmc.PeakWorkingSetSize / 1024) +
      " private_kb=" + std::to_string(pmc.PrivateUsage / 1024));
}

std::optional<bool> RunMeasuringCommand(const std::string& cmd, const std::string& rest,
                                        const std::function<bool(const std::string&)>& run_line) {
  if (cmd == "repeat") return Repeat(rest, run_line);
  if (cmd == "refwrite") {
    ReferenceWrite(Argument(rest));
  } else if (cmd == "reffill") {
    const std::string target = Argument(rest);
    bool found = false;
    if (!RunOnUi([&] { found = FillReferenceWindow(target); }, kUiWait)) {
      Log("error ui-timeout");
    } else if (!found) {
      Log("error reffill no-window " + Quote(target));
    }
  } else if (cmd == "memory") {
    const std::string label = Argument(rest);
    LogMemory(label.empty() ? "now" : label);
  } else {
    return std::nullopt;
  }
  return true;
}

}  // namespace b2
