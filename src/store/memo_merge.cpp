// The merges of the memo store with other writers.
//
// With the file (another host, a program that rewrote it): three-way, against the base, what the
// file held when this copy last read or wrote it. Per record of the file: one that shares no
// address with what this copy changed stays as the file has it; one this copy changed and the
// other side did not gives way to this copy's version (a deletion, unification or separation
// made here included); one both sides added joins this copy's; one both changed differently
// keeps this copy's version in the file and the other in the conflict file. Records this copy
// did not touch stay in the file even when the other side's change of them clashed.
//
// With a sync tool's copy (the other PC's version, written from a state both PCs shared some
// time ago): what this PC remembers of its own changes decides. A person this PC changed keeps
// this PC's version when the copy holds what this PC had before its change, and both texts when
// the copy differs from that too; a person this PC never changed takes the copy's version.
// Without such a record nothing is dropped: the copy's people and texts come in beside ours.
#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>

#include "common/mbtext.h"
#include "store/address_index.h"
#include "store/record_block.h"
#include "store/record_table.h"

namespace pinote {

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool SameRecord(const Person& a, const Person& b) {
  std::string x, y;
  AppendRecordBytes(a, x);
  AppendRecordBytes(b, y);
  return x == y;
}

// A memo as it is compared with another: every line break one "\n", none at the end, nothing
// after a NUL. A memo typed here lacks the final break that one read from the file has.
std::string ComparableMemo(std::string_view memo) {
  memo = BeforeNul(memo);
  std::string out;
  out.reserve(memo.size());
  for (size_t i = 0; i < memo.size(); ++i) {
    if (memo[i] == '\r') {
      out += '\n';
      if (i + 1 < memo.size() && memo[i + 1] == '\n') ++i;
    } else {
      out += memo[i];
    }
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// "----- <copy's name> <date> -----": the line a merge puts above a copy's text.
bool IsMarkerLine(std::string_view line) {
  return line.size() >= 12 && line.substr(0, 6) == "----- " &&
         line.substr(line.size() - 6) == " -----";
}

// The lines of a comparable memo but its marker lines: the same merge made in two time zones
// writes two markers.
std::vector<std::string_view> LinesOf(std::string_view comparable) {
  std::vector<std::string_view> lines;
  size_t begin = 0;
  while (true) {
    const size_t end = comparable.find('\n', begin);
    const std::string_view line =
        comparable.substr(begin, end == std::string_view::npos ? end : end - begin);
    if (!IsMarkerLine(line)) lines.push_back(line);
    if (end == std::string_view::npos) return lines;
    begin = end + 1;
  }
}

// Whether `memo` holds `text` already: its lines, whole, one after the other (a copy's text merged
// before sits below a marker line; a memo read from the file ends with a line break that one
// typed here lacks). Never a part of a line: "Not OK" does not hold "OK".
bool MemoHolds(std::string_view memo, std::string_view text) {
  const std::string wanted = ComparableMemo(text);
  if (wanted.empty()) return true;
  const std::string whole = ComparableMemo(memo);
  if (whole.empty()) return false;
  const std::vector<std::string_view> have = LinesOf(whole), want = LinesOf(wanted);
  if (want.empty()) return true;
  if (want.size() > have.size()) return false;
  for (size_t at = 0; at + want.size() <= have.size(); ++at) {
    if (std::equal(want.begin(), want.end(), have.begin() + static_cast<std::ptrdiff_t>(at))) {
      return true;
    }
  }
  return false;
}

bool EndsWithBreak(std::string_view t) {
  return !t.empty() && (t.back() == '\n' || t.back() == '\r');
}

// `first`, then `second` on a line of its own; `first` alone when it holds `second`.
std::string JoinMemos(const std::string& first, const std::string& second) {
  if (MemoHolds(first, second)) return first;
  if (ComparableMemo(first).empty()) return second;
  std::string out = first;
  if (!EndsWithBreak(out)) out += kCrLf;
  out += second;
  return out;
}

bool Holds(const Person& p, std::string_view address, const CodePage& cp) {
  return std::any_of(p.addresses.begin(), p.addresses.end(),
                     [&](const std::string& a) { return SameAddressKey(a, address, cp); });
}

bool Shares(const Person& a, const Person& b, const CodePage& cp) {
  return std::any_of(a.addresses.begin(), a.addresses.end(),
                     [&](const std::string& x) { return Holds(b, x, cp); });
}

// The same person with the same text, however the lines break and the addresses are ordered.
bool SameComparable(const Person& a, const Person& b, const CodePage& cp) {
  if (a.important != b.important || a.addresses.size() != b.addresses.size()) return false;
  for (const std::string& x : a.addresses) {
    if (!Holds(b, x, cp)) return false;
  }
  return ComparableMemo(a.memo) == ComparableMemo(b.memo);
}

// `from` joined into `into`: its addresses that `into` lacks, its memo, its mark.
void JoinPerson(Person& into, const Person& from, const CodePage& cp) {
  for (const std::string& a : from.addresses) {
    if (!Holds(into, a, cp)) into.addresses.push_back(a);
  }
  into.memo = JoinMemos(into.memo, from.memo);
  into.important = into.important || from.important;
}

std::unique_ptr<Person> FileCopyOf(const Person& p) {
  auto copy = std::make_unique<Person>(p);
  copy->nameListText.clear();
  return copy;
}

}  // namespace

RecordTable::MergePlan RecordTable::PlanMerge(std::string text) const {
  MergePlan plan;
  plan.image = std::move(text);
  std::vector<Record> file = ParseRecords(plan.image, nullptr);

  // This copy's changes since the base, in store order, with what each was in the file (none for
  // a record made since).
  struct Local {
    const Person* now;
    const Person* before;
    bool placed = false;  // in the result (also when the file had the same change)
    int at = -1;          // its record in the result
  };
  std::vector<Local> locals;
  for (const Record& r : records_) {
    const Person* p = r.body.person();  // a record changed here has one
    const auto it = p != nullptr ? changed_.find(p) : changed_.end();
    if (it == changed_.end()) continue;
    // Made here with nothing for the file (no memo, one address): it was typed into a box that
    // showed nothing of the file's record, and is pruned by the save anyway.
    if (it->second == nullptr && !IsWrittenOnSave(*p)) continue;
    locals.push_back({p, it->second.get()});
  }
  // The base of what this copy touched: the file's versions of records changed or removed here.
  std::vector<const Person*> bases;
  for (const Local& l : locals) {
    if (l.before != nullptr) bases.push_back(l.before);
  }
  for (const auto& p : removed_) bases.push_back(p.get());
  AddressIndex touched(codePage_);
  for (const Local& l : locals) {
    for (const std::string& a : l.now->addresses) touched.Insert(a, 0);
  }
  for (const Person* b : bases) {
    for (const std::string& a : b->addresses) touched.Insert(a, 0);
  }

  const auto addressesOf = [&plan](const Record& t, std::vector<std::string_view>& out) {
    out.clear();
    if (const Person* p = t.body.person()) {
      out.assign(p->addresses.begin(), p->addresses.end());
    } else {
      ForEachCrLfLine(
          SplitExactBlock(std::string_view(plan.image).substr(t.begin, t.size)).addressLines,
          [&out](std::string_view a) { out.push_back(a); });
    }
  };
  // Records of the file that share an address with what this copy touched; and the records of
  // this copy's that such a record reaches though this copy left them as they were (a record
  // unified there with one changed here): the base holds them as memory does.
  std::vector<std::string_view> addresses;
  std::vector<size_t> involved;
  std::vector<int> untouched;  // record indices in records_
  for (size_t i = 0; i < file.size(); ++i) {
    addressesOf(file[i], addresses);
    bool hit = false;
    for (const std::string_view a : addresses) hit = hit || touched.Find(a) >= 0;
    if (!hit) continue;
    involved.push_back(i);
    for (const std::string_view a : addresses) {
      const int m = index_.Find(a);
      if (m < 0 || std::find(untouched.begin(), untouched.end(), m) != untouched.end()) continue;
      const Person* p = records_[static_cast<size_t>(m)].body.person();
      if (p != nullptr && changed_.count(p) != 0) continue;
      untouched.push_back(m);
    }
  }
  std::vector<std::unique_ptr<Person>> untouchedBase;
  AddressIndex untouchedKeys(codePage_);
  for (size_t u = 0; u < untouched.size(); ++u) {
    untouchedBase.push_back(FileVersionOf(records_[static_cast<size_t>(untouched[u])]));
    if (!untouchedBase.back()) untouchedBase.back() = std::make_unique<Person>();
    for (const std::string& a : untouchedBase.back()->addresses) {
      untouchedKeys.Insert(a, static_cast<int>(u));
    }
  }
  std::vector<bool> untouchedShown(untouched.size(), false);  // by a record of the file kept

  // What becomes of each record of the file.
  enum class Fate { kKeep, kGiveWay, kConflict, kHostsOurs, kJoinsOurs };
  std::vector<Fate> fates(file.size(), Fate::kKeep);
  std::vector<std::unique_ptr<Person>> theirs(file.size());
  std::vector<int> joins(file.size(), -1);  // kJoinsOurs: the local it joins
  for (size_t i = 0; i < file.size() && !untouched.empty(); ++i) {
    addressesOf(file[i], addresses);
    for (const std::string_view a : addresses) {
      const int u = untouchedKeys.Find(a);
      if (u >= 0 && !std::binary_search(involved.begin(), involved.end(), i)) {
        untouchedShown[static_cast<size_t>(u)] = true;
      }
    }
  }
  for (const size_t i : involved) {
    Record& t = file[i];
    theirs[i] = t.body.person() != nullptr
                    ? FileCopyOf(*t.body.person())
                    : PersonOfBlock(std::string_view(plan.image).substr(t.begin, t.size));
    const Person& th = *theirs[i];
    std::vector<size_t> mine;  // locals whose record or file version shares an address with it
    for (size_t l = 0; l < locals.size(); ++l) {
      if (Shares(th, *locals[l].now, codePage_) ||
          (locals[l].before != nullptr && Shares(th, *locals[l].before, codePage_))) {
        mine.push_back(l);
      }
    }
    const auto same = std::find_if(mine.begin(), mine.end(), [&](size_t l) {
      return SameRecord(th, *locals[l].now);
    });
    if (same != mine.end()) {
      // Both sides made the same change: the file has it already.
      locals[*same].placed = true;
      continue;
    }
    bool asUntouched = false, inBase = false;
    for (size_t u = 0; u < untouched.size(); ++u) {
      if (!Shares(th, *untouchedBase[u], codePage_)) continue;
      inBase = true;
      if (SameRecord(th, *untouchedBase[u])) {
        asUntouched = true;
        untouchedShown[u] = true;
      }
    }
    if (asUntouched) continue;
    bool asItWas = false;
    for (const Person* b : bases) {
      if (!Shares(th, *b, codePage_)) continue;
      inBase = true;
      asItWas = asItWas || SameRecord(th, *b);
    }
    if (asItWas) {
      fates[i] = Fate::kGiveWay;  // changed here only
    } else if (!inBase) {
      // Added there, and here too: it joins ours. A record made here since joins it instead.
      const auto made = std::find_if(mine.begin(), mine.end(),
                                     [&](size_t l) { return locals[l].before == nullptr; });
      if (made != mine.end()) {
        fates[i] = Fate::kHostsOurs;
      } else {
        fates[i] = Fate::kJoinsOurs;
        joins[i] = mine.empty() ? -1 : static_cast<int>(mine.front());
        if (joins[i] < 0) fates[i] = Fate::kKeep;
      }
    } else {
      fates[i] = Fate::kConflict;  // changed on both sides, differently
      AppendRecordBytes(th, plan.conflicts);
    }
  }

  // The result, in the file's order: this copy's records take the place of the file's records
  // they replace; records made here since stay where a save without another writer puts them,
  // at the end.
  std::vector<Record>& out = plan.records;
  out.reserve(file.size() + locals.size() + untouched.size());
  // Puts `person` into the result as a change of this copy's against the file now (`before`:
  // what the file holds of it; nullptr: nothing).
  const auto put = [&](std::unique_ptr<Person> person, std::unique_ptr<Person> before) {
    Record r(std::move(person));
    r.onDisk = before != nullptr;
    plan.changed.emplace(r.body.person(), std::move(before));
    out.push_back(std::move(r));
    return static_cast<int>(out.size() - 1);
  };
  std::vector<bool> untouchedPut(untouched.size(), false);
  for (size_t i = 0; i < file.size(); ++i) {
    Record& t = file[i];
    switch (fates[i]) {
      case Fate::kKeep:
        out.push_back(std::move(t));
        break;
      case Fate::kGiveWay:
      case Fate::kConflict: {
        // What takes the file's record's place first has it as its file version; the record
        // goes otherwise.
        const Person& th = *theirs[i];
        bool given = false;
        const auto fileVersion = [&]() -> std::unique_ptr<Person> {
          if (given) return nullptr;
          given = true;
          return FileCopyOf(th);
        };
        // Records made here since stay where a save without another writer puts them, at the end.
        for (Local& l : locals) {
          if (l.placed || l.before == nullptr ||
              !(Shares(th, *l.now, codePage_) || Shares(th, *l.before, codePage_))) {
            continue;
          }
          l.placed = true;
          l.at = put(std::make_unique<Person>(*l.now), fileVersion());
        }
        // Records this copy did not touch stay, though the other side's version of them went.
        for (size_t u = 0; u < untouched.size(); ++u) {
          const Person& base = *untouchedBase[u];
          if (untouchedShown[u] || untouchedPut[u] || base.addresses.empty() ||
              !Shares(th, base, codePage_)) {
            continue;
          }
          untouchedPut[u] = true;
          put(std::make_unique<Person>(base), fileVersion());
        }
        if (!given) plan.removed.push_back(std::move(theirs[i]));
        break;
      }
      case Fate::kHostsOurs: {
        auto host = FileCopyOf(*theirs[i]);
        for (Local& l : locals) {
          if (l.placed || l.before != nullptr || !Shares(*theirs[i], *l.now, codePage_)) {
            continue;
          }
          JoinPerson(*host, *l.now, codePage_);
          if (host->nameListText.empty()) host->nameListText = l.now->nameListText;
          l.placed = true;
        }
        put(std::move(host), FileCopyOf(*theirs[i]));
        break;
      }
      case Fate::kJoinsOurs: {
        Local& l = locals[static_cast<size_t>(joins[i])];
        if (!l.placed) {
          l.placed = true;
          l.at = put(std::make_unique<Person>(*l.now), nullptr);
        }
        if (l.at >= 0) {
          JoinPerson(*out[static_cast<size_t>(l.at)].body.person(), *theirs[i], codePage_);
          plan.removed.push_back(std::move(theirs[i]));
        } else {
          out.push_back(std::move(t));  // ours is the file's already
        }
        break;
      }
    }
  }
  // Changed or made here, and sharing no address with the file.
  for (Local& l : locals) {
    if (!l.placed) put(std::make_unique<Person>(*l.now), nullptr);
  }
  // A file that holds nobody while the base held people: what only the file lost is kept in
  // the conflict file, whatever took it away (a text editor that failed half way).
  if (file.empty()) {
    for (const Record& r : records_) {
      const Person* p = r.body.person();
      if (!r.onDisk || (p != nullptr && changed_.count(p) != 0)) continue;
      if (const std::unique_ptr<Person> base = FileVersionOf(r)) {
        AppendRecordBytes(*base, plan.conflicts);
      }
    }
  }
  return plan;
}

void RecordTable::ApplyMerge(MergePlan&& plan) {
  prepared_.reset();
  image_ = std::move(plan.image);
  edits_ = std::string();
  records_ = std::move(plan.records);
  ClearNameListParts();  // the records from the file have none
  changed_ = std::move(plan.changed);
  removed_ = std::move(plan.removed);
  fileVersions_.clear();
  RebuildIndex();
  // The records from the file carry no name-list text: the name list is merged again, its
  // records and addresses again no change of this copy's.
  if (!nameListPath_.empty()) {
    try {
      LoadNameList(nameListPath_);
    } catch (const FileError&) {
      // An address book that cannot be read now leaves the pane empty until it can.
    }
  }
}

void RecordTable::Merge(std::string text,
                        const std::function<void(const std::string&)>& keepConflicts) {
  MergePlan plan = PlanMerge(std::move(text));
  if (!plan.conflicts.empty()) keepConflicts(plan.conflicts);
  ApplyMerge(std::move(plan));
}

int RecordTable::MergeCopy(std::string_view text, std::string_view marker,
                           const PcRecord* record) {
  const std::vector<std::unique_ptr<Person>> copy = ParseMemoFile(text);
  if (copy.empty()) return BeforeNul(text).empty() ? 0 : -1;

  // What this PC had before each of its own changes, and every address those changes touched.
  std::optional<std::vector<PcRecord::Change>> changes;
  if (record != nullptr) changes = record->Changes();
  std::vector<std::unique_ptr<Person>> ownBefores;
  AddressIndex changedHere(codePage_);
  if (changes) {
    for (const PcRecord::Change& c : *changes) {
      for (auto& p : ParseMemoFile(c.before)) {
        for (const std::string& a : p->addresses) changedHere.Insert(a, 0);
        ownBefores.push_back(std::move(p));
      }
      for (auto& p : ParseMemoFile(c.after)) {
        for (const std::string& a : p->addresses) changedHere.Insert(a, 0);
      }
    }
  }

  // The copy's records, in groups that reach the same records of the store.
  std::vector<const Person*> records;
  for (const auto& c : copy) {
    if (IsWrittenOnSave(*c)) records.push_back(c.get());
  }
  std::vector<size_t> group(records.size());
  std::iota(group.begin(), group.end(), size_t{0});
  const auto root = [&group](size_t i) {
    while (group[i] != i) i = group[i] = group[group[i]];
    return i;
  };
  {
    std::vector<std::pair<int, size_t>> holders;  // store record, copy record
    for (size_t i = 0; i < records.size(); ++i) {
      for (const std::string& a : records[i]->addresses) {
        const int h = IndexOfAddress(a);
        if (h >= 0) holders.push_back({h, i});
      }
    }
    std::sort(holders.begin(), holders.end());
    for (size_t k = 1; k < holders.size(); ++k) {
      if (holders[k].first == holders[k - 1].first) {
        group[root(holders[k].second)] = root(holders[k - 1].second);
      }
    }
  }

  int merged = 0;
  std::vector<bool> done(records.size(), false);
  for (size_t first = 0; first < records.size(); ++first) {
    if (done[first]) continue;
    std::vector<const Person*> members;
    for (size_t i = first; i < records.size(); ++i) {
      if (!done[i] && root(i) == root(first)) {
        members.push_back(records[i]);
        done[i] = true;
      }
    }
    // The store's records this group reaches, now.
    const auto holdersNow = [&]() {
      std::vector<int> found;
      for (const Person* c : members) {
        for (const std::string& a : c->addresses) {
          const int h = IndexOfAddress(a);
          if (h >= 0 && std::find(found.begin(), found.end(), h) == found.end()) found.push_back(h);
        }
      }
      std::sort(found.begin(), found.end());
      return found;
    };
    std::vector<int> holders = holdersNow();
    bool touchedHere = false;
    for (const Person* c : members) {
      for (const std::string& a : c->addresses) touchedHere = touchedHere || changedHere.Find(a) >= 0;
    }
    for (const int h : holders) {
      for (const std::string& a : Get(h)->addresses) {
        touchedHere = touchedHere || changedHere.Find(a) >= 0;
      }
    }
    const bool same = holders.size() == members.size() &&
                      std::all_of(members.begin(), members.end(), [&](const Person* c) {
                        return std::any_of(holders.begin(), holders.end(), [&](int h) {
                          return SameComparable(*c, *Get(h), codePage_);
                        });
                      });
    if (same) continue;

    if (changes && !touchedHere) {
      // A person this PC never changed: the copy's version is the newer one.
      if (holders.empty()) {
        for (const Person* c : members) Add(FileCopyOf(*c));
      } else {
        Person& target = Edit(holders.front());
        const std::string names = target.nameListText;
        target = *members.front();
        target.nameListText = names;
        for (size_t k = holders.size() - 1; k > 0; --k) Delete(holders[k]);
        for (size_t m = 1; m < members.size(); ++m) Add(FileCopyOf(*members[m]));
        RebuildIndex();
      }
      merged += static_cast<int>(members.size());
      continue;
    }
    for (const Person* c : members) {
      // The copy holds what this PC had before its own change: that change stands.
      if (changes && std::any_of(ownBefores.begin(), ownBefores.end(),
                                 [&](const auto& b) { return SameComparable(*c, *b, codePage_); })) {
        continue;
      }
      std::vector<int> hs;
      for (const std::string& a : c->addresses) {
        const int h = IndexOfAddress(a);
        if (h >= 0 && std::find(hs.begin(), hs.end(), h) == hs.end()) hs.push_back(h);
      }
      std::sort(hs.begin(), hs.end());
      if (hs.empty()) {
        Add(FileCopyOf(*c));
        ++merged;
        continue;
      }
      const int target = hs.front();
      bool changed = false;
      // Unified in the copy, and nothing known of this PC's own changes: the store's records of
      // these addresses become one, the last first so that the earlier indices stay valid. A
      // person this PC changed keeps the groups this PC gave it.
      for (size_t k = hs.size() - 1; !changes && k > 0; --k) {
        const Person joining = *Get(hs[k]);
        for (const std::string& a : joining.addresses) {
          if (!Holds(*Get(target), a, codePage_)) AppendAddress(target, a);
        }
        SetImportant(target, Get(target)->important || joining.important);
        SetMemo(target, JoinMemos(Get(target)->memo, joining.memo));
        Delete(hs[k]);
        changed = true;
      }
      for (const std::string& a : c->addresses) {
        if (IndexOfAddress(a) < 0 && IsStorableAddress(a)) {
          AppendAddress(target, a);
          changed = true;
        }
      }
      if (c->important && !Get(target)->important) {
        SetImportant(target, true);
        changed = true;
      }
      const std::string& memo = Get(target)->memo;
      if (!MemoHolds(memo, c->memo)) {
        std::string joined = memo;
        if (!ComparableMemo(joined).empty()) {
          if (!EndsWithBreak(joined)) joined += kCrLf;
          joined += marker;
          joined += kCrLf;
        } else {
          joined.clear();
        }
        joined += c->memo;
        SetMemo(target, std::move(joined));
        changed = true;
      }
      if (changed) ++merged;
    }
  }
  return merged;
}

}  // namespace pinote
