// The merges of the memo store: this copy's changes laid onto what Pinote.dat holds now, and a
// sync tool's conflict copy merged into the store.
#include <algorithm>
#include <memory>
#include <utility>

#include "common/mbtext.h"
#include "store/address_index.h"
#include "store/memo_store.h"
#include "store/record_block.h"

namespace pinote {

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool SameRecord(const Person& a, const Person& b) {
  std::string x, y;
  AppendRecordBytes(a, x);
  AppendRecordBytes(b, y);
  return x == y;
}

bool EndsWithBreak(std::string_view t) {
  return !t.empty() && (t.back() == '\n' || t.back() == '\r');
}

// `first`, then `second` on a line of its own; only one of them when it holds the other already
// (searched by characters, so that a second byte never starts a match).
std::string JoinMemos(const std::string& first, const std::string& second, const CodePage& cp) {
  if (second.empty() || MbPos(second, first, cp) > 0) return first;
  if (first.empty() || MbPos(first, second, cp) == 1) return second;
  std::string out = first;
  if (!EndsWithBreak(out)) out += kCrLf;
  out += second;
  return out;
}

bool Holds(const Person& p, std::string_view address, const CodePage& cp) {
  return std::any_of(p.Addresses.begin(), p.Addresses.end(),
                     [&](const std::string& a) { return SameAddressKey(a, address, cp); });
}

// `from` joined into `into`: its addresses that `into` lacks, its memo, its mark.
void JoinPerson(Person& into, const Person& from, const CodePage& cp) {
  for (const std::string& a : from.Addresses) {
    if (!Holds(into, a, cp)) into.Addresses.push_back(a);
  }
  into.Memo = JoinMemos(into.Memo, from.Memo, cp);
  into.Important = into.Important || from.Important;
}

std::unique_ptr<Person> FileCopyOf(const Person& p) {
  auto copy = std::make_unique<Person>(p);
  copy->NameListText.clear();
  return copy;
}

// The distinct values `index` holds for `addresses`, in ascending order.
std::vector<int> Matches(const AddressIndex& index,
                         const std::vector<std::string_view>& addresses) {
  std::vector<int> found;
  for (const std::string_view a : addresses) {
    const int i = index.Find(a);
    if (i >= 0 && std::find(found.begin(), found.end(), i) == found.end()) found.push_back(i);
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

MemoStore::MergePlan MemoStore::PlanMerge(std::string text) const {
  MergePlan plan;
  plan.image = std::move(text);
  std::vector<Record> file = ParseRecords(plan.image, nullptr);

  // This copy's changes, in store order, with what each record was in the file (none for a
  // record made since).
  struct Local {
    const Person* now;
    const Person* before;
    bool placed = false;
    bool claimed = false;  // made here and sharing an address with a record changed here
    int host = -1;         // the merged record a record made here joined
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
  std::vector<const Person*> bases;
  std::vector<bool> baseRemoved;
  for (const Local& l : locals) {
    if (l.before == nullptr) continue;
    bases.push_back(l.before);
    baseRemoved.push_back(false);
  }
  for (const auto& p : removed_) {
    bases.push_back(p.get());
    baseRemoved.push_back(true);
  }
  AddressIndex localKeys(codePage_), baseKeys(codePage_);
  for (size_t i = 0; i < locals.size(); ++i) {
    for (const std::string& a : locals[i].now->Addresses) localKeys.Insert(a, static_cast<int>(i));
  }
  for (size_t i = 0; i < bases.size(); ++i) {
    for (const std::string& a : bases[i]->Addresses) baseKeys.Insert(a, static_cast<int>(i));
  }

  std::vector<Record>& out = plan.records;
  out.reserve(file.size() + locals.size());
  // Puts a record of this copy's into the result, with what the file now holds of it.
  const auto place = [&](Local& l, std::unique_ptr<Person> before) {
    Record r(std::make_unique<Person>(*l.now));
    r.onDisk = before != nullptr;
    plan.changed.emplace(r.body.person(), std::move(before));
    out.push_back(std::move(r));
    l.placed = true;
  };
  std::vector<std::string_view> addresses;
  for (Record& t : file) {
    // Most records of the file are no business of this copy's changes: they stay bytes.
    addresses.clear();
    if (const Person* p = t.body.person()) {
      addresses.assign(p->Addresses.begin(), p->Addresses.end());
    } else {
      ForEachCrLfLine(SplitExactBlock(std::string_view(plan.image).substr(t.begin, t.size))
                          .addressLines,
                      [&addresses](std::string_view a) { addresses.push_back(a); });
    }
    const std::vector<int> matchedLocals = Matches(localKeys, addresses);
    const std::vector<int> matchedBases = Matches(baseKeys, addresses);
    if (matchedLocals.empty() && matchedBases.empty()) {
      out.push_back(std::move(t));  // nobody here changed it: as the file has it
      continue;
    }
    if (t.body.person() == nullptr) {
      t.body.SetPerson(PersonOfBlock(std::string_view(plan.image).substr(t.begin, t.size)));
    }
    const Person& theirs = *t.body.person();
    const bool asItWas = std::any_of(matchedBases.begin(), matchedBases.end(),
                                     [&](int b) { return SameRecord(theirs, *bases[b]); });
    const bool changedHere = std::any_of(matchedLocals.begin(), matchedLocals.end(),
                                         [&](int l) { return locals[l].before != nullptr; });
    if (changedHere) {
      // This copy's version wins; the file's goes to the conflict copy when the other writer
      // changed it too.
      const bool same = std::any_of(matchedLocals.begin(), matchedLocals.end(),
                                    [&](int l) { return SameRecord(theirs, *locals[l].now); });
      if (!asItWas && !same) AppendRecordBytes(theirs, plan.conflicts);
      // Those changed here take its place; those made here since stay where a save without
      // another writer puts them, at the end.
      bool baseGiven = false;
      for (const int l : matchedLocals) {
        if (locals[l].before == nullptr) locals[l].claimed = true;
        if (locals[l].placed || locals[l].before == nullptr) continue;
        place(locals[l], baseGiven ? nullptr : FileCopyOf(theirs));
        baseGiven = true;
      }
      if (!baseGiven) plan.removed.push_back(t.body.TakePerson());
      continue;
    }
    const bool removedHere = std::any_of(matchedBases.begin(), matchedBases.end(),
                                         [&](int b) { return baseRemoved[b]; });
    if (removedHere) {
      // Removed here: a record made here since for its addresses replaces it rather than
      // joining it, and stays at the end where it was made.
      if (!asItWas) AppendRecordBytes(theirs, plan.conflicts);
      plan.removed.push_back(t.body.TakePerson());
      for (const int l : matchedLocals) locals[l].claimed = true;
      continue;
    }
    const bool madeHere = std::any_of(matchedLocals.begin(), matchedLocals.end(),
                                      [&](int l) { return !locals[l].claimed; });
    if (madeHere) {
      // Only records made here since the last read: they join the file's record.
      int host = -1;
      for (const int l : matchedLocals) {
        if (locals[l].host >= 0) host = locals[l].host;
      }
      if (host < 0) {
        host = static_cast<int>(out.size());
        Record r(FileCopyOf(theirs));
        r.onDisk = 1;
        plan.changed.emplace(r.body.person(), FileCopyOf(theirs));
        out.push_back(std::move(r));
      } else {
        JoinPerson(*out[static_cast<size_t>(host)].body.person(), theirs, codePage_);
        plan.removed.push_back(t.body.TakePerson());
      }
      Person& joined = *out[static_cast<size_t>(host)].body.person();
      for (const int l : matchedLocals) {
        if (locals[l].host >= 0 || locals[l].claimed) continue;
        JoinPerson(joined, *locals[l].now, codePage_);
        if (joined.NameListText.empty()) joined.NameListText = locals[l].now->NameListText;
        locals[l].host = host;
        locals[l].placed = true;
      }
      continue;
    }
    out.push_back(std::move(t));  // nobody here changed it: as the file has it
  }
  // Changed or made here, and sharing no address with the file.
  for (Local& l : locals) {
    if (!l.placed) place(l, nullptr);
  }
  return plan;
}

void MemoStore::ApplyMerge(MergePlan&& plan) {
  image_ = std::move(plan.image);
  edits_ = std::string();
  records_ = std::move(plan.records);
  ClearNameListParts();  // the records from the file have none
  changed_ = std::move(plan.changed);
  removed_ = std::move(plan.removed);
  readFailed_ = false;
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

std::string MemoStore::MergeWithFile(std::string text) {
  MergePlan plan = PlanMerge(std::move(text));
  std::string conflicts = std::move(plan.conflicts);
  ApplyMerge(std::move(plan));
  return conflicts;
}

int MemoStore::MergeCopyRecords(const std::vector<std::unique_ptr<Person>>& records,
                                std::string_view marker) {
  int merged = 0;
  for (const auto& copy : records) {
    if (!IsWrittenOnSave(*copy)) continue;  // nothing the file would keep
    std::vector<int> holders;
    for (const std::string& a : copy->Addresses) {
      const int i = IndexOfAddress(a);
      if (i >= 0 && std::find(holders.begin(), holders.end(), i) == holders.end()) {
        holders.push_back(i);
      }
    }
    if (holders.empty()) {
      Add(FileCopyOf(*copy));
      ++merged;
      continue;
    }
    std::sort(holders.begin(), holders.end());
    const int target = holders.front();
    bool changed = false;
    // Unified in the copy: the store's records of these addresses become one, the last first so
    // that the earlier indices stay valid.
    for (size_t k = holders.size() - 1; k > 0; --k) {
      const Person joining = *Get(holders[k]);
      for (const std::string& a : joining.Addresses) {
        if (!Holds(*Get(target), a, codePage_)) AppendAddress(target, a);
      }
      SetImportant(target, Get(target)->Important || joining.Important);
      SetMemo(target, JoinMemos(Get(target)->Memo, joining.Memo, codePage_));
      Delete(holders[k]);
      changed = true;
    }
    for (const std::string& a : copy->Addresses) {
      if (!Holds(*Get(target), a, codePage_) && IsStorableAddress(a)) {
        AppendAddress(target, a);
        changed = true;
      }
    }
    if (copy->Important && !Get(target)->Important) {
      SetImportant(target, true);
      changed = true;
    }
    const std::string& memo = Get(target)->Memo;
    if (!copy->Memo.empty() && MbPos(copy->Memo, memo, codePage_) == 0) {
      std::string joined = memo;
      if (!joined.empty()) {
        if (!EndsWithBreak(joined)) joined += kCrLf;
        joined += marker;
        joined += kCrLf;
      }
      joined += copy->Memo;
      SetMemo(target, std::move(joined));
      changed = true;
    }
    if (changed) ++merged;
  }
  return merged;
}

}  // namespace pinote
