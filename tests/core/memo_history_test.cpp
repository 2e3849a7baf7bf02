// The earlier texts of one person's memo, gathered from the backups, conflict copies and merged
// sync-tool copies beside Pinote.dat.
#include "store/memo_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/settings.h"
#include "fake_file_system.h"

namespace pinote {
namespace {

using testing::FakeFileSystem;

constexpr const char* kData = "dir/Pinote.dat";
constexpr int64_t kJanuaryFirst2024 = 133'485'408'000'000'000;  // 00:00:00 UTC, file-time units

struct File {
  const char* name;  // in dir/
  std::string bytes;
  int64_t secondsAfterNewYear = 0;  // its last write, from 2024-01-01 (sync-tool copies)
};

struct Case {
  const char* name;
  std::vector<File> files;
  std::vector<std::string> addresses;
  const char* current;
  std::vector<std::string> want;  // "when | file | memo", newest first
  int unreadable = 0;
  bool currentKept = false;
  const char* unreadableFile = "";  // its read fails
};

std::string Listed(const EarlierText& t) {
  return FormatDate(t.when) + " | " + t.file + " | " + t.memo;
}

TEST(GatherMemoHistory, EachEarlierTextOnceNewestFirst) {
  const std::string marchFifth = "a@x\r\n on the fifth\r\n\r\n";
  const std::string sjis = "\x93\x64\x98\x62 03-5555\r\n";  // 電話 03-5555
  const Case cases[] = {
      {"the same text in several files once, at its newest; the current text never",
       {{"Pinote.dat.20240304.bak", marchFifth},
        {"Pinote.dat.20240305.bak", marchFifth},
        {"Pinote.dat.20240306.bak", "a@x\r\n now\r\n\r\n"},
        {"Pinote.dat.20240303.bak", "other@x\r\n not hers\r\n\r\na@x\r\n first\r\n\r\n"}},
       {"a@x"}, "now",
       {"2024/03/05 00:00:00 | Pinote.dat.20240305.bak | on the fifth\r\n",
        "2024/03/03 00:00:00 | Pinote.dat.20240303.bak | first\r\n"},
       0, true},
      {"unified since: each address's own record, in file order, letter case ignored",
       {{"Pinote.dat.20240301.bak", "b@y\r\n bee\r\n\r\nc@z\r\n sea\r\n\r\nA@X\r\n ay\r\n\r\n"}},
       {"a@x", "B@Y"}, "",
       {"2024/03/01 00:00:00 | Pinote.dat.20240301.bak | bee\r\n",
        "2024/03/01 00:00:00 | Pinote.dat.20240301.bak | ay\r\n"}},
      {"separated since: the group that held the address; its mark and other lines kept out",
       {{"Pinote.dat.20240301.bak", "b@y\r\n@Important\r\n one\r\na@x\r\n  two\r\n\r\n"}},
       {"a@x"}, "",
       {"2024/03/01 00:00:00 | Pinote.dat.20240301.bak | one\r\n two\r\n"}},
      {"only whole address lines: not in a memo line, not part of a longer address",
       {{"Pinote.dat.20240301.bak",
         "xa@x\r\n longer\r\n\r\na@x.jp\r\n longer\r\n\r\nq@x\r\n a@x\r\n\r\n"}},
       {"a@x"}, "", {}},
      {"lone CR and lone LF end lines too; an empty memo is no earlier text",
       {{"Pinote.dat.20240301.bak", "q@x\r one\r\ra@x\r two\r\rb@y\n three\n\nc@z\nd@w\n\n"}},
       {"a@x", "b@y", "c@z"}, "",
       {"2024/03/01 00:00:00 | Pinote.dat.20240301.bak | two\r\n",
        "2024/03/01 00:00:00 | Pinote.dat.20240301.bak | three\r\n"}},
      {"a NUL ends the file's text; the last record needs no empty line after it",
       {{"Pinote.dat.20240301.bak", std::string("a@x\r\n before\r\n\r\n") + '\0' + "b@y\r\n after\r\n"},
        {"Pinote.dat.20240302.bak", "c@z\r\n\r\nb@y\r\n last"}},
       {"a@x", "b@y"}, "",
       {"2024/03/02 00:00:00 | Pinote.dat.20240302.bak | last\r\n",
        "2024/03/01 00:00:00 | Pinote.dat.20240301.bak | before\r\n"}},
      // ア is 0x83 0x41; 0x83 0x61 is another character, which folding its second byte as a
      // letter would take for the same.
      {"Shift-JIS: addresses compared by characters, texts kept byte for byte",
       {{"Pinote.dat.20240301.bak",
         "\x83\x61@x\r\n other\r\n\r\n\x83\x41@X\r\n " + sjis + "\r\n"}},
       {"\x83\x41@x"}, "",
       {"2024/03/01 00:00:00 | Pinote.dat.20240301.bak | " + sjis}},
      {"conflict copies by the time in their name, a later serial first; sync-tool copies by "
       "their last write; the settings' copies and other names left out",
       {{"Pinote.conflict-20240302-101530.dat", "a@x\r\n mine\r\n\r\n"},
        {"Pinote.conflict-20240302-101530-2.dat", "a@x\r\n mine again\r\n\r\n"},
        {"Pinote.merged/Pinote (Taro's conflicted copy 2024-03-01).dat", "a@x\r\n taro's\r\n\r\n",
         (31 + 29 + 2) * 86400 + 3600},
        {"Pinote.merged/Pinote-PC.ini", "a@x\r\n not a memo file\r\n\r\n"},
        {"Pinote.dat", "a@x\r\n the file itself\r\n\r\n"},
        {"Pinote.dat.lock", "a@x\r\n lock\r\n\r\n"},
        {"Other.dat.20240301.bak", "a@x\r\n other\r\n\r\n"}},
       {"a@x"}, "",
       {"2024/03/03 01:00:00 | Pinote.merged/Pinote (Taro's conflicted copy 2024-03-01).dat | "
        "taro's\r\n",
        "2024/03/02 10:15:30 | Pinote.conflict-20240302-101530-2.dat | mine again\r\n",
        "2024/03/02 10:15:30 | Pinote.conflict-20240302-101530.dat | mine\r\n"}},
      {"a file that cannot be read is skipped and counted",
       {{"Pinote.dat.20240301.bak", "a@x\r\n kept\r\n\r\n"},
        {"Pinote.dat.20240302.bak", "a@x\r\n locked\r\n\r\n"}},
       {"a@x"}, "kept\r\n", {}, 1, true, "dir/Pinote.dat.20240302.bak"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    fs.files[kData] = "a@x\r\n now\r\n\r\n";
    for (const File& f : c.files) {
      const std::string path = std::string("dir/") + f.name;
      fs.files[path] = f.bytes;
      fs.writeTimes[path] = kJanuaryFirst2024 + f.secondsAfterNewYear * kFileTimeSecond;
    }
    if (*c.unreadableFile) fs.failRead.insert(c.unreadableFile);
    const int writes = fs.writes;
    const MemoHistory h =
        GatherMemoHistory(fs, kData, c.addresses, c.current, CodePage::ShiftJis());
    std::vector<std::string> got;
    for (const EarlierText& t : h.texts) got.push_back(Listed(t));
    EXPECT_EQ(got, c.want);
    EXPECT_EQ(h.unreadableFiles, c.unreadable);
    EXPECT_EQ(h.currentKept, c.currentKept);
    EXPECT_EQ(fs.writes, writes) << "only looked at";
  }
}

TEST(GatherMemoHistory, KnowsWhereEachTextCameFromAndCountsAFolderItCannotList) {
  FakeFileSystem fs;
  fs.files["dir/Pinote.dat.20240301.bak"] = "a@x\r\nb@y\r\n joint\r\n\r\n";
  fs.files["dir/Pinote.merged/Pinote-PC.dat"] = "b@y\r\n pc\r\n\r\n";
  fs.writeTimes["dir/Pinote.merged/Pinote-PC.dat"] = kJanuaryFirst2024 + 100 * 86400 * kFileTimeSecond;
  MemoHistory h = GatherMemoHistory(fs, kData, {"a@x", "b@y"}, "", CodePage::ShiftJis());
  ASSERT_EQ(h.texts.size(), 2u);
  EXPECT_EQ(h.texts[0].source, EarlierTextSource::kSyncToolCopy);  // written in April
  EXPECT_EQ(h.texts[1].source, EarlierTextSource::kDailyBackup);
  EXPECT_EQ(h.texts[1].addresses, (std::vector<std::string>{"a@x", "b@y"}));
  fs.failList = true;
  h = GatherMemoHistory(fs, kData, {"a@x"}, "", CodePage::ShiftJis());
  EXPECT_TRUE(h.texts.empty());
  EXPECT_EQ(h.unreadableFiles, 1);
  // 0x83 0x61 is one character in Shift-JIS, a letter after another character in Western.
  EXPECT_TRUE(RecordsHoldingAny("\x83\x61@x\r\n m\r\n", {"\x83\x41@x"}, CodePage::ShiftJis()).empty());
  EXPECT_EQ(RecordsHoldingAny("\x83\x61@x\r\n m\r\n", {"\x83\x41@x"}, CodePage::Western()).size(), 1u);
}

}  // namespace
}  // namespace pinote
