#include "store/memo_store.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

#include "common/mbtext.h"
#include "common/text_lines.h"
#include "store/record_block.h"

namespace pinote {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// What a record carries into the file beyond its address.
bool HasFileContent(const Person& person) noexcept {
  return !person.Memo.empty() || person.Addresses.size() > 1;
}

bool HasStorableAddress(const Person& person) noexcept {
  return std::any_of(person.Addresses.begin(), person.Addresses.end(),
                     [](const std::string& a) { return IsStorableAddress(a); });
}

// One block of a file's text as ParseBlocks reads it: [begin, begin + size) runs from its first
// line to the end of the empty line that closes it; `exact` tells that it holds exactly the bytes
// AppendRecordBytes gives for the record (every break CR LF, addresses first, then one
// "@Important", then the memo lines, then the empty line), so they can be kept as they are.
// Addresses and memo lines (without their leading space) are views into the text.
struct Block {
  size_t begin = 0;
  size_t size = 0;
  bool exact = true;
  bool important = false;
  std::vector<std::string_view> addresses;
  std::vector<std::string_view> memoLines;
};

std::unique_ptr<Person> PersonOfParsed(const Block& b) {
  auto p = std::make_unique<Person>();
  p->Addresses.assign(b.addresses.begin(), b.addresses.end());
  p->Important = b.important;
  for (const std::string_view line : b.memoLines) {
    p->Memo.append(line);
    p->Memo += kCrLf;
  }
  return p;
}

// Reads the records of a file's text, calling onRecord(block) for each block with addresses.
// Every empty line ends a block and clears the mark. Returns the size of BeforeNul(text), all
// that was read.
template <typename OnRecord>
size_t ParseBlocks(std::string_view text, OnRecord&& onRecord) {
  const char* const base = text.data();
  Block block;  // its vectors keep their room from block to block
  enum { kAddresses, kMark, kMemo } part = kAddresses;
  text = text.substr(0, ForEachFileLine(text, [&](std::string_view line) {
    const size_t end = static_cast<size_t>(line.data() - base) + line.size();
    const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
    if (line.empty()) {
      // An empty line always has a break after it: a final break makes no line.
      const size_t next = end + (crLf ? 2 : 1);
      if (!block.addresses.empty()) {
        block.size = next - block.begin;
        block.exact = block.exact && crLf;
        onRecord(block);
      }
      block.addresses.clear();
      block.memoLines.clear();
      // The mark belongs to its block only: one left over from a block without addresses would
      // land on the next person.
      block.important = false;
      block.exact = true;
      part = kAddresses;
      block.begin = next;
      return;
    }
    if (!crLf) block.exact = false;
    if (line.front() == ' ') {
      if (block.addresses.empty()) block.exact = false;
      part = kMemo;
      block.memoLines.push_back(std::string_view(line.data() + 1, line.size() - 1));
    } else if (line.front() == '@') {
      if (block.addresses.empty() || part != kAddresses || line != kImportantLine) {
        block.exact = false;
      }
      part = kMark;
      block.important = true;
    } else {
      if (part != kAddresses) block.exact = false;
      block.addresses.push_back(line);
    }
  }));
  if (!block.addresses.empty()) {
    block.size = text.size() - block.begin;
    block.exact = false;
    onRecord(block);
  }
  return text.size();
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
  (void)ParseBlocks(text, [&persons](const Block& b) { persons.push_back(PersonOfParsed(b)); });
  return persons;
}

MemoStore::~MemoStore() = default;

std::string_view MemoStore::KeptBytes(const Record& r) const noexcept {
  // A record without bytes may still tell a place that edits_ no longer reaches.
  if (r.size == 0) return {};
  const std::string& from = r.inEdits ? edits_ : image_;
  return std::string_view(from).substr(r.begin, r.size);
}

const MemoStore::NameListPart* MemoStore::PartOf(const Record& r) const noexcept {
  const uint32_t part = r.body.part();
  return part == 0 ? nullptr : &nameListParts_[part - 1];
}

Person& MemoStore::PersonOf(const Record& r) const {
  if (Person* p = r.body.person()) return *p;
  std::unique_ptr<Person> p = PersonOfBlock(KeptBytes(r));
  if (const NameListPart* part = PartOf(r)) {
    const std::string_view bytes = nameListBytes_;
    for (uint32_t i = part->firstAddress; i != 0; i = addedAddresses_[i - 1].next) {
      const AddedAddress& a = addedAddresses_[i - 1];
      p->Addresses.emplace_back(bytes.substr(a.begin, a.size));
    }
    p->NameListText.assign(bytes.substr(part->textBegin, part->textSize));
  }
  Person& made = *p;
  r.body.SetPerson(std::move(p));
  return made;
}

void MemoStore::AppendAddressesOf(const Record& r, std::vector<std::string_view>& out) const {
  if (const Person* p = r.body.person()) {
    out.insert(out.end(), p->Addresses.begin(), p->Addresses.end());
    return;
  }
  ForEachCrLfLine(SplitExactBlock(KeptBytes(r)).addressLines,
                  [&out](std::string_view a) { out.push_back(a); });
  if (const NameListPart* part = PartOf(r)) {
    const std::string_view bytes = nameListBytes_;
    for (uint32_t i = part->firstAddress; i != 0; i = addedAddresses_[i - 1].next) {
      out.push_back(bytes.substr(addedAddresses_[i - 1].begin, addedAddresses_[i - 1].size));
    }
  }
}

void MemoStore::ClearNameListParts() noexcept {
  nameListBytes_ = std::string();
  nameListParts_ = std::vector<NameListPart>();
  addedAddresses_ = std::vector<AddedAddress>();
}

const Person* MemoStore::Get(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &PersonOf(records_[static_cast<size_t>(index)]);
}

int MemoStore::IndexOfAddress(std::string_view address) const {
  return index_.Find(address);
}

void MemoStore::RebuildIndex() {
  // In record order: the earliest record keeps a key. The arena keeps its room from before.
  index_.BeginAssign(0);
  std::vector<std::string_view> addresses;
  for (size_t i = 0; i < records_.size(); ++i) {
    addresses.clear();
    AppendAddressesOf(records_[i], addresses);
    for (const std::string_view a : addresses) index_.AddToAssign(a, static_cast<int>(i));
  }
  index_.EndAssign();
}

void MemoStore::Touch(int index) { records_[static_cast<size_t>(index)].stale = true; }

Person& MemoStore::Edit(int index) {
  Record& r = records_[static_cast<size_t>(index)];
  Person* p = &PersonOf(r);
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
  const Person* p = r.body.person();
  const auto it = p != nullptr ? changed_.find(p) : changed_.end();
  if (it != changed_.end()) {
    if (it->second) removed_.push_back(std::move(it->second));
    changed_.erase(it);
  } else if (r.onDisk) {
    PersonOf(r);
    removed_.push_back(r.body.TakePerson());
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
  changed_.emplace(person.get(), nullptr);
  records_.emplace_back(std::move(person));
  // Appended last, so it holds only the keys that no earlier record holds.
  for (const auto& a : records_.back().body.person()->Addresses) index_.Insert(a, index);
  return index;
}

void MemoStore::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  NoteRemoved(records_[static_cast<size_t>(index)]);
  records_.erase(records_.begin() + index);
  RebuildIndex();
}

void MemoStore::SetMemo(int index, std::string memo) {
  if (index < 0 || index >= Count()) return;
  if (PersonOf(records_[static_cast<size_t>(index)]).Memo == memo) return;
  Edit(index).Memo = std::move(memo);
}

void MemoStore::SetImportant(int index, bool important) {
  if (index < 0 || index >= Count()) return;
  if (PersonOf(records_[static_cast<size_t>(index)]).Important == important) return;
  Edit(index).Important = important;
}

void MemoStore::SetNameListText(int index, std::string text) {
  if (index < 0 || index >= Count()) return;
  PersonOf(records_[static_cast<size_t>(index)]).NameListText = std::move(text);
  Touch(index);  // whether Save keeps the record may change
}

void MemoStore::AppendAddress(int index, std::string address) {
  if (index < 0 || index >= Count()) return;
  index_.Claim(address, index);
  Edit(index).Addresses.push_back(std::move(address));
}

bool MemoStore::RemoveAddress(int index, std::string_view address) {
  if (index < 0 || index >= Count()) return false;
  auto& addresses = PersonOf(records_[static_cast<size_t>(index)]).Addresses;
  const auto it =
      std::find_if(addresses.begin(), addresses.end(),
                   [&](const std::string& a) { return SameAddressKey(a, address, codePage_); });
  if (it == addresses.end()) return false;
  const auto at = it - addresses.begin();
  Edit(index).Addresses.erase(addresses.begin() + at);
  RebuildIndex();  // a later record, or none, holds the key now
  return true;
}

std::vector<MemoStore::Record> MemoStore::ParseRecords(std::string& image, AddressIndex* index) {
  std::vector<Record> records;
  // The addresses go into the index as they lie in the file's bytes, one after the other, rather
  // than from copies scattered over the heap; its arena never needs more than the file's size.
  if (index != nullptr) index->BeginAssign(image.size());
  const size_t end = ParseBlocks(image, [&](const Block& b) {
    Record r;
    r.onDisk = 1;
    // A block that is not exactly what Save would write (other line breaks, a bare "@" line,
    // a record that Save drops or writes otherwise) is read into a Person at once and formatted
    // at the first Save. The others stay bytes until they are asked for. Every address line
    // the reader makes is storable, so a block is written when it has a memo or two addresses.
    const bool fits = b.size <= kMaxRecordBytes && b.begin + b.size <= kMaxKeptBytes;
    const bool written = !b.memoLines.empty() || b.addresses.size() > 1;
    if (b.exact && fits && written) {
      r.begin = static_cast<uint32_t>(b.begin);
      r.size = static_cast<uint32_t>(b.size);
      r.stale = false;
    } else {
      r.body.SetPerson(PersonOfParsed(b));
    }
    if (index != nullptr) {
      for (const std::string_view a : b.addresses) {
        index->AddToAssign(a, static_cast<int>(records.size()));
      }
    }
    records.push_back(std::move(r));
  });
  if (index != nullptr) index->EndAssign();
  image.resize(end);  // nothing after a NUL is read, so none of it is kept
  records.shrink_to_fit();  // grown by doubling; a large store would keep much room unused
  return records;
}

void MemoStore::AdoptFileText(std::string text) {
  records_.clear();
  ClearNameListParts();
  edits_ = std::string();
  image_ = std::move(text);
  records_ = ParseRecords(image_, &index_);
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
      ClearNameListParts();
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
    ClearNameListParts();
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
    changed_.emplace(&PersonOf(r), nullptr);
  }
  ClearNameListParts();  // every record has its Person now
  RebuildIndex();
}

bool MemoStore::FormatRecord(Record& r) {
  NameListPart* part = r.body.part() == 0 ? nullptr : &nameListParts_[r.body.part() - 1];
  const std::string_view names = nameListBytes_;
  // What the name list added: how many addresses, how many bytes their lines take.
  size_t added = 0, addedBytes = 0;
  bool unstorable = false;
  for (uint32_t i = part ? part->firstAddress : 0; i != 0; i = addedAddresses_[i - 1].next) {
    const AddedAddress& a = addedAddresses_[i - 1];
    ++added;
    addedBytes += a.size + kCrLf.size();
    unstorable = unstorable || !IsStorableAddress(names.substr(a.begin, a.size));
  }
  // An address the file cannot hold stays in memory in its place among the others: only a
  // Person keeps that order once the bytes are written without it.
  if (unstorable) PersonOf(r);
  if (const Person* p = r.body.person()) {
    if (!IsKeptOnSave(*p)) return false;
    // Typing goes on in one memo: its bytes are the last ones formatted, and take their own
    // place again instead of piling up.
    if (r.inEdits && size_t{r.begin} + r.size == edits_.size()) edits_.resize(r.begin);
    const size_t begin = edits_.size();
    if (IsWrittenOnSave(*p)) AppendRecordBytes(*p, edits_);
    CheckKeptSize(edits_.size() - begin, edits_.size());
    r.size = static_cast<uint32_t>(edits_.size() - begin);
    r.begin = static_cast<uint32_t>(begin);
    r.inEdits = true;
    r.stale = false;
    // Taken as written: a write that fails leaves every change of this copy's noted anyway.
    r.onDisk = r.size > 0;
    return true;
  }
  // No Person: its bytes, then the addresses the name list added (all storable here).
  // IsKeptOnSave and IsWrittenOnSave read off the parts: every address line is storable.
  const ExactBlock block = SplitExactBlock(KeptBytes(r));
  const size_t addresses = CrLfLineCount(block.addressLines) + added;
  const bool content = !block.memoLines.empty() || addresses > 1;
  const bool text = part != nullptr && part->textSize > 0;
  if (!content && !(text && addresses > 0)) return false;
  if (!content) {
    // Kept for its name-list text alone, not written: it has no bytes (a record read from the
    // file is always written), so its part keeps holding its address.
    r.begin = static_cast<uint32_t>(edits_.size());
    r.size = 0;
    r.inEdits = true;
    r.stale = false;
    r.onDisk = false;
    return true;
  }
  // Room first: the old bytes may lie in edits_ themselves, and are read while appending.
  const size_t size = r.size + addedBytes + (r.size == 0 ? kCrLf.size() : 0);
  CheckKeptSize(size, edits_.size() + size);
  edits_.reserve(edits_.size() + size);
  const ExactBlock parts = SplitExactBlock(KeptBytes(r));
  const size_t begin = edits_.size();
  edits_ += parts.addressLines;
  for (uint32_t i = part ? part->firstAddress : 0; i != 0; i = addedAddresses_[i - 1].next) {
    edits_ += names.substr(addedAddresses_[i - 1].begin, addedAddresses_[i - 1].size);
    edits_ += kCrLf;
  }
  if (parts.important) {
    edits_ += kImportantLine;
    edits_ += kCrLf;
  }
  edits_ += parts.memoLines;
  edits_ += kCrLf;
  r.begin = static_cast<uint32_t>(begin);
  r.size = static_cast<uint32_t>(edits_.size() - begin);
  r.inEdits = true;
  r.stale = false;
  r.onDisk = true;
  if (part != nullptr) part->firstAddress = part->lastAddress = 0;  // in the bytes now
  return true;
}

bool MemoStore::FormatStaleRecords() {
  size_t kept = 0;
  for (size_t i = 0; i < records_.size(); ++i) {
    Record& r = records_[i];
    if (r.stale && !FormatRecord(r)) {
      NoteRemoved(r);
      continue;
    }
    // One stable pass; erasing one by one is quadratic on a large store.
    if (kept != i) records_[kept] = std::move(r);
    ++kept;
  }
  const bool dropped = kept != records_.size();
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(kept), records_.end());
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
    if (r.size == 0) {
      // Its place may lie beyond what edits_ holds now: the record typed into before it may
      // have taken its own place again with fewer bytes.
      r.begin = 0;
      r.inEdits = false;
      continue;
    }
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
