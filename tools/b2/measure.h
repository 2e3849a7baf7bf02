// Measuring in scripted sessions: durations by QueryPerformanceCounter, the host's working set,
// and the commands that time things (repeat, refwrite, reffill, memory; docs/b2-script.md).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "samples.h"

namespace b2 {

class Stopwatch {
 public:
  Stopwatch() { QueryPerformanceCounter(&start_); }
  [[nodiscard]] double Micros() const {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return 1e6 * static_cast<double>(now.QuadPart - start_.QuadPart) /
           static_cast<double>(freq.QuadPart);
  }

 private:
  LARGE_INTEGER start_;
};

// Logs "memory LABEL working_set_kb=N peak_working_set_kb=N private_kb=N" for this process.
void LogMemory(const std::string& label);

// Paints at once what waits to be painted in `window`, or (null) in every visible top-level
// window of the calling thread but the host's main window, children included; returns the
// microseconds it took. A window procedure may leave painting for later: this makes it count.
double PaintPending(HWND window);

// Runs a measuring command; nullopt when `cmd` is none of them, else whether the script goes on
// (false after an "exit" inside "repeat"). `run_line` runs one script line.
std::optional<bool> RunMeasuringCommand(const std::string& cmd, const std::string& rest,
                                        const std::function<bool(const std::string&)>& run_line);

// reference_window.cpp: on the UI thread, fills a plain window that mirrors the check boxes,
// labels and edits of `target` (made at the first call) with their current texts and check
// states, timed; logs "reffill". False when there is no such window.
bool FillReferenceWindow(const std::string& target);

}  // namespace b2
