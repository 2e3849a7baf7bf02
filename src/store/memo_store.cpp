#include "store/memo_store.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "common/mbtext.h"
#include "store/text_lines.h"

namespace pinote {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kImportantLine = "@Important";

// Calls `fn` for every line of a memo: breaks at CR LF, CR or LF, a final break makes no extra
// line, and a NUL ends the text (the file reader would stop there anyway).
template <typename Fn>
void ForEachMemoLine(std::string_view memo, Fn&& fn) {
  const size_t zero = memo.find('\0');
  if (zero != std::string_view::npos) memo = memo.substr(0, zero);
  size_t begin = 0;
  const size_t size = memo.size();
  while (begin < size) {
    // A plain loop: find_first_of with a two-byte set costs a library call per byte.
    size_t brk = begin;
    while (brk < size && memo[brk] != '\r' && memo[brk] != '\n') ++brk;
    fn(memo.substr(begin, brk - begin));
    if (brk == size) return;
    begin = brk + (memo[brk] == '\r' && brk + 1 < size && memo[brk + 1] == '\n' ? 2 : 1);
  }
}

}  // namespace

bool IsStorableAddress(std::string_view address) {
  if (address.empty() || address.front() == ' ' || address.front() == '@') return false;
  for (const char c : address) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
  }
  return true;
}

bool IsKeptOnSave(const Person& person) noexcept {
  return !person.Memo.empty() || person.Addresses.size() > 1;
}

namespace {

// The file's bytes for `persons`. With `keys`, also every address of every record in order, as
// the index is built from them: a written address is viewed in the output, which the caller
// reads sequentially, instead of in its own scattered allocation.
void FormatRecords(const std::vector<std::unique_ptr<Person>>& persons, std::string& out,
                   std::vector<AddressIndex::Entry>* keys, std::vector<size_t>& written) {
  constexpr size_t kLeftOut = static_cast<size_t>(-1);
  out.clear();
  written.clear();
  if (keys != nullptr) keys->clear();
  for (size_t i = 0; i < persons.size(); ++i) {
    const Person& p = *persons[i];
    for (const auto& a : p.Addresses) {
      // An address the format cannot hold would end the record, mark it, turn into memo text
      // or, with a NUL, cut off every record after it; it is left out instead.
      const bool storable = IsStorableAddress(a);
      if (keys != nullptr) {
        keys->push_back({a, static_cast<int>(i)});
        written.push_back(storable ? out.size() : kLeftOut);
      }
      if (!storable) continue;
      out += a;
      out += kCrLf;
    }
    if (p.Important) {
      out += kImportantLine;
      out += kCrLf;
    }
    ForEachMemoLine(p.Memo, [&out](std::string_view line) {
      out += ' ';
      out += line;
      out += kCrLf;
    });
    out += kCrLf;
  }
  if (keys != nullptr) {
    for (size_t k = 0; k < written.size(); ++k) {
      if (written[k] == kLeftOut) continue;
      auto& key = (*keys)[k].address;
      key = std::string_view(out).substr(written[k], key.size());
    }
  }
}

}  // namespace

std::string FormatMemoFile(const std::vector<std::unique_ptr<Person>>& persons) {
  size_t size = 0;
  for (const auto& p : persons) {
    for (const auto& a : p->Addresses) size += a.size() + 2;
    size += p->Memo.size() + p->Memo.size() / 4 + kImportantLine.size() + 6;
  }
  std::string out;
  out.reserve(size);
  std::vector<size_t> written;
  FormatRecords(persons, out, nullptr, written);
  return out;
}

std::vector<std::unique_ptr<Person>> ParseMemoFile(std::string_view text) {
  std::vector<std::unique_ptr<Person>> persons;
  std::vector<std::string_view> addresses;
  std::string memo;
  bool important = false;
  const auto makeRecord = [&] {
    auto p = std::make_unique<Person>();
    p->Addresses.assign(addresses.begin(), addresses.end());
    p->Important = important;
    p->Memo = memo;
    persons.push_back(std::move(p));
  };
  for (std::string_view line : SplitStoreLines(text)) {
    if (line.empty()) {
      if (!addresses.empty()) {
        makeRecord();
        addresses.clear();
        important = false;
      }
      memo.clear();
    } else if (line.front() == ' ') {
      memo.append(line.substr(1));
      memo += kCrLf;
    } else if (line.front() == '@') {
      important = true;
    } else {
      addresses.push_back(line);
    }
  }
  if (!addresses.empty()) makeRecord();
  return persons;
}

Person* MemoStore::Get(int index) const noexcept {
  if (index < 0 || index >= Count()) return nullptr;
  return persons_[static_cast<size_t>(index)].get();
}

int MemoStore::IndexOfAddress(std::string_view address) const {
  return index_.Find(address);
}

void MemoStore::RebuildIndex() {
  std::vector<AddressIndex::Entry> entries;
  size_t keys = 0;
  for (const auto& p : persons_) keys += p->Addresses.size();
  entries.reserve(keys);
  for (size_t i = 0; i < persons_.size(); ++i) {
    for (const auto& a : persons_[i]->Addresses) entries.push_back({a, static_cast<int>(i)});
  }
  index_.Assign(entries);  // in record order: the earliest record keeps a key
}

void MemoStore::Add(std::unique_ptr<Person> person) {
  if (!person) return;
  persons_.push_back(std::move(person));
  RebuildIndex();
}

void MemoStore::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  persons_.erase(persons_.begin() + index);
  RebuildIndex();
}

void MemoStore::Load(const std::string& path) {
  fileName_ = path;
  readFailed_ = false;
  if (fs_.Exists(path)) {
    persons_.clear();
    index_.Clear();
    std::string text;
    try {
      text = fs_.ReadAll(path);
    } catch (const FileError&) {
      // Remembered so that Save never replaces a file whose memos were not read.
      readFailed_ = true;
      throw;
    }
    persons_ = ParseMemoFile(text);
  }
  RebuildIndex();
}

void MemoStore::MergeEditsInto(std::vector<std::unique_ptr<Person>> loaded) {
  std::unordered_map<std::string, size_t> byAddress;
  for (size_t i = 0; i < loaded.size(); ++i) {
    for (const auto& a : loaded[i]->Addresses) byAddress.emplace(UpperAnsi(a), i);
  }
  // A record that Save would drop carries nothing; letting it win would erase a memo that was
  // never shown, because the store was empty when it was made.
  std::unordered_set<std::string> edited;
  for (const auto& p : persons_) {
    if (!IsKeptOnSave(*p)) continue;
    for (const auto& a : p->Addresses) edited.insert(UpperAnsi(a));
  }
  std::vector<bool> replaced(loaded.size(), false);
  for (auto& p : persons_) {
    if (!IsKeptOnSave(*p)) continue;
    size_t found = loaded.size();
    for (const auto& a : p->Addresses) {
      const auto it = byAddress.find(UpperAnsi(a));
      if (it != byAddress.end() && !replaced[it->second]) {
        found = it->second;
        break;
      }
    }
    if (found == loaded.size()) {
      loaded.push_back(std::move(p));
      continue;
    }
    // The edited record takes the file record's place, but nothing of the file's record that
    // was never shown is dropped: its addresses that no edited record holds stay with it, its
    // memo comes first (the edit was typed into a box that showed nothing of it) and its mark
    // is kept.
    const Person& file = *loaded[found];
    for (const auto& a : file.Addresses) {
      if (edited.count(UpperAnsi(a)) == 0) p->Addresses.push_back(a);
    }
    if (p->Memo.compare(0, file.Memo.size(), file.Memo) != 0) p->Memo = file.Memo + p->Memo;
    p->Important = p->Important || file.Important;
    loaded[found] = std::move(p);
    replaced[found] = true;
  }
  persons_ = std::move(loaded);
}

void MemoStore::Save() {
  if (readFailed_) {
    if (fs_.Exists(fileName_)) {
      std::string text;
      try {
        text = fs_.ReadAll(fileName_);
      } catch (const FileError& e) {
        throw FileError(fileName_, "not saved, because the existing file could not be read (" +
                                       e.systemMessage() + ")");
      }
      MergeEditsInto(ParseMemoFile(text));
    }
    readFailed_ = false;
  }
  // Prune in one stable pass; erasing one by one is quadratic on a large store.
  persons_.erase(std::remove_if(persons_.begin(), persons_.end(),
                                [](const auto& p) { return !IsKeptOnSave(*p); }),
                 persons_.end());
  // Formatting and re-indexing in one walk over the records, which a large store pays for in
  // cache misses; the index is rebuilt before the write, so it stands even when the write fails.
  // The buffers are kept from one Save to the next: every edit saves the whole store, and fresh
  // megabytes each time cost as much in page faults as the formatting itself.
  FormatRecords(persons_, saveText_, &saveKeys_, saveWritten_);
  index_.Assign(saveKeys_);
  fs_.WriteAllSafely(fileName_, saveText_);
}

}  // namespace pinote
