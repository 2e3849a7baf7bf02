// The stand-in host's measuring commands: what they run, copy, write and sum up (never how
// fast: benchmarks measure, tests check).
#include <gtest/gtest.h>

#include <string>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(MeasuringCommands, ReferenceFillCopiesTheMemoWindowsControlsAndTexts) {
  Installation inst("reffill");
  inst.AddSampleMemoData();
  inst.AddSampleNameList();
  // Alice: marked, a memo and a name-list text; Carol: a memo only; Tanaka: a Shift-JIS name
  // and memo, and another address.
  const int mails[] = {0, 4, 2};
  std::string script = "open 0\n" + WaitWindow(kMemoWindow);
  for (int mail : mails) {
    script += "open " + std::to_string(mail) +
              "\nreffill " + kMemoWindow + "\n" + DumpWindow(kMemoWindow) + "window B2Reference\n";
  }
  RunResult r = inst.Run(script + "reffill NoSuchWindow\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.Count("reffill " + Quoted(kMemoWindow) + " controls=6 us="), 3) << r.Text();
  EXPECT_TRUE(r.Has("error reffill no-window \"NoSuchWindow\"")) << r.Text();
  const auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 2 * std::size(mails)) << r.Text();
  for (size_t i = 0; i < std::size(mails); ++i) {
    const WindowDump& memo = dumps[2 * i];
    const WindowDump& copy = dumps[2 * i + 1];
    SCOPED_TRACE("mail " + std::to_string(mails[i]));
    EXPECT_EQ(FieldOf(copy.window, "class"), Quoted("B2Reference"));
    EXPECT_EQ(FieldOf(copy.window, "visible"), "1");
    EXPECT_EQ(copy.children.size(), 6u) << "no panels, no splitter";
    for (int id : {IDC_IMPORTANT_CHECK, IDC_SENDER_LABEL, IDC_ADDRESS_LABEL,
                   IDC_OTHER_ADDRESS_LABEL, IDC_MEMO_EDIT, IDC_NAME_LIST_EDIT}) {
      EXPECT_EQ(Child(copy, id, "class"), Child(memo, id, "class")) << id;
      EXPECT_EQ(Child(copy, id, "text"), id == IDC_IMPORTANT_CHECK ? Quoted("") : Child(memo, id, "text")) << id;
    }
    EXPECT_EQ(Child(copy, IDC_IMPORTANT_CHECK, "checked"), Child(memo, IDC_IMPORTANT_CHECK, "checked"));
  }
  EXPECT_EQ(Child(dumps[0], IDC_IMPORTANT_CHECK, "checked"), "1") << "the mark was copied, not left unset";
  EXPECT_EQ(Child(dumps[2], IDC_IMPORTANT_CHECK, "checked"), "0");
  EXPECT_NE(Child(dumps[5], IDC_MEMO_EDIT, "text"), Quoted("")) << "the Japanese memo was copied";
}

TEST(MeasuringCommands, RepeatSumsUpWhatItsRoundsRecordedAfterTheWarmUps) {
  Installation inst("repeat");
  inst.AddSampleMemoData();
  RunResult r = inst.Run(
      "open 0\n" + WaitWindow(kMemoWindow) + "repeat 3 skip=1 open 0 paint ; reffill " +
      kMemoWindow + " ; type " + kMemoWindow + " " + std::to_string(IDC_MEMO_EDIT) +
      " ab ; refwrite PlugIns\\Pinote.dat\n"
      "memory typed\nrefwrite missing.dat\nrepeat 0 log never\n"
      "repeat 5 log round ; exit\nlog after the exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  const std::pair<const char*, const char*> counts[] = {
      {"BKC_OnOpenMail@Pinote.dll", "3"}, {"paint", "3"}, {"reffill", "3"},
      {"reffill-paint", "3"}, {"type", "6"}, {"refwrite", "3"}, {"round", "3"}};
  for (const auto& [key, n] : counts) {
    const std::string line = r.First("timing " + std::string(key) + " ");
    EXPECT_EQ(FieldOf(line, "n"), n) << key << "\n" << r.Text();
    EXPECT_FALSE(FieldOf(line, "median_us").empty()) << key;
  }
  EXPECT_EQ(r.Count("reffill " + Quoted(kMemoWindow)), 4) << "one warm-up round first";
  EXPECT_EQ(r.Count("> refwrite PlugIns\\Pinote.dat"), 4);
  // The last reference write copied the file the last keystroke wrote.
  const std::string dat = inst.Read(L"PlugIns\\Pinote.dat");
  EXPECT_NE(dat.find(" Prefers short mails.\r\n abababab\r\n"), std::string::npos) << dat;
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat.ref"), dat);
  EXPECT_EQ(r.Starting("refwrite ").back().rfind(
                "refwrite \"PlugIns\\\\Pinote.dat\" bytes=" + std::to_string(dat.size()) + " us=",
                0),
            0u)
      << r.Text();
  EXPECT_TRUE(r.Has("error refwrite cannot-read \"missing.dat\""));
  EXPECT_TRUE(r.Has("error repeat needs N")) << "no rounds";
  EXPECT_EQ(r.Count("note never"), 0);
  EXPECT_EQ(r.Count("note round"), 1) << "an exit inside repeat ends the script";
  EXPECT_EQ(r.Count("note after the exit"), 0);
  EXPECT_TRUE(r.Has("exit"));
  for (const std::string& call : r.Starting("call "))
    EXPECT_NE(call.find(" us="), std::string::npos) << call;
}

TEST(MeasuringCommands, WorkingSetBeforeThePlugInsAfterTheMenusAndOnRequest) {
  Installation inst("memory");
  RunResult r = inst.Run("memory now\nmemory\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  std::vector<std::string> order;
  for (const std::string& l : r.lines) {
    if (l.rfind("memory ", 0) == 0) {
      order.push_back(l.substr(7, l.find(' ', 7) - 7));
      EXPECT_GT(std::stoll(FieldOf(l, "working_set_kb")), 0) << l;
      EXPECT_GE(std::stoll(FieldOf(l, "peak_working_set_kb")),
                std::stoll(FieldOf(l, "working_set_kb"))) << l;
    } else if (l.rfind("plugin-loading", 0) == 0 || l.rfind("call BKC_OnMenuInit", 0) == 0 ||
               l == "ready") {
      order.push_back(l.substr(0, l.find(' ')));
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"loading-plugins", "plugin-loading", "call",
                                             "menus-built", "ready", "now", "now"}))
      << r.Text();
}

}  // namespace
}  // namespace e2e
