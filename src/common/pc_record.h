// What this PC remembers of one shared file, kept outside the synced folder (on Windows under
// the user's local application data) so that no other PC reads or syncs it: the changes this PC
// made (each entry's text before and after, and when), and the sync-tool copies it merged or
// was told to leave alone. The record of Pinote.dat tells a copy that holds what this PC had
// before its own change from one the other PC changed; nothing here is needed to read or write
// the shared file itself, so a record that cannot be kept only makes copy merges more careful.
//
// One text file per shared file, named after the file and a hash of its full path, in the
// system's code page with CR LF lines:
//   Quillet for Becky!2: what this PC changed in <full path>
//   since <file time>                     the changes recorded start here
//   copy merged|declined <size> <file time> <name>
//   change <file time>
//   <...                                  the entry before the change, one line each, in the
//   >...                                  shared file's own format; then the entry after it
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "common/file_io.h"

namespace pinote {

// How long a change stays in the record: a sync tool's copy is made within days of the state
// both PCs shared.
constexpr int64_t kPcRecordKeptFor = 28 * int64_t{86400} * kFileTimeSecond;

class PcRecord {
 public:
  struct CopyId {
    std::string name;  // in the shared file's folder
    uint64_t size = 0;
    int64_t time = 0;  // last write
  };
  enum class CopyFate { kUnknown, kMerged, kDeclined };
  struct Change {
    int64_t when = 0;
    std::string before, after;  // in the shared file's format; "" for none (made, removed)
  };

  // Opens the record of the file at `sharedPath` in `folder` (made when missing): what it
  // remembers of copies that are gone, and changes older than kPcRecordKeptFor, are dropped.
  // With `folder` "", or when the record cannot be read or made, it is kept in memory only, and
  // Since() is then later than any time: it speaks for no copy.
  void Open(FileSystem& fs, const std::string& folder, const std::string& sharedPath,
            const CodePage& cp);
  // The file time from which this PC's changes are recorded: a copy written before it cannot be
  // judged by them (a record made today knows nothing of last week's changes).
  [[nodiscard]] int64_t Since() const noexcept { return since_; }
  // The record file's path ("" when in memory only).
  [[nodiscard]] const std::string& FilePath() const noexcept { return path_; }

  [[nodiscard]] CopyFate FateOf(const CopyId& copy) const;
  void Remember(const CopyId& copy, CopyFate fate);

  // Notes the changes of one write. The changes of one entry written one after the other within
  // a minute (typing) are noted at the first only.
  void AddChanges(const std::vector<Change>& changes);
  // The changes recorded, oldest first, read from the record file; nullopt when there is none or
  // it cannot be read now.
  [[nodiscard]] std::optional<std::vector<Change>> Changes() const;

 private:
  struct KnownCopy {
    CopyId id;
    CopyFate fate;
  };
  void Append(const std::string& text);

  FileSystem* fs_ = nullptr;
  std::string path_;
  std::string lastKey_;  // the addresses of the one entry whose change was noted last
  int64_t lastWhen_ = 0;
  int64_t since_ = 0;
  std::vector<KnownCopy> copies_;
};

// The record's file name for the shared file at `sharedPath`: its name, a hash of the whole
// path, ".journal" ("Pinote.dat-0123456789abcdef.journal").
[[nodiscard]] std::string PcRecordFileName(std::string_view sharedPath, const CodePage& cp);

}  // namespace pinote
