// Pinote.dat and Pinote.ini shared with other writers: noticing a change, the lock, failures on
// the way, the daily backup, and the copies sync tools leave beside the files.
#include "store/disk_sync.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "fake_file_system.h"
#include "memo_test_util.h"
#include "common/file_watch.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

using test::Describe;
using testing::FakeFileSystem;

constexpr int64_t kDay = 86400 * kFileTimeSecond;
constexpr const char* kData = "dir/Pinote.dat";

// The hash that tells a same-size, same-time rewrite: equal for the same bytes however they are
// fed (a save feeds its record pieces, a look the whole file), different for a byte changed or
// moved anywhere, the tail shorter than a block included.
TEST(ContentHash, SameBytesInAnyPiecesOtherBytesApart) {
  std::string file;
  for (int i = 0; i < 300; ++i) file += "a" + std::to_string(i) + "@x\r\n memo\r\n\r\n";
  const uint64_t whole = HashOf(file);
  for (const size_t cut : {size_t{1}, size_t{7}, size_t{31}, size_t{32}, size_t{33}, size_t{1000}}) {
    ContentHash pieces;
    for (size_t at = 0; at < file.size(); at += cut) pieces.Add(std::string_view(file).substr(at, cut));
    EXPECT_EQ(pieces.Value(), whole) << "cut every " << cut;
  }
  for (const size_t at : {size_t{0}, size_t{5}, file.size() / 2, file.size() - 1}) {
    std::string other = file;
    other[at] ^= 0x20;
    EXPECT_NE(HashOf(other), whole) << "byte " << at;
  }
  std::string swapped = file;
  std::swap(swapped[0], swapped[8]);
  EXPECT_NE(HashOf(swapped), whole);
  EXPECT_NE(HashOf(file + " "), whole);
  EXPECT_NE(HashOf(""), HashOf(std::string(1, '\0')));
}

TEST(ChangeOnDisk, OneMetadataCallUnlessTheTimeCouldHideAWrite) {
  const struct {
    const char* name;
    bool freshTime;      // the file's time still within the clock's step of now
    const char* theirs;  // the other writer's bytes, written with the file's old time
    bool reloaded;
    int reads;  // of the file by the look; a fresh time is looked at again under the lock
  } cases[] = {
      {"fresh, same size, other bytes", true, "a\r\n 2\r\n\r\n", true, 3},
      {"fresh, same bytes", true, "a\r\n 1\r\n\r\n", false, 1},
      {"settled, other size", false, "a\r\n 22\r\n\r\n", true, 1},
      {"settled, same bytes", false, "a\r\n 1\r\n\r\n", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    if (c.freshTime) fs.step = 0;  // a frozen clock: every time is as recent as can be
    fs.Put(kData, "a\r\n 1\r\n\r\n");
    MemoStore store(CodePage::ShiftJis(), fs);
    store.Load(kData);
    (void)store.SyncWithDisk();  // the first look after the load also looks for copies
    fs.files[kData] = c.theirs;
    const int reads = fs.reads, stats = fs.stats;
    const SyncOutcome out = store.SyncWithDisk();
    EXPECT_EQ(out.notices.reloaded, c.reloaded);
    EXPECT_EQ(Describe(store), Describe(ParseMemoFile(c.reloaded ? c.theirs : "a\r\n 1\r\n")));
    if (!c.reloaded) {
      EXPECT_EQ(fs.stats - stats, 1);
    }
    EXPECT_EQ(fs.reads - reads, c.reads);
  }
}

// A save gives the file a time of its own: on a frozen clock (every time as recent as can be) the
// next look reads nothing, yet another writer's same-size file, stamped by the clock, is seen.
// Where the file system keeps its own times the look reads and hashes, as for any fresh file.
TEST(ChangeOnDisk, OwnSaveTrustedAtOnceWhenItsTimeStuck) {
  const struct {
    bool timesStick;
    int readsAfterSave;
  } cases[] = {{true, 0}, {false, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timesStick ? "times stick" : "times do not stick");
    FakeFileSystem fs;
    fs.step = 0;
    fs.timesStick = c.timesStick;
    fs.Put(kData, "a\r\n 1\r\n\r\n");
    MemoStore store(CodePage::ShiftJis(), fs);
    store.Load(kData);
    (void)store.SyncWithDisk();
    store.SetMemo(store.IndexOfAddress("a"), "2");
    store.Save();
    int reads = fs.reads;
    EXPECT_FALSE(store.SyncWithDisk().notices.reloaded);
    EXPECT_EQ(fs.reads - reads, c.readsAfterSave);
    fs.files[kData] = "a\r\n 3\r\n\r\n";  // same size
    fs.writeTimes[kData] = fs.Now();
    EXPECT_TRUE(store.SyncWithDisk().notices.reloaded);
    EXPECT_EQ(Describe(store), Describe(ParseMemoFile("a\r\n 3\r\n")));
  }
}

TEST(SaveUnderLock, HeldLockKeepsTheEditForTheNextSave) {
  FakeFileSystem fs;
  fs.Put(kData, "a\r\n 1\r\n\r\n");
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Load(kData);
  fs.locks.insert("dir/Pinote.dat.lock");  // another writer that never lets go
  EXPECT_THROW((void)StoreTypedMemo(store, "a", "typed", false), FileBusyError);
  EXPECT_EQ(fs.lastLockWait, kLockWaitMilliseconds);
  EXPECT_EQ(fs.Content(kData), "a\r\n 1\r\n\r\n");
  EXPECT_EQ(Describe(store), "a=typed");
  EXPECT_EQ(store.SyncWithDisk().status, SyncOutcome::Status::kBusy);
  EXPECT_EQ(fs.lastLockWait, kLockRetryMilliseconds) << "typing on waits briefly";
  fs.locks.clear();
  const SyncOutcome out = store.SyncWithDisk();
  EXPECT_TRUE(out.saved);
  EXPECT_EQ(fs.Content(kData), "a\r\n typed\r\n\r\n");
  EXPECT_TRUE(fs.locks.empty());
  EXPECT_FALSE(store.HasUnsavedChanges());
  (void)StoreTypedMemo(store, "a", "again", false);
  EXPECT_EQ(fs.lastLockWait, kLockWaitMilliseconds) << "a lock given again: the full wait";
}

TEST(SaveUnderLock, FileReplacedMidMergeIsMergedAgain) {
  FakeFileSystem fs;
  fs.Put(kData, "a\r\n 1\r\n\r\n");
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Load(kData);
  fs.Put(kData, "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n");
  // A writer that takes no lock replaces the file right after the merge read it.
  fs.onRead = [&fs](const std::string&) {
    fs.onRead = nullptr;
    fs.Put(kData, "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\nc\r\n 3\r\n\r\n");
  };
  ASSERT_TRUE(StoreTypedMemo(store, "a", "x", false).stored);
  EXPECT_EQ(fs.Content(kData), "a\r\n x\r\n\r\nb\r\n 2\r\n\r\nc\r\n 3\r\n\r\n");
}

TEST(SaveUnderLock, FailedWriteLeavesTheFileAndKeepsBothSides) {
  FakeFileSystem fs;
  fs.Put(kData, "a\r\n 1\r\n\r\n");
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Load(kData);
  fs.Put(kData, "a\r\n 1t\r\n\r\nb\r\n 2\r\n\r\n");
  fs.failWrite.insert(kData);
  EXPECT_THROW((void)StoreTypedMemo(store, "a", "x", false), FileError);
  EXPECT_EQ(fs.Content(kData), "a\r\n 1t\r\n\r\nb\r\n 2\r\n\r\n");
  const DiskNotices told = store.TakeNotices();
  ASSERT_EQ(told.conflictCopies.size(), 1u);  // on disk before the failed write
  EXPECT_EQ(fs.Content(told.conflictCopies[0]), "a\r\n 1t\r\n\r\n");
  EXPECT_TRUE(store.HasUnsavedChanges());
  fs.failWrite.clear();
  store.Save();
  EXPECT_EQ(fs.Content(kData), "a\r\n x\r\n\r\nb\r\n 2\r\n\r\n");
  EXPECT_TRUE(store.TakeNotices().conflictCopies.empty());
}

TEST(DailyBackup, FirstSaveOfEachDayKeepsTheFileAsItWasForAWeek) {
  FakeFileSystem fs;
  fs.Put(kData, "a\r\n day0\r\n\r\n");
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Load(kData);
  ASSERT_TRUE(StoreTypedMemo(store, "a", "first", false).stored);
  ASSERT_TRUE(StoreTypedMemo(store, "a", "second", false).stored);
  EXPECT_EQ(fs.Content("dir/Pinote.dat.20240101.bak"), "a\r\n day0\r\n\r\n");
  for (int day = 1; day <= 9; ++day) {
    fs.clock += kDay;
    ASSERT_TRUE(StoreTypedMemo(store, "a", "day" + std::to_string(day), false).stored);
  }
  std::vector<std::string> backups;
  for (const auto& [path, content] : fs.files) {
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".bak") == 0) backups.push_back(path);
  }
  ASSERT_EQ(backups.size(), 7u);
  EXPECT_EQ(backups.front(), "dir/Pinote.dat.20240104.bak");
  EXPECT_EQ(fs.Content(backups.back()), "a\r\n day8\r\n\r\n");
}

// Pinote.dat beside a sync tool's copy of it: what the start finds and makes of them.
TEST(SyncToolCopies, MergedIntoTheStoreThenMovedAway) {
  const char* const kCopy = "dir/Pinote (Taro's conflicted copy 2024-01-01).dat";
  const std::string marker =
      "----- Pinote (Taro's conflicted copy 2024-01-01).dat 2024/01/01 01:00:00 -----/";
  const struct {
    const char* name;
    const char* main;
    const char* copy;
    std::string merged;  // the store afterwards, as Describe shows it
    int people;
  } cases[] = {
      {"a person the file lacks", "a\r\n 1\r\n\r\n", "b\r\n 2\r\n\r\n", "a=1/|b=2/", 1},
      {"another memo", "a\r\n 1\r\n\r\n", "A\r\n 2\r\n\r\n", "a=1/" + marker + "2/", 1},
      {"a memo held already", "a\r\n 1\r\n 2\r\n\r\n", "a\r\n 2\r\n\r\n", "a=1/2/", 0},
      {"unified in the copy", "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n", "a\r\nb\r\n 1\r\n\r\n", "a,b=1/2/", 1},
      {"unified in the file", "a\r\nb\r\n 1\r\n\r\n", "b\r\n 1\r\n\r\n", "a,b=1/", 0},
      {"the mark of either", "a\r\n 1\r\n\r\n", "a\r\n@Important\r\n 1\r\n\r\n", "a!=1/", 1},
      // 表 ends in the byte of "\": a memo of "\" alone is no part of it.
      {"by characters", "a\r\n \x95\x5C\r\n\r\n", "a\r\n \\\r\n\r\n", "a=\x95\x5C/" + marker + "\\/",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    fs.Put(kData, c.main);
    fs.files[kCopy] = c.copy;
    fs.writeTimes[kCopy] = 133'485'408'000'000'000 + 3600 * kFileTimeSecond;
    MemoStore store(CodePage::ShiftJis(), fs);
    store.Load(kData);
    const SyncOutcome out = SyncWithDisk(store, nullptr);
    EXPECT_EQ(Describe(store), c.merged);
    EXPECT_EQ(Describe(ParseMemoFile(fs.Content(kData))), c.merged);
    ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
    const MergedCopy& m = out.notices.mergedCopies[0];
    EXPECT_EQ(m.tool, "Dropbox");
    EXPECT_EQ(m.merged, c.people);
    EXPECT_EQ(m.movedTo, "dir/Pinote.merged/Pinote (Taro's conflicted copy 2024-01-01).dat");
    EXPECT_EQ(fs.Content(m.movedTo), c.copy);
    EXPECT_FALSE(fs.Exists(kCopy));
  }
}

TEST(SyncToolCopies, LeftAloneWhenUnreadableOrNoMemoFile) {
  FakeFileSystem fs;
  fs.Put(kData, "a\r\n 1\r\n\r\n");
  fs.files["dir/Pinote-DESKTOP-1.dat"] = "\r\n\r\n \r\n";  // no record in it
  fs.files["dir/Pinote-LAPTOP.dat"] = "b\r\n 2\r\n\r\n";
  fs.files["dir/Pinote.merged/Pinote-LAPTOP.dat"] = "moved here before";
  fs.failRead.insert("dir/Pinote-LAPTOP.dat");  // still being synced
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Load(kData);
  SyncOutcome out = store.SyncWithDisk();
  ASSERT_EQ(out.notices.copiesLeftAlone.size(), 2u);
  EXPECT_EQ(out.notices.copiesLeftAlone[0].reason, CopyLeftReason::kNotMemoFile);
  EXPECT_EQ(out.notices.copiesLeftAlone[1].reason, CopyLeftReason::kUnreadable);
  EXPECT_EQ(out.notices.copiesLeftAlone[1].path, "dir/Pinote-LAPTOP.dat");
  out = store.SyncWithDisk();  // tried again, and neither told again
  EXPECT_TRUE(out.notices.copiesLeftAlone.empty());
  EXPECT_TRUE(out.notices.mergedCopies.empty());
  fs.failRead.clear();
  out = store.SyncWithDisk();
  ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
  EXPECT_EQ(out.notices.mergedCopies[0].movedTo, "dir/Pinote.merged/Pinote-LAPTOP (2).dat");
  EXPECT_EQ(fs.Content(kData), "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n");
  EXPECT_TRUE(fs.Exists("dir/Pinote-DESKTOP-1.dat"));
}

// Two hosts on one installation, on the real file system: each types, in turn, without
// reading the other's file first.
TEST(TwoCopiesOnOneFolder, TypingInTurnKeepsBoth) {
  namespace stdfs = std::filesystem;
  const stdfs::path dir = stdfs::temp_directory_path() /
                          ("pinote-two-" + std::to_string(std::random_device()()));
  stdfs::create_directories(dir);
  const std::string path = (dir / "Pinote.dat").string();
  SystemFileSystem().WriteAllSafely(path, "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n");
  MemoStore hostA(CodePage::ShiftJis()), hostB(CodePage::ShiftJis());
  hostA.Load(path);
  hostB.Load(path);
  ASSERT_TRUE(StoreTypedMemo(hostA, "a", "from A", false).stored);
  ASSERT_TRUE(StoreTypedMemo(hostB, "b", "from B", false).stored);
  ASSERT_TRUE(StoreTypedMemo(hostA, "c", "new in A", true).stored);
  EXPECT_EQ(SystemFileSystem().ReadAll(path),
            "a\r\n from A\r\n\r\nb\r\n from B\r\n\r\nc\r\n@Important\r\n new in A\r\n\r\n");
  EXPECT_TRUE(hostB.SyncWithDisk().notices.reloaded);
  EXPECT_EQ(Describe(hostB), "a=from A/|b=from B/|c!=new in A/");
  // Both change one person before seeing the other's change: B's text stays, A's is kept aside.
  ASSERT_TRUE(StoreTypedMemo(hostA, "a", "A again", false).stored);
  ASSERT_TRUE(StoreTypedMemo(hostB, "a", "B again", false).stored);
  const DiskNotices told = hostB.TakeNotices();
  ASSERT_EQ(told.conflictCopies.size(), 1u);
  EXPECT_EQ(SystemFileSystem().ReadAll(told.conflictCopies[0]), "a\r\n A again\r\n\r\n");
  EXPECT_EQ(Describe(ParseMemoFile(SystemFileSystem().ReadAll(path))),
            "a=B again/|b=from B/|c!=new in A/");
  std::error_code ec;
  stdfs::remove_all(dir, ec);
}

TEST(SettingsOnDisk, KeysWrittenHereWinOthersAreKeptCopiesFillGaps) {
  FakeFileSystem fs;
  const std::string ini = "dir/Pinote.ini";
  fs.Put(ini, "A\\K=Integer:1\r\nB\\K=Integer:1\r\nC\\K=Integer:1\r\n");
  SettingsStore settings(fs, [] { return std::string("dir/Pinote.dll"); }, CodePage::ShiftJis());
  settings.Write("A", "K", int32_t{2});
  settings.Write("C", "K", std::monostate{});
  fs.Put(ini, "A\\K=Integer:9\r\nB\\K=Integer:9\r\nC\\K=Integer:9\r\nD\\K=Integer:9\r\n");
  settings.Save();
  EXPECT_EQ(fs.Content(ini), "A\\K=Integer:2\r\nB\\K=Integer:9\r\nD\\K=Integer:9\r\n");
  fs.Put(ini, "A\\K=Integer:7\r\n");  // what was written here before that save wins no more
  settings.Write("B", "K", int32_t{3});
  settings.Save();
  EXPECT_EQ(fs.Content(ini), "A\\K=Integer:7\r\nB\\K=Integer:3\r\n");

  fs.Put(kData, "");
  fs.files["dir/Pinote.sync-conflict-20240101-101010-ABCDEFG.ini"] =
      "a\\k=Integer:5\r\nE\\K=String:\x8E\x52\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  store.Load(kData);
  const SyncOutcome out = SyncWithDisk(store, &settings);
  EXPECT_EQ(fs.Content(ini), "A\\K=Integer:7\r\nB\\K=Integer:3\r\nE\\K=String:\x8E\x52\r\n");
  ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
  EXPECT_EQ(out.notices.mergedCopies[0].merged, 1);
  EXPECT_TRUE(fs.Exists("dir/Pinote.merged/Pinote.sync-conflict-20240101-101010-ABCDEFG.ini"));
}

}  // namespace
}  // namespace pinote
