#include "store/record_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "common/mbtext.h"
#include "common/text_lines.h"
#include "common/word_scan.h"
#include "store/record_block.h"

namespace pinote {

// Copies runs of bytes one after the other into a buffer sized for them, joining runs that lie
// one after the other where they come from (a record left as it was between the parts of the
// records around it, all read from the old image): a large store is copied in a few calls.
class RunWriter {
 public:
  explicit RunWriter(char* to) noexcept : to_(to) {}
  void Add(const char* from, size_t n) noexcept {
    if (n == 0) return;
    if (from == runEnd_) {
      runEnd_ += n;
      return;
    }
    Flush();
    run_ = from;
    runEnd_ = from + n;
  }
  void Flush() noexcept {
    const auto n = static_cast<size_t>(runEnd_ - run_);
    word_scan::CopyBytes(to_, run_, n);
    to_ += n;
    run_ = runEnd_ = nullptr;
  }

 private:
  char* to_;
  const char* run_ = nullptr;
  const char* runEnd_ = nullptr;
};

namespace {

constexpr std::string_view kCrLf = "\r\n";

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
  p->addresses.assign(b.addresses.begin(), b.addresses.end());
  p->important = b.important;
  for (const std::string_view line : b.memoLines) {
    p->memo.append(line);
    p->memo += kCrLf;
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

// More pieces than this, or more stale bytes than a sixteenth of the file (at least the minimum),
// and the kept bytes are compacted into one image of the file before it is written.
constexpr size_t kMaxPieces = 1024;
constexpr size_t kMinSlack = 64 * 1024;

void CheckKeptSize(size_t recordBytes, size_t bufferBytes) {
  if (recordBytes > kMaxRecordBytes || bufferBytes > kMaxKeptBytes) {
    throw std::length_error("memo data of this size cannot be kept");
  }
}

}  // namespace

std::vector<std::unique_ptr<Person>> ParseMemoFile(std::string_view text) {
  std::vector<std::unique_ptr<Person>> persons;
  (void)ParseBlocks(text, [&persons](const Block& b) { persons.push_back(PersonOfParsed(b)); });
  return persons;
}

RecordTable::~RecordTable() = default;

std::string_view RecordTable::KeptBytes(const Record& r) const noexcept {
  // A record without bytes may still tell a place that edits_ no longer reaches.
  if (r.size == 0) return {};
  const std::string& from = r.inEdits ? edits_ : image_;
  return std::string_view(from).substr(r.begin, r.size);
}

const RecordTable::NameListPart* RecordTable::PartOf(const Record& r) const noexcept {
  const uint32_t part = r.body.part();
  return part == 0 ? nullptr : &nameListParts_[part - 1];
}

Person& RecordTable::PersonOf(const Record& r) const {
  if (Person* p = r.body.person()) return *p;
  std::unique_ptr<Person> p = PersonOfBlock(KeptBytes(r));
  if (const NameListPart* part = PartOf(r)) {
    // The addresses the name list added are no part of what the file holds.
    std::unique_ptr<Person> fileVersion;
    if (part->firstAddress != 0 && r.onDisk) fileVersion = std::make_unique<Person>(*p);
    if (fileVersion) fileVersions_.emplace(p.get(), std::move(fileVersion));
    const std::string_view bytes = nameListBytes_.view();
    for (uint32_t i = part->firstAddress; i != 0; i = addedAddresses_[i - 1].next) {
      const AddedAddress& a = addedAddresses_[i - 1];
      p->addresses.emplace_back(bytes.substr(a.begin, a.size));
    }
    p->nameListText = NameListTextOf(bytes.substr(part->textBegin, part->textSize));
  }
  Person& made = *p;
  r.body.SetPerson(std::move(p));
  return made;
}

void RecordTable::AppendAddressesOf(const Record& r, std::vector<std::string_view>& out) const {
  if (const Person* p = r.body.person()) {
    out.insert(out.end(), p->addresses.begin(), p->addresses.end());
    return;
  }
  ForEachCrLfLine(SplitExactBlock(KeptBytes(r)).addressLines,
                  [&out](std::string_view a) { out.push_back(a); });
  if (const NameListPart* part = PartOf(r)) {
    const std::string_view bytes = nameListBytes_.view();
    for (uint32_t i = part->firstAddress; i != 0; i = addedAddresses_[i - 1].next) {
      out.push_back(bytes.substr(addedAddresses_[i - 1].begin, addedAddresses_[i - 1].size));
    }
  }
}

void RecordTable::ClearNameListParts() noexcept {
  nameListBytes_.Release();
  nameListParts_ = std::vector<NameListPart>();
  addedAddresses_ = std::vector<AddedAddress>();
}

const Person* RecordTable::Get(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &PersonOf(records_[static_cast<size_t>(index)]);
}

void RecordTable::RebuildIndex() {
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

std::unique_ptr<Person> RecordTable::FileVersionOf(const Record& r) const {
  if (!r.onDisk) return nullptr;
  const Person* p = r.body.person();
  if (p == nullptr) return PersonOfBlock(KeptBytes(r));  // the bytes are the file's
  if (const auto it = fileVersions_.find(p); it != fileVersions_.end()) {
    return std::make_unique<Person>(*it->second);
  }
  auto copy = std::make_unique<Person>(*p);
  copy->nameListText.clear();
  return copy;
}

void RecordTable::KeepFileVersion(const Record& r) const {
  const Person* p = r.body.person();
  if (p == nullptr || !r.onDisk || changed_.count(p) != 0 || fileVersions_.count(p) != 0) return;
  fileVersions_.emplace(p, FileVersionOf(r));
}

Person& RecordTable::Edit(int index) {
  Record& r = records_[static_cast<size_t>(index)];
  Person* p = &PersonOf(r);
  if (changed_.find(p) == changed_.end()) {
    changed_.emplace(p, FileVersionOf(r));
    fileVersions_.erase(p);
  }
  r.stale = true;
  Touched(index);
  return *p;
}

void RecordTable::NoteRemoved(Record& r) {
  const Person* p = r.body.person();
  const auto it = p != nullptr ? changed_.find(p) : changed_.end();
  if (it != changed_.end()) {
    if (it->second) removed_.push_back(std::move(it->second));
    changed_.erase(it);
  } else if (r.onDisk) {
    removed_.push_back(FileVersionOf(r));
  }
  if (p != nullptr) fileVersions_.erase(p);
}

void RecordTable::ClearChanges() noexcept {
  changed_.clear();
  removed_.clear();
  fileVersions_.clear();
}

int RecordTable::Add(std::unique_ptr<Person> person) {
  if (!person) return -1;
  const int index = Count();
  changed_.emplace(person.get(), nullptr);
  records_.emplace_back(std::move(person));
  // Appended last, so it holds only the keys that no earlier record holds.
  for (const auto& a : records_.back().body.person()->addresses) index_.Insert(a, index);
  return index;
}

void RecordTable::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  NoteRemoved(records_[static_cast<size_t>(index)]);
  records_.erase(records_.begin() + index);
  prepared_.reset();
  RebuildIndex();
}

void RecordTable::SetMemo(int index, std::string memo) {
  if (index < 0 || index >= Count()) return;
  if (PersonOf(records_[static_cast<size_t>(index)]).memo == memo) return;
  Edit(index).memo = std::move(memo);
}

void RecordTable::SetImportant(int index, bool important) {
  if (index < 0 || index >= Count()) return;
  if (PersonOf(records_[static_cast<size_t>(index)]).important == important) return;
  Edit(index).important = important;
}

void RecordTable::SetNameListText(int index, std::string text) {
  if (index < 0 || index >= Count()) return;
  PersonOf(records_[static_cast<size_t>(index)]).nameListText = std::move(text);
  records_[static_cast<size_t>(index)].stale = true;  // whether Save keeps the record may change
  Touched(index);
}

void RecordTable::AppendAddress(int index, std::string address) {
  if (index < 0 || index >= Count()) return;
  index_.Claim(address, index);
  Edit(index).addresses.push_back(std::move(address));
}

bool RecordTable::RemoveAddress(int index, std::string_view address) {
  if (index < 0 || index >= Count()) return false;
  auto& addresses = PersonOf(records_[static_cast<size_t>(index)]).addresses;
  const auto it =
      std::find_if(addresses.begin(), addresses.end(),
                   [&](const std::string& a) { return SameAddressKey(a, address, codePage_); });
  if (it == addresses.end()) return false;
  const auto at = it - addresses.begin();
  Edit(index).addresses.erase(addresses.begin() + at);
  RebuildIndex();  // a later record, or none, holds the key now
  return true;
}

std::vector<RecordTable::Record> RecordTable::ParseRecords(std::string& image, AddressIndex* index) {
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

void RecordTable::AdoptFileText(std::string text) {
  prepared_.reset();
  records_.clear();
  ClearNameListParts();
  edits_ = std::string();
  image_ = std::move(text);
  records_ = ParseRecords(image_, &index_);
}

void RecordTable::Clear() {
  prepared_.reset();
  records_.clear();
  ClearNameListParts();
  index_.Clear();
  image_ = std::string();
  edits_ = std::string();
  ClearChanges();
}

void RecordTable::Adopt(std::string text) {
  Clear();
  AdoptFileText(std::move(text));
}

void RecordTable::AdoptMissing() {
  // No file: what is in memory is what the first save writes, as this copy's own records.
  prepared_.reset();
  ClearChanges();
  for (Record& r : records_) {
    r.onDisk = 0;
    r.stale = true;
    changed_.emplace(&PersonOf(r), nullptr);
  }
  fileVersions_.clear();
  ClearNameListParts();  // every record has its Person now
  RebuildIndex();
}

bool RecordTable::LooksCut(std::string_view text) const {
  // A save always ends the file with an empty line after the last record.
  text = BeforeNul(text);
  const auto endsWithBreak = [](std::string_view t) {
    return !t.empty() && (t.back() == '\n' || t.back() == '\r');
  };
  if (!endsWithBreak(text)) return true;
  text.remove_suffix(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n" ? 2 : 1);
  if (!endsWithBreak(text)) return true;
  return ParseMemoFile(text).empty();
}

size_t RecordTable::StaleCount() const noexcept {
  return static_cast<size_t>(
      std::count_if(records_.begin(), records_.end(), [](const Record& r) { return r.stale; }));
}

bool RecordTable::BaseHasEntries() const {
  if (!removed_.empty()) return true;
  return std::any_of(records_.begin(), records_.end(), [](const Record& r) { return r.onDisk; });
}

std::vector<std::string_view> RecordTable::Pieces() {
  // Only records changed since the last save are formatted, and only their pruning moves the
  // others, so the index is rebuilt only then; the common case, one memo edited, touches one
  // record. The index stands before the write, so it stays right when the write fails.
  // Many records to format (the first save after the name list gave half the people an
  // address) would be formatted into edits_ and then copied again by the compaction the file's
  // many pieces call for: they go with the others into a new image at once.
  // A new image made ahead (PrepareSave) is taken as it is; the records changed since are
  // formatted into edits_.
  const std::unique_ptr<PreparedImage> prepared = std::move(prepared_);
  bool dropped;
  if (prepared && CanTakeImage(prepared->placed)) {
    dropped = TakeImage(std::move(prepared->image), prepared->placed);
  } else {
    dropped = StaleCount() >= kMaxPieces / 2 ? WriteNewImage() : FormatStaleRecords();
  }
  if (dropped) RebuildIndex();
  std::vector<std::string_view> pieces = FilePieces();
  if (pieces.empty()) {
    (void)WriteNewImage();  // nothing is stale now: the kept bytes compacted
    pieces.assign(1, image_);
  }
  return pieces;
}

void RecordTable::Written(PcRecord* record, int64_t when) {
  if (record != nullptr) {
    std::vector<PcRecord::Change> changes;
    const auto bytesOf = [](const Person* p) {
      std::string out;
      if (p != nullptr && IsWrittenOnSave(*p)) AppendRecordBytes(*p, out);
      return out;
    };
    for (const auto& [now, before] : changed_) {
      PcRecord::Change c{when, bytesOf(before.get()), bytesOf(now)};
      if (c.before != c.after) changes.push_back(std::move(c));
    }
    for (const auto& before : removed_) {
      PcRecord::Change c{when, bytesOf(before.get()), ""};
      if (!c.before.empty()) changes.push_back(std::move(c));
    }
    record->AddChanges(changes);
  }
  ClearChanges();
}

RecordTable::PartLayout RecordTable::LayOutPart(const Record& r) const {
  // IsKeptOnSave and IsWrittenOnSave read off the parts: every address line is storable.
  const NameListPart* part = PartOf(r);
  PartLayout l;
  size_t added = 0;
  for (uint32_t i = part ? part->firstAddress : 0; i != 0; i = addedAddresses_[i - 1].next) {
    ++added;
    l.size += addedAddresses_[i - 1].size + kCrLf.size();
  }
  const ExactBlock parts = SplitExactBlock(KeptBytes(r));
  const size_t addresses = parts.addressCount + added;
  const bool content = !parts.memoLines.empty() || addresses > 1;
  const bool text = part != nullptr && part->textSize > 0;
  l.kept = content || (text && addresses > 0);
  if (!content) {
    l.size = 0;  // kept for its name-list text alone, not written
    return l;
  }
  l.split = parts.addressLines.size();
  // A record without bytes (made by the name list) gets its closing empty line here.
  l.size += r.size == 0 ? kCrLf.size() : r.size;
  return l;
}

void RecordTable::WritePartBytes(const Record& r, const PartLayout& l, RunWriter& out) const {
  // Without bytes, its part keeps holding its address (a record read from the file always has
  // bytes, for it is always written).
  if (l.size == 0) return;
  const std::string_view kept = KeptBytes(r);
  out.Add(kept.data(), l.split);
  const NameListPart* part = PartOf(r);
  const char* names = nameListBytes_.data();
  for (uint32_t i = part ? part->firstAddress : 0; i != 0; i = addedAddresses_[i - 1].next) {
    // The address and the CR LF kept after it.
    out.Add(names + addedAddresses_[i - 1].begin, addedAddresses_[i - 1].size + kCrLf.size());
  }
  if (kept.empty()) {
    out.Add(kCrLf.data(), kCrLf.size());
  } else {
    out.Add(kept.data() + l.split, kept.size() - l.split);
  }
}

void RecordTable::TakePlace(Record& r, size_t begin, size_t size, bool inEdits) {
  if (r.stale) {
    r.stale = false;
    // Taken as written: a write that fails leaves every change of this copy's noted anyway.
    r.onDisk = size > 0;
    // The name list's addresses are in the bytes now; a record without bytes keeps them in its
    // part.
    if (size > 0 && r.body.part() != 0) {
      NameListPart& part = nameListParts_[r.body.part() - 1];
      part.firstAddress = part.lastAddress = 0;
    }
  }
  r.begin = static_cast<uint32_t>(begin);
  r.size = static_cast<uint32_t>(size);
  r.inEdits = inEdits;
}

void RecordTable::PersonForUnstorable(const Record& r) const {
  // An address the file cannot hold stays in memory in its place among the others: only a
  // Person keeps that order once the bytes are written without it.
  const NameListPart* part = PartOf(r);
  if (part != nullptr && part->unstorable && part->firstAddress != 0) PersonOf(r);
}

bool RecordTable::FormatRecord(Record& r, std::string& out) {
  PersonForUnstorable(r);
  if (const Person* p = r.body.person()) {
    if (!IsKeptOnSave(*p)) return false;
    // Typing goes on in one memo: its bytes are the last ones formatted, and take their own
    // place again instead of piling up.
    if (r.inEdits && size_t{r.begin} + r.size == out.size()) out.resize(r.begin);
    const size_t begin = out.size();
    if (IsWrittenOnSave(*p)) AppendRecordBytes(*p, out);
    CheckKeptSize(out.size() - begin, out.size());
    TakePlace(r, begin, out.size() - begin, true);
    return true;
  }
  const PartLayout l = LayOutPart(r);
  if (!l.kept) return false;
  // Room first: the old bytes may lie in `out` itself, and are read while it grows.
  const size_t begin = out.size();
  CheckKeptSize(l.size, begin + l.size);
  if (out.capacity() < begin + l.size) out.reserve(std::max(begin + l.size, 2 * out.capacity()));
  out.resize(begin + l.size);
  RunWriter writer(out.data() + begin);
  WritePartBytes(r, l, writer);
  writer.Flush();
  TakePlace(r, begin, l.size, true);
  return true;
}

template <typename Keep>
bool RecordTable::KeepRecords(Keep&& keep) {
  size_t kept = 0;
  for (size_t i = 0; i < records_.size(); ++i) {
    Record& r = records_[i];
    if (!keep(r, i)) {
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

bool RecordTable::FormatStaleRecords() {
  return KeepRecords([this](Record& r, size_t) { return !r.stale || FormatRecord(r, edits_); });
}

bool RecordTable::WriteNewImage() {
  std::vector<Placed> placed;
  std::string image = MakeImage(placed);
  return TakeImage(std::move(image), placed);
}

std::string RecordTable::MakeImage(std::vector<Placed>& placed) const {
  // First what each record comes to, and so the image's size: it is made once, and filled by
  // few calls (a stale record is read where its parts lie; a run of bytes lying one after the
  // other in the old image is copied at once). Records with a Person are formatted meanwhile
  // into `formatted`; until the image is filled, a stale record's `begin` tells where its
  // bytes lie there, or (a record without a Person) where its address lines end.
  placed.assign(records_.size(), Placed{});
  std::string formatted;
  size_t total = 0;
  for (size_t i = 0; i < records_.size(); ++i) {
    const Record& r = records_[i];
    Placed& p = placed[i];
    if (!r.stale) {
      p.size = r.size;
    } else if (PersonForUnstorable(r); const Person* person = r.body.person()) {
      p.kept = IsKeptOnSave(*person);
      const size_t begin = formatted.size();
      if (p.kept && IsWrittenOnSave(*person)) AppendRecordBytes(*person, formatted);
      CheckKeptSize(formatted.size() - begin, formatted.size());
      p.begin = static_cast<uint32_t>(begin);
      p.size = static_cast<uint32_t>(formatted.size() - begin);
    } else {
      const PartLayout l = LayOutPart(r);
      p.kept = l.kept;
      p.begin = static_cast<uint32_t>(l.split);
      p.size = static_cast<uint32_t>(l.size);
    }
    if (p.kept) total += p.size;
    CheckKeptSize(0, total);
  }

  std::string image(total, '\0');
  RunWriter out(image.data());
  size_t at = 0;
  for (size_t i = 0; i < records_.size(); ++i) {
    const Record& r = records_[i];
    Placed& p = placed[i];
    if (!p.kept) continue;
    if (!r.stale) {
      // A record without bytes may tell a place that edits_ no longer reaches.
      if (r.size > 0) out.Add(KeptBytes(r).data(), r.size);
    } else if (r.body.person() != nullptr) {
      out.Add(formatted.data() + p.begin, p.size);
    } else {
      PartLayout l;
      l.kept = true;
      l.split = p.begin;
      l.size = p.size;
      WritePartBytes(r, l, out);
    }
    p.begin = static_cast<uint32_t>(at);
    at += p.size;
  }
  out.Flush();
  return image;
}

bool RecordTable::CanTakeImage(const std::vector<Placed>& placed) const noexcept {
  // A record changed since, or added, is formatted anew from its Person; every such record has
  // one (it was edited through it), and is stale.
  for (size_t i = 0; i < records_.size(); ++i) {
    if (i < placed.size() && placed[i].current) continue;
    if (!records_[i].stale || records_[i].body.person() == nullptr) return false;
  }
  return true;
}

bool RecordTable::TakeImage(std::string image, const std::vector<Placed>& placed) {
  std::string edits;
  const bool dropped = KeepRecords([&](Record& r, size_t i) {
    if (i < placed.size() && placed[i].current) {
      if (placed[i].kept) TakePlace(r, placed[i].begin, placed[i].size, false);
      return placed[i].kept;
    }
    r.inEdits = false;  // its old bytes are not read: they may lie anywhere in `edits`
    return FormatRecord(r, edits);
  });
  image_ = std::move(image);
  edits_ = std::move(edits);
  return dropped;
}

void RecordTable::PrepareSave(size_t fewestStale) {
  prepared_.reset();
  if (StaleCount() < fewestStale) return;
  auto prepared = std::make_unique<PreparedImage>();
  prepared->image = MakeImage(prepared->placed);
  prepared_ = std::move(prepared);
}

void RecordTable::Touched(int index) noexcept {
  if (prepared_ && static_cast<size_t>(index) < prepared_->placed.size()) {
    prepared_->placed[static_cast<size_t>(index)].current = false;
  }
}

std::vector<std::string_view> RecordTable::FilePieces() const {
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

size_t RecordTable::KeptBytesMemory() const noexcept {
  return image_.capacity() + edits_.capacity() + (prepared_ ? prepared_->image.capacity() : 0) +
         records_.capacity() * (sizeof(Record) - sizeof(std::unique_ptr<Person>));
}

}  // namespace pinote
