// A memo's history from the files on disk: seven daily backups of 100,000 people (about 10 MB
// each), in each of which the person's memo reads differently, gathered for one person as the
// History dialog does when it opens.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/sync_copies.h"
#include "store/memo_history.h"
#include "bench_data.h"

namespace pinote {
namespace {

using namespace pinote::bench;  // NOLINT: the shared data of the store benchmarks

constexpr int kBackups = 7;

// Pinote.dat and its backups in a folder of their own; returns Pinote.dat's path.
std::string LayOutBackups(int person, size_t& backupBytes) {
  const std::filesystem::path folder = std::filesystem::path(TempPath("history")) / "";
  std::filesystem::create_directories(folder);
  const std::string data = (folder / "Pinote.dat").string();
  FileSystem& fs = SystemFileSystem();
  const std::string base = StoreText(kRecords);
  const std::string line = Address(person, 1) + "\r\n";
  for (int day = 1; day <= kBackups; ++day) {
    std::string text = base;
    text.insert(text.find(line) + line.size(), " version " + std::to_string(day) + "\r\n");
    // Filler people to 10 MB, after the person.
    for (int i = kRecords; text.size() < 10'000'000; ++i) {
      text += Address(i, 0) + "\r\n Met at the trade fair, booth " + std::to_string(i) + "\r\n\r\n";
    }
    backupBytes = text.size();
    fs.WriteAllSafely(folder.string() + DailyBackupName("Pinote.dat", {2024, 5, day}), text);
  }
  fs.WriteAllSafely(data, base);
  return data;
}

void BM_GatherMemoHistory_SevenBackupsOf10MB(benchmark::State& state) {
  const int person = kRecords / 2;
  size_t backupBytes = 0;
  const std::string data = LayOutBackups(person, backupBytes);
  const std::vector<std::string> addresses = {Address(person, 0), Address(person, 1)};
  size_t found = 0;
  for (auto _ : state) {
    const MemoHistory h = GatherMemoHistory(SystemFileSystem(), data, addresses, MemoFor(person));
    found = h.texts.size();
    benchmark::DoNotOptimize(found);
  }
  if (found != kBackups) state.SkipWithError("not every backup's text was found");
  state.counters["texts"] = static_cast<double>(found);
  state.counters["MB_per_backup"] = static_cast<double>(backupBytes) / 1e6;
}
BENCHMARK(BM_GatherMemoHistory_SevenBackupsOf10MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace pinote
