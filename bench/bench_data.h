// The data the store benchmarks run on: a Pinote.dat of 100,000 people (two addresses each,
// memos in English and Japanese of one or two lines, some marked, some without a memo; about
// 9.5 MB) and a name list of as many entries.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/mbtext.h"
#include "store/memo_store.h"

namespace pinote::bench {

constexpr int kRecords = 100000;

inline std::string Address(int i, int which) {
  return which == 0 ? "taro.yamada" + std::to_string(i) + "@example.co.jp"
                    : "t.yamada" + std::to_string(i) + "@mail.example.com";
}

// Shift-JIS: 電話 (telephone), 打ち合わせ済み (meeting held), 請求書は月末 (invoice at month end).
inline std::string MemoFor(int i) {
  const std::string n = std::to_string(i);
  switch (i % 5) {
    case 0:
      return "";
    case 1:
      return "Met at the trade fair in Osaka, booth " + n + "\r\n";
    case 2:
      return "\x93\x64\x98\x62 03-5555-" + std::to_string(1000 + i % 9000) + "\r\n";
    case 3:
      return "\x91\xC5\x82\xBF\x8D\x87\x82\xED\x82\xB9\x8D\xCF\x82\xDD " + n +
             "\r\n\x90\xBF\x8B\x81\x8F\x91\x82\xCD\x8C\x8E\x96\x96\r\n";
    default:
      return "Birthday 5/" + std::to_string(i % 28 + 1) + ", likes green tea\r\n";
  }
}

inline std::string StoreText(int records) {
  std::vector<std::unique_ptr<Person>> persons;
  persons.reserve(static_cast<size_t>(records));
  for (int i = 0; i < records; ++i) {
    auto p = std::make_unique<Person>();
    p->addresses = {Address(i, 0), Address(i, 1)};
    p->important = i % 7 == 0;
    p->memo = MemoFor(i);
    persons.push_back(std::move(p));
  }
  return FormatMemoFile(persons);
}

// How many daily backups the history benchmarks lay out, and the size each is filled up to.
constexpr int kBackups = 7;
constexpr size_t kBackupBytes = 10'000'000;

// A daily backup of `storeText` (StoreText) of about 10 MB in which the memo of `person` begins
// with a line of its own for `day` ("version 3"), so that every backup holds another text of it;
// people beyond the store fill it up.
inline std::string BackupText(const std::string& storeText, int person, int day) {
  std::string text = storeText;
  const std::string line = Address(person, 1) + "\r\n";
  text.insert(text.find(line) + line.size(), " version " + std::to_string(day) + "\r\n");
  for (int i = kRecords; text.size() < kBackupBytes; ++i) {
    text += Address(i, 0) + "\r\n Met at the trade fair, booth " + std::to_string(i) + "\r\n\r\n";
  }
  return text;
}

// Every other entry names a stored person (by an address in another letter case) and brings a
// new address; the rest are new people.
inline std::string NameListText(int entries) {
  std::string out;
  for (int i = 0; i < entries; ++i) {
    out += "unread\r\nName%20" + std::to_string(i) +
           "%0D%0ACompany\r\nu\r\nu\r\n1\r\ng\r\ng\r\ng\r\n";
    if (i % 2 == 0) {
      out += "2\r\n" + UpperAnsi(Address(i, 1), CodePage::ShiftJis()) + "\r\nextra" +
             std::to_string(i) + "@x.jp\r\n";
    } else {
      out += "2\r\nbook" + std::to_string(i) + "@a.jp\r\nbook" + std::to_string(i) + "@b.jp\r\n";
    }
    out += "1\r\np\r\np\r\n";
  }
  return out;
}

// Where the benchmarks' store keeps this PC's record of its file, as the plug-in does under the
// local application data.
inline std::string PcFolder() {
  const auto dir = std::filesystem::temp_directory_path() / "pinote_memo_bench" / "pc";
  std::filesystem::create_directories(dir);
  return dir.string() + "/";
}

inline std::string TempPath(const char* name) {
  const auto dir = std::filesystem::temp_directory_path() / "pinote_memo_bench";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

}  // namespace pinote::bench
