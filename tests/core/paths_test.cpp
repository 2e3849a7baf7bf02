#include "common/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/mbtext.h"

namespace pinote {
namespace {

// A disk that matches names without regard to case, like Windows, and records the lookups.
struct FakeDisk {
  struct Node {
    std::string name;
    bool folder, hidden;
  };
  std::map<std::string, Node> nodes;  // upper-cased full path -> stored name
  std::vector<std::string> asked;

  void Add(const std::string& parent, const std::string& name, bool folder, bool hidden = false) {
    nodes[UpperAnsi(parent + "\\" + name, CodePage::ShiftJis())] = {name, folder, hidden};
  }
  DirLookup Lookup() {
    return [this](const std::string& path, bool includeHidden) -> std::optional<DirEntry> {
      asked.push_back(path);
      auto it = nodes.find(UpperAnsi(path, CodePage::ShiftJis()));
      if (it == nodes.end() || (it->second.hidden && !includeHidden)) return std::nullopt;
      return DirEntry{it->second.name, it->second.folder};
    };
  }
};

TEST(ResolveLongPath, StoredNamesAndStops) {
  FakeDisk disk;
  disk.Add("C:", "Becky!", true);
  disk.Add("C:\\Becky!", "Plugins", true);
  disk.Add("C:\\Becky!\\Plugins", "PINOTE.DLL", false);
  disk.Add("C:\\Becky!\\Plugins", "Sub", true);
  disk.Add("C:", "Hidden", true, true);
  disk.Add("C:\\Hidden", "x.txt", false);
  disk.Add("C:\\Becky!\\Plugins", "secret.ini", false, true);
  disk.Add("C:", "\x95\x5C", true);  // "表": second byte is "\"
  disk.Add("C:\\\x95\x5C", "Memo.txt", false);
  struct Case {
    std::string in, out;
  } cases[] = {
      {"c:\\BECKY!\\PLUGINS\\pinote.dll", "c:\\Becky!\\Plugins\\PINOTE.DLL"},
      {"C:\\becky!\\plugins\\sub", "C:\\Becky!\\Plugins\\Sub\\"},
      {"C:\\becky!\\plugins\\", "C:\\Becky!\\Plugins\\"},
      {"C:\\becky!\\missing\\pinote.dll", "C:\\Becky!\\"},
      {"C:\\becky!\\plugins\\missing.dll", "C:\\Becky!\\Plugins\\"},
      {"C:\\Hidden\\x.txt", "C:\\"},  // a hidden folder on the way stops the walk
      {"C:\\becky!\\plugins\\SECRET.INI", "C:\\Becky!\\Plugins\\secret.ini"},  // last: any
      {"C:\\\x95\x5C\\memo.TXT", "C:\\\x95\x5C\\Memo.txt"},
      {"Pinote.dll", ""},
      {"", ""},
      {"C:\\", "C:\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ResolveLongPath(c.in, disk.Lookup(), CodePage::ShiftJis()), c.out);
  }
}

TEST(ResolveLongPath, NeverSplitsADoubleByteName) {
  FakeDisk disk;
  disk.Add("C:", "\x95\x5C", true);
  disk.Add("C:\\\x95\x5C", "Memo.txt", false);
  (void)ResolveLongPath("C:\\\x95\x5C\\memo.txt", disk.Lookup(), CodePage::ShiftJis());
  const std::vector<std::string> expected = {"C:\\\x95\x5C", "C:\\\x95\x5C\\memo.txt"};
  EXPECT_EQ(disk.asked, expected);
}

TEST(PathNames, DerivedFromLibraryPath) {
  struct Case {
    std::string dll, folder, data, legacy, settingsToData;
  } cases[] = {
      {"C:\\x\\Pinote.dll", "C:\\x\\", "C:\\x\\Pinote.dat", "C:\\x\\Pinotedat",
       "C:\\x\\Pinote.dat"},
      {"C:\\x.y\\PINOTE", "C:\\x.y\\", "C:\\x.y\\PINOTE.dat", "C:\\x.y\\PINOTEdat",
       "C:\\x.y\\PINdat"},
      {"C:Pinote.dll", "C:", "C:Pinote.dat", "C:Pinotedat", "C:Pinote.dat"},
      {"\x95\x5C.dll", "", "\x95\x5C.dat", "\x95\x5C" "dat", "\x95\x5C.dat"},
      {"", "", ".dat", "dat", "dat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dll);
    EXPECT_EQ(FolderOf(c.dll, CodePage::ShiftJis()), c.folder);
    EXPECT_EQ(DataPathFor(c.dll, CodePage::ShiftJis()), c.data);
    EXPECT_EQ(LegacyDataPathFor(c.dll, CodePage::ShiftJis()), c.legacy);
    EXPECT_EQ(DataPathFromSettingsPath(c.dll, CodePage::ShiftJis()), c.settingsToData);
  }
  EXPECT_EQ(ChangeFileExt("a.b.c", ".x", CodePage::ShiftJis()), "a.b.x");
  EXPECT_EQ(ChangeFileExt("dir.d\\file", ".x", CodePage::ShiftJis()), "dir.d\\file.x");
}

// 表 (95 5C), ソ (83 5C) and 能 (94 5C) end in the byte of "\\"; a lone lead byte at the end of
// a text is a character of its own.
TEST(SplitAtLastSeparator, WalksByCharacter) {
  struct Case {
    std::string path, folder, name;
  } cases[] = {
      {"C:\\Becky\\PlugIns\\Pinote.dll", "C:\\Becky\\PlugIns\\", "Pinote.dll"},
      {"C:\\\x95\x5C\x83\x5C\x94\x5C", "C:\\", "\x95\x5C\x83\x5C\x94\x5C"},
      {"C:\\\x95\x5C\x83\x5C\x94\x5C\\PlugIns\\Pinote.dll",
       "C:\\\x95\x5C\x83\x5C\x94\x5C\\PlugIns\\", "Pinote.dll"},
      {"C:\\\x94\x5C\\", "C:\\\x94\x5C\\", ""},
      {"C:\\dir\\name\x81", "C:\\dir\\", "name\x81"},
      {"\x81", "", "\x81"},
      {"\x81\\", "", "\x81\\"},  // the lead byte takes the "\\" as its second byte
      {"Pinote.dll", "", "Pinote.dll"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const PathSplit split = SplitAtLastSeparator(c.path, "\\", CodePage::ShiftJis());
    EXPECT_EQ(split.folder, c.folder);
    EXPECT_EQ(split.name, c.name);
  }
  EXPECT_EQ(SplitAtLastSeparator("C:a.b", "\\:", CodePage::ShiftJis()).name, "a.b");
  // A lead byte takes the byte after it, whatever it is: 83 2E is one character.
  EXPECT_EQ(SplitAtLastSeparator("a\x83.b", ".", CodePage::ShiftJis()).name, "a\x83.b");
}

TEST(PathNames, JapaneseFolderNames) {
  const std::string dir = "C:\\\x95\x5C\x83\x5C\x94\x5C\\";  // C:\表ソ能\ .
  EXPECT_EQ(FolderOf(dir + "Pinote.dll", CodePage::ShiftJis()), dir);
  EXPECT_EQ(DataPathFor(dir + "Pinote.dll", CodePage::ShiftJis()), dir + "Pinote.dat");
  EXPECT_EQ(ChangeFileExt("C:\\\x94\x5C", ".ini", CodePage::ShiftJis()), "C:\\\x94\x5C.ini");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\\x94\x5C", ".x", CodePage::ShiftJis()), "C:\\a.b\\\x94\x5C.x");
  EXPECT_EQ(FolderOf("C:\\x\\name\x81", CodePage::ShiftJis()), "C:\\x\\");
}

TEST(ResolveLongPath, JapaneseNamesAndALoneLeadByteAtTheEnd) {
  FakeDisk disk;
  disk.Add("C:", "\x95\x5C\x83\x5C\x94\x5C", true);
  disk.Add("C:\\\x95\x5C\x83\x5C\x94\x5C", "PlugIns", true);
  disk.Add("C:\\\x95\x5C\x83\x5C\x94\x5C\\PlugIns", "Pinote.dll", false);
  disk.Add("C:", "x\x81", false);
  struct Case {
    std::string in, out;
  } cases[] = {
      {"C:\\\x95\x5C\x83\x5C\x94\x5C\\plugins\\PINOTE.DLL",
       "C:\\\x95\x5C\x83\x5C\x94\x5C\\PlugIns\\Pinote.dll"},
      {"C:\\\x95\x5C\x83\x5C\x94\x5C", "C:\\\x95\x5C\x83\x5C\x94\x5C\\"},
      {"C:\\X\x81", "C:\\x\x81"},
      {"C:\\missing\x81", "C:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ResolveLongPath(c.in, disk.Lookup(), CodePage::ShiftJis()), c.out);
  }
}

TEST(ChooseHelpFile, HlpFirstThenTheHtmlOfTheLanguageThenTheOther) {
  const std::string dir = "C:\\Becky\\\x95\x5C\\PlugIns\\";  // a folder named 表 (second byte 0x5C)
  const std::string jh = dir + "Pinote.hlp", eh = dir + "PinoteE.hlp";
  const std::string jw = dir + "Pinote.html", ew = dir + "PinoteE.html";
  struct Case {
    bool japanese;
    std::set<std::string> present;
    std::string opened;  // "": the message
  } cases[] = {
      {false, {jh, eh, jw, ew}, eh},
      {false, {jh, jw, ew}, jh},  // a WinHelp file where one exists, even the other language's
      {false, {jw, ew}, ew},
      {false, {jw}, jw},
      {false, {ew}, ew},
      {false, {}, ""},
      {true, {jh, eh, jw, ew}, jh},
      {true, {eh, jw, ew}, jw},
      {true, {eh, ew}, ew},
      {true, {eh}, ""},  // the English WinHelp file is never opened in Japanese
      {true, {jw}, jw},
      {true, {}, ""},
  };
  const std::vector<std::string> order[] = {{eh, jh, ew, jw}, {jh, jw, ew}};
  for (const auto& c : cases) {
    std::string trace = c.japanese ? "ja:" : "en:";
    for (const auto& p : c.present) trace += " " + FileNameOf(p, CodePage::ShiftJis());
    SCOPED_TRACE(trace);
    const HelpChoice h = ChooseHelpFile(dir, c.japanese,
                                        [&](const std::string& p) { return c.present.count(p) > 0; });
    EXPECT_EQ(h.fileToOpen, c.opened);
    // Looked for in order, up to the one opened.
    const std::vector<std::string>& all = order[c.japanese];
    const auto end = c.opened.empty() ? all.end() : std::find(all.begin(), all.end(), c.opened) + 1;
    EXPECT_EQ(h.tried, std::vector<std::string>(all.begin(), end));
  }
}

// The message names every file tried, in the order tried, each converted on its own.
TEST(MissingHelpText, NamesEveryFileTried) {
  const std::string dir = "C:\\\x83\x5C\\";  // ソ
  const auto marked = [](const std::string& path) { return "<" + path + ">"; };
  struct Case {
    bool japanese;
    std::string text;
  } cases[] = {
      {true,
       "<" + dir + "Pinote.hlp> がありません\r\n<" + dir + "Pinote.html> がありません\r\n<" + dir +
           "PinoteE.html> がありません"},
      {false,
       "<" + dir + "PinoteE.hlp>\r\nnor\r\n<" + dir + "Pinote.hlp>\r\nnor\r\n<" + dir +
           "PinoteE.html>\r\nnor\r\n<" + dir + "Pinote.html>\r\nis not found."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.japanese);
    const HelpChoice h = ChooseHelpFile(dir, c.japanese, [](const std::string&) { return false; });
    const std::string text = MissingHelpText(h, c.japanese, marked);
    EXPECT_EQ(text, c.text);
    for (const std::string& path : h.tried) {
      EXPECT_NE(text.find(marked(path)), std::string::npos) << path;
    }
  }
}

}  // namespace
}  // namespace pinote
