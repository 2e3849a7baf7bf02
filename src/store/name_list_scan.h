// A name-list (address book) file read and walked before any store is looked at: which lines are
// entries depends on the file's counts alone. Reading and walking a large list takes as long as
// loading the store, and touches nothing of it, so the two may run on two threads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "common/file_io.h"
#include "store/address_index.h"

namespace pinote {

struct NameListScan {
  // One entry: its text as written (escaped), and its addresses, a run of `addresses`.
  struct Entry {
    std::string_view text;
    uint32_t firstAddress;
    uint32_t addressCount;
  };
  explicit NameListScan(const CodePage& codePage) : keys(codePage) {}
  NameListScan(const NameListScan&) = delete;
  NameListScan& operator=(const NameListScan&) = delete;

  std::string owned;        // the file's text, when the scan read it
  std::string_view text;    // the text walked; every view below lies in it
  std::vector<Entry> entries;
  std::vector<std::string_view> addresses;  // domain addresses ("*@x") left out
  AddressIndex::FoldedKeys keys;            // `addresses`, folded as the index folds, in order
};

// The entries of the name-list text `text` (viewed, not copied: it must outlive the scan). A
// negative count ends the walk; an entry cut short by the end of the text is not one.
[[nodiscard]] std::unique_ptr<NameListScan> ScanNameList(std::string_view text,
                                                         const CodePage& codePage);
// The name-list file at `path` read and scanned; nullptr when no file exists there ("" included).
// Throws FileError when it exists but cannot be read. Touches no store: any thread may call it.
[[nodiscard]] std::unique_ptr<NameListScan> ReadNameList(FileSystem& fs, const std::string& path,
                                                         const CodePage& codePage);

}  // namespace pinote
