#include "store/memo_store.h"

#include <algorithm>
#include <utility>

#include "common/mbtext.h"
#include "common/text_lines.h"
#include "store/record_block.h"
#include "store/record_table.h"

namespace pinote {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// What a record carries into the file beyond its address.
bool HasFileContent(const Person& person) noexcept {
  return !person.memo.empty() || person.addresses.size() > 1;
}

bool HasStorableAddress(const Person& person) noexcept {
  return std::any_of(person.addresses.begin(), person.addresses.end(),
                     [](const std::string& a) { return IsStorableAddress(a); });
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
  return HasFileContent(person) || (!person.nameListText.empty() && !person.addresses.empty());
}

void AppendRecordBytes(const Person& person, std::string& out) {
  if (!HasStorableAddress(person)) return;
  for (const auto& a : person.addresses) {
    // An address the format cannot hold would end the record, mark it, turn into memo text
    // or, with a NUL, cut off every record after it; it is left out instead.
    if (!IsStorableAddress(a)) continue;
    out += a;
    out += kCrLf;
  }
  if (person.important) {
    out += kImportantLine;
    out += kCrLf;
  }
  ForEachLine(BeforeNul(person.memo), [&out](std::string_view line) {
    out += ' ';
    out += line;
    out += kCrLf;
  });
  out += kCrLf;
}

std::string FormatMemoFile(const std::vector<std::unique_ptr<Person>>& persons) {
  size_t size = 0;
  for (const auto& p : persons) {
    for (const auto& a : p->addresses) size += a.size() + 2;
    size += p->memo.size() + p->memo.size() / 4 + kImportantLine.size() + 6;
  }
  std::string out;
  out.reserve(size);
  for (const auto& p : persons) AppendRecordBytes(*p, out);
  return out;
}

MemoStore::MemoStore(const CodePage& codePage, FileSystem& fs)
    : table_(std::make_unique<RecordTable>(fs, codePage)), file_(fs, *table_, codePage, true) {}

MemoStore::~MemoStore() = default;

DiskOutcome MemoStore::Load(const std::string& path, const std::string& pcFolder,
                            const std::string& olderPath) {
  pcFolder_ = pcFolder;
  return file_.Load(path, pcFolder, olderPath);
}

DiskOutcome MemoStore::Reload(const std::string& nameListPath) {
  if (file_.Path().empty()) return {};
  DiskOutcome saved = file_.Save();
  if (!saved.ok()) return saved;
  DiskOutcome loaded = file_.Load(file_.Path(), pcFolder_);
  loaded.notices.Append(std::move(saved.notices));
  table_->LoadNameList(nameListPath);
  return loaded;
}

DiskOutcome MemoStore::Save() { return file_.Save(); }
void MemoStore::PrepareSave(size_t fewestStale) { table_->PrepareSave(fewestStale); }

bool MemoStore::HasUnsavedChanges() const noexcept { return table_->HasChanges(); }
int MemoStore::Count() const noexcept { return table_->Count(); }
const Person* MemoStore::Get(int index) const { return table_->Get(index); }
int MemoStore::IndexOfAddress(std::string_view address) const {
  return table_->IndexOfAddress(address);
}
int MemoStore::Add(std::unique_ptr<Person> person) { return table_->Add(std::move(person)); }
void MemoStore::Delete(int index) { table_->Delete(index); }
void MemoStore::SetMemo(int index, std::string memo) { table_->SetMemo(index, std::move(memo)); }
void MemoStore::SetImportant(int index, bool important) {
  table_->SetImportant(index, important);
}
void MemoStore::SetNameListText(int index, std::string text) {
  table_->SetNameListText(index, std::move(text));
}
void MemoStore::AppendAddress(int index, std::string address) {
  table_->AppendAddress(index, std::move(address));
}
bool MemoStore::RemoveAddress(int index, std::string_view address) {
  return table_->RemoveAddress(index, address);
}
void MemoStore::LoadNameList(const std::string& path) { table_->LoadNameList(path); }
void MemoStore::MergeNameListText(std::string_view text) { table_->MergeNameListText(text); }
void MemoStore::MergeNameList(const std::string& path,
                              const std::function<std::unique_ptr<NameListScan>()>& read) {
  table_->MergeNameList(path, read);
}

std::string MemoStore::MergeWithFile(std::string text) {
  std::string conflicts;
  table_->Merge(std::move(text), [&conflicts](const std::string& c) { conflicts = c; });
  return conflicts;
}

size_t MemoStore::KeptBytesMemory() const noexcept { return table_->KeptBytesMemory(); }

}  // namespace pinote
