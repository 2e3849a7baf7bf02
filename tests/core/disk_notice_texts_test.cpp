// What the user is told of the memo file on disk: filling the table's patterns, the texts for
// conflict copies, sync-tool copies merged or left alone, and for saves that fail.
#include "forms/disk_notice_texts.h"

#include <gtest/gtest.h>

#include "common/texts.h"

namespace pinote {
namespace {

TEST(FillText, PutsArgumentsInPlaceOfTheirNumbersOnly) {
  struct Case {
    const char* pattern;
    std::initializer_list<std::string_view> args;
    const char* want;
  };
  const Case cases[] = {
      {"%1 merged from %2", {"3 people", "a.dat"}, "3 people merged from a.dat"},
      {"%2 before %1", {"one", "two"}, "two before one"},
      {"twice %1 %1", {"x"}, "twice x x"},
      {"past the last %2", {"x"}, "past the last %2"},
      {"100% sure, %0 and %a", {"x"}, "100% sure, %0 and %a"},
      {"ends in %", {"x"}, "ends in %"},
      {"%%1", {"x"}, "%x"},
      // An argument is never searched again, whatever it holds.
      {"[%1] [%2]", {"%2", "b"}, "[%2] [b]"},
      {"%1", {""}, ""},
      {"", {"x"}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FillText(c.pattern, c.args), c.want) << c.pattern;
  }
}

// The paths here are UTF-8 already.
std::string Same(const std::string& s) { return s; }

DiskNotices Conflict(std::string path) {
  DiskNotices n;
  n.conflictCopies.push_back(std::move(path));
  return n;
}
DiskNotices Merged(MergedCopy copy) {
  DiskNotices n;
  n.mergedCopies.push_back(std::move(copy));
  return n;
}
DiskNotices Left(CopyLeftAlone copy) {
  DiskNotices n;
  n.copiesLeftAlone.push_back(std::move(copy));
  return n;
}

TEST(DiskNoticeText, TellsEachKindInEitherLanguage) {
  const std::string dir = "C:\\Becky\\PlugIns\\";
  const std::string jaDir = "C:\\ベッキー\\PlugIns\\";  // UTF-8: no byte of it is a "\"
  const std::string dropbox = "Pinote (田中's conflicted copy 2026-01-06).dat";
  DiskNotices reloadedOnly;
  reloadedOnly.reloaded = true;
  struct Case {
    const char* name;
    DiskNotices notices;
    bool japanese;
    std::string want;
  };
  const Case cases[] = {
      {"nothing", DiskNotices{}, false, ""},
      {"a reload is shown, not told", reloadedOnly, true, ""},
      {"conflict copy", Conflict(dir + "Pinote.conflict-20260105-101500.dat"), false,
       "This memo was also changed elsewhere at the same time. Your text was saved; the other "
       "version is kept in\r\n" + dir + "Pinote.conflict-20260105-101500.dat"},
      {"conflict copy, Japanese", Conflict(jaDir + "Pinote.conflict-20260105-101500.dat"), true,
       "このメモは別の所でも同時に変更されていました。こちらで入力した内容を保存し、もう一方の"
       "内容は次のファイルに残しました:\r\n" + jaDir + "Pinote.conflict-20260105-101500.dat"},
      {"one person moved",
       Merged({jaDir + dropbox, "Dropbox", 1, jaDir + "Pinote.merged\\" + dropbox, ""}), false,
       "1 person merged from " + dropbox + " (a Dropbox conflict copy), moved to\r\n" + jaDir +
           "Pinote.merged\\" + dropbox},
      {"people moved, Japanese",
       Merged({jaDir + dropbox, "Dropbox", 3, jaDir + "Pinote.merged\\" + dropbox, ""}), true,
       dropbox + "（Dropbox の競合コピー）から 3 人分のメモを取り込み、元のファイルを次の場所に"
                 "移しました:\r\n" + jaDir + "Pinote.merged\\" + dropbox},
      {"settings copy, the extension in capitals",
       Merged({dir + "Pinote-PC2.INI", "OneDrive", 2, dir + "Pinote.merged\\Pinote-PC2.INI", ""}),
       false,
       "2 settings merged from Pinote-PC2.INI (a OneDrive conflict copy), moved to\r\n" + dir +
           "Pinote.merged\\Pinote-PC2.INI"},
      {"one setting, Japanese",
       Merged({dir + "Pinote-PC2.ini", "OneDrive", 1, dir + "Pinote.merged\\Pinote-PC2.ini", ""}),
       true,
       "Pinote-PC2.ini（OneDrive の競合コピー）から 1 件の設定を取り込み、元のファイルを次の場所"
       "に移しました:\r\n" + dir + "Pinote.merged\\Pinote-PC2.ini"},
      {"not moved", Merged({dir + "Pinote-PC2.dat", "OneDrive", 4, "", "Access denied."}), false,
       "4 people merged from Pinote-PC2.dat (a OneDrive conflict copy); it could not be moved "
       "and stays where it is, but it is not merged again:\r\nAccess denied."},
      {"not moved, Japanese", Merged({dir + "Pinote-PC2.dat", "OneDrive", 0, "", "Denied."}), true,
       "Pinote-PC2.dat（OneDrive の競合コピー）から 0 人分のメモを取り込みました。このファイルは"
       "移せなかったため元の場所に残しますが、もう取り込みません:\r\nDenied."},
      {"unreadable",
       Left({dir + "Pinote_conflict-20260101-090000.dat", "Nextcloud",
             CopyLeftReason::kUnreadable, "Sharing violation."}),
       false,
       "Pinote_conflict-20260101-090000.dat (a Nextcloud conflict copy) could not be read and "
       "was left alone; it is read again later:\r\nSharing violation."},
      {"not a memo file, Japanese",
       Left({dir + dropbox, "Dropbox", CopyLeftReason::kNotOwnKind, ""}), true,
       dropbox + "（Dropbox の競合コピー）にはメモがないため、そのままにしました。"},
      {"no folder in the path", Left({"Pinote-PC2.dat", "OneDrive", CopyLeftReason::kNotOwnKind,
                                      ""}),
       false, "Pinote-PC2.dat (a OneDrive conflict copy) holds no memo and was left alone."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DiskNoticeText(c.notices, c.japanese, Same), c.want) << c.name;
  }
}

TEST(DiskNoticeText, TellsEverythingInOneTextAParagraphEach) {
  DiskNotices n;
  n.copiesLeftAlone.push_back({"D\\c.dat", "Dropbox", CopyLeftReason::kNotOwnKind, ""});
  n.mergedCopies.push_back({"D\\b.dat", "Syncthing", 2, "D\\m\\b.dat", ""});
  n.conflictCopies = {"D\\a.dat", "D\\a-2.dat"};
  n.reloaded = true;
  const std::string conflict =
      "This memo was also changed elsewhere at the same time. Your text was saved; the other "
      "version is kept in\r\n";
  EXPECT_EQ(DiskNoticeText(n, false, Same),
            conflict + "D\\a.dat\r\n\r\n" + conflict + "D\\a-2.dat\r\n\r\n" +
                "2 people merged from b.dat (a Syncthing conflict copy), moved to\r\nD\\m\\b.dat"
                "\r\n\r\nc.dat (a Dropbox conflict copy) holds no memo and was left alone.");
}

// A possible copy is asked about, never told among the rest; the question names the file.
TEST(PossibleCopyQuestion, NamesTheFileTheToolAndWhereItGoes) {
  DiskNotices n;
  n.possibleCopies.push_back({"C:\\B\\Pinote-Taro-PC.dat", "OneDrive", "C:\\B\\Pinote.dat"});
  EXPECT_EQ(DiskNoticeText(n, false, Same), "");
  EXPECT_EQ(PossibleCopyQuestion(n.possibleCopies[0], false, Same),
            "Pinote-Taro-PC.dat may be a conflict copy that OneDrive made of Pinote.dat on another "
            "computer.\r\n\r\nMerge it into Pinote.dat? Its contents are added and the file is "
            "moved to Pinote.merged. If you made this file yourself, answer No: it is left as it "
            "is and not asked about again.");
  EXPECT_EQ(PossibleCopyQuestion(n.possibleCopies[0], true, Same).rfind("Pinote-Taro-PC.dat は、OneDrive", 0),
            0u);
}

TEST(SaveTroubleText, NamesTheFileAndKeepsTheEdit) {
  struct Case {
    SaveTrouble trouble;
    bool japanese;
    std::string want, note;
  };
  const std::string path = "C:\\ベッキー\\PlugIns\\Pinote.dat";
  const Case cases[] = {
      {SaveTrouble::kBusy, false,
       "Another program is saving the memo file, so your change is not saved yet:\r\n" + path +
           "\r\n\r\nYour text is kept and saved with the next change.",
       "Not saved yet: another program is saving the memo file"},
      {SaveTrouble::kFailed, false,
       "Your change could not be saved to\r\n" + path +
           "\r\n\r\nAccess denied.\r\n\r\nYour text is kept and saved with the next change.",
       "Not saved yet: the memo file cannot be written"},
      {SaveTrouble::kBusy, true,
       "他のプログラムがメモのファイルを保存中のため、変更をまだ保存できません:\r\n" + path +
           "\r\n\r\n入力した内容は失われず、次の変更と一緒に保存されます。",
       "未保存: 他のプログラムがメモのファイルを保存中です"},
      {SaveTrouble::kFailed, true,
       "変更を保存できませんでした:\r\n" + path +
           "\r\n\r\nAccess denied.\r\n\r\n入力した内容は失われず、次の変更と一緒に保存されます。",
       "未保存: メモのファイルに書き込めません"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SaveTroubleText(c.trouble, path, "Access denied.", c.japanese), c.want);
    EXPECT_EQ(SaveTroubleNote(c.trouble, c.japanese), c.note);
  }
}

TEST(NotSavedAtEndText, SaysTheEditsAreLost) {
  EXPECT_EQ(NotSavedAtEndText("C:\\B\\Pinote.dat", "Denied.", false),
            "Your last changes could not be saved to\r\nC:\\B\\Pinote.dat\r\n\r\nDenied."
            "\r\n\r\nThey are lost.");
  EXPECT_EQ(NotSavedAtEndText("C:\\B\\Pinote.dat", "Denied.", true),
            "最後の変更を保存できませんでした:\r\nC:\\B\\Pinote.dat\r\n\r\nDenied.\r\n\r\n"
            "この変更は保存されずに失われます。");
}

}  // namespace
}  // namespace pinote
