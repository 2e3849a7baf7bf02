// Memo store figures: hashed address look-up against the plain scan of (key, record) pairs, the
// name-list merge of a large address book, and Save/Load of a ~10 MB Pinote.dat against writing
// the same bytes directly.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/mbtext.h"
#include "common/settings.h"
#include "common/text_lines.h"
#include "store/memo_store.h"

namespace pinote {
namespace {

constexpr int kRecords = 100000;

class MemoryFs final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::string ReadAll(const std::string& path) override { return files.at(path); }
  void WriteAllSafely(const std::string& path, std::string_view data) override {
    files[path] = std::string(data);
  }
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  void Rename(const std::string&, const std::string&) override {}
};

std::string Address(int i, int which) {
  return "User" + std::to_string(i) + (which == 0 ? ".Name@Example.co.jp" : "@Mail.Example.com");
}

// Two addresses each, a three-line memo: about 100 bytes a record.
std::string StoreText(int records) {
  std::vector<std::unique_ptr<Person>> persons;
  persons.reserve(records);
  for (int i = 0; i < records; ++i) {
    auto p = std::make_unique<Person>();
    p->Addresses = {Address(i, 0), Address(i, 1)};
    p->Important = i % 7 == 0;
    p->Memo = "Met at the meeting " + std::to_string(i) + "\r\nPhone 03-1234-5678\r\nNote\r\n";
    persons.push_back(std::move(p));
  }
  return FormatMemoFile(persons);
}

// Stored addresses spread over the whole store, asked for in another letter case.
std::vector<std::string> Queries() {
  std::vector<std::string> q;
  for (int i = 0; i < 1024; ++i) q.push_back(UpperAnsi(Address((i * 7919) % kRecords, i & 1)));
  return q;
}

void BM_IndexOfAddress_Hashed(benchmark::State& state) {
  MemoryFs fs;
  fs.files["d"] = StoreText(kRecords);
  MemoStore store(fs);
  store.Load("d");
  const std::vector<std::string> queries = Queries();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.IndexOfAddress(queries[i++ & 1023]));
  }
}
BENCHMARK(BM_IndexOfAddress_Hashed);

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
    pairs.emplace_back(UpperAnsi(Address(r, 0)), r);
    pairs.emplace_back(UpperAnsi(Address(r, 1)), r);
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

// A name list of `entries` entries: every other one names a stored person (by an address in
// another letter case) and brings a new address; the rest are new people.
std::string NameListText(int entries) {
  std::string out;
  for (int i = 0; i < entries; ++i) {
    out += "unread\r\nName%20" + std::to_string(i) + "%0D%0ACompany\r\nu\r\nu\r\n1\r\ng\r\ng\r\ng\r\n";
    if (i % 2 == 0) {
      out += "2\r\n" + UpperAnsi(Address(i, 1)) + "\r\nextra" + std::to_string(i) + "@x.jp\r\n";
    } else {
      out += "2\r\nbook" + std::to_string(i) + "@a.jp\r\nbook" + std::to_string(i) + "@b.jp\r\n";
    }
    out += "1\r\np\r\np\r\n";
  }
  return out;
}

void BM_LoadNameList_100k_Into_100k(benchmark::State& state) {
  MemoryFs fs;
  fs.files["d"] = StoreText(kRecords);
  fs.files["list"] = NameListText(kRecords);
  for (auto _ : state) {
    state.PauseTiming();
    auto store = std::make_unique<MemoStore>(fs);
    store->Load("d");
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
    for (const auto& a : persons[i].Addresses) pairs.emplace_back(UpperAnsi(a), static_cast<int>(i));
  }
  const int64_t count = static_cast<int64_t>(lines.size());
  int64_t pos = 1;
  while (pos < count - 5) {
    const std::string text = UnescapeText(lines[pos]).value_or(std::string(lines[pos]));
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
      const std::string key = UpperAnsi(a);
      for (const auto& [k, index] : pairs) {
        if (record < 0 && SameIgnoringCase(k, key)) record = index;
      }
    }
    if (record < 0) {
      persons.push_back(Person{addresses, false, "", text});
      continue;
    }
    Person& r = persons[static_cast<size_t>(record)];
    if (r.NameListText.empty()) r.NameListText = text;
    for (const auto& a : addresses) {
      bool held = false;
      for (const auto& h : r.Addresses) held = held || SameIgnoringCase(h, a);
      if (!held) r.Addresses.push_back(a);
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
    MemoStore store(fs);
    store.Load("d");
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

std::string TempPath(const char* name) {
  const auto dir = std::filesystem::temp_directory_path() / "pinote_memo_bench";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

void BM_Save_10MB(benchmark::State& state) {
  const std::string bytes = StoreText(kRecords);
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, bytes);
  MemoStore store;
  store.Load(path);
  for (auto _ : state) store.Save();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_Save_10MB)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The same bytes with one write call, made durable like Save makes them (temporary file, fsync,
// rename), so the difference is the store's own work.
void BM_Save_10MB_OneWriteReference(benchmark::State& state) {
  const std::string bytes = StoreText(kRecords);
  const std::string path = TempPath("reference.dat");
  const std::string temp = path + ".tmp";
  for (auto _ : state) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) state.SkipWithError("open");
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      state.SkipWithError("write");
    }
    ::fsync(fd);
    ::close(fd);
    std::rename(temp.c_str(), path.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_Save_10MB_OneWriteReference)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_Load_10MB(benchmark::State& state) {
  const std::string path = TempPath("Pinote.dat");
  SystemFileSystem().WriteAllSafely(path, StoreText(kRecords));
  for (auto _ : state) {
    MemoStore store;
    store.Load(path);
    benchmark::DoNotOptimize(store.Count());
  }
}
BENCHMARK(BM_Load_10MB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pinote
