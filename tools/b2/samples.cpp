#include "samples.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <utility>

namespace b2 {
namespace {

std::mutex samples_mutex;
std::map<std::string, std::vector<double>> samples;

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

Summary Summarize(std::vector<double> values) {
  Summary s;
  s.count = values.size();
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  s.median = values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
  s.min = values.front();
  s.max = values.back();
  return s;
}

std::string Micros(double us) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", us);
  return buf;
}

void RecordSample(const std::string& key, double us) {
  std::lock_guard<std::mutex> lock(samples_mutex);
  samples[key].push_back(us);
}

void ClearSamples() {
  std::lock_guard<std::mutex> lock(samples_mutex);
  samples.clear();
}

std::map<std::string, std::vector<double>> TakeSamples() {
  std::lock_guard<std::mutex> lock(samples_mutex);
  return std::exchange(samples, {});
}

std::vector<std::string> SplitCommands(const std::string& line) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (;;) {
    const size_t sep = line.find(" ; ", at);
    const std::string part = Trim(line.substr(at, sep == std::string::npos ? sep : sep - at));
    if (!part.empty()) parts.push_back(part);
    if (sep == std::string::npos) return parts;
    at = sep + 3;
  }
}

}  // namespace b2
