// Save keeps each record's file bytes and formats only the records changed since: the file must
// stay exactly what a fresh format of the records gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fake_file_system.h"
#include "memo_test_util.h"
#include "store/memo_store.h"
#include "store_edit_script.h"

namespace pinote {
namespace {

using test::Describe;
using test::MakePerson;
using testing::FakeFileSystem;

// The seeds of a fuzz target, as files of this repository.
std::vector<std::string> Seeds(const std::string& target) {
  std::string root = __FILE__;
  root.erase(root.rfind("tests"));
#ifdef _WIN32
  if (!root.empty() && root[0] == '/') root = "Z:" + root;  // Wine's drive for the Unix root
#endif
  std::vector<std::string> seeds;
  for (const auto& e : std::filesystem::directory_iterator(root + "fuzz/corpus/" + target)) {
    std::ifstream in(e.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return seeds;
}

// A name list of one entry.
std::string NameListEntry(const std::string& text, const std::string& address) {
  return "u\r\n" + text + "\r\nu\r\nu\r\n0\r\n1\r\n" + address + "\r\n0\r\n";
}

std::string RecordText(int i) {
  return "user" + std::to_string(i) + "@example.jp\r\nuser" + std::to_string(i) +
         "@mail.example.com\r\n" + (i % 3 == 0 ? "@Important\r\n" : "") + " memo " +
         std::to_string(i) + "\r\n \x93\xfa\x96\x7b\r\n\r\n";
}

TEST(IncrementalSave, KeepsTheBytesOfAFileWrittenInItsOwnFormat) {
  FakeFileSystem fs;
  std::string file;
  for (int i = 0; i < 50; ++i) file += RecordText(i);
  fs.files["d"] = file;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.Content("d"), file);
  EXPECT_EQ(fs.lastPieces, 1u);  // the file as read, untouched
  // One memo changed: the bytes before it, its own, the bytes after it.
  store.SetMemo(20, "changed\r\n");
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.lastPieces, 3u);
  const std::string changed = "user20@example.jp\r\nuser20@mail.example.com\r\n changed\r\n\r\n";
  std::string expected = file;
  expected.replace(expected.find(RecordText(20)), RecordText(20).size(), changed);
  EXPECT_EQ(fs.Content("d"), expected);
  // Typing on in the same memo reuses its place.
  const size_t kept = store.KeptBytesMemory();
  for (int k = 0; k < 100; ++k) {
    store.SetMemo(20, "changed again " + std::to_string(k));
    EXPECT_TRUE(store.Save().ok());
  }
  EXPECT_EQ(fs.lastPieces, 3u);
  EXPECT_LE(store.KeptBytesMemory(), kept + 64);
}

TEST(IncrementalSave, FormatsAgainWhatIsNotExactlyItsOwnFormat) {
  const struct {
    const char* name;
    std::string file;
    std::string saved;
  } cases[] = {
      {"LF breaks", "a\nb\n m\n\n", "a\r\nb\r\n m\r\n\r\n"},
      {"lone CR in one record", "a\r\n x\r\n\r\nb\r m\r\r\n", "a\r\n x\r\n\r\nb\r\n m\r\n\r\n"},
      {"any @ line", "a\r\n@yes\r\n m\r\n\r\n", "a\r\n@Important\r\n m\r\n\r\n"},
      {"memo before the address", " m\r\na\r\n\r\n", "a\r\n m\r\n\r\n"},
      {"mark before the address", "@Important\r\na\r\n m\r\n\r\n", "a\r\n@Important\r\n m\r\n\r\n"},
      {"empty lines between records", "\r\n\r\na\r\n m\r\n\r\n\r\nb\r\n n\r\n\r\n",
       "a\r\n m\r\n\r\nb\r\n n\r\n\r\n"},
      {"no closing empty line", "a\r\n m\r\n", "a\r\n m\r\n\r\n"},
      {"one address, no memo", "a\r\n m\r\n\r\nlonely\r\n\r\n", "a\r\n m\r\n\r\n"},
      {"text after a NUL", std::string("a\r\n m\r\n\r\n\0b\r\n n\r\n\r\n", 19), "a\r\n m\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    fs.files["d"] = c.file;
    MemoStore store(CodePage::ShiftJis(), fs);
    EXPECT_TRUE(store.Load("d").ok());
    EXPECT_TRUE(store.Save().ok());
    EXPECT_EQ(fs.Content("d"), c.saved);
    EXPECT_EQ(test::CheckSaved(store, fs), "");
  }
}

TEST(IncrementalSave, RandomEditsFromEverySeedMatchAFreshFormat) {
  std::vector<std::string> starts = Seeds("memo_data");
  std::string large;
  for (int i = 0; i < 60; ++i) large += RecordText(i);
  starts.push_back(large);
  std::mt19937 rng(2024);
  for (const std::string& start : starts) {
    for (int round = 0; round < 12; ++round) {
      std::string script;
      for (int n = 0; n < 500; ++n) script += static_cast<char>(rng());
      FakeFileSystem fs;
      fs.files["d"] = start;
      MemoStore store(CodePage::ShiftJis(), fs);
      EXPECT_TRUE(store.Load("d").ok());
      ASSERT_TRUE(store.Save().ok());  // what was read, saved at once
      ASSERT_EQ(test::CheckSaved(store, fs), "");
      test::EditSource src(script);
      ASSERT_EQ(test::RunEditScript(store, fs, src), "") << "round " << round;
    }
  }
}

// A store keeps the records nobody asked for as their file bytes, and what the name list adds to
// them beside those: the same script run without reading any record writes the same files.
TEST(IncrementalSave, RecordsNeverAskedForWriteWhatReadOnesWrite) {
  std::vector<std::string> starts = Seeds("memo_data");
  // Records holding the script's own addresses, so that its name lists find them.
  starts.push_back(
      "a@x\r\nb@x\r\n m\r\n\r\nc@y\r\n@Important\r\n two\r\n lines\r\n\r\n"
      "\x83\x61@z\r\nd\r\n\r\nC@y\r\n \x83\x5C\r\n\r\n");
  std::mt19937 rng(4242);
  for (const std::string& start : starts) {
    for (int round = 0; round < 12; ++round) {
      std::string script;
      for (int n = 0; n < 400; ++n) script += static_cast<char>(rng());
      std::vector<std::string> checked, unread;
      {
        FakeFileSystem fs;
        fs.files["d"] = start;
        MemoStore store(CodePage::ShiftJis(), fs);
        EXPECT_TRUE(store.Load("d").ok());
        test::EditSource src(script);
        ASSERT_EQ(test::RunEditScript(store, fs, src, &checked), "") << "round " << round;
      }
      FakeFileSystem fs;
      fs.files["d"] = start;
      MemoStore store(CodePage::ShiftJis(), fs);
      EXPECT_TRUE(store.Load("d").ok());
      test::EditSource src(script);
      ASSERT_EQ(test::RunEditScript(store, fs, src, &unread, false), "");
      ASSERT_EQ(unread, checked) << "round " << round;
      EXPECT_EQ(test::CheckSaved(store, fs), "");
      // Formatted ahead of every step: the same files.
      std::vector<std::string> prepared;
      FakeFileSystem ahead;
      ahead.files["d"] = start;
      MemoStore early(CodePage::ShiftJis(), ahead);
      EXPECT_TRUE(early.Load("d").ok());
      test::EditSource again(script);
      ASSERT_EQ(test::RunEditScript(early, ahead, again, &prepared, true, true), "");
      ASSERT_EQ(prepared, checked) << "round " << round;
    }
  }
}

// Formatted ahead while many records wait (the name list gave each an address), then changed in
// each way the memo window may change it before the save: the save writes what one without the
// preparation writes, byte for byte, and memory agrees with it.
TEST(IncrementalSave, PreparedSaveWritesWhatAPlainOneWrites) {
  std::string file, list;
  for (int i = 0; i < 600; ++i) {
    file += RecordText(i);
    list += "u\r\nN" + std::to_string(i) + "\r\nu\r\nu\r\n0\r\n2\r\nuser" + std::to_string(i) +
            "@example.jp\r\nextra" + std::to_string(i) + "@x\r\n0\r\n";
  }
  const std::function<void(MemoStore&, FakeFileSystem&)> changes[] = {
      [](MemoStore&, FakeFileSystem&) {},
      [](MemoStore& s, FakeFileSystem&) { s.SetMemo(5, "typed"); },
      [](MemoStore& s, FakeFileSystem&) { s.SetMemo(5, ""); s.Delete(3); },
      [](MemoStore& s, FakeFileSystem&) { s.Add(MakePerson({"new@x"}, "m")); },
      [](MemoStore& s, FakeFileSystem&) { s.SetNameListText(7, ""); s.RemoveAddress(8, "extra8@x"); },
      [](MemoStore& s, FakeFileSystem&) { s.MergeNameListText(NameListEntry("Late", "late@x")); },
      [](MemoStore& s, FakeFileSystem& fs) {  // another writer's file, merged at the save
        fs.Put("d", RecordText(1000) + fs.Content("d"));
      },
  };
  for (size_t c = 0; c < std::size(changes); ++c) {
    SCOPED_TRACE(c);
    std::string written[2], memory[2];
    for (int prepared = 0; prepared < 2; ++prepared) {
      FakeFileSystem fs;
      fs.files["d"] = file;
      MemoStore store(CodePage::ShiftJis(), fs);
      ASSERT_TRUE(store.Load("d").ok());
      store.MergeNameListText(list);
      if (prepared) store.PrepareSave();
      changes[c](store, fs);
      ASSERT_TRUE(store.Save().ok());
      written[prepared] = fs.Content("d");
      memory[prepared] = Describe(store);
    }
    EXPECT_EQ(written[1], written[0]);
    EXPECT_EQ(memory[1], memory[0]);
  }
}

// A record kept in memory for its name-list text has no bytes; the place it was given may lie
// beyond what the later bytes reach once the record typed into before it shrinks.
TEST(IncrementalSave, CompactingPassesRecordsWithoutBytes) {
  FakeFileSystem fs;
  fs.files["d"] = "typed@x\r\n m\r\n\r\nbig@x\r\n " + std::string(100000, 'b') + "\r\n\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  store.MergeNameListText(NameListEntry("Only a name", "named@x"));
  store.SetMemo(0, std::string(80000, 't'));
  ASSERT_TRUE(store.Save().ok());  // the typed record's bytes, then the named one's place after
  store.SetMemo(0, "short");
  store.SetMemo(1, "small");  // the file's big record goes stale: compacted before this write
  ASSERT_TRUE(store.Save().ok());
  EXPECT_EQ(fs.Content("d"), "typed@x\r\n short\r\n\r\nbig@x\r\n small\r\n\r\n");
  EXPECT_EQ(test::CheckSaved(store, fs), "");
  EXPECT_EQ(store.Get(2)->nameListText, "Only a name");
  EXPECT_EQ(store.IndexOfAddress("NAMED@X"), 2);
}

TEST(IncrementalSave, KeptBytesStayNearTheFileSize) {
  FakeFileSystem fs;
  std::string file;
  for (int i = 0; i < 1000; ++i) file += RecordText(i);
  fs.files["d"] = file;
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load("d").ok());
  // What each record's place costs, beside the bytes themselves.
  const size_t places = store.KeptBytesMemory() - file.size();
  std::mt19937 rng(11);
  size_t most = 0;
  for (int edit = 0; edit < 4000; ++edit) {
    const int i = static_cast<int>(rng() % 1000);
    store.SetMemo(i, "edit " + std::to_string(edit) + std::string(rng() % 200, 'x'));
    EXPECT_TRUE(store.Save().ok());
    most = std::max(most, store.KeptBytesMemory() - places);
  }
  const size_t now = fs.Content("d").size();
  // The file's bytes, the stale ones allowed until they are compacted (a sixteenth, at least
  // 64 KiB), and the growth room of the edits.
  EXPECT_LE(most, now + 2 * (now / 16 + 64 * 1024) + now / 8);
  EXPECT_EQ(test::CheckSaved(store, fs), "");
}

}  // namespace
}  // namespace pinote
