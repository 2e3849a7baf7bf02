// Random edit sequences for the memo store, driven by a byte string (random bytes in the tests,
// the fuzzer's input in fuzz/memo_edits.cpp): every change the store offers, another writer
// changing the file meanwhile (with the clock running or standing still), and after each save
// the checks that the file holds exactly what a fresh format of the records gives, that memory
// holds what Save keeps, and that every address resolves to the first record holding it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/mbtext.h"
#include "fake_file_system.h"
#include "store/memo_store.h"
#include "store/record_operations.h"

namespace pinote::test {

// Reads the script: bytes, small numbers and texts; zeros once it is used up.
class EditSource {
 public:
  explicit EditSource(std::string_view bytes) : bytes_(bytes) {}
  [[nodiscard]] bool Done() const { return at_ >= bytes_.size(); }
  uint8_t Byte() { return at_ < bytes_.size() ? static_cast<uint8_t>(bytes_[at_++]) : 0; }
  int Below(int n) { return n <= 0 ? 0 : Byte() % n; }
  // A text from a pool of awkward ones, or a few raw bytes of the script.
  std::string Text() {
    static const char* const kPool[] = {
        "",       "m",           "line\r\n",  "a\rb\nc",     "\x83\x5C\x82\xA0",  " lead",
        "@mark",  "two\r\nlines\r\n",         "\r\n",        "end\r",             "x\x01y",
    };
    const uint8_t b = Byte();
    if (b & 1) return kPool[(b >> 1) % (sizeof kPool / sizeof kPool[0])];
    std::string raw;
    for (int n = b >> 5; n > 0; --n) raw += static_cast<char>(Byte());
    return raw;
  }
  // An address from a pool (letter-case variants, Shift-JIS, what the file cannot hold).
  std::string Address() {
    static const char* const kPool[] = {"a@x", "A@X", "b@x", "c@y", "C@y", "\x83\x61@z",
                                        "\x83\x41@z", "d", "", "@bad", " sp", "n\r"};
    const uint8_t b = Byte();
    if (b < 240) return kPool[b % (sizeof kPool / sizeof kPool[0])];
    std::string raw;
    for (int n = b & 7; n > 0; --n) raw += static_cast<char>(Byte());
    return raw;
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

// Equality after UpperAnsi, read plainly.
inline bool SameKey(const std::string& a, const std::string& b) {
  return UpperAnsi(a, CodePage::ShiftJis()) == UpperAnsi(b, CodePage::ShiftJis());
}

// What went wrong, or "" when the saved file and the store agree.
inline std::string CheckSaved(const MemoStore& store, const testing::FakeFileSystem& fs) {
  std::vector<std::unique_ptr<Person>> written;
  for (int i = 0; i < store.Count(); ++i) {
    const Person& p = *store.Get(i);
    if (!IsKeptOnSave(p)) return "a record Save drops is still in memory: " + std::to_string(i);
    if (IsWrittenOnSave(p)) written.push_back(std::make_unique<Person>(p));
  }
  if (fs.Content(store.FileName()) != FormatMemoFile(written)) {
    return "the file differs from a fresh format of the records";
  }
  for (int i = 0; i < store.Count(); ++i) {
    for (const std::string& a : store.Get(i)->addresses) {
      int first = -1;
      for (int j = 0; j < store.Count() && first < 0; ++j) {
        for (const std::string& b : store.Get(j)->addresses) {
          if (SameKey(a, b)) {
            first = j;
            break;
          }
        }
      }
      if (store.IndexOfAddress(a) != first) return "the index misses " + a;
    }
  }
  return {};
}

// A small name list over the address pool.
inline std::string NameListOf(EditSource& src) {
  std::string out;
  for (int e = src.Below(3) + 1; e > 0; --e) {
    out += "u\r\n" + src.Text() + "x\r\nu\r\nu\r\n0\r\n";
    const int m = src.Below(3);
    out += std::to_string(m) + "\r\n";
    for (int i = 0; i < m; ++i) out += src.Address() + "\r\n";
    out += "0\r\n";
  }
  return out;
}

// Another writer's version of the file: records of the file changed, dropped, unified or added.
inline std::string OtherWritersFile(const std::string& file, EditSource& src) {
  std::vector<std::unique_ptr<Person>> records = ParseMemoFile(file);
  for (int n = src.Below(3) + 1; n > 0; --n) {
    const size_t at = records.empty() ? 0 : src.Below(static_cast<int>(records.size()));
    switch (src.Below(4)) {
      case 0:
        if (at < records.size()) records[at]->memo = src.Text();
        break;
      case 1:
        if (at < records.size()) records.erase(records.begin() + static_cast<ptrdiff_t>(at));
        break;
      case 2:
        if (at + 1 < records.size()) {
          for (auto& a : records[at + 1]->addresses) records[at]->addresses.push_back(a);
          records.erase(records.begin() + static_cast<ptrdiff_t>(at) + 1);
        }
        break;
      default: {
        auto p = std::make_unique<Person>();
        p->addresses.push_back(src.Address());
        p->memo = src.Text();
        records.push_back(std::move(p));
      }
    }
  }
  return FormatMemoFile(records);
}

// Runs the script on `store` (loaded from its FileName on `fs`); returns the first failed check,
// or "" when every save agreed. With `files`, the file after every save is appended there. With
// `check` false nothing is checked and no record is read, so that the records nobody asked for
// stay as the store keeps them until then: such a run must write the same files as a checked one.
// With `prepare`, every step comes after a PrepareSave, which must change none of the files.
inline std::string RunEditScript(MemoStore& store, testing::FakeFileSystem& fs, EditSource& src,
                                 std::vector<std::string>* files = nullptr, bool check = true,
                                 bool prepare = false) {
  const auto checkSaved = [&]() -> std::string {
    if (files != nullptr) files->push_back(fs.Content(store.FileName()));
    return check ? CheckSaved(store, fs) : std::string();
  };
  while (!src.Done()) {
    if (prepare) store.PrepareSave(0);
    const int record = src.Below(store.Count() + 2) - 1;  // -1 and Count included
    bool saved = false;
    switch (src.Below(16)) {
      case 0:
        store.SetMemo(record, src.Text());
        break;
      case 1:
        store.SetImportant(record, src.Byte() & 1);
        break;
      case 2: {
        auto p = std::make_unique<Person>();
        for (int n = src.Below(4); n > 0; --n) p->addresses.push_back(src.Address());
        p->memo = src.Text();
        p->important = src.Byte() & 1;
        if (src.Byte() & 1) p->nameListText = src.Text();
        store.Add(std::move(p));
        break;
      }
      case 3:
        store.Delete(record);
        break;
      case 4:
        store.AppendAddress(record, src.Address());
        break;
      case 5:
        store.RemoveAddress(record, src.Address());
        break;
      case 6:
        store.SetNameListText(record, src.Text());
        break;
      case 7:
        saved = Unify(store, src.Address(), record, src.Below(3)) == UnifyOutcome::kUnified &&
                store.Save().ok();
        break;
      case 8:
        saved = Separate(store, src.Address(), src.Text(), src.Byte() & 1) ==
                    SeparateOutcome::kSeparated &&
                store.Save().ok();
        break;
      case 9:
        saved = StoreTypedMemo(store, src.Address(), src.Text(), src.Byte() & 1) &&
                store.Save().ok();
        break;
      case 10:
        store.MergeNameListText(NameListOf(src));
        break;
      case 11:
        if (!store.Save().ok()) return "a save failed";
        saved = true;
        break;
      case 12:
        fs.Put(store.FileName(), OtherWritersFile(fs.Content(store.FileName()), src));
        break;
      case 13:
        saved = SyncWithDisk(fs, store.File(), nullptr).saved;
        break;
      case 14:
        fs.step = fs.step == 0 ? 25'000'001 : 0;  // a standing clock: no file time is settled
        break;
      default:
        // What was written reads back into records that write the same bytes again.
        if (!store.Save().ok()) return "a save failed";
        if (std::string failed = checkSaved(); !failed.empty()) return failed;
        if (!store.Load(store.FileName()).ok()) return "the file written could not be read";
        if (!store.Save().ok()) return "a save failed";
        saved = true;
        break;
    }
    if (saved) {
      if (std::string failed = checkSaved(); !failed.empty()) return failed;
    }
  }
  if (!store.Save().ok()) return "a save failed";
  return checkSaved();
}

}  // namespace pinote::test
