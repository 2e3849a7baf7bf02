// A memo's history: the earlier texts of one person's memo that the files kept beside Pinote.dat
// still hold (the daily backups, this plug-in's conflict copies, the sync-tool copies moved into
// the merged folder). Only read: nothing is written. A large backup is not parsed: its bytes are
// searched for the person's addresses, and only the records holding one are read.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "common/date_time.h"
#include "common/file_io.h"
#include "store/memo_store.h"

namespace pinote {

enum class EarlierTextSource {
  kDailyBackup,   // Pinote.dat.20240501.bak: the file before the first save of that day
  kConflictCopy,  // Pinote.conflict-20240501-101530.dat: another writer's version it replaced
  kSyncToolCopy,  // a sync tool's copy in Pinote.merged: another computer's file
};

struct EarlierText {
  std::string memo;  // as the file holds it: CR LF after every line
  // The backup's day (at 0:00:00), the conflict copy's time from its name, the sync-tool copy's
  // last write.
  SettingDate when;
  EarlierTextSource source = EarlierTextSource::kDailyBackup;
  // The file, from Pinote.dat's folder: "Pinote.dat.20240501.bak", "Pinote.merged\\x.dat".
  std::string file;
  std::vector<std::string> addresses;  // of the record in that file
};

struct MemoHistory {
  std::vector<EarlierText> texts;  // newest first, each text once (at its newest)
  int unreadableFiles = 0;         // kept files that could not be read, skipped
  bool currentKept = false;        // the current text is in one of the kept files too
};

// The records of a data file's `text` that hold any of `addresses` (letter case ignored as the
// store ignores it, in the code page `cp`), each once, in file order. Addresses Pinote.dat cannot
// hold find nothing; the text ends at its first NUL.
[[nodiscard]] std::vector<std::unique_ptr<Person>> RecordsHoldingAny(
    std::string_view text, const std::vector<std::string>& addresses, const CodePage& cp);

// Every distinct non-empty earlier text of the memo of the person with `addresses` (all of them:
// a record that held only one, before a unify or after a separate, counts), from the files kept
// beside the data file at `dataPath`. `currentMemo` is not listed (line breaks as the file would
// write them). A file or folder that cannot be read or listed is skipped and counted; a merged
// folder that cannot be listed counts as none. An empty `dataPath` finds nothing.
[[nodiscard]] MemoHistory GatherMemoHistory(FileSystem& fs, const std::string& dataPath,
                                            const std::vector<std::string>& addresses,
                                            std::string_view currentMemo, const CodePage& cp);

}  // namespace pinote
