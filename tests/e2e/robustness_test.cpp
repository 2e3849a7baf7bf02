// No memo is lost when the files misbehave: an unreadable, read-only or unwritable Pinote.dat,
// an unreadable Pinote.ini, addresses the data file cannot hold, a header the host may have cut
// and a name list with absurd counts. The host must keep running in every case.
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

const char kFlag[] = "copyfile Mail\\02-bob.eml flag.txt\nwait 800\n";

// Boxes of the run whose text names `file`: every report of a failed read or write.
std::vector<std::string> BoxesAbout(const RunResult& r, const std::string& file) {
  std::vector<std::string> out;
  for (const auto& l : r.lines)
    if (l.rfind("msgbox", 0) == 0 && l.find(" text=") != std::string::npos &&
        l.find(file) != std::string::npos)
      out.push_back(l);
  return out;
}

TEST(DataFile, UnreadableAtStartIsNeverReplacedAndEditsJoinItOnceReadable) {
  Installation inst("locked-dat");
  inst.AddSampleMemoData();
  const std::string sample = SampleDat();
  Lock lock(inst.PluginDir() + L"Pinote.dat");
  ASSERT_TRUE(lock.held());
  std::string while_locked;
  WhenFlagged unlock(inst, L"flag.txt", [&] {
    while_locked = lock.Content();
    lock.Release();
  });
  // The first failed save shows a box that blocks the typing until it is dismissed.
  RunResult r = inst.Run(std::string("set msgbox-timeout 700\nmsgbox ok 30000\nopen 1\n") +
                         ShowMemoWindow() +
                         TypeMemo("C") + "open 0\n" + TypeMemo("N") +
                         kFlag +
                         TypeMemo("b") + TypeMemo("c") + DumpWindow(kMemoWindow) + "open 1\n" +
                         TypeMemo("a") + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(unlock.fired()) << r.Text();
  EXPECT_EQ(r.lines.back(), "exit") << r.Text();
  // One box at start (the load), one for the run of failed saves (typing on only updates the
  // window's note); none once the file is readable again.
  auto start_box = r.Starting("msgbox caption=");
  ASSERT_EQ(start_box.size(), 1u) << r.Text();
  EXPECT_NE(start_box[0].find("Pinote.dat"), std::string::npos) << start_box[0];
  EXPECT_NE(start_box[0].find("\\r\\n\\r\\n"), std::string::npos) << "path, then the reason";
  auto failed_saves = r.Starting("msgbox-auto ");
  EXPECT_EQ(failed_saves.size(), 1u) << r.Text();
  for (const auto& b : failed_saves) EXPECT_NE(b.find("Pinote.dat"), std::string::npos) << b;
  EXPECT_EQ(while_locked, sample) << "replaced while it could not be read";
  // Bob had no record: his memo is appended. Alice's stored memo is kept, the edit joins it.
  std::string final_dat = inst.Read(L"PlugIns\\Pinote.dat");
  EXPECT_NE(final_dat.find("bob@example.org\r\n Ca\r\n\r\n"), std::string::npos) << final_dat;
  EXPECT_NE(final_dat.find("alice@example.com\r\n"), std::string::npos) << final_dat;
  EXPECT_NE(final_dat.find(" Met at the conference in Kyoto.\r\n Prefers short mails.\r\n"),
            std::string::npos)
      << "a stored memo was lost:\n" << final_dat;
  EXPECT_NE(final_dat.find(" Prefers short mails.\r\n Nbc\r\n"), std::string::npos)
      << "the edit was lost:\n" << final_dat;
  // The box shows what was joined, so that typing on does not store over the file's memo.
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"),
            Quoted("Met at the conference in Kyoto.\r\nPrefers short mails.\r\nNbc"));
  EXPECT_NE(final_dat.find("tanaka@example.jp\r\n"), std::string::npos) << final_dat;
  EXPECT_NE(final_dat.find("carol@example.net\r\n Carol - sends the invoices\r\n"),
            std::string::npos)
      << final_dat;
}

TEST(DataFile, ReadOnlyIsLeftIntactUntilTheMarkIsRemoved) {
  Installation inst("readonly-dat");
  inst.AddSampleMemoData();
  const std::wstring dat = inst.PluginDir() + L"Pinote.dat";
  ASSERT_TRUE(SetFileAttributesW(dat.c_str(), FILE_ATTRIBUTE_READONLY));
  WhenFlagged writable(inst, L"flag.txt",
                       [&] { SetFileAttributesW(dat.c_str(), FILE_ATTRIBUTE_NORMAL); });
  RunResult r = inst.Run("set msgbox-timeout 700\nopen 0\n" + WaitWindow(kMemoWindow) +
                         TypeMemo("!") + "copyfile PlugIns\\Pinote.dat refused.dat\n" +
                         DumpWindow(kMemoWindow) + kFlag + TypeMemo("?") +
                         DumpWindow(kMemoWindow) + "exit\n");
  SetFileAttributesW((inst.dir() + L"refused.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW(dat.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(writable.fired()) << r.Text();
  EXPECT_EQ(r.lines.back(), "exit") << "the host stopped: " << r.Text();
  auto boxes = BoxesAbout(r, "Pinote.dat");
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_NE(boxes[0].find("\\r\\n\\r\\n"), std::string::npos) << boxes[0];
  EXPECT_EQ(inst.Read(L"refused.dat"), SampleDat());
  // The window says the edit is not saved while the file refuses it, and no more once it is.
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 2u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_SAVE_NOTE_LABEL, "visible"), "1");
  EXPECT_EQ(Child(dumps[0], IDC_SAVE_NOTE_LABEL, "text"),
            Quoted("Not saved yet: the memo file cannot be written"));
  EXPECT_EQ(Child(dumps[1], IDC_SAVE_NOTE_LABEL, "visible"), "0");
  std::string want = SampleDat();
  const std::string line = " Prefers short mails.\r\n";
  want.insert(want.find(line) + line.size(), " !?\r\n");
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), want) << "the refused edit is written later";
}

TEST(DataFile, TempFileThatCannotBeCreatedLeavesTheOldFileAndALaterSaveWritesAll) {
  Installation inst("blocked-temp");
  inst.AddSampleMemoData();
  // The seam writes "<path>.tmp<pid>-<n>" first; folders of those names block it.
  std::vector<std::wstring> blockers;
  inst.OnStarted([&](DWORD pid) {
    for (int n = 1; n <= 30; ++n) {
      blockers.push_back(inst.PluginDir() + L"Pinote.dat.tmp" + std::to_wstring(pid) + L"-" +
                         std::to_wstring(n));
      CreateDirectoryW(blockers.back().c_str(), nullptr);
    }
  });
  WhenFlagged unblock(inst, L"flag.txt", [&] {
    for (const auto& b : blockers) RemoveDirectoryW(b.c_str());
  });
  RunResult r = inst.Run(std::string("set msgbox-timeout 700\nopen 1\n") + ShowMemoWindow() +
                         TypeMemo("x") + "copyfile PlugIns\\Pinote.dat blocked.dat\n" + kFlag +
                         TypeMemo("y") + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(unblock.fired()) << r.Text();
  EXPECT_EQ(r.lines.back(), "exit") << r.Text();
  ASSERT_EQ(BoxesAbout(r, "Pinote.dat").size(), 1u) << r.Text();
  EXPECT_EQ(inst.Read(L"blocked.dat"), SampleDat());
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), SampleDat() + "bob@example.org\r\n xy\r\n\r\n");
  // No temp file is left behind.
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((inst.PluginDir() + L"Pinote.dat.tmp*").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "left: " << (h != INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST(SettingsFile, UnreadableAtStartIsNotReplacedAtExit) {
  const std::string initial = "Show\\Load=Integer:0\r\nCustom\\Key=String:kept\r\n";
  struct Case {
    const char* name;
    bool released_before_exit;
  };
  for (const Case c : {Case{"locked to the end", false}, Case{"released before exit", true}}) {
    SCOPED_TRACE(c.name);
    Installation inst("locked-ini");
    inst.WriteSettings(initial);
    Lock lock(inst.PluginDir() + L"Pinote.ini");
    ASSERT_TRUE(lock.held());
    WhenFlagged unlock(inst, L"flag.txt", [&] { lock.Release(); });
    std::string script = "set msgbox-timeout 700\nmsgbox ok 30000\nopen 0\n";
    if (c.released_before_exit) script += kFlag;
    RunResult r = inst.Run(script + "wait 300\nexit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    EXPECT_EQ(r.lines.back(), "exit") << r.Text();
    EXPECT_NE(r.First("msgbox caption=").find("Pinote.ini"), std::string::npos) << r.Text();
    if (!c.released_before_exit) {
      EXPECT_EQ(lock.Content(), initial);
      EXPECT_GE(BoxesAbout(r, "Pinote.ini").size(), 2u) << "the refused save is reported";
      continue;
    }
    ASSERT_TRUE(unlock.fired());
    EXPECT_EQ(BoxesAbout(r, "Pinote.ini").size(), 1u) << r.Text();
    std::string ini = inst.Read(L"PlugIns\\Pinote.ini");
    EXPECT_EQ(ini.compare(0, initial.size(), initial), 0) << ini;
    EXPECT_NE(ini.find("MainForm\\Left=Integer:"), std::string::npos) << ini;
  }
}

// Mails whose sender address Pinote.dat could not hold: the memo box refuses typing and says
// why, and nothing reaches the file.
TEST(MemoWindow, AddressesTheDataFileCannotHoldGetAReadOnlyMemo) {
  struct Case {
    const char* from;         // the From header as written in the mail
    const char* address;      // what the address label shows (log form, without quotes)
    bool storable;
  };
  const Case cases[] = {
      {"<@route:user@example.com>", "@route:user@example.com", false},
      {"user@\r\n example.com", "user@\\r\\n example.com", false},
      {"Folded Name\r\n <folded@example.com>", "folded@example.com", true},
  };
  Installation inst("unstorable");
  inst.AddSampleMemoData();
  CreateDirectoryW((inst.dir() + L"odd").c_str(), nullptr);
  std::string script = "set msgbox-timeout 700\n";
  for (size_t i = 0; i < std::size(cases); ++i) {
    inst.Write(L"odd\\" + std::to_wstring(10 + i) + L".eml",
               std::string("From: ") + cases[i].from +
                   "\r\nTo: you@example.net\r\nSubject: odd\r\n\r\nbody\r\n");
    script += "open " + std::to_string(i) + "\n" + ShowMemoWindow() +
              TypeMemo("m") + DumpWindow(kMemoWindow);
  }
  RunResult r = inst.Run(script + "exit\n", L"/mail:\"" + inst.dir() + L"odd\"");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.lines.back(), "exit") << r.Text();
  EXPECT_EQ(r.Count("msgbox"), 0) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), std::size(cases)) << r.Text();
  std::string want = SampleDat();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.address);
    EXPECT_EQ(Child(dumps[i], IDC_ADDRESS_LABEL, "text"), std::string("\"") + c.address + "\"");
    EXPECT_EQ(Child(dumps[i], IDC_MEMO_EDIT, "text"), c.storable ? "\"m\"" : "\"\"");
    EXPECT_EQ(Child(dumps[i], IDC_IMPORTANT_CHECK, "enabled"), c.storable ? "1" : "0");
    if (!c.storable) {
      EXPECT_EQ(Child(dumps[i], IDC_OTHER_ADDRESS_LABEL, "visible"), "1");
      EXPECT_EQ(Child(dumps[i], IDC_OTHER_ADDRESS_LABEL, "text"), Quoted("No memo can be kept for this address"));
    } else {
      want += std::string(c.address) + "\r\n m\r\n\r\n";
    }
  }
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), want);
}

TEST(OutgoingHeader, AHeaderTheHostMayHaveCutIsLeftAlone) {
  // The plug-in tells the host its buffer holds 2047 bytes; a host may count its terminator in
  // them, so 2046 bytes read may already be a cut value.
  auto others = [](size_t size) {
    std::string v;
    for (int i = 0; v.size() < size; ++i) v += (i ? ",\r\n\t" : "") + std::string("P") +
                                                  std::to_string(i) + " Ver.1.0";
    v.resize(size);
    if (v.back() == '\t' || v.back() == '\n' || v.back() == '\r' || v.back() == ',') v.back() = 'x';
    return v;
  };
  struct Case {
    size_t size;
    bool stamped;
  };
  const Case cases[] = {{2000, true},   {2045, true},   {2046, false},
                        {2047, false},  {2048, false},  {5000, false}};
  std::string script;
  for (const Case& c : cases)
    script += "compose To: x@example.com | X-Mailer-Plugin: " + ScriptText(others(c.size)) +
              "\nsend\n";
  Installation inst("long-header");
  RunResult r = inst.Run(script + "exit\n");
  ASSERT_FALSE(r.timed_out);
  auto sent = r.Starting("sent-header \"X-Mailer-Plugin\" ");
  ASSERT_EQ(sent.size(), std::size(cases)) << r.Text().substr(0, 4000);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].size);
    std::string before = others(cases[i].size);
    std::string want = cases[i].stamped ? before + ",\r\n\t" + kEntry : before;
    EXPECT_EQ(sent[i], "sent-header \"X-Mailer-Plugin\" " + Quoted(want));
  }
}

TEST(NameList, CountsAtTheLimitsDoNotHangTheHost) {
  // One entry per damaged count, each followed by a sound entry that must still be read.
  const char* counts[][3] = {  // N, M, P
      {"2147483647", "1", "0"},  {"0", "2147483647", "0"}, {"0", "1", "2147483647"},
      {"-2147483648", "1", "0"}, {"0", "-1", "0"},         {"0", "1", "-2147483648"},
      {"$FFFFFFFF", "1", "0"},   {"$7FFFFFFF", "1", "0"},  {"0", "1", "$80000000"},
  };
  for (const auto& c : counts) {
    SCOPED_TRACE(std::string(c[0]) + " " + c[1] + " " + c[2]);
    std::string list = "MEIBO 1\r\nDamaged\r\nx\r\ny\r\n" + std::string(c[0]) + "\r\n" + c[1] +
                       "\r\nbroken@example.com\r\n" + c[2] + "\r\n-\r\n";
    list += "Alice from the list\r\nx\r\ny\r\n0\r\n1\r\nalice@example.com\r\n0\r\n-\r\n";
    list += "pad\r\npad\r\npad\r\npad\r\npad\r\npad\r\n";
    Installation inst("meibo-limits");
    inst.AddSampleMemoData();
    inst.Write(L"list.txt", list);
    int n = WideCharToMultiByte(CP_ACP, 0, inst.dir().c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string dir(static_cast<size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, inst.dir().c_str(), -1, dir.data(), n, nullptr, nullptr);
    std::string escaped;
    for (char ch : dir) escaped += ch == '%' ? "%25" : std::string(1, ch);
    inst.WriteSettings("Meibo\\Path=String:" + escaped + "list.txt\r\n");
    RunResult r = inst.Run("open 0\n" + DumpWindow(kMemoWindow) + "open 1\nexit\n", L"", 60000);
    ASSERT_FALSE(r.timed_out) << "host hung";
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(r.lines.back(), "exit") << r.Text();
    EXPECT_EQ(r.Count("open-mail"), 2) << r.Text();
    EXPECT_EQ(r.Count("msgbox"), 0) << r.Text();
    auto dumps = WindowDumps(r);
    ASSERT_EQ(dumps.size(), 1u) << r.Text();
    EXPECT_EQ(Child(dumps[0], IDC_ADDRESS_LABEL, "text"), Quoted("alice@example.com"));
  }
}

}  // namespace
}  // namespace e2e
