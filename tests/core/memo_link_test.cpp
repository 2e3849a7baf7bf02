#include "forms/memo_link.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/mbtext.h"

namespace pinote {

// Failures name the risk.
void PrintTo(LinkRisk risk, std::ostream* out) {
  static const char* const kNames[] = {
      "kNone",         "kParameters",   "kBareName",    "kNetworkPath",
      "kOtherScheme",  "kUnusualName",  "kNotADocument", "kProgramBeside",
      "kShellFolder",  "kUnknownShortcut", "kUnknownPlace"};
  *out << kNames[static_cast<int>(risk)];
}

namespace {

using Kind = LinkSurroundings::Kind;

std::string AsciiUpperForTest(std::string t) {
  for (char& c : t) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return t;
}

TEST(ParseMemoLink, Table) {
  struct Case {
    std::string line;
    std::optional<MemoLink> expected;
  };
  const std::vector<Case> cases = {
      {"", std::nullopt},
      {"no link here", std::nullopt},
      {"!", MemoLink{"", ""}},
      {"  !   ", MemoLink{"", ""}},
      {"contract ! C:\\docs\\contract.txt", MemoLink{"C:\\docs\\contract.txt", ""}},
      {"see!http://example.com/", MemoLink{"http://example.com/", ""}},
      // Only the text after the last "!" counts.
      {"wow! look !notes.txt", MemoLink{"notes.txt", ""}},
      {"a ! b ! c d", MemoLink{"c", "d"}},
      // Unquoted: the first space ends the target; the parameters are trimmed.
      {"!notepad.exe   a.txt  b.txt  ", MemoLink{"notepad.exe", "a.txt  b.txt"}},
      // Quoted target with spaces, then arguments.
      {"tool ! \"C:\\Program Files\\V\\v.exe\" -r x.txt",
       MemoLink{"C:\\Program Files\\V\\v.exe", "-r x.txt"}},
      {"!\"C:\\a b\\c.txt\"", MemoLink{"C:\\a b\\c.txt", ""}},
      {"!\"\"", MemoLink{"", ""}},
      // Unclosed quote: the whole rest is the target, no parameters.
      {"!\"C:\\a b\\c.txt -x", MemoLink{"C:\\a b\\c.txt -x", ""}},
      // Tabs and line ends around the link.
      {"x\t!\tfile.txt\r\n", MemoLink{"file.txt", ""}},
      // Shift-JIS path: "表" ends in 0x5C and is kept whole.
      {"\x95\x5C ! C:\\\x95\x5C\\a.txt", MemoLink{"C:\\\x95\x5C\\a.txt", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto got = ParseMemoLink(c.line);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
      EXPECT_EQ(got->target, c.expected->target);
      EXPECT_EQ(got->parameters, c.expected->parameters);
    }
  }
}

// The step-by-step reading: trim, then while "!" remains take what follows the first one and
// trim again. The one-step rfind must agree with it.
std::string StepwiseRest(std::string s) {
  s = std::string(TrimControls(s));
  while (s.find('!') != std::string::npos) s = std::string(TrimControls(s.substr(s.find('!') + 1)));
  return s;
}

TEST(ParseMemoLink, AgreesWithStepwiseReading) {
  for (const std::string line : {"a!b", " ! ! x y", "!!", "x!  \"q r\" s !t u", "!\t\"z", "a ! "}) {
    SCOPED_TRACE(line);
    const auto got = ParseMemoLink(line);
    ASSERT_TRUE(got.has_value());
    const std::string rest = StepwiseRest(line);
    if (!rest.empty() && rest[0] == '"') {
      EXPECT_EQ(rest.substr(1, got->target.size()), got->target);
    } else {
      EXPECT_EQ(rest.substr(0, got->target.size()), got->target);
      EXPECT_TRUE(rest.size() == got->target.size() || rest[got->target.size()] == ' ');
    }
  }
}

// A computer of a few folders and files, its current folder C:\Users\taro, Z: a network drive.
// Every question the judge asks is noted, so that a test can see what was looked at.
class FakeComputer final : public LinkSurroundings {
 public:
  std::map<std::string, Kind> kinds = {
      {"C:\\", Kind::kFolder},
      {"C:\\Users\\taro\\Documents", Kind::kFolder},
      {"D:\\Projects", Kind::kFolder},
      {"C:\\Windows\\notepad.exe", Kind::kFile},
      {"C:\\Windows\\system32\\cmd.exe", Kind::kFile},
      {"C:\\Windows\\System32\\calc.exe", Kind::kFile},
      {"C:\\Tools\\Setup", Kind::kFolder},
      {"C:\\Tools\\Setup.exe", Kind::kFile},
      {"C:\\Tools\\Help", Kind::kFolder},
      {"C:\\Tools\\Help.lnk", Kind::kFile},
      {"C:\\Bin.{645FF040-5081-101B-9F08-00AA002F954E}", Kind::kFolder},
      {"C:\\Fonts", Kind::kFolder},
      {"C:\\Fonts\\desktop.ini", Kind::kFile},
      {"C:\\Photos", Kind::kFolder},
      {"C:\\Photos\\desktop.ini", Kind::kFile},
      {"C:\\Locked\\a.txt", Kind::kUnknown},
      {"C:\\links\\web.url", Kind::kFile},
      {"C:\\links\\twofaced.url", Kind::kFile},
      {"C:\\links\\utf7.url", Kind::kFile},
      {"C:\\links\\app.url", Kind::kFile},
  };
  std::map<std::string, std::string> files = {
      {"C:\\Fonts\\desktop.ini",
       "[.ShellClassInfo]\r\nCLSID={BD84B380-8CA2-1069-AB1D-08000948F534}\r\n"},
      {"C:\\Photos\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=C:\\x.dll,3\r\n"},
      {"C:\\links\\web.url", "[InternetShortcut]\r\nURL=https://example.org/\r\n"},
      {"C:\\links\\twofaced.url",
       "[InternetShortcut]\r\nURL=https://example.org/\r\n"
       "[InternetShortcut.W]\r\nURL=file:///C:/Windows/notepad.exe\r\n"},
      // The Unicode section's address spells its scheme in UTF-7: "+AGY-ile" is "file".
      {"C:\\links\\utf7.url",
       "[InternetShortcut]\r\nURL=http://example.org/\r\n"
       "[InternetShortcut.W]\r\nURL=+AGY-ile:///C:/Windows/notepad.exe\r\n"},
      {"C:\\links\\app.url", "[InternetShortcut]\r\nURL=ms-appinstaller:?source=x\r\n"},
  };
  std::map<std::string, std::string> variables = {
      {"COMSPEC", "C:\\Windows\\system32\\cmd.exe"},
      {"USERPROFILE", "C:\\Users\\taro"},
      {"HALF", "%COMSPEC%"},
  };
  std::vector<std::string> asked;

  std::optional<std::string> FullPath(const std::string& path) override {
    if (path.size() >= 2 && path[1] == ':') {  // drive-relative
      return std::string(1, path[0]) + ":\\" + path.substr(2);
    }
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return "C:" + path;
    return "C:\\Users\\taro\\" + path;
  }
  bool DriveIsLocal(char letter) override {
    asked.push_back(std::string("drive ") + letter);
    return letter != 'Z';
  }
  Kind KindAt(const std::string& path) override {
    asked.push_back(path);
    const auto it = kinds.find(path);
    return it == kinds.end() ? Kind::kNothing : it->second;
  }
  std::optional<std::string> ReadSmallFile(const std::string& path) override {
    asked.push_back("read " + path);
    const auto it = files.find(path);
    return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::optional<std::string> Variable(std::string_view name) override {
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    const auto it = variables.find(upper);
    return it == variables.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
};

LinkVerdict JudgeLine(const std::string& line, FakeComputer& computer,
                      const CodePage& cp = CodePage::ShiftJis()) {
  const auto link = ParseMemoLink(line);
  return link ? JudgeMemoLink(*link, cp, computer) : LinkVerdict{LinkRisk::kNone, {"?", "?"}};
}

// Every memo line with what it is judged and what the shell would be given ("" : the target
// exactly as written).
TEST(JudgeMemoLink, WhatOpensAtOnceAndWhatAsksFirst) {
  const struct {
    std::string line;
    LinkRisk risk;
    std::string opened;
  } cases[] = {
      // Documents, folders and web and mail addresses open at once.
      {"contract ! C:\\docs\\contract.txt", LinkRisk::kNone, ""},
      {"scan !\"C:\\My Documents\\scan 01.PDF\"", LinkRisk::kNone, ""},
      {"site! HTTPS://example.com/setup.exe", LinkRisk::kNone, ""},  // the browser decides
      {"write ! mailto:taro@example.jp", LinkRisk::kNone, ""},
      {"local ! file:///C:/docs/a.txt", LinkRisk::kNone, "C:\\docs\\a.txt"},
      {"local ! file://localhost/C|/docs/a%20b.txt#page=2", LinkRisk::kNone, "C:\\docs\\a b.txt"},
      {"only a bang !", LinkRisk::kNone, ""},
      {"mine ! C:\\Users\\taro\\Documents", LinkRisk::kNone, ""},
      {"shared ! D:/Projects/", LinkRisk::kNone, "D:\\Projects"},
      {"drive ! C:\\", LinkRisk::kNone, ""},
      {"relative ! docs\\a.txt", LinkRisk::kNone, "C:\\Users\\taro\\docs\\a.txt"},
      {"home ! %UserProfile%\\Documents\\a.pdf", LinkRisk::kNone,
       "C:\\Users\\taro\\Documents\\a.pdf"},
      {"web ! C:\\links\\web.url", LinkRisk::kNone, ""},
      {"photos ! C:\\Photos", LinkRisk::kNone, ""},
      {"\x95\x5C ! C:\\\x95\x5C\\\x8E\x91\x97\xBF.xlsx", LinkRisk::kNone, ""},  // 表\資料.xlsx
      // What Windows drops before it opens: ".", "..", trailing dots, spaces and separators.
      {"x ! C:\\Windows\\notepad.exe\\.", LinkRisk::kNotADocument, "C:\\Windows\\notepad.exe"},
      {"x ! C:\\Windows\\notepad.exe\\x\\..", LinkRisk::kNotADocument, "C:\\Windows\\notepad.exe"},
      {"x ! file:///C:/Windows/notepad.exe/.", LinkRisk::kNotADocument, "C:\\Windows\\notepad.exe"},
      {"x ! %ComSpec%\\.", LinkRisk::kNotADocument, "C:\\Windows\\system32\\cmd.exe"},
      {"x ! \"C:\\Tools\\run.exe. . \"", LinkRisk::kNotADocument, "C:\\Tools\\run.exe"},
      {"x ! C:\\Tools\\\\run.exe\\\\", LinkRisk::kNotADocument, "C:\\Tools\\run.exe"},
      {"x ! C:/Tools/./sub/../run.EXE", LinkRisk::kNotADocument, "C:\\Tools\\run.EXE"},
      // A file: URL's query and fragment are no part of its path; escapes are decoded first.
      {"x ! file:///C:/Windows/notepad.exe#.txt", LinkRisk::kNotADocument,
       "C:\\Windows\\notepad.exe"},
      {"x ! file:///C:/Windows/notepad.exe?.txt", LinkRisk::kNotADocument,
       "C:\\Windows\\notepad.exe"},
      {"x ! file:///C:/run%2Eexe", LinkRisk::kNotADocument, "C:\\run.exe"},
      // Types that are no documents; a name without a type, which the shell completes.
      {"tool ! C:\\Tools\\run.EXE", LinkRisk::kNotADocument, ""},
      {"x ! C:\\Tools\\run", LinkRisk::kNotADocument, ""},
      {"x ! C:\\docs\\a.html", LinkRisk::kNotADocument, ""},
      {"\x95\x5C ! C:\\\x95\x5C\\\x8E\x91\x97\xBF.exe", LinkRisk::kNotADocument, ""},
      // A program the shell tries before the name itself.
      {"calc ! C:\\Windows\\System32\\calc", LinkRisk::kProgramBeside, ""},
      {"x ! C:\\Tools\\Setup", LinkRisk::kProgramBeside, ""},
      {"x ! C:\\Tools\\Help\\", LinkRisk::kProgramBeside, "C:\\Tools\\Help"},
      {"x ! C:\\Bin.{645FF040-5081-101B-9F08-00AA002F954E}", LinkRisk::kShellFolder, ""},
      {"x ! C:\\Fonts", LinkRisk::kShellFolder, ""},
      // Shortcuts: the Unicode section is read first, as the shell reads it.
      {"x ! C:\\links\\twofaced.url", LinkRisk::kUnknownShortcut, ""},
      {"x ! C:\\links\\utf7.url", LinkRisk::kUnknownShortcut, ""},
      {"x ! C:\\links\\app.url", LinkRisk::kUnknownShortcut, ""},
      {"x ! C:\\links\\missing.url", LinkRisk::kUnknownShortcut, ""},
      // Parameters go to programs only; an empty target with parameters too.
      {"view ! \"C:\\Program Files\\V\\v.exe\" -r x.txt", LinkRisk::kParameters, ""},
      {"open ! C:\\a.txt /p", LinkRisk::kParameters, ""},
      {"x ! \"\" C:\\Windows\\System32\\calc.exe", LinkRisk::kParameters, ""},
      // Names the shell would look up on its path.
      {"Great! notepad.exe", LinkRisk::kBareName, ""},
      {"calc ! calc", LinkRisk::kBareName, ""},
      {"x ! ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", LinkRisk::kBareName, ""},
      // Shares, never looked at.
      {"see ! \\\\host\\share\\x.exe", LinkRisk::kNetworkPath, ""},
      {"see ! //host/share/a.txt", LinkRisk::kNetworkPath, "\\\\host\\share\\a.txt"},
      {"see ! \\\\host\\share\\..\\..\\a.txt", LinkRisk::kNetworkPath, "\\\\host\\share\\a.txt"},
      {"see ! file://host/share/a.txt", LinkRisk::kNetworkPath, "\\\\host\\share\\a.txt"},
      {"see ! file:////host/share/a.txt", LinkRisk::kNetworkPath, "\\\\host\\share\\a.txt"},
      {"see ! \\??\\UNC\\host\\share\\x", LinkRisk::kNetworkPath, ""},
      {"see ! \\\\?\\UNC\\host\\share\\x", LinkRisk::kNetworkPath, ""},
      {"see ! \\\\host\\share\\web.url", LinkRisk::kNetworkPath, ""},
      {"see ! Z:\\report.txt", LinkRisk::kNetworkPath, ""},
      // Other schemes.
      {"x ! ms-msdt:/id", LinkRisk::kOtherScheme, ""},
      {"x ! search-ms:query=x", LinkRisk::kOtherScheme, ""},
      {"x ! javascript:alert(1)", LinkRisk::kOtherScheme, ""},
      {"x ! ftp://example.com/a.txt", LinkRisk::kOtherScheme, ""},
      // Streams, devices, namespaces, wildcards, short names, names of dots, a "%" left over.
      {"x ! C:\\a.txt:evil.exe", LinkRisk::kUnusualName, ""},
      {"x ! \\\\?\\C:\\a.txt", LinkRisk::kUnusualName, ""},
      {"x ! \\\\.\\pipe\\x", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\nul.txt", LinkRisk::kUnusualName, ""},
      {"x ! \"C:\\x\\COM1 .log\"", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\a*.txt", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\EVIL~1.APP", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\REPORT~1.TXT", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\...\\a.txt", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\100%.txt", LinkRisk::kUnusualName, ""},
      {"x ! %Half%\\.", LinkRisk::kUnusualName, "C:\\Users\\taro\\%COMSPEC%\\."},
      {"x ! %Nowhere%\\a.txt", LinkRisk::kUnusualName, "C:\\Users\\taro\\%Nowhere%\\a.txt"},
      {"x ! file:///C:/a%00.txt", LinkRisk::kUnusualName, std::string("C:/a\0.txt", 9)},
      // What the file system cannot tell.
      {"x ! C:\\Locked\\a.txt", LinkRisk::kUnknownPlace, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    FakeComputer computer;
    const LinkVerdict v = JudgeLine(c.line, computer);
    EXPECT_EQ(v.risk, c.risk);
    EXPECT_EQ(v.open.target, c.opened.empty() ? ParseMemoLink(c.line)->target : c.opened);
  }
}

// A look at a share connects to its host (and hands it the user's login): nothing on the way to
// a network path is asked of the file system, neither its kind nor a shortcut's content.
TEST(JudgeMemoLink, NeverLooksAtANetworkPath) {
  const struct {
    std::string line;
    std::vector<std::string> asked;
  } cases[] = {
      {"x ! \\\\host\\share\\web.url", {}},
      {"x ! \\\\host\\share\\folder", {}},
      {"x ! //host/share/a.txt", {}},
      {"x ! \\??\\UNC\\host\\share\\a.txt", {}},
      {"x ! \\\\?\\UNC\\host\\share\\a.txt", {}},
      {"x ! \\\\?\\GLOBALROOT\\Device\\Mup\\host\\share\\a.txt", {}},
      {"x ! file://host/share/a.txt", {}},
      {"x ! Z:\\share\\web.url", {"drive Z"}},
      {"x ! \\\\host\\share\\a.txt /p", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    FakeComputer computer;
    EXPECT_NE(JudgeLine(c.line, computer).risk, LinkRisk::kNone);
    EXPECT_EQ(computer.asked, c.asked);
  }
}

// The published lists of dangerous types (Chromium's download protection on Windows, Outlook's
// Level 1 attachments): a file of every one of them asks, in any letter case, also when the file
// is there and nothing is beside it.
TEST(JudgeMemoLink, EveryPublishedDangerousTypeAsks) {
  std::ifstream in(std::string(PINOTE_CORPUS_DIR) + "/dangerous-file-types.tsv", std::ios::binary);
  ASSERT_TRUE(in) << "tests/data/dangerous-file-types.tsv";
  std::string row;
  std::getline(in, row);
  ASSERT_EQ(row, "extension\tchromium_windows_level\toutlook_level1");
  int rows = 0;
  while (std::getline(in, row)) {
    const std::string extension = row.substr(0, row.find('\t'));
    SCOPED_TRACE(extension);
    ++rows;
    for (const std::string& name : {"file." + extension, "FILE." + AsciiUpperForTest(extension)}) {
      FakeComputer computer;
      const std::string path = "C:\\Users\\taro\\Downloads\\" + name;
      computer.kinds[path] = Kind::kFile;
      EXPECT_NE(JudgeMemoLink({path, ""}, CodePage::ShiftJis(), computer).risk, LinkRisk::kNone);
    }
    EXPECT_FALSE(IsDocumentExtension(extension));
  }
  EXPECT_EQ(rows, 163);
  // Types Windows runs or installs that neither list names.
  for (const char* extension : {"searchConnector-ms", "wsb", "pyz", "pyzw", "appx", "appxbundle",
                                "msix", "msixbundle", "appinstaller", "msu", "docm", "xlsm",
                                "pptm", "library-ms", "diagcab", "hta", "svg", "zip"}) {
    FakeComputer computer;
    EXPECT_NE(JudgeLine(std::string("x ! C:\\x\\a.") + extension, computer).risk, LinkRisk::kNone)
        << extension;
  }
}

// The same lines on the code pages of a Western, a UTF-8 and a Japanese system: "é" is a
// character of its own on 1252, a well-formed two-byte one on UTF-8, and on 932 a lead byte that
// takes the "." after it (so no extension is seen, and nothing opens at once).
TEST(JudgeMemoLink, AccentedNamesOnEachCodePage) {
  const struct {
    uint32_t codePage;
    std::string target;
    LinkRisk risk;
  } cases[] = {
      {1252, "C:\\Caf\xE9\\CV.r\xE9sum\xE9.exe", LinkRisk::kNotADocument},
      {1252, "C:\\Caf\xE9\\CV.r\xE9sum\xE9.pdf", LinkRisk::kNone},
      {1252, "C:\\Caf\xE9\\", LinkRisk::kNone},
      {65001, "C:\\Caf\xC3\xA9\\CV.r\xC3\xA9sum\xC3\xA9.exe", LinkRisk::kNotADocument},
      {65001, "C:\\Caf\xC3\xA9\\CV.r\xC3\xA9sum\xC3\xA9.pdf", LinkRisk::kNone},
      {65001, "C:\\x\\\xE3\x81\x81.exe", LinkRisk::kNotADocument},  // ぁ ends in 0x81
      {932, "C:\\Caf\xE9\\CV.r\xE9sum\xE9.pdf", LinkRisk::kNotADocument},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.codePage) + " " + c.target);
    FakeComputer computer;
    computer.kinds["C:\\Caf\xE9"] = Kind::kFolder;
    const LinkVerdict v = JudgeMemoLink({c.target, ""}, CodePage::Known(c.codePage), computer);
    EXPECT_EQ(v.risk, c.risk);
  }
}

TEST(UrlShortcutAddress, ReadsTheUnicodeSectionFirst) {
  const struct {
    std::string text;
    std::optional<std::string> address;
  } cases[] = {
      {"[InternetShortcut]\r\nURL=https://example.com/\r\n", "https://example.com/"},
      {"[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n[internetshortcut]\nIconIndex=0\n"
       " url = file:///C:/x.exe \n",
       "file:///C:/x.exe"},
      {"[Other]\r\nURL=http://a/\r\n[InternetShortcut]\r\nURL=file:///b\r\nURL=http://c/\r\n",
       "file:///b"},
      // Only the first section of a name counts, as the profile functions read it.
      {"[InternetShortcut]\r\nX=1\r\n[InternetShortcut]\r\nURL=http://a/\r\n", std::nullopt},
      {"[InternetShortcut]\r\nURL=\"file:///C:/x.exe\"\r\n", "file:///C:/x.exe"},
      {"[InternetShortcut.W]\r\nURL=file:///C:/x.exe\r\n[InternetShortcut]\r\nURL=http://a/\r\n",
       "file:///C:/x.exe"},
      {"[InternetShortcut]\r\nURL=http://a/\r\n[InternetShortcut.W]\r\nURL=http://caf+AOk-/+-1\r\n",
       "http://caf\xC3\xA9/+1"},
      {"[InternetShortcut]\r\nURL=http://a/\r\n[InternetShortcut.W]\r\nX=1\r\n", "http://a/"},
      {"URL=http://a/\r\n", std::nullopt},
      {std::string("[InternetShortcut]\r\n\0URL=http://a/\r\n", 36), std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(UrlShortcutAddress(c.text), c.address);
  }
}

}  // namespace
}  // namespace pinote
