// Pinote.dat shared with other writers: a second host on the same installation, a program that
// replaces the file, both sides changing one person, a lock that is not let go, a settings file
// another writer holds, and the copies sync tools leave beside the file. Nothing anyone wrote
// may be lost, and the user is told once of what happened.
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

// One host's turn is over when it made the file; the other waits for it.
std::string Signal(const std::string& name) { return "copyfile Mail\\01-alice.eml " + name + "\n"; }
std::string Await(const std::string& name) { return "waitfile " + name + " 60000\n"; }

// Alice's memo in the sample, and the sample with `line` (a memo line as the file holds it)
// after it.
const char kAliceLast[] = " Prefers short mails.\r\n";
std::string SampleWithAliceLine(const std::string& line) {
  std::string dat = SampleDat();
  dat.insert(dat.find(kAliceLast) + sizeof kAliceLast - 1, line);
  return dat;
}
// The sample with Alice's two memo lines replaced by `memoLines`.
std::string SampleWithAliceMemo(const std::string& memoLines) {
  std::string dat = SampleDat();
  const std::string first = " Met at the conference in Kyoto.\r\n";
  const size_t at = dat.find(first);
  dat.replace(at, first.size() + sizeof kAliceLast - 1, memoLines);
  return dat;
}

std::vector<std::string> Boxes(const RunResult& r) {
  std::vector<std::string> out;
  for (const auto& l : r.lines)
    if (l.rfind("msgbox", 0) == 0 && l.find(" text=") != std::string::npos) out.push_back(l);
  return out;
}

std::string Narrowed(const std::wstring& w) {
  std::string out;
  for (const wchar_t c : w) out += static_cast<char>(c < 0x80 ? c : '?');
  return out;
}

std::vector<std::wstring> FilesMatching(const std::wstring& pattern) {
  std::vector<std::wstring> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do out.push_back(fd.cFileName);
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

// Two hosts on one installation type into the same person in turn, and one adds a person: each
// shows the other's text at its next mail, and the file ends with every keystroke of both.
TEST(SharedDataFile, TwoHostsTypingInTurnKeepEveryEdit) {
  Installation inst("two-hosts");
  inst.AddSampleMemoData();
  const std::string first =
      "set msgbox-timeout 2000\nopen 0\n" + ShowMemoWindow() + TypeMemo("1") + Signal("a1.txt") +
      Await("b1.txt") + "open 0\n" + DumpWindow(kMemoWindow) + TypeMemo("3") + Signal("a2.txt") +
      Await("b2.txt") + "exit\n";
  const std::string second =
      "set msgbox-timeout 2000\n" + Await("a1.txt") + "open 1\n" + ShowMemoWindow() + TypeMemo("B") +
      "open 0\n" + DumpWindow(kMemoWindow) + TypeMemo("2") + Signal("b1.txt") + Await("a2.txt") +
      "open 0\n" + DumpWindow(kMemoWindow) + TypeMemo("4") + Signal("b2.txt") + "exit\n";
  Installation::Started a = inst.Start(first, "a");
  Installation::Started b = inst.Start(second, "b");
  RunResult ra = inst.Finish(a, 120000), rb = inst.Finish(b, 120000);
  ASSERT_FALSE(ra.timed_out) << ra.Text();
  ASSERT_FALSE(rb.timed_out) << rb.Text();
  EXPECT_EQ(ra.Count("waitfile"), 2) << ra.Text();
  EXPECT_FALSE(ra.Has(" timeout")) << ra.Text();
  EXPECT_FALSE(rb.Has(" timeout")) << rb.Text();
  EXPECT_TRUE(Boxes(ra).empty()) << ra.Text();
  EXPECT_TRUE(Boxes(rb).empty()) << rb.Text();
  const std::string alice = "Met at the conference in Kyoto.\r\nPrefers short mails.\r\n";
  struct Shown {
    const RunResult* run;
    size_t dump;
    std::string memo;
  };
  // A memo read from the file ends with a line break: each host's keystroke begins a line.
  for (const Shown& s : {Shown{&ra, 0, alice + "1\r\n2\r\n"}, Shown{&rb, 0, alice + "1\r\n"},
                         Shown{&rb, 1, alice + "1\r\n2\r\n3\r\n"}}) {
    auto dumps = WindowDumps(*s.run);
    ASSERT_GT(dumps.size(), s.dump) << s.run->Text();
    EXPECT_EQ(Child(dumps[s.dump], IDC_MEMO_EDIT, "text"), Quoted(s.memo)) << s.run->Text();
  }
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"),
            SampleWithAliceLine(" 1\r\n 2\r\n 3\r\n 4\r\n") + "bob@example.org\r\n B\r\n\r\n");
}

// A host starting while another one replaces the file (its lock held, the file open without
// sharing, as a replace in progress keeps it) waits for the replace instead of starting without
// its memos.
TEST(SharedDataFile, AHostStartingWhileAnotherReplacesTheFileWaitsForIt) {
  Installation inst("start-during-save");
  inst.AddSampleMemoData();
  Lock lock(inst.PluginDir() + L"Pinote.dat.lock", CREATE_ALWAYS);
  Lock replacing(inst.PluginDir() + L"Pinote.dat");
  ASSERT_TRUE(lock.held() && replacing.held());
  // The host's log is made before the plug-in loads; the release comes well inside the wait.
  WhenFlagged done(inst, L"log.txt", [&] {
    Sleep(400);
    replacing.Release();
    lock.Release();
  });
  RunResult r = inst.Run("set msgbox-timeout 700\nopen 0\n" + DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(done.fired());
  EXPECT_TRUE(Boxes(r).empty()) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"),
            Quoted("Met at the conference in Kyoto.\r\nPrefers short mails.\r\n"));
}

// Another program replaces the file while a mail is shown: the window shows the new text at the
// next mail, and the next keystroke keeps what that program wrote, also when it wrote again in
// between.
TEST(SharedDataFile, AFileReplacedByAnotherProgramIsShownAndKept) {
  Installation inst("replaced");
  inst.AddSampleMemoData();
  const std::string dave = "dave@example.org\r\n Dave from the other program\r\n\r\n";
  const std::string eve = "eve@example.org\r\n Eve added in an editor\r\n\r\n";
  const std::string other = SampleWithAliceMemo(" Changed by another program.\r\n") + dave;
  inst.Write(L"other.dat", other);
  const std::wstring dat = inst.PluginDir() + L"Pinote.dat";
  // An editor that writes the file in place, not replacing it.
  WhenFlagged edit(inst, L"flag.txt", [&] { WriteBytes(dat, ReadBytes(dat) + eve); });
  RunResult r = inst.Run("set msgbox-timeout 2000\nopen 0\n" + ShowMemoWindow() +
                         "copyfile other.dat PlugIns\\Pinote.dat\nopen 1\nopen 0\n" +
                         DumpWindow(kMemoWindow) + TypeMemo("!") +
                         "copyfile Mail\\02-bob.eml flag.txt\nwait 800\n" + TypeMemo("?") +
                         "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(edit.fired()) << r.Text();
  EXPECT_TRUE(Boxes(r).empty()) << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted("Changed by another program.\r\n"));
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"),
            SampleWithAliceMemo(" Changed by another program.\r\n !?\r\n") + dave + eve);
}

// Both sides change one person: this host's text stays in Pinote.dat, the other one is kept in
// a conflict copy beside it, and the user is told once, with its path.
TEST(SharedDataFile, BothSidesChangingOnePersonKeepBothTexts) {
  Installation inst("conflict");
  inst.AddSampleMemoData();
  inst.Write(L"theirs.dat", SampleWithAliceMemo(" Their version.\r\n"));
  RunResult r = inst.Run("set msgbox-timeout 700\nopen 0\n" + ShowMemoWindow() + TypeMemo("x") +
                         // the look posted at the window's activation is done before the
                         // other writer's file arrives: only the keystroke may meet it
                         "sync\ncopyfile theirs.dat PlugIns\\Pinote.dat\n" + TypeMemo("y") +
                         TypeMemo("z") + "open 1\nopen 0\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.lines.back(), "exit") << r.Text();
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), SampleWithAliceLine(" xyz\r\n"));
  const auto copies = FilesMatching(inst.PluginDir() + L"Pinote.conflict-*.dat");
  ASSERT_EQ(copies.size(), 1u) << r.Text();
  const std::string copy = ReadBytes(inst.PluginDir() + copies[0]);
  EXPECT_NE(copy.find("alice@example.com\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find(" Their version.\r\n"), std::string::npos) << copy;
  auto boxes = Boxes(r);
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_NE(boxes[0].find("Your text was saved; the other version is kept in"), std::string::npos)
      << boxes[0];
  int n = WideCharToMultiByte(CP_UTF8, 0, copies[0].c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string name(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, copies[0].c_str(), -1, name.data(), n, nullptr, nullptr);
  EXPECT_NE(boxes[0].find("\\\\PlugIns\\\\" + name), std::string::npos) << boxes[0];
}

// Another writer holds the lock and never lets go: the edit is kept, the user is told once
// (typing on raises no more boxes; the window says it is not saved), the file is left as it
// was, and the first save after the lock is gone writes every keystroke.
TEST(SharedDataFile, ALockThatIsNotLetGoKeepsTheEditUntilItIs) {
  Installation inst("held-lock");
  inst.AddSampleMemoData();
  Lock lock(inst.PluginDir() + L"Pinote.dat.lock", CREATE_ALWAYS);
  ASSERT_TRUE(lock.held());
  std::string while_locked;
  WhenFlagged release(inst, L"flag.txt", [&] {
    while_locked = inst.Read(L"PlugIns\\Pinote.dat");
    lock.Release();
  });
  RunResult r = inst.Run("set msgbox-timeout 700\nopen 0\n" + ShowMemoWindow() + TypeMemo("a") +
                         TypeMemo("b") + DumpWindow(kMemoWindow) +
                         "copyfile Mail\\02-bob.eml flag.txt\nwait 800\n" + TypeMemo("c") +
                         DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(release.fired()) << r.Text();
  EXPECT_EQ(r.lines.back(), "exit") << r.Text();
  EXPECT_EQ(while_locked, SampleDat());
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), SampleWithAliceLine(" abc\r\n"));
  auto boxes = Boxes(r);
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_NE(boxes[0].find("Another program is saving the memo file"), std::string::npos)
      << boxes[0];
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 2u) << r.Text();
  struct Case {
    const char* memo;
    const char* noteVisible;
  };
  const Case cases[] = {{"ab", "1"}, {"abc", "0"}};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Child(dumps[i], IDC_MEMO_EDIT, "text"),
              Quoted(std::string("Met at the conference in Kyoto.\r\nPrefers short mails.\r\n") +
                     cases[i].memo));
    EXPECT_EQ(Child(dumps[i], IDC_SAVE_NOTE_LABEL, "visible"), cases[i].noteVisible);
  }
  EXPECT_EQ(Child(dumps[0], IDC_SAVE_NOTE_LABEL, "text"),
            Quoted("Not saved yet: another program is saving the memo file"));
}

// An edit a held lock refused and nothing saved since gets a last try when the host closes:
// written when the lock is gone by then, else the user is told it is lost.
TEST(SharedDataFile, AnEditLeftUnsavedIsSavedAtTheEndOrToldLost) {
  struct Case {
    const char* name;
    bool releasedBeforeExit;
  };
  for (const Case c : {Case{"released", true}, Case{"held to the end", false}}) {
    SCOPED_TRACE(c.name);
    Installation inst("unsaved-at-end");
    inst.AddSampleMemoData();
    Lock lock(inst.PluginDir() + L"Pinote.dat.lock", CREATE_ALWAYS);
    ASSERT_TRUE(lock.held());
    WhenFlagged release(inst, L"flag.txt", [&] { lock.Release(); });
    std::string script = "set msgbox-timeout 700\nopen 0\n" + ShowMemoWindow() + TypeMemo("a");
    if (c.releasedBeforeExit) script += "copyfile Mail\\02-bob.eml flag.txt\nwait 800\n";
    RunResult r = inst.Run(script + "exit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    EXPECT_EQ(r.lines.back(), "exit") << r.Text();
    auto boxes = Boxes(r);
    ASSERT_EQ(boxes.size(), c.releasedBeforeExit ? 1u : 2u) << r.Text();
    EXPECT_NE(boxes[0].find("Another program is saving the memo file"), std::string::npos);
    if (c.releasedBeforeExit) {
      EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), SampleWithAliceLine(" a\r\n"));
    } else {
      EXPECT_NE(boxes[1].find("Your last changes could not be saved to"), std::string::npos)
          << boxes[1];
      EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), SampleDat());
    }
  }
}

// The settings file's lock held by another writer through OK in the options dialog and the
// exit: each save is refused and told, the host goes on and ends normally, and the file is left
// as it was.
TEST(SharedDataFile, ASettingsFileHeldByAnotherWriterIsToldAndLeftIntact) {
  const std::string initial = "Show\\Load=Integer:0\r\nCustom\\Key=String:kept\r\n";
  Installation inst("held-ini-lock");
  inst.WriteSettings(initial);
  Lock lock(inst.PluginDir() + L"Pinote.ini.lock", CREATE_ALWAYS);
  ASSERT_TRUE(lock.held());
  RunResult r = inst.Run("set msgbox-timeout 700\nopen 0\nsetup\n" + WaitWindow(kOptionsDialog) +
                         ClickOn(kOptionsDialog, IDOK) + WaitHidden(kOptionsDialog) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.lines.back(), "exit") << r.Text();
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.ini"), initial);
  auto boxes = Boxes(r);
  ASSERT_GE(boxes.size(), 2u) << "OK and the exit are both refused: " << r.Text();
  for (const auto& b : boxes) {
    EXPECT_NE(b.find("Another program is saving this file"), std::string::npos) << b;
    EXPECT_NE(b.find("Pinote.ini"), std::string::npos) << b;
  }
}

// A program that reads Pinote.dat without letting it be renamed (a backup program, a virus
// scanner) makes the save of a keystroke fail just after it merged another copy's new person: the
// box shows the joined memo at once, the caret after what was typed, so the next keystroke, once
// the program lets go, keeps the other copy's text.
TEST(SharedDataFile, AFailedSaveShowsTheMergedMemoAndTheNextKeystrokeKeepsIt) {
  Installation inst("failed-save-refill");
  inst.AddSampleMemoData();
  const std::wstring dat = inst.PluginDir() + L"Pinote.dat";
  HANDLE reader = INVALID_HANDLE_VALUE;
  WhenFlagged hold(inst, L"flag1.txt", [&] {
    WriteBytes(dat, SampleDat() + "bob@example.org\r\n from B\r\n\r\n");
    reader = CreateFileW(dat.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  });
  WhenFlagged release(inst, L"flag2.txt", [&] { CloseHandle(reader); });
  RunResult r = inst.Run("set msgbox-timeout 700\nopen 1\n" + ShowMemoWindow() +
                         "copyfile Mail\\01-alice.eml flag1.txt\nwait 800\n" + TypeMemo("x") +
                         DumpWindow(kMemoWindow) +
                         "copyfile Mail\\02-bob.eml flag2.txt\nwait 800\n" + TypeMemo("y") +
                         DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  ASSERT_TRUE(hold.fired() && release.fired()) << r.Text();
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(r.lines.back(), "exit") << r.Text();
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 2u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted("from B\r\nx")) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_SAVE_NOTE_LABEL, "visible"), "1");
  EXPECT_EQ(Child(dumps[1], IDC_MEMO_EDIT, "text"), Quoted("from B\r\nxy"));
  EXPECT_EQ(Child(dumps[1], IDC_SAVE_NOTE_LABEL, "visible"), "0");
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"),
            SampleDat() + "bob@example.org\r\n from B\r\n xy\r\n\r\n");
  EXPECT_EQ(Boxes(r).size(), 1u) << r.Text();
}

// Files beside Pinote.dat that users name so themselves are never merged or moved; a name that
// may be OneDrive's copy from another computer is asked about once, No being the answer Enter
// gives; a name only OneDrive gives is merged. Nothing is asked or told at the next start.
TEST(SyncToolCopies, OwnFilesAreLeftAndAPossibleCopyIsAskedAboutOnce) {
  Installation inst("own-files");
  inst.AddSampleMemoData();
  const wchar_t* const own[] = {L"Pinote-Old.dat", L"Pinote-2.dat", L"Pinote-Backup.dat",
                                L"Pinote-2023.dat", L"Pinote-Taro-PC.dat"};
  for (const wchar_t* name : own) {
    inst.Write(std::wstring(L"PlugIns\\") + name, "own@example.com\r\n from an own file\r\n\r\n");
  }
  inst.Write(L"PlugIns\\Pinote-DESKTOP-4F2KQ1.dat", "sync@example.com\r\n From the laptop\r\n\r\n");
  RunResult r = inst.Run("msgbox ok 30000\nmsgbox default 30000\nopen 0\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto boxes = Boxes(r);
  ASSERT_EQ(boxes.size(), 2u) << r.Text();
  EXPECT_NE(boxes[0].find("1 person merged from Pinote-DESKTOP-4F2KQ1.dat (a OneDrive conflict "
                          "copy), moved to"),
            std::string::npos)
      << boxes[0];
  EXPECT_NE(boxes[1].find("Pinote-Taro-PC.dat may be a conflict copy that OneDrive made of "
                          "Pinote.dat on another computer."),
            std::string::npos)
      << boxes[1];
  EXPECT_NE(boxes[1].find("button=default id=7"), std::string::npos) << "No, unless chosen";
  const std::string dat = inst.Read(L"PlugIns\\Pinote.dat");
  EXPECT_EQ(dat, SampleDat() + "sync@example.com\r\n From the laptop\r\n\r\n");
  for (const wchar_t* name : own) {
    bool there = false;
    inst.Read(std::wstring(L"PlugIns\\") + name, &there);
    EXPECT_TRUE(there) << "moved: " << Narrowed(name);
  }
  RunResult again = inst.Run("open 0\nexit\n");
  ASSERT_FALSE(again.timed_out) << again.Text();
  EXPECT_TRUE(Boxes(again).empty()) << again.Text();
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), dat);
}

// A copy the sync tool keeps open (so it cannot be moved) is merged once and told once, however
// many mails are opened; the next start neither merges nor tells it again, and moves it once it
// can be moved.
TEST(SyncToolCopies, ACopyThatCannotBeMovedIsMergedAndToldOnce) {
  Installation inst("unmovable-copy");
  inst.AddSampleMemoData();
  const std::wstring copy = inst.PluginDir() + L"Pinote-DESKTOP-4F2KQ1.dat";
  WriteBytes(copy, "sync@example.com\r\n From the laptop\r\n\r\n");
  HANDLE tool = CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(tool, INVALID_HANDLE_VALUE);
  RunResult r = inst.Run("set msgbox-timeout 700\nopen 0\n" + ShowMemoWindow() +
                         "open 1\nopen 2\nopen 0\nexit\n");
  CloseHandle(tool);
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto boxes = Boxes(r);
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  EXPECT_NE(boxes[0].find("it could not be moved and stays where it is, but it is not merged "
                          "again"),
            std::string::npos)
      << boxes[0];
  const std::string dat = inst.Read(L"PlugIns\\Pinote.dat");
  EXPECT_EQ(dat, SampleDat() + "sync@example.com\r\n From the laptop\r\n\r\n");
  RunResult again = inst.Run("set msgbox-timeout 700\nopen 0\nopen 1\nexit\n");
  ASSERT_FALSE(again.timed_out) << again.Text();
  EXPECT_TRUE(Boxes(again).empty()) << again.Text();
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), dat);
  bool left = true;
  inst.Read(L"PlugIns\\Pinote-DESKTOP-4F2KQ1.dat", &left);
  EXPECT_FALSE(left) << "not moved once it could be";
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.merged\\Pinote-DESKTOP-4F2KQ1.dat"),
            "sync@example.com\r\n From the laptop\r\n\r\n");
}

// The copies two sync tools left beside Pinote.dat are merged at start: memos from both are
// shown, one Pinote.dat holds everyone, the copies are moved (never deleted) and the user is
// told once; the next start has nothing to tell.
TEST(SyncToolCopies, AreMergedAtStartMovedAndToldOnce) {
  Installation inst("sync-copies");
  inst.AddSampleMemoData();
  const std::wstring syncthing = L"Pinote.sync-conflict-20260105-101500-ABCDEF1.dat";
  const std::wstring dropbox = L"Pinote (Taro's conflicted copy 2026-01-06).dat";
  const std::string syncthing_bytes =
      "carol@example.net\r\n Carol - changed on the laptop\r\n\r\n"
      "sync@example.com\r\n From the laptop\r\n\r\n";
  const std::string dropbox_bytes = "bob@example.org\r\n@Important\r\n Bob from Dropbox\r\n\r\n";
  inst.Write(L"PlugIns\\" + syncthing, syncthing_bytes);
  inst.Write(L"PlugIns\\" + dropbox, dropbox_bytes);
  RunResult r = inst.Run("msgbox ok 30000\nopen 1\n" + ShowMemoWindow() + DumpWindow(kMemoWindow) +
                         "open 4\n" + DumpWindow(kMemoWindow) + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto boxes = Boxes(r);
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  const char* told[] = {
      "2 people merged from Pinote.sync-conflict-20260105-101500-ABCDEF1.dat (a Syncthing "
      "conflict copy), moved to",
      "1 person merged from Pinote (Taro's conflicted copy 2026-01-06).dat (a Dropbox conflict "
      "copy), moved to",
      "Pinote.merged"};
  for (const char* t : told) EXPECT_NE(boxes[0].find(t), std::string::npos) << t << "\n" << boxes[0];
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 2u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted("Bob from Dropbox\r\n"));
  EXPECT_EQ(Child(dumps[0], IDC_IMPORTANT_CHECK, "checked"), "1");
  const std::string carol = Child(dumps[1], IDC_MEMO_EDIT, "text");
  EXPECT_NE(carol.find("Carol - sends the invoices"), std::string::npos) << carol;
  EXPECT_NE(carol.find("Carol - changed on the laptop"), std::string::npos) << carol;
  const std::string dat = inst.Read(L"PlugIns\\Pinote.dat");
  for (const char* part : {"alice@example.com\r\n", "tanaka@example.jp\r\n",
                           " Carol - sends the invoices\r\n", " Carol - changed on the laptop\r\n",
                           "sync@example.com\r\n From the laptop\r\n",
                           "bob@example.org\r\n@Important\r\n Bob from Dropbox\r\n"}) {
    EXPECT_NE(dat.find(part), std::string::npos) << part << "\n" << dat;
  }
  bool left = true;
  for (const auto& [name, bytes] : {std::pair{syncthing, syncthing_bytes},
                                    std::pair{dropbox, dropbox_bytes}}) {
    inst.Read(L"PlugIns\\" + name, &left);
    EXPECT_FALSE(left) << "not moved";
    EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.merged\\" + name), bytes) << "not kept as it was";
  }
  RunResult again = inst.Run("open 1\nexit\n");
  ASSERT_FALSE(again.timed_out) << again.Text();
  EXPECT_TRUE(Boxes(again).empty()) << again.Text();
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.dat"), dat);
}

// The same on a Japanese system, in a folder with a Japanese name, with a Dropbox copy named
// after a Japanese user and memos in Shift-JIS: merged, shown, moved, and told in Japanese.
// Wine takes the code page from the Unix locale, so this runs in the code page 932 pass only.
TEST(JapaneseHost, SyncToolCopiesWithJapaneseNamesAreMergedAndToldInJapanese) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932 (LC_ALL=ja_JP.UTF-8)";
  auto sjis = [](const std::wstring& w) {
    int n = WideCharToMultiByte(932, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n - 1), '\0');
    WideCharToMultiByte(932, 0, w.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
  };
  Installation inst("ja-sync-copies", L"ベッキー２");
  inst.AddSampleMemoData();
  const std::wstring dropbox = L"Pinote (田中's conflicted copy 2026-01-06).dat";
  const std::wstring syncthing = L"Pinote.sync-conflict-20260105-101500-ABCDEF1.dat";
  const std::string dropbox_bytes =
      "suzuki@example.jp\r\n" + sjis(L" 鈴木さんのメモ（ノートＰＣから）") + "\r\n\r\n";
  const std::string syncthing_bytes = "carol@example.net\r\n" + sjis(L" 請求書の担当") + "\r\n\r\n";
  inst.Write(L"PlugIns\\" + dropbox, dropbox_bytes);
  inst.Write(L"PlugIns\\" + syncthing, syncthing_bytes);
  RunResult r = inst.Run("msgbox ok 30000\nopen 3\n" + ShowMemoWindow() + DumpWindow(kMemoWindow) +
                             "exit\n",
                         L"/JAPANESE");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto boxes = Boxes(r);
  ASSERT_EQ(boxes.size(), 1u) << r.Text();
  for (const char* t : {"Pinote (田中's conflicted copy 2026-01-06).dat（Dropbox の競合コピー）から "
                        "1 人分のメモを取り込み、元のファイルを次の場所に移しました:",
                        "ベッキー２\\\\PlugIns\\\\Pinote.merged\\\\Pinote (田中's conflicted copy",
                        "（Syncthing の競合コピー）から 1 人分のメモを取り込み"}) {
    EXPECT_NE(boxes[0].find(t), std::string::npos) << t << "\n" << boxes[0];
  }
  auto dumps = WindowDumps(r);
  ASSERT_EQ(dumps.size(), 1u) << r.Text();
  EXPECT_EQ(Child(dumps[0], IDC_MEMO_EDIT, "text"), Quoted("鈴木さんのメモ（ノートＰＣから）\r\n"));
  const std::string dat = inst.Read(L"PlugIns\\Pinote.dat");
  EXPECT_NE(dat.find(dropbox_bytes), std::string::npos) << dat;
  EXPECT_NE(dat.find(sjis(L" 請求書の担当") + "\r\n"), std::string::npos) << dat;
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.merged\\" + dropbox), dropbox_bytes);
  EXPECT_EQ(inst.Read(L"PlugIns\\Pinote.merged\\" + syncthing), syncthing_bytes);
}

}  // namespace
}  // namespace e2e
