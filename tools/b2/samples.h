// Timed samples of a scripted session: durations recorded under a key (a plug-in call, a
// keystroke, a reference write...) and summed up as median, minimum and maximum. Plain C++, so
// the summary is tested without a window system.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace b2 {

struct Summary {
  size_t count = 0;
  double median = 0, min = 0, max = 0;
};

// Median (the mean of the two middle values for an even count), minimum and maximum; all zero
// for no samples.
[[nodiscard]] Summary Summarize(std::vector<double> samples);

// "12.3": microseconds with one decimal, as the log shows every duration.
[[nodiscard]] std::string Micros(double us);

// The samples recorded since the last ClearSamples, by key; thread-safe (the UI thread and the
// script thread both record).
void RecordSample(const std::string& key, double us);
void ClearSamples();
[[nodiscard]] std::map<std::string, std::vector<double>> TakeSamples();

// Splits "a ; b ; c" at each " ; " into its trimmed, non-empty parts.
[[nodiscard]] std::vector<std::string> SplitCommands(const std::string& line);

}  // namespace b2
