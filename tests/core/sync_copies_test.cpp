// Which file names beside Pinote.dat are a sync tool's conflict copies, and the names the
// plug-in gives its own files.
#include "common/sync_copies.h"

#include <gtest/gtest.h>

#include <string>

#include "common/settings.h"

namespace pinote {
namespace {

TEST(SyncToolCopyOf, KnowsEachToolAndNothingElse) {
  const struct {
    const char* name;
    const char* tool;  // nullptr: not a conflict copy of Pinote.dat
    bool sure = true;  // false: the user may have named a file of their own so
  } cases[] = {
      {"Pinote.sync-conflict-20240501-101530-ABCDEF7.dat", "Syncthing"},
      {"pinote.SYNC-CONFLICT-20240501-101530-7XQ2M4A.DAT", "Syncthing"},
      {"Pinote (Taro's conflicted copy 2024-05-01).dat", "Dropbox"},
      {"Pinote (Taro Yamada's MacBook Pro conflicted copy 2024-05-01).dat", "Dropbox"},
      {"Pinote (Taro's conflicted copy 2024-05-01 (1)).dat", "Dropbox"},
      // 山田太郎 の競合コピー; ソ and 表 end in 0x5C, the byte of "\".
      {"Pinote (\x8E\x52\x93\x63\x91\xBE\x98\x59 \x82\xCC\x8B\xA3\x8D\x87\x83\x52\x83\x73\x81\x5B "
       "2024-05-01).dat", "Dropbox"},
      {"Pinote (\x83\x5C\x95\x5C's conflicted copy 2024-05-01).dat", "Dropbox"},
      {"Pinote (copie en conflit de Taro 2024-05-01).dat", "Dropbox"},
      {"Pinote-DESKTOP-5F7K8L3.dat", "OneDrive"},
      {"Pinote-DESKTOP-5F7K8L3-2.dat", "OneDrive"},
      {"Pinote-DESKTOP-4F2KQ1.dat", "OneDrive"},
      {"Pinote-TARO-PC-2.dat", "OneDrive"},
      {"Pinote-HOST1.dat", "OneDrive"},
      // Maybe a computer's name, maybe the user's: asked about, never merged unasked.
      {"Pinote-Taro-PC.dat", "OneDrive", false},
      {"Pinote-OLD.dat", "OneDrive", false},
      {"Pinote-V2.dat", "OneDrive", false},
      // Files users name so themselves: never taken for copies.
      {"Pinote-Old.dat", nullptr},
      {"Pinote-2.dat", nullptr},
      {"Pinote-Backup.dat", nullptr},
      {"Pinote-2023.dat", nullptr},
      {"Pinote-DESKTOP-5F7K8L3XYZ.dat", nullptr},  // longer than a computer's name
      {"Pinote (conflicted copy 2024-05-01 101530).dat", "Nextcloud"},
      {"Pinote_conflict-20240501-101530.dat", "ownCloud"},
      // Near misses: the file itself, this plug-in's own files, other tools' look-alikes.
      {"Pinote.dat", nullptr},
      {"Pinote.dat.bak", nullptr},
      {"Pinote.dat.20240501.bak", nullptr},
      {"Pinote.dat.lock", nullptr},
      {"Pinote.dat.tmp1234-1", nullptr},
      {"Pinote2.dat", nullptr},
      {"Pinote.conflict-20240501-101530.dat", nullptr},
      {"Pinote.conflict-20240501-101530-2.dat", nullptr},
      {"Pinote-old.dat", nullptr},
      {"Pinote-.dat", nullptr},
      {"Pinote-DESKTOP-.dat", nullptr},
      {"XPinote-DESKTOP-5F7K8L3.dat", nullptr},
      {"Pinote.sync-conflict-2024050-101530-ABCDEF7.dat", nullptr},
      {"Pinote.sync-conflict-20240501-101530-.dat", nullptr},
      {"Pinote (Taro's copy 2024-05-01).dat", nullptr},
      {"Pinote (Taro's conflicted copy 2024-5-1).dat", nullptr},
      {"Pinote (Taro's conflicted copy 2024-05-01).ini", nullptr},
      {"Pinote_conflict-20240501.dat", nullptr},
      // A name whose base is cut inside a double-byte character is no copy of it.
      {"\x83\x5C-DESKTOP.dat", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CopyName got = SyncToolCopyOf(c.name, "Pinote", ".dat", CodePage::ShiftJis());
    EXPECT_EQ(got.tool == nullptr ? std::string("-") : got.tool, c.tool == nullptr ? "-" : c.tool);
    if (c.tool != nullptr) {
      EXPECT_EQ(got.sure, c.sure);
    }
  }
  EXPECT_STREQ(SyncToolCopyOf("Pinote-HOST1.ini", "Pinote", ".ini", CodePage::ShiftJis()).tool,
               "OneDrive");
  EXPECT_EQ(SyncToolCopyOf("\x83\x5C-DESKTOP.dat", "\x83", ".dat", CodePage::ShiftJis()).tool,
            nullptr);
}

TEST(OwnNames, DateAndSerialAreSpelledOut) {
  const SettingDate when{2024, 5, 1, 9, 5, 7};
  EXPECT_EQ(ConflictCopyName("Pinote", ".dat", when, 1), "Pinote.conflict-20240501-090507.dat");
  EXPECT_EQ(ConflictCopyName("Pinote", ".dat", when, 3), "Pinote.conflict-20240501-090507-3.dat");
  EXPECT_EQ(DailyBackupName("Pinote.dat", when), "Pinote.dat.20240501.bak");
  EXPECT_TRUE(IsDailyBackupName("PINOTE.DAT.20240501.BAK", "Pinote.dat", CodePage::ShiftJis()));
  EXPECT_FALSE(IsDailyBackupName("Pinote.dat.2024050x.bak", "Pinote.dat", CodePage::ShiftJis()));
  EXPECT_FALSE(IsDailyBackupName("Pinote.dat.bak", "Pinote.dat", CodePage::ShiftJis()));
  EXPECT_EQ(MergedCopyMarker("Pinote-PC.dat", when), "----- Pinote-PC.dat 2024/05/01 09:05:07 -----");
}

TEST(OwnNames, ReadBackTheirTimes) {
  const struct {
    const char* name;
    const char* when;  // "": not such a name
    int serial;
  } conflicts[] = {
      {"Pinote.conflict-20240501-090507.dat", "2024/05/01 09:05:07", 1},
      {"PINOTE.CONFLICT-20240501-090507-12.DAT", "2024/05/01 09:05:07", 12},
      {"Pinote.conflict-20240501-090507-.dat", "", 0},
      {"Pinote.conflict-20240501-0905070.dat", "", 0},
      {"Pinote.conflict-20240501_090507.dat", "", 0},
      {"Pinote.conflict-2024050x-090507.dat", "", 0},
      {"Pinote.conflict-20240501-090507.ini", "", 0},
      {"Other.conflict-20240501-090507.dat", "", 0},
  };
  for (const auto& c : conflicts) {
    SCOPED_TRACE(c.name);
    const auto stamp = ParseConflictCopyName(c.name, "Pinote", ".dat", CodePage::ShiftJis());
    EXPECT_EQ(stamp ? FormatDate(stamp->when) : "", c.when);
    if (stamp) {
      EXPECT_EQ(stamp->serial, c.serial);
    }
  }
  const auto day = ParseDailyBackupName("pinote.dat.20240501.BAK", "Pinote.dat", CodePage::ShiftJis());
  ASSERT_TRUE(day);
  EXPECT_EQ(FormatDate(*day), "2024/05/01 00:00:00");
  EXPECT_EQ(MergedFolderOf("C:\\x\\Pinote.dat", CodePage::ShiftJis()), "C:\\x\\Pinote.merged\\");
  EXPECT_EQ(MergedFolderOf("dir/Pinote.dat", CodePage::ShiftJis()), "dir/Pinote.merged/");
}

}  // namespace
}  // namespace pinote
