// Pinote.dat and Pinote.ini shared with other writers: noticing a change, the lock, failures on
// the way, the daily backup, and the copies sync tools leave beside the files.
#include "common/settings.h"
#include "common/shared_file.h"

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

// The memo window's look at the disk.
DiskOutcome Look(FakeFileSystem& fs, MemoStore& store) {
  return SyncWithDisk(fs, store.File(), nullptr);
}

// A store that read Pinote.dat holding `file`, on the in-memory file system.
struct Loaded {
  explicit Loaded(const char* file) {
    fs.Put(kData, file);
    EXPECT_TRUE(store.Load(kData).ok());
  }
  FakeFileSystem fs;
  MemoStore store{CodePage::ShiftJis(), fs};
};

// What the memo window does at a keystroke: the memo stored, then saved.
DiskOutcome Type(MemoStore& store, const std::string& address, const std::string& memo) {
  EXPECT_TRUE(StoreTypedMemo(store, address, memo, false));
  return store.Save();
}

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
    EXPECT_TRUE(store.Load(kData).ok());
    (void)Look(fs, store);
    fs.files[kData] = c.theirs;
    const int reads = fs.reads, stats = fs.stats, listings = fs.listings;
    const DiskOutcome out = Look(fs, store);
    EXPECT_EQ(out.notices.reloaded, c.reloaded);
    EXPECT_EQ(Describe(store), Describe(ParseMemoFile(c.reloaded ? c.theirs : "a\r\n 1\r\n")));
    if (!c.reloaded) {
      EXPECT_EQ(fs.stats - stats, 1);
    }
    EXPECT_EQ(fs.listings - listings, 1);
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
    EXPECT_TRUE(store.Load(kData).ok());
    (void)Look(fs, store);
    store.SetMemo(store.IndexOfAddress("a"), "2");
    EXPECT_TRUE(store.Save().ok());
    int reads = fs.reads;
    EXPECT_FALSE(Look(fs, store).notices.reloaded);
    EXPECT_EQ(fs.reads - reads, c.readsAfterSave);
    fs.files[kData] = "a\r\n 3\r\n\r\n";  // same size
    fs.writeTimes[kData] = fs.Now();
    EXPECT_TRUE(Look(fs, store).notices.reloaded);
    EXPECT_EQ(Describe(store), Describe(ParseMemoFile("a\r\n 3\r\n")));
  }
}

TEST(SaveUnderLock, HeldLockKeepsTheEditForTheNextSave) {
  Loaded loaded("a\r\n 1\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  fs.locks.insert("dir/Pinote.dat.lock");  // another writer that never lets go
  const DiskOutcome refused = Type(store, "a", "typed");
  EXPECT_EQ(refused.status, DiskOutcome::Status::kBusy);
  EXPECT_TRUE(refused.unsaved);
  EXPECT_EQ(fs.lastLockWait, kLockWaitMilliseconds);
  EXPECT_EQ(fs.Content(kData), "a\r\n 1\r\n\r\n");
  EXPECT_EQ(Describe(store), "a=typed");
  EXPECT_EQ(Look(fs, store).status, DiskOutcome::Status::kBusy);
  EXPECT_EQ(fs.lastLockWait, kLockRetryMilliseconds) << "typing on waits briefly";
  fs.locks.clear();
  const DiskOutcome out = Look(fs, store);
  EXPECT_TRUE(out.saved);
  EXPECT_FALSE(out.unsaved);
  EXPECT_EQ(fs.Content(kData), "a\r\n typed\r\n\r\n");
  EXPECT_TRUE(fs.locks.empty());
  EXPECT_FALSE(store.HasUnsavedChanges());
  (void)Type(store, "a", "again");
  EXPECT_EQ(fs.lastLockWait, kLockWaitMilliseconds) << "a lock given again: the full wait";
}

TEST(SaveUnderLock, FileReplacedMidMergeIsMergedAgain) {
  Loaded loaded("a\r\n 1\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  fs.Put(kData, "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n");
  // A writer that takes no lock replaces the file right after the merge read it.
  fs.onRead = [&fs](const std::string&) {
    fs.onRead = nullptr;
    fs.Put(kData, "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\nc\r\n 3\r\n\r\n");
  };
  ASSERT_TRUE(Type(store, "a", "x").ok());
  EXPECT_EQ(fs.Content(kData), "a\r\n x\r\n\r\nb\r\n 2\r\n\r\nc\r\n 3\r\n\r\n");
}

TEST(SaveUnderLock, FailedWriteLeavesTheFileAndKeepsBothSides) {
  Loaded loaded("a\r\n 1\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  fs.Put(kData, "a\r\n 1t\r\n\r\nb\r\n 2\r\n\r\n");
  fs.failWrite.insert(kData);
  const DiskOutcome failed = Type(store, "a", "x");
  EXPECT_EQ(failed.status, DiskOutcome::Status::kFailed);
  EXPECT_EQ(fs.Content(kData), "a\r\n 1t\r\n\r\nb\r\n 2\r\n\r\n");
  ASSERT_EQ(failed.notices.conflictCopies.size(), 1u);  // on disk before the failed write
  EXPECT_EQ(fs.Content(failed.notices.conflictCopies[0]), "a\r\n 1t\r\n\r\n");
  EXPECT_TRUE(store.HasUnsavedChanges());
  fs.failWrite.clear();
  const DiskOutcome out = store.Save();
  EXPECT_TRUE(out.ok());
  EXPECT_EQ(fs.Content(kData), "a\r\n x\r\n\r\nb\r\n 2\r\n\r\n");
  EXPECT_TRUE(out.notices.conflictCopies.empty());
}

// The day counts as backed up only once a write made the backup.
TEST(DailyBackup, AFailedFirstSaveLeavesTheBackupToTheNextOne) {
  Loaded loaded("a\r\n day0\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  fs.failWrite.insert(kData);
  EXPECT_EQ(Type(store, "a", "first").status, DiskOutcome::Status::kFailed);
  fs.failWrite.clear();
  ASSERT_TRUE(Type(store, "a", "second").ok());
  EXPECT_EQ(fs.Content("dir/Pinote.dat.20240101.bak"), "a\r\n day0\r\n\r\n");
}

TEST(DailyBackup, FirstSaveOfEachDayKeepsTheFileAsItWasForAWeek) {
  Loaded loaded("a\r\n day0\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  ASSERT_TRUE(Type(store, "a", "first").ok());
  ASSERT_TRUE(Type(store, "a", "second").ok());
  EXPECT_EQ(fs.Content("dir/Pinote.dat.20240101.bak"), "a\r\n day0\r\n\r\n");
  for (int day = 1; day <= 9; ++day) {
    fs.clock += kDay;
    ASSERT_TRUE(Type(store, "a", "day" + std::to_string(day)).ok());
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
      // A merge of the same copy made in another time zone wrote another marker line.
      {"merged before elsewhere", "a\r\n 1\r\n ----- Pinote-X.dat 2024/01/01 10:00:00 -----\r\n 2\r\n\r\n",
       "a\r\n 1\r\n ----- Pinote-X.dat 2024/01/01 01:00:00 -----\r\n 2\r\n\r\n",
       "a=1/----- Pinote-X.dat 2024/01/01 10:00:00 -----/2/", 0},
      // Whole lines: "Not OK" does not hold "OK".
      {"a line held in part", "a\r\n Not OK\r\n\r\n", "a\r\n OK\r\n\r\n", "a=Not OK/" + marker + "OK/",
       1},
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
    EXPECT_TRUE(store.Load(kData).ok());
    const DiskOutcome out = Look(fs, store);
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
  fs.files["dir/Pinote-DESKTOP-1A.dat"] = "\r\n\r\n \r\n";  // no record in it
  fs.files["dir/Pinote-LAPTOP-9A.dat"] = "b\r\n 2\r\n\r\n";
  fs.files["dir/Pinote.merged/Pinote-LAPTOP-9A.dat"] = "moved here before";
  fs.failRead.insert("dir/Pinote-LAPTOP-9A.dat");  // still being synced
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load(kData).ok());
  DiskOutcome out = Look(fs, store);
  ASSERT_EQ(out.notices.copiesLeftAlone.size(), 2u);
  EXPECT_EQ(out.notices.copiesLeftAlone[0].reason, CopyLeftReason::kNotOwnKind);
  EXPECT_EQ(out.notices.copiesLeftAlone[1].reason, CopyLeftReason::kUnreadable);
  EXPECT_EQ(out.notices.copiesLeftAlone[1].path, "dir/Pinote-LAPTOP-9A.dat");
  out = Look(fs, store);  // tried again, and neither told again
  EXPECT_TRUE(out.notices.copiesLeftAlone.empty());
  EXPECT_TRUE(out.notices.mergedCopies.empty());
  fs.failRead.clear();
  out = Look(fs, store);
  ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
  EXPECT_EQ(out.notices.mergedCopies[0].movedTo, "dir/Pinote.merged/Pinote-LAPTOP-9A (2).dat");
  EXPECT_EQ(fs.Content(kData), "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n");
  EXPECT_TRUE(fs.Exists("dir/Pinote-DESKTOP-1A.dat"));
}

// A copy is merged once. One that cannot be moved stays, is told once, and what the user took
// out of the memo since does not come back, at a later look or after a restart; it is moved
// without a word once it can be.
TEST(SyncToolCopies, ACopyThatCannotBeMovedIsMergedOnce) {
  FakeFileSystem fs;
  fs.Put(kData, "a\r\n 1\r\n\r\n");
  const std::string copy = "dir/Pinote-DESKTOP-4F2KQ1.dat";
  fs.files[copy] = "a\r\n 2\r\n\r\n";
  fs.failRename.insert(copy);  // the sync tool holds it
  MemoStore store(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(store.Load(kData, "pc/").ok());
  DiskOutcome out = Look(fs, store);
  ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
  EXPECT_FALSE(out.notices.mergedCopies[0].moveError.empty());
  ASSERT_TRUE(Type(store, "a", "1 only").ok());
  EXPECT_TRUE(Look(fs, store).notices.empty());
  MemoStore restarted(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(restarted.Load(kData, "pc/").ok());
  EXPECT_TRUE(Look(fs, restarted).notices.empty());
  EXPECT_EQ(Describe(restarted), "a=1 only/");
  fs.failRename.clear();
  EXPECT_TRUE(Look(fs, store).notices.empty());
  EXPECT_FALSE(fs.Exists(copy));
  EXPECT_EQ(fs.Content(kData), "a\r\n 1 only\r\n\r\n");
}

// A copy the sync tool puts beside the file while the host runs is found at the next look, not
// only once Pinote.dat changes; a memo typed here (no line break at its end) is not repeated.
TEST(SyncToolCopies, ACopyAppearingWhileRunningIsMergedAtTheNextLook) {
  Loaded loaded("a\r\n 1\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  ASSERT_TRUE(Type(store, "a", "typed").ok());
  EXPECT_TRUE(Look(fs, store).notices.empty());
  fs.Put("dir/Pinote (Taro's conflicted copy 2024-01-01).dat",
         "a\r\n typed\r\n\r\nb\r\n 2\r\n\r\n");
  const DiskOutcome out = Look(fs, store);
  ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
  EXPECT_EQ(out.notices.mergedCopies[0].merged, 1);
  EXPECT_EQ(Describe(store), "a=typed|b=2/");
}

// A name the user may have given a file of their own is merged only when the user says so, and
// asked about once; a name only users give is never even asked about.
TEST(SyncToolCopies, APossibleCopyIsMergedOnlyWhenTheUserSaysSo) {
  FakeFileSystem fs;
  fs.Put(kData, "a\r\n 1\r\n\r\n");
  for (const char* name : {"Pinote-Old.dat", "Pinote-2.dat", "Pinote-Backup.dat",
                           "Pinote-2023.dat", "Pinote-Taro-PC.dat", "Pinote-OLD.dat"}) {
    fs.files[std::string("dir/") + name] = "z\r\n from " + std::string(name) + "\r\n\r\n";
  }
  MemoStore store(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(store.Load(kData, "pc/").ok());
  const DiskOutcome out = Look(fs, store);
  ASSERT_EQ(out.notices.possibleCopies.size(), 2u);
  EXPECT_EQ(out.notices.possibleCopies[0].path, "dir/Pinote-OLD.dat");
  EXPECT_EQ(out.notices.possibleCopies[1].path, "dir/Pinote-Taro-PC.dat");
  EXPECT_EQ(out.notices.possibleCopies[1].of, kData);
  EXPECT_TRUE(out.notices.mergedCopies.empty());
  EXPECT_TRUE(Look(fs, store).notices.empty()) << "asked once";
  EXPECT_TRUE(store.File().DecideOnCopy("dir/Pinote-OLD.dat", false).ok());
  const DiskOutcome merged = store.File().DecideOnCopy("dir/Pinote-Taro-PC.dat", true);
  ASSERT_EQ(merged.notices.mergedCopies.size(), 1u);
  EXPECT_EQ(Describe(store), "a=1/|z=from Pinote-Taro-PC.dat/");
  EXPECT_TRUE(fs.Exists("dir/Pinote.merged/Pinote-Taro-PC.dat"));
  for (const char* left : {"Pinote-Old.dat", "Pinote-2.dat", "Pinote-Backup.dat",
                           "Pinote-2023.dat", "Pinote-OLD.dat"}) {
    EXPECT_TRUE(fs.Exists(std::string("dir/") + left)) << left;
  }
  MemoStore restarted(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(restarted.Load(kData, "pc/").ok());
  EXPECT_TRUE(Look(fs, restarted).notices.empty()) << "the answer is remembered";
}

// A sync tool's copy written from a state both PCs shared, after this PC deleted c and separated
// a from b: what this PC remembers of its own changes decides, person by person.
TEST(SyncToolCopies, WhatThisPcChangedDecides) {
  const char* const kBase = "a\r\nb\r\n ab\r\n\r\nc\r\n cc\r\n\r\nd\r\n dd\r\n\r\n";
  const struct {
    const char* name;
    const char* pcFolder;  // "": this PC keeps no record
    std::string copy;
    const char* after;
  } cases[] = {
      {"the copy holds what this PC had before its changes", "pc/", kBase, "b=ab/|d=dd/|a=ab/"},
      {"a person this PC never changed takes the copy's change", "pc/",
       "a\r\nb\r\n ab\r\n\r\nc\r\n cc\r\n\r\nd\r\n dd changed\r\n\r\n",
       "b=ab/|d=dd changed/|a=ab/"},
      {"changed there too: both texts are kept", "pc/",
       "a\r\nb\r\n ab\r\n\r\nc\r\n cc changed\r\n\r\nd\r\n dd\r\n\r\n",
       "b=ab/|d=dd/|a=ab/|c=cc changed/"},
      {"no record: nothing is dropped", "", kBase, "b,a=ab/|d=dd/|c=cc/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem fs;
    fs.Put(kData, kBase);
    MemoStore store(CodePage::ShiftJis(), fs);
    ASSERT_TRUE(store.Load(kData, c.pcFolder).ok());
    ASSERT_TRUE(Type(store, "c", "").ok());
    ASSERT_EQ(Separate(store, "a", "ab\r\n", false), SeparateOutcome::kSeparated);
    ASSERT_TRUE(store.Save().ok());
    const std::string copy = "dir/Pinote.sync-conflict-20240101-101010-ABCDEFG.dat";
    fs.files[copy] = c.copy;
    fs.writeTimes[copy] = fs.clock + 3600 * kFileTimeSecond;
    const DiskOutcome out = Look(fs, store);
    ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
    EXPECT_EQ(Describe(store), c.after);
  }
}

// A text editor writing Pinote.dat in place leaves it empty or cut for a moment: such a file is
// read again after a short wait instead of being taken for the other side's deletions.
TEST(ChangeOnDisk, AFileBeingWrittenInPlaceIsReadAgain) {
  Loaded loaded("a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  ASSERT_TRUE(StoreTypedMemo(store, "a", "1x", false));
  fs.Put(kData, "a\r\n 1\r\n\r\nb\r");
  fs.onWait = [&fs] { fs.files[kData] = "a\r\n 1\r\n\r\nb\r\n 2t\r\n\r\n"; };
  const DiskOutcome out = store.Save();
  ASSERT_TRUE(out.ok());
  EXPECT_EQ(fs.waits, 1);
  EXPECT_TRUE(out.notices.conflictCopies.empty());
  EXPECT_EQ(fs.Content(kData), "a\r\n 1x\r\n\r\nb\r\n 2t\r\n\r\n");
}

// A program that takes no lock replaces the file right after this copy's replace: the look after
// it reads the file rather than taking it for this copy's own save.
TEST(ChangeOnDisk, AWriteRightAfterTheReplaceIsNotTakenForOurs) {
  Loaded loaded("a\r\n 1\r\n\r\n");
  FakeFileSystem& fs = loaded.fs;
  MemoStore& store = loaded.store;
  fs.onReplace = [&fs](const std::string&) {
    fs.onReplace = nullptr;
    fs.Put(kData, "a\r\n 1\r\n\r\nb\r\n 2\r\n\r\n");
  };
  ASSERT_TRUE(Type(store, "a", "1x").ok());
  EXPECT_TRUE(Look(fs, store).notices.reloaded);
  ASSERT_TRUE(Type(store, "a", "1y").ok());
  EXPECT_EQ(fs.Content(kData), "a\r\n 1y\r\n\r\nb\r\n 2\r\n\r\n");
}

// The own write times two copies give the file are drawn apart, even at one tick of the clock.
TEST(ChangeOnDisk, TwoCopiesSavingAtOneClockTickChooseDifferentTimes) {
  FakeFileSystem fs;
  fs.step = 0;
  MemoStore first(CodePage::ShiftJis(), fs), second(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(first.Load("x/Pinote.dat").ok());
  ASSERT_TRUE(second.Load("y/Pinote.dat").ok());
  ASSERT_TRUE(Type(first, "a", "1").ok());
  ASSERT_TRUE(Type(second, "a", "1").ok());
  EXPECT_NE(fs.writeTimes["x/Pinote.dat"], fs.writeTimes["y/Pinote.dat"]);
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
  EXPECT_TRUE(hostA.Load(path).ok());
  EXPECT_TRUE(hostB.Load(path).ok());
  ASSERT_TRUE(Type(hostA, "a", "from A").ok());
  ASSERT_TRUE(Type(hostB, "b", "from B").ok());
  ASSERT_TRUE(StoreTypedMemo(hostA, "c", "new in A", true));
  ASSERT_TRUE(hostA.Save().ok());
  EXPECT_EQ(SystemFileSystem().ReadAll(path),
            "a\r\n from A\r\n\r\nb\r\n from B\r\n\r\nc\r\n@Important\r\n new in A\r\n\r\n");
  EXPECT_TRUE(SyncWithDisk(SystemFileSystem(), hostB.File(), nullptr).notices.reloaded);
  EXPECT_EQ(Describe(hostB), "a=from A/|b=from B/|c!=new in A/");
  // Both change one person before seeing the other's change: B's text stays, A's is kept aside.
  ASSERT_TRUE(Type(hostA, "a", "A again").ok());
  const DiskOutcome second = Type(hostB, "a", "B again");
  ASSERT_TRUE(second.ok());
  const DiskNotices& told = second.notices;
  ASSERT_EQ(told.conflictCopies.size(), 1u);
  EXPECT_EQ(SystemFileSystem().ReadAll(told.conflictCopies[0]), "a\r\n A again\r\n\r\n");
  EXPECT_EQ(Describe(ParseMemoFile(SystemFileSystem().ReadAll(path))),
            "a=B again/|b=from B/|c!=new in A/");
  std::error_code ec;
  stdfs::remove_all(dir, ec);
}

// The options dialog writes every key, most as they were: only a value that differs from what
// the file held counts as changed here. A settings copy's keys are judged against the file as it
// is now, not against this copy's older memory.
TEST(SettingsOnDisk, OnlyValuesChangedHereWinAndCopiesFillWhatTheFileLacks) {
  FakeFileSystem fs;
  const std::string ini = "dir/Pinote.ini";
  fs.Put(ini, "A\\K=Integer:1\r\nB\\K=Integer:1\r\n");
  SettingsStore settings(fs, [] { return std::string("dir/Pinote.dll"); }, CodePage::ShiftJis());
  settings.Write("A", "K", int32_t{2});
  settings.Write("B", "K", int32_t{1});
  fs.Put(ini, "A\\K=Integer:1\r\nB\\K=Integer:9\r\n");
  ASSERT_TRUE(settings.Save().ok());
  EXPECT_EQ(fs.Content(ini), "A\\K=Integer:2\r\nB\\K=Integer:9\r\n");
  fs.Put(ini, "A\\K=Integer:2\r\nB\\K=Integer:9\r\nC\\K=Integer:9\r\n");
  fs.files["dir/Pinote-DESKTOP-4F2KQ1.ini"] = "C\\K=Integer:5\r\nD\\K=Integer:5\r\n";
  fs.Put(kData, "");
  MemoStore store(CodePage::ShiftJis(), fs);
  ASSERT_TRUE(store.Load(kData).ok());
  ASSERT_TRUE(SyncWithDisk(fs, store.File(), &settings.File()).ok());
  EXPECT_EQ(fs.Content(ini),
            "A\\K=Integer:2\r\nB\\K=Integer:9\r\nC\\K=Integer:9\r\nD\\K=Integer:5\r\n");
}

TEST(SettingsOnDisk, KeysWrittenHereWinOthersAreKeptCopiesFillGaps) {
  FakeFileSystem fs;
  const std::string ini = "dir/Pinote.ini";
  fs.Put(ini, "A\\K=Integer:1\r\nB\\K=Integer:1\r\nC\\K=Integer:1\r\n");
  SettingsStore settings(fs, [] { return std::string("dir/Pinote.dll"); }, CodePage::ShiftJis());
  settings.Write("A", "K", int32_t{2});
  settings.Write("C", "K", std::monostate{});
  fs.Put(ini, "A\\K=Integer:9\r\nB\\K=Integer:9\r\nC\\K=Integer:9\r\nD\\K=Integer:9\r\n");
  EXPECT_TRUE(settings.Save().ok());
  EXPECT_EQ(fs.Content(ini), "A\\K=Integer:2\r\nB\\K=Integer:9\r\nD\\K=Integer:9\r\n");
  fs.Put(ini, "A\\K=Integer:7\r\n");  // what was written here before that save wins no more
  settings.Write("B", "K", int32_t{3});
  EXPECT_TRUE(settings.Save().ok());
  EXPECT_EQ(fs.Content(ini), "A\\K=Integer:7\r\nB\\K=Integer:3\r\n");

  fs.Put(kData, "");
  fs.files["dir/Pinote.sync-conflict-20240101-101010-ABCDEFG.ini"] =
      "a\\k=Integer:5\r\nE\\K=String:\x8E\x52\r\n";
  MemoStore store(CodePage::ShiftJis(), fs);
  EXPECT_TRUE(store.Load(kData).ok());
  const DiskOutcome out = SyncWithDisk(fs, store.File(), &settings.File());
  EXPECT_EQ(fs.Content(ini), "A\\K=Integer:7\r\nB\\K=Integer:3\r\nE\\K=String:\x8E\x52\r\n");
  ASSERT_EQ(out.notices.mergedCopies.size(), 1u);
  EXPECT_EQ(out.notices.mergedCopies[0].merged, 1);
  EXPECT_TRUE(fs.Exists("dir/Pinote.merged/Pinote.sync-conflict-20240101-101010-ABCDEFG.ini"));
}

}  // namespace
}  // namespace pinote
