// Memo store figures: hashed address look-up against the plain scan of (key, record) pairs, the
// name-list merge of a large address book, Load of a 9.5 MB Pinote.dat, and the save of one
// keystroke against one flushed write of the same bytes through the same file seam.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/mbtext.h"
#include "common/file_watch.h"
#include "common/settings.h"
#include "common/text_lines.h"
#include "forms/sender_view.h"
#include "store/memo_store.h"
#include "bench_data.h"
#include "../tests/core/fake_file_system.h"

namespace pinote {
namespace {

using namespace pinote::bench;  // NOLINT: the shared data of the store benchmarks

// The in-memory file system of the tests: the benchmarks that do not measure the disk.
using MemoryFs = testing::FakeFileSystem;

// Stored addresses spread over the whole store, asked for in another letter case.
std::vector<std::string> Queries() {
  std::vector<std::string> q;
  for (int i = 0; i < 1024; ++i) {
    q.push_back(UpperAnsi(Address((i * 7919) % kRecords, i & 1), CodePage::ShiftJis()));
  }
  return q;
}

// `lookUp(store, address)` for the queries in turn, over a loaded store of kRecords people.
template <class LookUp>
void RunQueries(benchmark::State& state, LookUp lookUp) {
  MemoryFs fs;
  fs.files["d"] = StoreText(kRecords);
  MemoStore store(CodePage::ShiftJis(), fs);
  (void)store.Load("d");
  const std::vector<std::string> queries = Queries();
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(lookUp(store, queries[i++ & 1023]));
}

void BM_IndexOfAddress_Hashed(benchmark::State& state) {
  RunQueries(state, [](const MemoStore& s, const std::string& a) { return s.IndexOfAddress(a); });
}
BENCHMARK(BM_IndexOfAddress_Hashed);

// What an opened mail looks up beyond the sender's own record: every label suffix of the
// sender's domain as a domain record, in a store that has none (what every mail pays).
void BM_ChooseSenderView(benchmark::State& state) {
  RunQueries(state, [](const MemoStore& s, const std::string& a) {
    return ChooseSenderView(s, a, SenderViewRequest::kAuto);
  });
}
BENCHMARK(BM_ChooseSenderView);

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// The plain list: (upper-cased address, record) pairs scanned from the start.
void BM_IndexOfAddress_LinearScan(benchmark::State& state) {
  std::vector<std::pair<std::string, int>> pairs;
  pairs.reserve(2 * kRecords);
  for (int r = 0; r < kRecords; ++r) {
    pairs.emplace_back(UpperAnsi(Address(r, 0), CodePage::ShiftJis()), r);
    pairs.emplace_back(UpperAnsi(Address(r, 1), CodePage::ShiftJis()), r);
  }
  const std::vector<std::string> queries = Queries();
  size_t i = 0;
  for (auto _ : state) {
    const std::string& key = queries[i++ & 1023];
    int found = -1;
    for (const auto& [k, index] : pairs) {
      if (SameIgnoringCase(k, key)) {
        found = index;
        break;
      }
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_IndexOfAddress_LinearScan);

void BM_LoadNameList_100k_Into_100k(benchmark::State& state) {
  MemoryFs fs;
  fs.files["d"] = StoreText(kRecords);
  fs.files["list"] = NameListText(kRecords);
  for (auto _ : state) {
    state.PauseTiming();
    auto store = std::make_unique<MemoStore>(CodePage::ShiftJis(), fs);
    (void)store->Load("d");
    state.ResumeTiming();
    store->LoadNameList("list");
    benchmark::DoNotOptimize(store->Count());
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadNameList_100k_Into_100k)->Unit(benchmark::kMillisecond)->Iterations(5);

// The walk read plainly: a linear scan of (upper-cased address, record) pairs per look-up and a
// linear "already contained" check, over copies of the records. Only for comparison, at a size
// where its quadratic cost still finishes.
void NaiveWalk(std::vector<Person>& persons, std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  std::vector<std::pair<std::string, int>> pairs;
  for (size_t i = 0; i < persons.size(); ++i) {
    for (const auto& a : persons[i].addresses) {
      pairs.emplace_back(UpperAnsi(a, CodePage::ShiftJis()), static_cast<int>(i));
    }
  }
  const int64_t count = static_cast<int64_t>(lines.size());
  int64_t pos = 1;
  while (pos < count - 5) {
    const std::string text =
        UnescapeText(lines[pos], CodePage::ShiftJis()).value_or(std::string(lines[pos]));
    pos += 3;
    if (pos >= count || !IsInteger(lines[pos])) continue;
    pos += 3 * int64_t{IntegerValue(lines[pos])} + 1;
    if (pos >= count || !IsInteger(lines[pos])) continue;
    const int64_t m = IntegerValue(lines[pos]);
    std::vector<std::string> addresses;
    for (int64_t i = pos + 1; i <= pos + m && i < count; ++i) addresses.emplace_back(lines[i]);
    pos += m + 1;
    if (pos >= count || !IsInteger(lines[pos])) continue;
    pos += 2 * int64_t{IntegerValue(lines[pos])} + 2;
    int record = -1;
    for (const auto& a : addresses) {
      const std::string key = UpperAnsi(a, CodePage::ShiftJis());
      for (const auto& [k, index] : pairs) {
        if (record < 0 && SameIgnoringCase(k, key)) record = index;
      }
    }
    if (record < 0) {
      persons.push_back(Person{addresses, false, "", text});
      continue;
    }
    Person& r = persons[static_cast<size_t>(record)];
    if (r.nameListText.empty()) r.nameListText = text;
    for (const auto& a : addresses) {
      bool held = false;
      for (const auto& h : r.addresses) held = held || SameIgnoringCase(h, a);
      if (!held) r.addresses.push_back(a);
    }
  }
}

constexpr int kSmall = 5000;

void BM_LoadNameList_5k_Into_5k(benchmark::State& state) {
  MemoryFs fs;
  fs.files["d"] = StoreText(kSmall);
  fs.files["list"] = NameListText(kSmall);
  for (auto _ : state) {
    state.PauseTiming();
    MemoStore store(CodePage::ShiftJis(), fs);
    (void)store.Load("d");
    state.ResumeTiming();
    store.LoadNameList("list");
    benchmark::DoNotOptimize(store.Count());
  }
}
BENCHMARK(BM_LoadNameList_5k_Into_5k)->Unit(benchmark::kMillisecond);

void BM_LoadNameList_5k_Into_5k_NaiveWalk(benchmark::State& state) {
  const std::string list = NameListText(kSmall);
  std::vector<Person> start;
  for (const auto& p : ParseMemoFile(StoreText(kSmall))) start.push_back(*p);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Person> persons = start;
    state.ResumeTiming();
    NaiveWalk(persons, list);
    benchmark::DoNotOptimize(persons.size());
  }
}
BENCHMARK(BM_LoadNameList_5k_Into_5k_NaiveWalk)->Unit(benchmark::kMillisecond);

// One keystroke as the memo window makes it: one memo changed, then Save, on a store loaded from
// the 9.5 MB file.
void BM_Save_AfterOneMemoEdit(benchmark::State& state) {
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
  MemoStore store(CodePage::ShiftJis());
  (void)store.Load(path, PcFolder());
  const size_t fileBytes = SystemFileSystem().ReadAll(path).size();
  int k = 0;
  for (auto _ : state) {
    store.SetMemo(kRecords / 2, MemoFor(kRecords / 2) + (k++ % 2 == 0 ? "x" : "xy"));
    (void)store.Save();
  }
  state.counters["file_MB"] = static_cast<double>(fileBytes) / 1e6;
  state.counters["kept_MB"] = static_cast<double>(store.KeptBytesMemory()) / 1e6;
  state.counters["kept_per_file"] =
      static_cast<double>(store.KeptBytesMemory()) / static_cast<double>(fileBytes);
}
BENCHMARK(BM_Save_AfterOneMemoEdit)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same bytes written once, flushed and put in place through the same seam.
void BM_Save_Reference_OneFlushedWrite(benchmark::State& state) {
  const std::string bytes = StoreText(kRecords);
  const std::string path = TempPath("reference.dat");
  for (auto _ : state) SystemFileSystem().WriteAllSafely(path, bytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_Save_Reference_OneFlushedWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A save of `store` (after `prepare`, untimed) against one flushed write of the bytes it wrote,
// in turn, so that a machine busy with other work slows them alike; "ratio" is the save's time
// over the flushed write's.
template <typename Prepare>
void SaveAgainstFlushedWrite(benchmark::State& state, const std::string& path, Prepare&& prepare) {
  using Clock = std::chrono::steady_clock;
  const std::string reference = TempPath("reference.dat");
  double save = 0, write = 0;
  int k = 0;
  for (auto _ : state) {
    state.PauseTiming();
    MemoStore& store = prepare();
    state.ResumeTiming();
    const auto t0 = Clock::now();
    store.SetMemo(kRecords / 2, MemoFor(kRecords / 2) + (k++ % 2 == 0 ? "x" : "xy"));
    benchmark::DoNotOptimize(store.Save().ok());
    const auto t1 = Clock::now();
    state.PauseTiming();
    const std::string bytes = SystemFileSystem().ReadAll(path);
    const auto t2 = Clock::now();
    SystemFileSystem().WriteAllSafely(reference, bytes);
    const auto t3 = Clock::now();
    state.ResumeTiming();
    save += std::chrono::duration<double>(t1 - t0).count();
    write += std::chrono::duration<double>(t3 - t2).count();
  }
  state.counters["save_ms"] = 1e3 * save / static_cast<double>(state.iterations());
  state.counters["write_ms"] = 1e3 * write / static_cast<double>(state.iterations());
  state.counters["ratio"] = save / write;
}

// A keystroke, the store long loaded.
void BM_Save_RatioToFlushedWrite(benchmark::State& state) {
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
  MemoStore store(CodePage::ShiftJis());
  (void)store.Load(path, PcFolder());
  SaveAgainstFlushedWrite(state, path, [&store]() -> MemoStore& { return store; });
}
BENCHMARK(BM_Save_RatioToFlushedWrite)->Unit(benchmark::kMillisecond)->Iterations(60);

// The first keystroke after the start: the addresses the name list added go into the file with
// it (half the people gain one). With `prepared`, the memo window had a moment after the start:
// what the save would format was formatted ahead (PrepareSave, untimed).
void FirstSaveAfterNameList(benchmark::State& state, bool prepared) {
  const std::string path = TempPath("Pinote.dat");
  const std::string list = TempPath("meibo.txt");
  SystemFileSystem().WriteAllSafely(list, NameListText(kRecords));
  std::unique_ptr<MemoStore> store;
  SaveAgainstFlushedWrite(state, path, [&]() -> MemoStore& {
    store.reset();
    SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
    store = std::make_unique<MemoStore>(CodePage::ShiftJis());
    (void)store->Load(path, PcFolder());
    store->LoadNameList(list);
    if (prepared) store->PrepareSave();
    return *store;
  });
}
void BM_FirstSave_AfterNameList_RatioToFlushedWrite(benchmark::State& state) {
  FirstSaveAfterNameList(state, false);
}
BENCHMARK(BM_FirstSave_AfterNameList_RatioToFlushedWrite)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);
void BM_FirstSave_Prepared_RatioToFlushedWrite(benchmark::State& state) {
  FirstSaveAfterNameList(state, true);
}
BENCHMARK(BM_FirstSave_Prepared_RatioToFlushedWrite)->Unit(benchmark::kMillisecond)->Iterations(8);

// The look at the file when a mail is shown and nobody wrote: one metadata call, and one listing
// of the folder filtered by name for sync-tool copies that appeared meanwhile.
void BM_SyncWithDisk_NothingChanged(benchmark::State& state) {
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
  MemoStore store(CodePage::ShiftJis());
  (void)store.Load(path, PcFolder());
  (void)SyncWithDisk(SystemFileSystem(), store.File(), nullptr);
  for (auto _ : state) {
    benchmark::DoNotOptimize(SyncWithDisk(SystemFileSystem(), store.File(), nullptr).saved);
  }
}
BENCHMARK(BM_SyncWithDisk_NothingChanged)->Unit(benchmark::kMicrosecond);

// The two parts of that look alone: the metadata call, and the listing.
void BM_Look_MetadataCallOnly(benchmark::State& state) {
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
  for (auto _ : state) benchmark::DoNotOptimize(SystemFileSystem().Stat(path).size);
}
BENCHMARK(BM_Look_MetadataCallOnly)->Unit(benchmark::kMicrosecond);

void BM_Look_FolderListingOnly(benchmark::State& state) {
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
  const std::string folder = path.substr(0, path.size() - std::string("Pinote.dat").size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(SystemFileSystem().ListFiles(folder, "Pinote").size());
  }
}
BENCHMARK(BM_Look_FolderListingOnly)->Unit(benchmark::kMicrosecond);

// What a stamp too fresh to be trusted costs on top: the file's bytes hashed.
void BM_ContentHash_9MB(benchmark::State& state) {
  const std::string bytes = StoreText(kRecords);
  for (auto _ : state) benchmark::DoNotOptimize(HashOf(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ContentHash_9MB)->Unit(benchmark::kMillisecond);

// Another writer changed one memo and added a person; this copy changed one memo: the merge of
// the 9.5 MB file, without reading or writing it.
void BM_MergeWithFile_100k(benchmark::State& state) {
  MemoryFs fs;
  fs.files["d"] = StoreText(kRecords);
  std::string theirs = StoreText(kRecords) + "new@example.jp\r\n added\r\n\r\n";
  theirs.replace(theirs.find(" Met at the trade fair in Osaka, booth 1\r\n"), 4, " Saw");
  std::unique_ptr<MemoStore> store;
  for (auto _ : state) {
    state.PauseTiming();
    store = std::make_unique<MemoStore>(CodePage::ShiftJis(), fs);
    (void)store->Load("d");
    store->SetMemo(kRecords / 2, MemoFor(kRecords / 2) + "mine");
    state.ResumeTiming();
    benchmark::DoNotOptimize(store->MergeWithFile(theirs).size());
  }
}
BENCHMARK(BM_MergeWithFile_100k)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Load_9MB(benchmark::State& state) {
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
  for (auto _ : state) {
    MemoStore store(CodePage::ShiftJis());
    (void)store.Load(path);
    benchmark::DoNotOptimize(store.Count());
  }
}
BENCHMARK(BM_Load_9MB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pinote
