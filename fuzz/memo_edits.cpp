// Random edit sequences on a memo store: the part of the input before "\xff\xff" is Pinote.dat,
// the rest a script of changes, saves and reloads (tests/core/store_edit_script.h). After every
// save the file must be exactly a fresh format of the records, though Save formats only the
// records changed since the last one. The same script run again without reading any record (so
// that records stay the file bytes the store keeps them as) must write the same files.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/core/fake_file_system.h"
#include "../tests/core/store_edit_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t mark = input.find("\xff\xff");
  std::string_view script = input;
  std::string file;
  if (mark != std::string_view::npos) {
    file = std::string(input.substr(0, mark));
    script = input.substr(mark + 2);
  }
  // Checked, then reading no record, then formatted ahead of every step.
  std::vector<std::string> files[3];
  for (int run = 0; run < 3; ++run) {
    pinote::testing::FakeFileSystem fs;
    if (mark != std::string_view::npos) fs.files["Pinote.dat"] = file;
    pinote::MemoStore store(pinote::CodePage::ShiftJis(), fs);
    (void)store.Load("Pinote.dat");
    pinote::test::EditSource src(script);
    const std::string failed =
        pinote::test::RunEditScript(store, fs, src, &files[run], run != 1, run == 2);
    if (!failed.empty()) {
      std::fprintf(stderr, "%s\n", failed.c_str());
      std::abort();
    }
  }
  if (files[0] != files[1]) {
    std::fprintf(stderr, "a run that read no record wrote other files\n");
    std::abort();
  }
  if (files[0] != files[2]) {
    std::fprintf(stderr, "a run formatted ahead wrote other files\n");
    std::abort();
  }
  return 0;
}
