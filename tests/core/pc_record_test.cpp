// What a PC remembers of a shared file: kept outside the synced folder, in its own words, the
// changes pruned after some weeks and copies forgotten once they are gone.
#include "common/pc_record.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"

namespace pinote {
namespace {

using testing::FakeFileSystem;

TEST(PcRecord, KeepsChangesAndCopiesUntilTheyAreOldOrGone) {
  FakeFileSystem fs;
  const std::string shared = "dir/Pinote.dat";
  fs.files["dir/Pinote-PC.dat"] = "copy";
  PcRecord record;
  record.Open(fs, "pc/", shared, CodePage::ShiftJis());
  const std::string path = "pc/" + PcRecordFileName(shared, CodePage::ShiftJis());
  EXPECT_EQ(record.FilePath(), path);
  EXPECT_EQ(path.rfind("pc/Pinote.dat-", 0), 0u);
  record.Remember({"Pinote-PC.dat", 4, 77}, PcRecord::CopyFate::kMerged);
  record.Remember({"Pinote-Gone.dat", 1, 1}, PcRecord::CopyFate::kDeclined);
  const int64_t then = fs.clock;
  record.AddChanges({{then, "a\r\n old\r\n\r\n", "a\r\n new\r\n\r\n"}, {then, "", "b\r\n m\r\n\r\n"}});
  const std::string text = fs.Content(path);
  EXPECT_EQ(text.rfind("Quillet for Becky!2: what this PC changed in dir/Pinote.dat\r\nsince ", 0),
            0u);
  EXPECT_NE(text.find("\r\nchange " + std::to_string(then) + "\r\n<a\r\n< old\r\n<\r\n>a\r\n> new\r\n>\r\n"),
            std::string::npos);

  PcRecord again;
  again.Open(fs, "pc/", shared, CodePage::ShiftJis());
  EXPECT_EQ(again.FateOf({"Pinote-PC.dat", 4, 77}), PcRecord::CopyFate::kMerged);
  EXPECT_EQ(again.FateOf({"Pinote-PC.dat", 5, 77}), PcRecord::CopyFate::kUnknown);
  EXPECT_EQ(again.FateOf({"Pinote-Gone.dat", 1, 1}), PcRecord::CopyFate::kUnknown) << "gone";
  // Typing on in one entry: noted at the first keystroke, and again a while later.
  again.AddChanges({{then + 1, "a\r\n new\r\n\r\n", "a\r\n newer\r\n\r\n"}});
  again.AddChanges({{then + 2, "a\r\n newer\r\n\r\n", "a\r\n newest\r\n\r\n"}});
  again.AddChanges({{then + 61 * kFileTimeSecond, "a\r\n newest\r\n\r\n", "a\r\n last\r\n\r\n"}});
  const auto changes = again.Changes();
  ASSERT_TRUE(changes.has_value());
  ASSERT_EQ(changes->size(), 4u);
  EXPECT_EQ((*changes)[2].after, "a\r\n newer\r\n\r\n");
  EXPECT_EQ((*changes)[3].before, "a\r\n newest\r\n\r\n");
  EXPECT_EQ((*changes)[0].before, "a\r\n old\r\n\r\n");
  EXPECT_EQ((*changes)[1].after, "b\r\n m\r\n\r\n");
  EXPECT_LE(again.Since(), then);

  fs.clock += kPcRecordKeptFor + 120 * kFileTimeSecond;
  PcRecord weeksLater;
  weeksLater.Open(fs, "pc/", shared, CodePage::ShiftJis());
  EXPECT_TRUE(weeksLater.Changes()->empty());
  EXPECT_GT(weeksLater.Since(), then) << "it speaks no more for the time it forgot";

  PcRecord none;
  none.Open(fs, "", shared, CodePage::ShiftJis());
  EXPECT_FALSE(none.Changes().has_value());
  EXPECT_GT(none.Since(), fs.clock) << "kept in memory only, it judges no copy";
}

}  // namespace
}  // namespace pinote
