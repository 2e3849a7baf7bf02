#include "common/pc_record.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "common/file_watch.h"
#include "common/paths.h"
#include "common/text_lines.h"

namespace pinote {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr int64_t kNever = INT64_MAX;
constexpr std::string_view kHeader = "Quillet for Becky!2: what this PC changed in ";

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// A decimal number at the start of `text`, and what follows the blank after it.
bool TakeNumber(std::string_view& text, int64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return false;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return true;
}

std::string_view FateWord(PcRecord::CopyFate fate) {
  return fate == PcRecord::CopyFate::kDeclined ? "declined" : "merged";
}

std::string CopyLine(const PcRecord::CopyId& id, PcRecord::CopyFate fate) {
  std::string line = "copy ";
  line += FateWord(fate);
  line += ' ' + std::to_string(id.size) + ' ' + std::to_string(id.time) + ' ' + id.name;
  line += kCrLf;
  return line;
}

// The entry's lines, each after `mark`.
void AppendMarked(std::string_view entry, char mark, std::string& out) {
  ForEachLine(entry, [&](std::string_view line) {
    out += mark;
    out += line;
    out += kCrLf;
  });
}

std::string ChangeText(const PcRecord::Change& c) {
  std::string out = "change " + std::to_string(c.when);
  out += kCrLf;
  AppendMarked(c.before, '<', out);
  AppendMarked(c.after, '>', out);
  return out;
}

struct Parsed {
  int64_t since = 0;
  bool hasSince = false;
  std::vector<std::pair<PcRecord::CopyId, PcRecord::CopyFate>> copies;
  std::vector<PcRecord::Change> changes;
};

Parsed Parse(std::string_view text) {
  Parsed p;
  PcRecord::Change* change = nullptr;
  ForEachLine(text, [&](std::string_view line) {
    if (!line.empty() && (line.front() == '<' || line.front() == '>')) {
      if (change == nullptr) return;
      std::string& to = line.front() == '<' ? change->before : change->after;
      to.append(line.substr(1));
      to += kCrLf;
      return;
    }
    change = nullptr;
    int64_t number = 0;
    if (StartsWith(line, "since ")) {
      line.remove_prefix(6);
      p.hasSince = TakeNumber(line, p.since) || p.hasSince;
    } else if (StartsWith(line, "change ")) {
      line.remove_prefix(7);
      if (!TakeNumber(line, number)) return;
      p.changes.push_back({number, "", ""});
      change = &p.changes.back();
    } else if (StartsWith(line, "copy ")) {
      line.remove_prefix(5);
      PcRecord::CopyFate fate;
      if (StartsWith(line, "merged ")) {
        fate = PcRecord::CopyFate::kMerged;
        line.remove_prefix(7);
      } else if (StartsWith(line, "declined ")) {
        fate = PcRecord::CopyFate::kDeclined;
        line.remove_prefix(9);
      } else {
        return;
      }
      PcRecord::CopyId id;
      int64_t size = 0;
      if (!TakeNumber(line, size) || !TakeNumber(line, id.time) || line.empty()) return;
      id.size = static_cast<uint64_t>(size);
      id.name.assign(line);
      p.copies.push_back({std::move(id), fate});
    }
  });
  return p;
}

// How long the changes of one entry noted once stand for the ones that follow (typing on).
constexpr int64_t kTypingWhile = 60 * kFileTimeSecond;

// The address lines of an entry in the shared file's format: those before its mark and memo.
std::string AddressLines(std::string_view entry) {
  std::string out;
  bool done = false;
  ForEachLine(entry, [&](std::string_view line) {
    done = done || line.empty() || line.front() == ' ' || line.front() == '@';
    if (done) return;
    out.append(line);
    out += '\n';
  });
  return out;
}

bool SameCopy(const PcRecord::CopyId& a, const PcRecord::CopyId& b) {
  return a.name == b.name && a.size == b.size && a.time == b.time;
}

// The folder without its last separator, as the seam makes folders.
std::string FolderItself(const std::string& folder) {
  if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
    return folder.substr(0, folder.size() - 1);
  }
  return folder;
}

}  // namespace

std::string PcRecordFileName(std::string_view sharedPath, const CodePage& cp) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx",
                static_cast<unsigned long long>(HashOf(sharedPath)));
  return FileNameOf(sharedPath, cp) + "-" + hash + ".journal";
}

void PcRecord::Open(FileSystem& fs, const std::string& folder, const std::string& sharedPath,
                    const CodePage& cp) {
  fs_ = &fs;
  path_.clear();
  copies_.clear();
  lastKey_.clear();
  const int64_t now = fs.Now();
  // Kept in memory only, the record knows nothing of earlier sessions: it judges no copy.
  since_ = kNever;
  if (folder.empty() || sharedPath.empty()) return;
  const std::string path = folder + PcRecordFileName(sharedPath, cp);
  try {
    Parsed p;
    const bool existed = fs.Exists(path);
    if (existed) {
      p = Parse(fs.ReadAll(path));
    } else {
      fs.CreateFolder(FolderItself(folder));
    }
    const int64_t horizon = now - kPcRecordKeptFor;
    bool dropped = !existed || !p.hasSince;
    const auto old = std::remove_if(p.changes.begin(), p.changes.end(),
                                    [horizon](const Change& c) { return c.when < horizon; });
    dropped = dropped || old != p.changes.end();
    p.changes.erase(old, p.changes.end());
    // Changes older than the horizon are gone: the record covers no more than the time after it.
    since_ = existed && p.hasSince ? std::max(p.since, horizon) : now;
    const std::string folderOfFile = FolderOf(sharedPath, cp);
    for (const auto& copy : p.copies) {
      const CopyId& id = copy.first;
      if (!fs.Exists(folderOfFile + id.name)) {
        dropped = true;
        continue;
      }
      const auto known = std::find_if(copies_.begin(), copies_.end(),
                                      [&id](const KnownCopy& k) { return SameCopy(k.id, id); });
      if (known != copies_.end()) {
        known->fate = copy.second;
        dropped = true;
      } else {
        copies_.push_back({id, copy.second});
      }
    }
    if (dropped) {
      std::string text(kHeader);
      text += sharedPath;
      text += kCrLf;
      text += "since " + std::to_string(since_);
      text += kCrLf;
      for (const KnownCopy& k : copies_) text += CopyLine(k.id, k.fate);
      for (const Change& c : p.changes) text += ChangeText(c);
      // A new record is begun without a flush (the host's start must not wait for the disk); a
      // pruned one is replaced in one step.
      if (existed) {
        fs.WriteAllSafely(path, text);
      } else {
        fs.AppendToFile(path, text);
      }
    }
    path_ = path;
  } catch (const FileError&) {
    // Kept in memory only: copies are then remembered for this session, and no change of this
    // PC's is known to a copy merge.
    since_ = kNever;
  }
}

PcRecord::CopyFate PcRecord::FateOf(const CopyId& copy) const {
  for (const KnownCopy& k : copies_) {
    if (SameCopy(k.id, copy)) return k.fate;
  }
  return CopyFate::kUnknown;
}

void PcRecord::Remember(const CopyId& copy, CopyFate fate) {
  const auto known = std::find_if(copies_.begin(), copies_.end(),
                                  [&copy](const KnownCopy& k) { return SameCopy(k.id, copy); });
  if (known != copies_.end()) {
    known->fate = fate;
  } else {
    copies_.push_back({copy, fate});
  }
  Append(CopyLine(copy, fate));
}

void PcRecord::AddChanges(const std::vector<Change>& changes) {
  if (changes.empty() || path_.empty()) return;
  // Typing saves at every keystroke: one entry's changes within a while of its last one noted
  // are left out. A copy holding a state in between then differs from every state noted, and
  // both texts are kept; the entry still counts as changed here.
  if (changes.size() == 1) {
    const std::string key = AddressLines(changes[0].before) + '\n' + AddressLines(changes[0].after);
    if (key == lastKey_ && changes[0].when - lastWhen_ < kTypingWhile) return;
    lastKey_ = key;
    lastWhen_ = changes[0].when;
  } else {
    lastKey_.clear();
  }
  std::string text;
  for (const Change& c : changes) text += ChangeText(c);
  Append(text);
}

void PcRecord::Append(const std::string& text) {
  if (path_.empty() || fs_ == nullptr) return;
  try {
    fs_->AppendToFile(path_, text);
  } catch (const FileError&) {
    // A record with a gap cannot vouch for what this PC did: from now on it lives in memory.
    path_.clear();
    since_ = kNever;
  }
}

std::optional<std::vector<PcRecord::Change>> PcRecord::Changes() const {
  if (path_.empty() || fs_ == nullptr) return std::nullopt;
  try {
    return Parse(fs_->ReadAll(path_)).changes;
  } catch (const FileError&) {
    return std::nullopt;
  }
}

}  // namespace pinote
