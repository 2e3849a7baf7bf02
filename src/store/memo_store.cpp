#include "store/memo_store.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

#include "common/mbtext.h"
#include "common/text_lines.h"

namespace pinote {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kImportantLine = "@Important";

// What a record carries into the file beyond its address.
bool HasFileContent(const Person& person) noexcept {
  return !person.Memo.empty() || person.Addresses.size() > 1;
}

bool HasStorableAddress(const Person& person) noexcept {
  return std::any_of(person.Addresses.begin(), person.Addresses.end(),
                     [](const std::string& a) { return IsStorableAddress(a); });
}

// Reads the records of a file's text. For each record, calls
// onRecord(person, begin, size, exact, addresses): [begin, begin + size) is its block, from its
// first line to the end of the empty line that closes it; `exact` tells that the block holds
// exactly the bytes AppendRecordBytes gives for the record (every break CR LF, addresses first,
// then one "@Important", then the memo lines, then the empty line), so they can be kept as they
// are; `addresses` are the record's addresses as views into `text`.
template <typename OnRecord>
void ParseBlocks(std::string_view text, OnRecord&& onRecord) {
  text = BeforeNul(text);
  const char* const base = text.data();
  std::vector<std::string_view> addresses;
  std::string memo;
  bool important = false;
  bool exact = true;
  enum { kAddresses, kMark, kMemo } part = kAddresses;
  size_t blockBegin = 0;
  const auto makeRecord = [&](size_t end, bool closed) {
    auto p = std::make_unique<Person>();
    p->Addresses.assign(addresses.begin(), addresses.end());
    p->Important = important;
    p->Memo = memo;
    onRecord(std::move(p), blockBegin, end - blockBegin, exact && closed, addresses);
  };
  ForEachLine(text, [&](std::string_view line) {
    const size_t end = static_cast<size_t>(line.data() - base) + line.size();
    const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
    if (line.empty()) {
      // An empty line always has a break after it: a final break makes no line.
      const size_t next = end + (crLf ? 2 : 1);
      if (!addresses.empty()) makeRecord(next, crLf);
      addresses.clear();
      memo.clear();
      // The mark belongs to its block only: one left over from a block without addresses would
      // land on the next person.
      important = false;
      exact = true;
      part = kAddresses;
      blockBegin = next;
      return;
    }
    if (!crLf) exact = false;
    if (line.front() == ' ') {
      if (addresses.empty()) exact = false;
      part = kMemo;
      memo.append(line.substr(1));
      memo += kCrLf;
    } else if (line.front() == '@') {
      if (addresses.empty() || part != kAddresses || line != kImportantLine) exact = false;
      part = kMark;
      important = true;
    } else {
      if (part != kAddresses) exact = false;
      addresses.push_back(line);
    }
  });
  if (!addresses.empty()) makeRecord(text.size(), false);
}

// Where a record's bytes lie is kept in 32 bits: a record below 512 MiB in a buffer below 4 GiB.
constexpr size_t kMaxRecordBytes = (size_t{1} << 29) - 1;
constexpr size_t kMaxKeptBytes = std::numeric_limits<uint32_t>::max();

void CheckKeptSize(size_t recordBytes, size_t bufferBytes) {
  if (recordBytes > kMaxRecordBytes || bufferBytes > kMaxKeptBytes) {
    throw std::length_error("memo data of this size cannot be kept");
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

bool IsWrittenOnSave(const Person& person) noexcept {
  return HasFileContent(person) && HasStorableAddress(person);
}

bool IsKeptOnSave(const Person& person) noexcept {
  return HasFileContent(person) || (!person.NameListText.empty() && !person.Addresses.empty());
}

void AppendRecordBytes(const Person& person, std::string& out) {
  if (!HasStorableAddress(person)) return;
  for (const auto& a : person.Addresses) {
    // An address the format cannot hold would end the record, mark it, turn into memo text
    // or, with a NUL, cut off every record after it; it is left out instead.
    if (!IsStorableAddress(a)) continue;
    out += a;
    out += kCrLf;
  }
  if (person.Important) {
    out += kImportantLine;
    out += kCrLf;
  }
  ForEachLine(BeforeNul(person.Memo), [&out](std::string_view line) {
    out += ' ';
    out += line;
    out += kCrLf;
  });
  out += kCrLf;
}

std::string FormatMemoFile(const std::vector<std::unique_ptr<Person>>& persons) {
  size_t size = 0;
  for (const auto& p : persons) {
    for (const auto& a : p->Addresses) size += a.size() + 2;
    size += p->Memo.size() + p->Memo.size() / 4 + kImportantLine.size() + 6;
  }
  std::string out;
  out.reserve(size);
  for (const auto& p : persons) AppendRecordBytes(*p, out);
  return out;
}

std::vector<std::unique_ptr<Person>> ParseMemoFile(std::string_view text) {
  std::vector<std::unique_ptr<Person>> persons;
  ParseBlocks(text, [&persons](std::unique_ptr<Person> p, size_t, size_t, bool,
                               const std::vector<std::string_view>&) {
    persons.push_back(std::move(p));
  });
  return persons;
}

MemoStore::~MemoStore() = default;

const Person* MemoStore::Get(int index) const noexcept {
  if (index < 0 || index >= Count()) return nullptr;
  return records_[static_cast<size_t>(index)].person.get();
}

int MemoStore::IndexOfAddress(std::string_view address) const {
  return index_.Find(address);
}

void MemoStore::RebuildIndex() {
  std::vector<AddressIndex::Entry> entries;
  size_t keys = 0;
  for (const auto& r : records_) keys += r.person->Addresses.size();
  entries.reserve(keys);
  for (size_t i = 0; i < records_.size(); ++i) {
    for (const auto& a : records_[i].person->Addresses) {
      entries.push_back({a, static_cast<int>(i)});
    }
  }
  index_.Assign(entries);  // in record order: the earliest record keeps a key
}

void MemoStore::Touch(int index) { records_[static_cast<size_t>(index)].stale = true; }

Person& MemoStore::Edit(int index) {
  Record& r = records_[static_cast<size_t>(index)];
  Person* p = r.person.get();
  if (changed_.find(p) == changed_.end()) {
    std::unique_ptr<Person> before;
    if (r.onDisk) {
      before = std::make_unique<Person>(*p);
      before->NameListText.clear();
    }
    changed_.emplace(p, std::move(before));
  }
  r.stale = true;
  return *p;
}

void MemoStore::NoteRemoved(Record& r) {
  const auto it = changed_.find(r.person.get());
  if (it != changed_.end()) {
    if (it->second) removed_.push_back(std::move(it->second));
    changed_.erase(it);
  } else if (r.onDisk) {
    removed_.push_back(std::move(r.person));
  }
}

void MemoStore::ClearChanges() noexcept {
  changed_.clear();
  removed_.clear();
}

bool MemoStore::HasUnsavedChanges() const noexcept {
  return !changed_.empty() || !removed_.empty();
}

int MemoStore::Add(std::unique_ptr<Person> person) {
  if (!person) return -1;
  const int index = Count();
  Record r;
  changed_.emplace(person.get(), nullptr);
  r.person = std::move(person);
  records_.push_back(std::move(r));
  // Appended last, so it holds only the keys that no earlier record holds.
  for (const auto& a : records_.back().person->Addresses) index_.Insert(a, index);
  return index;
}

void MemoStore::Delete(int index) {
  if (Get(index) == nullptr) return;
  NoteRemoved(records_[static_cast<size_t>(index)]);
  records_.erase(records_.begin() + index);
  RebuildIndex();
}

void MemoStore::SetMemo(int index, std::string memo) {
  if (Get(index) == nullptr) return;
  if (records_[static_cast<size_t>(index)].person->Memo == memo) return;
  Edit(index).Memo = std::move(memo);
}

void MemoStore::SetImportant(int index, bool important) {
  if (Get(index) == nullptr) return;
  if (records_[static_cast<size_t>(index)].person->Important == important) return;
  Edit(index).Important = important;
}

void MemoStore::SetNameListText(int index, std::string text) {
  if (Get(index) == nullptr) return;
  records_[static_cast<size_t>(index)].person->NameListText = std::move(text);
  Touch(index);  // whether Save keeps the record may change
}

void MemoStore::AppendAddress(int index, std::string address) {
  if (Get(index) == nullptr) return;
  index_.Claim(address, index);
  Edit(index).Addresses.push_back(std::move(address));
}

bool MemoStore::RemoveAddress(int index, std::string_view address) {
  if (Get(index) == nullptr) return false;
  auto& addresses = records_[static_cast<size_t>(index)].person->Addresses;
  const auto it =
      std::find_if(addresses.begin(), addresses.end(),
                   [address](const std::string& a) { return SameAddressKey(a, address); });
  if (it == addresses.end()) return false;
  const auto at = it - addresses.begin();
  Edit(index).Addresses.erase(addresses.begin() + at);
  RebuildIndex();  // a later record, or none, holds the key now
  return true;
}

std::vector<MemoStore::Record> MemoStore::ParseRecords(std::string_view image,
                                                       std::vector<AddressIndex::Entry>* keys) {
  std::vector<Record> records;
  ParseBlocks(image, [&](std::unique_ptr<Person> p, size_t begin, size_t size, bool exact,
                         const std::vector<std::string_view>& addresses) {
    Record r;
    r.onDisk = 1;
    // A block that is not exactly what Save would write (other line breaks, a bare "@" line,
    // a record that Save drops or writes otherwise) is formatted at the first Save.
    const bool fits = size <= kMaxRecordBytes && begin + size <= kMaxKeptBytes;
    if (exact && fits && IsWrittenOnSave(*p)) {
      r.begin = static_cast<uint32_t>(begin);
      r.size = static_cast<uint32_t>(size);
      r.stale = false;
    }
    if (keys != nullptr) {
      for (const std::string_view a : addresses) {
        keys->push_back({a, static_cast<int>(records.size())});
      }
    }
    r.person = std::move(p);
    records.push_back(std::move(r));
  });
  records.shrink_to_fit();  // grown by doubling; a large store would keep much room unused
  return records;
}

void MemoStore::AdoptFileText(std::string text) {
  text.resize(BeforeNul(text).size());  // nothing after a NUL is read, so none of it is kept
  records_.clear();
  edits_ = std::string();
  image_ = std::move(text);
  // The index is built from the addresses as they lie in the file's bytes, one after the other,
  // rather than from the records' own copies scattered over the heap.
  std::vector<AddressIndex::Entry> keys;
  records_ = ParseRecords(image_, &keys);
  index_.Assign(keys);
}

void MemoStore::Load(const std::string& path) {
  fileName_ = path;
  readFailed_ = false;
  lookForCopies_ = true;
  watch_.Forget();
  FileStamp stamp;
  try {
    stamp = fs_.Stat(path);
    if (stamp.exists) {
      records_.clear();
      index_.Clear();
      image_ = std::string();
      edits_ = std::string();
      ClearChanges();
      std::string text = fs_.ReadAll(path);
      const bool settled = IsSettled(stamp.writeTime, fs_.Now(), fs_.ClockTick());
      const uint64_t hash = settled ? 0 : HashOf(text);
      AdoptFileText(std::move(text));
      watch_.Remember(fs_, stamp, [hash] { return hash; });
      return;
    }
  } catch (const FileError&) {
    // Remembered so that Save never replaces a file whose memos were not read.
    records_.clear();
    index_.Clear();
    ClearChanges();
    readFailed_ = true;
    throw;
  }
  // No file: what is in memory is what the first Save writes, as this copy's own records.
  watch_.Remember(fs_, stamp, nullptr);
  ClearChanges();
  for (Record& r : records_) {
    r.onDisk = 0;
    r.stale = true;
    changed_.emplace(r.person.get(), nullptr);
  }
  RebuildIndex();
}

bool MemoStore::FormatStaleRecords() {
  bool dropped = false;
  for (Record& r : records_) {
    if (!r.stale) continue;
    const Person& p = *r.person;
    if (!IsKeptOnSave(p)) {
      NoteRemoved(r);
      r.person.reset();
      dropped = true;
      continue;
    }
    // Typing goes on in one memo: its bytes are the last ones formatted, and take their own
    // place again instead of piling up.
    if (r.inEdits && size_t{r.begin} + r.size == edits_.size()) edits_.resize(r.begin);
    const size_t begin = edits_.size();
    if (IsWrittenOnSave(p)) AppendRecordBytes(p, edits_);
    CheckKeptSize(edits_.size() - begin, edits_.size());
    r.size = static_cast<uint32_t>(edits_.size() - begin);
    r.begin = static_cast<uint32_t>(begin);
    r.inEdits = true;
    r.stale = false;
    // Taken as written: a write that fails leaves every change of this copy's noted anyway.
    r.onDisk = r.size > 0;
  }
  if (dropped) {
    // One stable pass; erasing one by one is quadratic on a large store.
    records_.erase(std::remove_if(records_.begin(), records_.end(),
                                  [](const Record& r) { return r.person == nullptr; }),
                   records_.end());
  }
  return dropped;
}

namespace {

// More pieces than this, or more stale bytes than a sixteenth of the file (at least the minimum),
// and the kept bytes are compacted into one image of the file before it is written.
constexpr size_t kMaxPieces = 1024;
constexpr size_t kMinSlack = 64 * 1024;

}  // namespace

std::vector<std::string_view> MemoStore::FilePieces() const {
  std::vector<std::string_view> pieces;
  size_t live = 0;
  const char* runEnd = nullptr;
  for (const Record& r : records_) {
    if (r.size == 0) continue;
    live += r.size;
    const char* data = (r.inEdits ? edits_.data() : image_.data()) + r.begin;
    if (data == runEnd) {
      pieces.back() = std::string_view(pieces.back().data(), pieces.back().size() + r.size);
    } else {
      if (pieces.size() == kMaxPieces) return {};
      pieces.emplace_back(data, r.size);
    }
    runEnd = data + r.size;
  }
  const size_t held = image_.size() + edits_.size();
  if (held - live > std::max(kMinSlack, live / 16)) return {};
  if (pieces.empty()) pieces.emplace_back();  // an empty file
  return pieces;
}

void MemoStore::Compact() {
  size_t live = 0;
  for (const Record& r : records_) live += r.size;
  CheckKeptSize(0, live);
  std::string image;
  image.reserve(live);
  for (Record& r : records_) {
    const std::string& from = r.inEdits ? edits_ : image_;
    const size_t begin = image.size();
    image.append(from, r.begin, r.size);
    r.begin = static_cast<uint32_t>(begin);
    r.inEdits = false;
  }
  image_ = std::move(image);
  edits_ = std::string();
}

size_t MemoStore::KeptBytesMemory() const noexcept {
  return image_.capacity() + edits_.capacity() +
         records_.capacity() * (sizeof(Record) - sizeof(std::unique_ptr<Person>));
}

}  // namespace pinote
