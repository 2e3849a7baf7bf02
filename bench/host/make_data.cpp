// Writes the files of the stand-in host's benchmark session (scripts/bench.sh) into a folder:
//   Pinote.dat   the store of the core benchmarks: 100,000 people, two addresses each (9.5 MB)
//   meibo.dat    a name list of 100,000 entries, every other one naming a stored person
//   Mail/*.eml   two mails from stored people who have a memo, other addresses and a name-list
//                text: one in English, one in Japanese and marked important
//   Pinote.dat.2024050N.bak   seven daily backups of about 10 MB, each holding another earlier
//                text of the English mail's sender's memo (the History dialog's figure)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_data.h"

namespace {

using pinote::bench::Address;
using pinote::bench::kRecords;

// Persons whose records have all the memo window shows: even numbers get a name-list entry,
// i % 5 == 4 an English memo, i % 5 == 3 a two-line Japanese one, i % 7 == 0 the mark.
constexpr int kEnglishPerson = 50004, kJapanesePerson = 50008;

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string Mail(const std::string& from, const std::string& subject) {
  return "From: " + from + "\r\nTo: you@example.net\r\nSubject: " + subject +
         "\r\nDate: Mon, 3 Jun 2024 09:15:00 +0900\r\nMIME-Version: 1.0\r\n"
         "Content-Type: text/plain; charset=us-ascii\r\n\r\nHello,\r\n\r\nsee you soon.\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  static_assert(kJapanesePerson < kRecords);
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir / "Mail");
  bool ok =
      WriteFile(dir / "Pinote.dat", pinote::bench::StoreText(kRecords)) &&
      WriteFile(dir / "meibo.dat", pinote::bench::NameListText(kRecords)) &&
      WriteFile(dir / "Mail" / "01.eml",
                Mail("Taro Yamada <" + Address(kEnglishPerson, 0) + ">", "Trade fair")) &&
      WriteFile(dir / "Mail" / "02.eml",
                Mail("\"Yamada, T.\" <" + Address(kJapanesePerson, 1) + ">", "Invoice"));
  const std::string store = pinote::bench::StoreText(kRecords);
  for (int day = 1; ok && day <= pinote::bench::kBackups; ++day) {
    ok = WriteFile(dir / ("Pinote.dat.2024050" + std::to_string(day) + ".bak"),
                   pinote::bench::BackupText(store, kEnglishPerson, day));
  }
  if (!ok) {
    std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
