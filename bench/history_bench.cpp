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

// Pinote.dat and its backups in a folder of their own; returns Pinote.dat's path.
std::string LayOutBackups(int person, size_t& backupBytes) {
  const std::filesystem::path folder = std::filesystem::path(TempPath("history")) / "";
  std::filesystem::create_directories(folder);
  FileSystem& fs = SystemFileSystem();
  const std::string store = StoreText(kRecords);
  for (int day = 1; day <= kBackups; ++day) {
    const std::string text = BackupText(store, person, day);
    backupBytes = text.size();
    fs.WriteAllSafely(folder.string() + DailyBackupName("Pinote.dat", {2024, 5, day}), text);
  }
  const std::string data = (folder / "Pinote.dat").string();
  fs.WriteAllSafely(data, store);
  return data;
}

void BM_GatherMemoHistory_SevenBackupsOf10MB(benchmark::State& state) {
  const int person = kRecords / 2;
  size_t backupBytes = 0;
  const std::string data = LayOutBackups(person, backupBytes);
  const std::vector<std::string> addresses = {Address(person, 0), Address(person, 1)};
  size_t found = 0;
  for (auto _ : state) {
    const MemoHistory h = GatherMemoHistory(SystemFileSystem(), data, addresses, MemoFor(person),
                                              CodePage::ShiftJis());
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
