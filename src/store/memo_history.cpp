#include "store/memo_history.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <unordered_set>
#include <utility>

#include "common/ascii.h"
#include "common/mbtext.h"
#include "common/paths.h"
#include "common/sync_copies.h"
#include "common/text_lines.h"

namespace pinote {
namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// Finds a text with ASCII letters in either case, by Horspool's skips over folded bytes: an
// address of twenty-odd bytes moves the search on by about as many, so a 10 MB backup takes a few
// milliseconds. It also folds the second byte of a double-byte character, which UpperAnsi leaves
// alone: callers check what it found.
class FoldedSearch {
 public:
  explicit FoldedSearch(std::string_view needle) : needle_(needle) {
    for (char& c : needle_) c = AsciiUpper(c);
    skip_.fill(needle_.size());
    for (size_t i = 0; i + 1 < needle_.size(); ++i) {
      skip_[static_cast<unsigned char>(needle_[i])] = needle_.size() - 1 - i;
    }
  }
  // The first match starting at or after `from`, or kNone.
  [[nodiscard]] size_t Find(std::string_view text, size_t from) const {
    const size_t m = needle_.size();
    if (m == 0) return kNone;
    for (size_t at = from; at + m <= text.size();) {
      const char last = AsciiUpper(text[at + m - 1]);
      if (last == needle_[m - 1]) {
        size_t i = m - 1;
        while (i > 0 && AsciiUpper(text[at + i - 1]) == needle_[i - 1]) --i;
        if (i == 0) return at;
      }
      at += skip_[static_cast<unsigned char>(last)];
    }
    return kNone;
  }

 private:
  std::string needle_;
  std::array<size_t, 256> skip_{};
};

// Where the record holding the line that starts at `line` begins: after the nearest empty line
// above, or at the start of the text. CR and LF never occur inside a double-byte character, so
// the walk back by bytes stays on character boundaries.
size_t BlockStart(std::string_view text, size_t line) {
  while (line > 0) {
    size_t end = line - 1;  // the line break before `line`
    if (text[end] == '\n' && end > 0 && text[end - 1] == '\r') --end;
    size_t begin = end;
    while (begin > 0 && !IsBreak(text[begin - 1])) --begin;
    if (begin == end) return line;  // an empty line above
    line = begin;
  }
  return 0;
}

// Where it ends: after the break of its last line (before the empty line), or at the text's end.
size_t BlockEnd(std::string_view text, size_t line) {
  while (line < text.size()) {
    const size_t brk = FindLineBreak(text.data(), line, text.size());
    if (brk == text.size()) break;
    const size_t next =
        brk + (text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n' ? 2 : 1);
    if (next >= text.size() || IsBreak(text[next])) return next;
    line = next;
  }
  return text.size();
}

// A memo as the file gives it back: the lines a save writes, each ending in CR LF.
std::string AsStored(std::string_view memo) {
  Person p;
  p.addresses = {"a"};
  p.memo = std::string(memo);
  std::string bytes;
  AppendRecordBytes(p, bytes);
  const std::vector<std::unique_ptr<Person>> read = ParseMemoFile(bytes);
  return read.empty() ? std::string() : read[0]->memo;
}

struct KeptFile {
  std::string path;
  std::string shownName;  // from the data file's folder
  EarlierTextSource source;
  SettingDate when;
  int serial = 1;  // of conflict copies within one second
};

auto Newness(const KeptFile& f) {
  const SettingDate& d = f.when;
  return std::make_tuple(d.year, d.month, d.day, d.hour, d.minute, d.second, f.serial);
}

bool HasExtension(std::string_view name, std::string_view extension, const CodePage& cp) {
  return name.size() > extension.size() &&
         UpperAnsi(name.substr(name.size() - extension.size()), cp) == UpperAnsi(extension, cp);
}

// The kept files beside `dataPath`, newest first; what cannot be listed or looked at is counted.
std::vector<KeptFile> KeptFilesOf(FileSystem& fs, const std::string& dataPath,
                                  const CodePage& cp, int& unreadable) {
  const std::string folder = FolderOf(dataPath, cp), name = FileNameOf(dataPath, cp);
  const std::string extension = ExtensionOf(name, cp);
  const std::string stem = name.substr(0, name.size() - extension.size());
  std::vector<KeptFile> files;
  try {
    for (const std::string& n : fs.ListFiles(folder)) {
      if (const auto day = ParseDailyBackupName(n, name, cp)) {
        files.push_back({folder + n, n, EarlierTextSource::kDailyBackup, *day});
      } else if (const auto stamp = ParseConflictCopyName(n, stem, extension, cp)) {
        files.push_back({folder + n, n, EarlierTextSource::kConflictCopy, stamp->when, stamp->serial});
      }
    }
  } catch (const FileError&) {
    ++unreadable;
  }
  // The folder is made when the first copy is merged; until then there is none to list.
  const std::string merged = MergedFolderOf(dataPath, cp);
  std::vector<std::string> copies;
  try {
    copies = fs.ListFiles(merged);
  } catch (const FileError&) {
  }
  for (const std::string& n : copies) {
    if (!HasExtension(n, extension, cp)) continue;  // the settings file's copies
    try {
      const FileStamp stamp = fs.Stat(merged + n);
      if (!stamp.exists) continue;
      files.push_back({merged + n, merged.substr(folder.size()) + n,
                       EarlierTextSource::kSyncToolCopy, fs.LocalTime(stamp.writeTime)});
    } catch (const FileError&) {
      ++unreadable;
    }
  }
  std::stable_sort(files.begin(), files.end(), [](const KeptFile& a, const KeptFile& b) {
    return Newness(a) > Newness(b);
  });
  return files;
}

}  // namespace

std::vector<std::unique_ptr<Person>> RecordsHoldingAny(std::string_view text,
                                                       const std::vector<std::string>& addresses,
                                                       const CodePage& cp) {
  text = BeforeNul(text);
  std::vector<std::pair<size_t, size_t>> blocks;
  for (const std::string& address : addresses) {
    if (!IsStorableAddress(address)) continue;
    const std::string key = UpperAnsi(address, cp);
    const FoldedSearch search(address);
    for (size_t at = search.Find(text, 0); at != kNone; at = search.Find(text, at + 1)) {
      // A whole line: an address line (a memo line starts with a space, which no storable
      // address does) holding this address and nothing else.
      const size_t end = at + address.size();
      if ((at > 0 && !IsBreak(text[at - 1])) || (end < text.size() && !IsBreak(text[end]))) {
        continue;
      }
      if (UpperAnsi(text.substr(at, address.size()), cp) != key) continue;
      blocks.emplace_back(BlockStart(text, at), BlockEnd(text, at));
    }
  }
  std::sort(blocks.begin(), blocks.end());
  blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
  std::vector<std::unique_ptr<Person>> records;
  for (const auto& [begin, end] : blocks) {
    for (std::unique_ptr<Person>& p : ParseMemoFile(text.substr(begin, end - begin))) {
      records.push_back(std::move(p));
    }
  }
  return records;
}

MemoHistory GatherMemoHistory(FileSystem& fs, const std::string& dataPath,
                              const std::vector<std::string>& addresses,
                              std::string_view currentMemo, const CodePage& cp) {
  MemoHistory history;
  if (dataPath.empty()) return history;  // no home for the data file: no kept files either
  const std::string current = AsStored(currentMemo);
  std::unordered_set<std::string> listed;
  for (const KeptFile& file : KeptFilesOf(fs, dataPath, cp, history.unreadableFiles)) {
    std::string text;
    try {
      text = fs.ReadAll(file.path);
    } catch (const FileError&) {
      ++history.unreadableFiles;
      continue;
    }
    for (std::unique_ptr<Person>& record : RecordsHoldingAny(text, addresses, cp)) {
      if (record->memo.empty()) continue;
      if (record->memo == current) {
        history.currentKept = true;
        continue;
      }
      if (!listed.insert(record->memo).second) continue;  // newer files came first
      history.texts.push_back({std::move(record->memo), file.when, file.source, file.shownName,
                               std::move(record->addresses)});
    }
  }
  return history;
}

}  // namespace pinote
