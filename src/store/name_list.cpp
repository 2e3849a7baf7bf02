// The name-list (address book) reader: integer lines and the merge of its entries into the store.
#include <algorithm>
#include <cstring>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <optional>
#include <unordered_map>

#include "common/mbtext.h"
#include "common/prefetch.h"
#include "common/run_aside.h"
#include "common/settings.h"
#include "common/text_lines.h"
#include "common/word_scan.h"
#include "store/address_index.h"
#include "store/domain_memo.h"
#include "store/name_list_scan.h"
#include "store/record_table.h"

namespace pinote {

namespace {

// A count line may have spaces before its number; nothing else is allowed around it.
std::optional<int32_t> ParseCountLine(std::string_view line) {
  size_t spaces = 0;
  while (spaces < line.size() && line[spaces] == ' ') ++spaces;
  return ParseInteger(line.substr(spaces));
}

// The lines of a file's text (ForEachLine's rule; the text ends at its first NUL) asked for by
// number, going forward only: neither a table nor a count of all lines is made. The last few lines
// reached are remembered, for the walk looks a few lines ahead before it reads them. A name list
// of a hundred thousand entries has more than a million lines, mostly short and skipped, so the
// step from one line to the next is kept small.
class LineWalker {
 public:
  explicit LineWalker(std::string_view text) : data_(text.data()), size_(text.size()) {}
  // Whether the text has a line `pos`. `pos` is never more than kKept lines below the farthest
  // line asked for so far.
  bool Has(int64_t pos) { return pos < reached_ || Reach(pos); }
  // Line `pos`, which Has.
  std::string_view At(int64_t pos) {
    (void)Has(pos);
    const Line& l = kept_[static_cast<size_t>(pos) % kKept];
    return std::string_view(data_ + l.begin, l.end - l.begin);
  }

 private:
  static constexpr size_t kKept = 8;
  struct Line {
    size_t begin = 0, end = 0;
  };
  bool Reach(int64_t pos) {
    while (reached_ <= pos) {
      if (next_ >= size_) return false;
      const size_t brk = FindLineBreak<true>(data_, next_, size_);
      if (brk < size_ && data_[brk] == '\0') {
        size_ = brk;  // nothing after a NUL is read
        if (brk == next_) return false;
      }
      kept_[static_cast<size_t>(reached_) % kKept] = {next_, brk};
      ++reached_;
      // Past the end when the line was the last: the next Reach stops there.
      next_ = brk + (brk + 1 < size_ && data_[brk] == '\r' && data_[brk + 1] == '\n' ? 2 : 1);
    }
    return true;
  }
  const char* data_;
  size_t size_;
  Line kept_[kKept];
  size_t next_ = 0;      // where the line after the last one reached begins
  int64_t reached_ = 0;  // how many lines were reached: lines 0 to reached_ - 1
};

// How many entries ahead memory is asked for: enough to cover a miss to memory.
constexpr size_t kAhead = 8;
// From this many entries on, the merge's look-ups and claims run on two threads.
constexpr size_t kManyEntries = 20000;


}  // namespace

bool IsInteger(std::string_view line) { return ParseCountLine(line).has_value(); }

std::string RecordTable::NameListTextOf(std::string_view written) const {
  // A bad escape leaves the text as written rather than losing it.
  std::string text;
  text.reserve(written.size());
  if (!AppendUnescaped(written, text, codePage_)) text.assign(written);
  return text;
}

int32_t IntegerValue(std::string_view line) { return ParseCountLine(line).value_or(0); }

namespace {

// Fills `scan` from the lines of scan.text.
void WalkNameList(NameListScan* scan) {
  const std::string_view text = scan->text;
  // Positions in 64 bits: 3 * N + 1 with N near INT32_MAX must neither wrap nor go back.
  std::vector<NameListScan::Entry>& entries = scan->entries;
  std::vector<std::string_view>& addresses = scan->addresses;
  LineWalker lines(text);
  // The count line at `pos`, when it exists and is an integer.
  const auto countAt = [&](int64_t pos) -> std::optional<int32_t> {
    if (!lines.Has(pos)) return std::nullopt;
    return ParseCountLine(lines.At(pos));
  };
  int64_t pos = 1;
  while (lines.Has(pos + 5)) {
    const std::string_view rawText = lines.At(pos);
    pos += 3;
    const auto n = countAt(pos);
    if (!n) continue;
    if (*n < 0) break;  // a negative skip would walk backwards, maybe forever: stop here
    pos += 3 * static_cast<int64_t>(*n) + 1;
    const auto m = countAt(pos);
    if (!m) continue;
    if (*m < 0) break;
    const size_t first = addresses.size();
    const int64_t endAddress = pos + 1 + static_cast<int64_t>(*m);
    for (int64_t i = pos + 1; i < endAddress && lines.Has(i); ++i) {
      // An address book's "*@domain" would join a person to a domain memo: left out.
      if (!IsDomainAddress(lines.At(i))) addresses.push_back(lines.At(i));
    }
    pos += static_cast<int64_t>(*m) + 1;
    const auto p = countAt(pos);
    if (!p || *p < 0) addresses.resize(first);
    if (!p) continue;
    if (*p < 0) break;
    pos += 2 * static_cast<int64_t>(*p) + 2;
    entries.push_back({rawText, static_cast<uint32_t>(first),
                       static_cast<uint32_t>(addresses.size() - first)});
  }
  // Every address folded and hashed once: for its look-up in the store, and for the claim of
  // those the merge adds to the index.
  size_t bytes = 0;
  for (const std::string_view a : addresses) bytes += a.size();
  scan->keys.Reserve(addresses.size(), bytes);
  for (const std::string_view a : addresses) (void)scan->keys.Add(a);
}

}  // namespace

std::unique_ptr<NameListScan> ScanNameList(std::string_view text, const CodePage& codePage) {
  auto scan = std::make_unique<NameListScan>(codePage);
  scan->text = text;
  WalkNameList(scan.get());
  return scan;
}

std::unique_ptr<NameListScan> ReadNameList(FileSystem& fs, const std::string& path,
                                           const CodePage& codePage) {
  if (!fs.Exists(path)) return nullptr;
  auto scan = std::make_unique<NameListScan>(codePage);
  scan->owned = fs.ReadAll(path);
  scan->text = scan->owned;
  WalkNameList(scan.get());
  return scan;
}

void RecordTable::LoadNameList(const std::string& path) {
  MergeNameList(path, [&] { return ReadNameList(fs_, path, codePage_); });
}

void RecordTable::MergeNameListText(std::string_view text) {
  MergeNameListScan(*ScanNameList(text, codePage_));
}

void RecordTable::MergeNameList(const std::string& path,
                                const std::function<std::unique_ptr<NameListScan>()>& read) {
  nameListPath_ = path;  // kept even when the file cannot be read now
  if (const std::unique_ptr<NameListScan> scan = read()) MergeNameListScan(*scan);
}

void RecordTable::MergeNameListScan(NameListScan& scan) {
  prepared_.reset();  // records come and parts grow
  const std::string_view text = scan.text;
  const std::vector<NameListScan::Entry>& entries = scan.entries;
  const std::vector<std::string_view>& addresses = scan.addresses;
  const AddressIndex::FoldedKeys& keys = scan.keys;
  // The record each entry joins, or -1: the first of its addresses the store holds. Look-ups see
  // the store as it was before any entry came in.
  std::vector<int> joined(entries.size(), -1);
  // The table is asked for a few entries ahead, so that its misses to memory overlap.
  const int before = Count();
  const auto lookUp = [&](size_t from, size_t to) noexcept {
    for (size_t k = from; k < to; ++k) {
      if (k + kAhead < to) {
        const NameListScan::Entry& ahead = entries[k + kAhead];
        for (uint32_t i = 0; i < ahead.addressCount && i < 2; ++i) {
          index_.Prefetch(keys, ahead.firstAddress + i);
        }
      }
      const NameListScan::Entry& e = entries[k];
      for (uint32_t i = 0; i < e.addressCount && joined[k] < 0; ++i) {
        const int found = index_.Find(keys, e.firstAddress + i);
        if (found >= 0 && found < before) joined[k] = found;
      }
    }
  };
  // A large list's look-ups wait mostly for memory: two threads wait together.
  if (entries.size() >= kManyEntries) {
    const size_t half = entries.size() / 2;
    std::future<void> second = RunAside([&] { lookUp(half, entries.size()); });
    lookUp(0, half);
    second.get();
  } else {
    lookUp(0, entries.size());
  }

  // "Not yet contained, case ignored": a short address list is scanned; a record that grows
  // longer gets a table of its addresses, built once, so a record that collects many entries
  // costs one look-up per address instead of a scan.
  constexpr size_t kScanLimit = 8;
  std::unordered_map<int, AddressIndex> held;
  // Every address added to a record or given to a new one, for the index once the walk ends.
  std::vector<AddressIndex::KeyClaim> claims;
  std::vector<std::string_view> recordAddresses;
  // Offsets into nameListBytes_ are kept in 32 bits.
  const auto checkRange = [this](size_t more) {
    if (nameListBytes_.size() + more > std::numeric_limits<uint32_t>::max()) {
      throw std::length_error("a name list of this size cannot be kept");
    }
  };
  // Appends `bytes` (and CR LF after them with `line`) to nameListBytes_ and returns where they
  // begin. The room for all of them is made below, before the first: views of what it holds
  // stay valid through the merge.
  const auto keep = [this, &checkRange](std::string_view bytes, bool line) {
    checkRange(bytes.size() + 2);
    const auto at = static_cast<uint32_t>(nameListBytes_.size());
    char* to = nameListBytes_.Extend(bytes.size() + (line ? 2 : 0));
    word_scan::CopyBytes(to, bytes.data(), bytes.size());
    if (line) std::memcpy(to + bytes.size(), "\r\n", 2);
    return at;
  };
  const auto addToPart = [this, &keep](NameListPart& part, std::string_view address) {
    // A line holds no line break nor NUL: only its start can make it unstorable.
    part.unstorable = part.unstorable || address.empty() || address.front() == ' ' ||
                      address.front() == '@';
    addedAddresses_.push_back({keep(address, true), static_cast<uint32_t>(address.size()), 0});
    const auto added = static_cast<uint32_t>(addedAddresses_.size());
    if (part.lastAddress != 0) {
      addedAddresses_[part.lastAddress - 1].next = added;
    } else {
      part.firstAddress = added;
    }
    part.lastAddress = added;
  };
  // Every text and address kept is a line of `text`, and each address gains a CR LF.
  checkRange(text.size() + 2 * addresses.size());
  nameListBytes_.Reserve(nameListBytes_.size() + text.size() + 2 * addresses.size());
  // The tables grow once: a large list would move them several times while they double.
  const auto made = static_cast<size_t>(std::count(joined.begin(), joined.end(), -1));
  // The addresses of the records made for entries that join none: known before the merge, they
  // are laid onto the index meanwhile on another thread (a large list's), for the merge below
  // never asks the index; the order of claims does not matter (the earliest record keeps a
  // key).
  std::future<void> madeClaimed;
  if (entries.size() >= kManyEntries) {
    std::vector<AddressIndex::KeyClaim> madeClaims;
    int record = before;
    for (size_t k = 0; k < entries.size(); ++k) {
      if (joined[k] >= 0) continue;
      for (uint32_t i = 0; i < entries[k].addressCount; ++i) {
        madeClaims.push_back({entries[k].firstAddress + i, record});
      }
      ++record;
    }
    madeClaimed = RunAside([this, &keys, claims = std::move(madeClaims)] {
      index_.ClaimAll(keys, claims);
    });
  }
  records_.reserve(records_.size() + made);
  nameListParts_.reserve(nameListParts_.size() + entries.size());
  addedAddresses_.reserve(addedAddresses_.size() + addresses.size());
  claims.reserve(addresses.size());
  const auto newPart = [this](Record& r) -> NameListPart& {
    nameListParts_.emplace_back();
    r.body.SetPart(static_cast<uint32_t>(nameListParts_.size()));
    return nameListParts_.back();
  };

  // The entries in order. Records change here directly, not through the setters, for index_
  // stays as it was until the end; every record whose file bytes change is marked for the next
  // Save. A record without a Person gets what the entry adds in its name-list part rather than
  // a Person of its own.
  for (size_t k = 0; k < entries.size(); ++k) {
    // The records ahead and then their bytes, as for the look-ups.
    if (k + 2 * kAhead < entries.size() && joined[k + 2 * kAhead] >= 0) {
      PrefetchMemory(&records_[static_cast<size_t>(joined[k + 2 * kAhead])]);
    }
    if (k + kAhead < entries.size() && joined[k + kAhead] >= 0) {
      const Record& ahead = records_[static_cast<size_t>(joined[k + kAhead])];
      if (ahead.size > 0) PrefetchMemory(KeptBytes(ahead).data());
    }
    const NameListScan::Entry& e = entries[k];
    const auto entryAddresses = [&](uint32_t i) { return addresses[e.firstAddress + i]; };
    // The entry's text as written, at the end of nameListBytes_: it is unescaped when its
    // record is first asked for (PersonOf), and most records of a large store never are. A text
    // is empty as written exactly when it is empty unescaped. Taken back below when nothing
    // keeps it.
    const size_t textBegin = nameListBytes_.size();
    (void)keep(e.text, false);
    const size_t textSize = e.text.size();

    if (joined[k] < 0) {
      Record made;
      NameListPart& part = newPart(made);
      part.textBegin = static_cast<uint32_t>(textBegin);
      part.textSize = static_cast<uint32_t>(textSize);
      for (uint32_t i = 0; i < e.addressCount; ++i) {
        addToPart(part, entryAddresses(i));
        if (!madeClaimed.valid()) claims.push_back({e.firstAddress + i, Count()});
      }
      records_.push_back(std::move(made));
      continue;
    }
    const int record = joined[k];
    Record& r = records_[static_cast<size_t>(record)];
    Person* person = r.body.person();
    if (person != nullptr) {
      if (person->nameListText.empty()) person->nameListText = NameListTextOf(e.text);
      nameListBytes_.Truncate(textBegin);
      // The views of its addresses below must not move while it grows.
      person->addresses.reserve(person->addresses.size() + e.addressCount);
    } else {
      NameListPart& part = r.body.part() != 0 ? nameListParts_[r.body.part() - 1] : newPart(r);
      if (part.textSize == 0) {
        part.textBegin = static_cast<uint32_t>(textBegin);
        part.textSize = static_cast<uint32_t>(textSize);
      } else {
        nameListBytes_.Truncate(textBegin);
      }
    }
    recordAddresses.clear();
    AppendAddressesOf(r, recordAddresses);
    size_t known = recordAddresses.size();
    auto it = held.find(record);
    for (uint32_t i = 0; i < e.addressCount; ++i) {
      const std::string_view address = entryAddresses(i);
      if (it == held.end() && known >= kScanLimit) {
        it = held.try_emplace(record, codePage_).first;
        recordAddresses.clear();
        AppendAddressesOf(r, recordAddresses);
        it->second.Reserve(recordAddresses.size() * 2, 0);
        for (const std::string_view a : recordAddresses) it->second.Insert(a, record);
      }
      bool add;
      if (it != held.end()) {
        add = it->second.Insert(address, record);
      } else {
        add = std::none_of(recordAddresses.begin(), recordAddresses.end(),
                           [&](std::string_view a) {
                             return SameAddressKey(a, address, codePage_);
                           });
      }
      if (!add) continue;
      if (person != nullptr) {
        KeepFileVersion(r);  // what the name list adds is no change of the file's record
        person->addresses.emplace_back(address);
      } else {
        addToPart(nameListParts_[r.body.part() - 1], address);
      }
      // Views of the list's own text: the record's copies may move while it grows.
      if (it == held.end()) recordAddresses.push_back(address);
      ++known;
      claims.push_back({e.firstAddress + i, record});
      r.stale = true;
    }
  }
  // The addresses added, laid onto the index as the store now holds them: the first record
  // holding a key keeps it, as a rebuild would give.
  if (madeClaimed.valid()) madeClaimed.get();
  index_.ClaimAll(keys, claims);
}

}  // namespace pinote
