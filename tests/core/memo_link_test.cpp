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
  *out << std::vector<const char*>{"kNone", "kParameters", "kBareName", "kNetworkPath",
                                   "kOtherScheme", "kUnusualName", "kNotADocument",
                                   "kProgramBeside", "kShellFolder", "kUnknownShortcut",
                                   "kUnknownPlace"}[static_cast<size_t>(risk)];
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
  // Path -> "/" for a folder, "?" where the file system gives no answer, else a file's content.
  std::map<std::string, std::string> disk = {
      {"C:\\", "/"},
      {"E:\\", "/"},
      {"E:\\autorun.inf", "[autorun]\r\nopen=setup.exe\r\n"},
      {"C:\\Users\\taro\\Documents", "/"},
      {"D:\\Projects", "/"},
      {"C:\\Windows\\notepad.exe", "MZ"},
      {"C:\\Windows\\System32\\calc.exe", "MZ"},
      {"C:\\Tools\\Setup", "/"},
      {"C:\\Tools\\Setup.exe", "MZ"},
      {"C:\\Bin.{645FF040-5081-101B-9F08-00AA002F954E}", "/"},
      {"C:\\Fonts", "/"},
      {"C:\\Fonts\\desktop.ini",
       "[.ShellClassInfo]\r\nCLSID={BD84B380-8CA2-1069-AB1D-08000948F534}\r\n"},
      {"C:\\Locked\\a.txt", "?"},
      {"C:\\links\\web.url", "[InternetShortcut]\r\nURL=https://example.org/\r\n"},
      {"C:\\links\\twofaced.url", "[InternetShortcut]\r\nURL=https://example.org/\r\n"
                                "[InternetShortcut.W]\r\nURL=file:///C:/Windows/notepad.exe\r\n"},
  };
  std::vector<std::string> asked;

  std::optional<std::string> FullPath(const std::string& path) override {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\" + path.substr(2);
    return (path[0] == '\\' || path[0] == '/' ? "C:" : "C:\\Users\\taro\\") + path;
  }
  bool DriveIsLocal(char letter) override {
    asked.push_back(std::string("drive ") + letter);
    return letter != 'Z';
  }
  Kind KindAt(const std::string& path) override {
    asked.push_back(path);
    const auto it = disk.find(path);
    if (it == disk.end()) return Kind::kNothing;
    return it->second == "/" ? Kind::kFolder : it->second == "?" ? Kind::kUnknown : Kind::kFile;
  }
  std::optional<std::string> ReadSmallFile(const std::string& path) override {
    asked.push_back("read " + path);
    const auto it = disk.find(path);
    return it == disk.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::optional<std::string> Variable(std::string_view name) override {
    const std::string upper = AsciiUpperForTest(std::string(name));
    if (upper == "COMSPEC") return std::string("C:\\Windows\\system32\\cmd.exe");
    if (upper == "USERPROFILE") return std::string("C:\\Users\\taro");
    return std::nullopt;
  }
};

LinkVerdict JudgeLine(const std::string& line, FakeComputer& computer) {
  return JudgeMemoLink(ParseMemoLink(line).value_or(MemoLink{}), CodePage::ShiftJis(), computer);
}

// Every memo line with what it is judged and what the shell would be given ("": the target
// exactly as written). Nothing is asked of the disk about a share (the look itself would connect
// to the host and hand it the user's login), a namespace path, another scheme or a target with
// parameters; what opens at once is a form Windows leaves as it is: judged again, it is the same.
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
      {"relative ! docs\\a.txt", LinkRisk::kNone, "C:\\Users\\taro\\docs\\a.txt"},
      {"home ! %UserProfile%\\Documents\\a.pdf", LinkRisk::kNone,
       "C:\\Users\\taro\\Documents\\a.pdf"},
      {"web ! C:\\links\\web.url", LinkRisk::kNone, ""},
      {"\x95\x5C ! C:\\\x95\x5C\\\x8E\x91\x97\xBF.xlsx", LinkRisk::kNone, ""},  // 表\資料.xlsx
      // What Windows drops before it opens: ".", "..", trailing dots, spaces and separators.
      {"x ! C:\\Windows\\notepad.exe\\.", LinkRisk::kNotADocument, "C:\\Windows\\notepad.exe"},
      {"x ! C:\\Windows\\notepad.exe\\x\\..", LinkRisk::kNotADocument, "C:\\Windows\\notepad.exe"},
      {"x ! file:///C:/Windows/notepad.exe/.", LinkRisk::kNotADocument, "C:\\Windows\\notepad.exe"},
      {"x ! %ComSpec%\\.", LinkRisk::kNotADocument, "C:\\Windows\\system32\\cmd.exe"},
      {"x ! \"C:\\Tools\\run.exe. . \"", LinkRisk::kNotADocument, "C:\\Tools\\run.exe"},
      {"x ! C:/Tools/./sub/../\\run.EXE\\", LinkRisk::kNotADocument, "C:\\Tools\\run.EXE"},
      // A file: URL's query and fragment are no part of its path; escapes are decoded first.
      {"x ! file:///C:/Windows/notepad.exe#.txt", LinkRisk::kNotADocument,
       "C:\\Windows\\notepad.exe"},
      {"x ! file:///C:/Windows/notepad.exe?.txt", LinkRisk::kNotADocument,
       "C:\\Windows\\notepad.exe"},
      {"x ! file:///C:/run%2Eexe", LinkRisk::kNotADocument, "C:\\run.exe"},
      // Types that are no documents; a name without a type, which the shell completes.
      {"x ! C:\\Tools\\run", LinkRisk::kNotADocument, ""},
      {"x ! C:\\docs\\a.html", LinkRisk::kNotADocument, ""},
      {"\x95\x5C ! C:\\\x95\x5C\\\x8E\x91\x97\xBF.exe", LinkRisk::kNotADocument, ""},
      // A program the shell tries before the name itself; folders that are shell objects.
      {"calc ! C:\\Windows\\System32\\calc", LinkRisk::kProgramBeside, ""},
      {"x ! C:\\Tools\\Setup\\", LinkRisk::kProgramBeside, "C:\\Tools\\Setup"},
      {"x ! C:\\Bin.{645FF040-5081-101B-9F08-00AA002F954E}", LinkRisk::kShellFolder, ""},
      {"x ! C:\\Fonts", LinkRisk::kShellFolder, ""},
      {"x ! E:\\", LinkRisk::kShellFolder, ""},
      {"x ! C:\\", LinkRisk::kNone, ""},
      // Shortcuts: the Unicode section is read first, as the shell reads it.
      {"x ! C:\\links\\twofaced.url", LinkRisk::kUnknownShortcut, ""},
      {"x ! C:\\links\\missing.url", LinkRisk::kUnknownShortcut, ""},
      // Parameters go to programs only; an empty target with parameters too.
      {"view ! \"C:\\Program Files\\V\\v.exe\" -r x.txt", LinkRisk::kParameters, ""},
      {"open ! \\\\host\\share\\a.txt /p", LinkRisk::kParameters, ""},
      {"x ! \"\" C:\\Windows\\System32\\calc.exe", LinkRisk::kParameters, ""},
      // Names the shell would look up on its path.
      {"Great! notepad.exe", LinkRisk::kBareName, ""},
      {"x ! ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", LinkRisk::kBareName, ""},
      // Shares and network drives.
      {"see ! \\\\host\\share\\x.exe", LinkRisk::kNetworkPath, ""},
      {"see ! \\\\host\\share\\web.url", LinkRisk::kNetworkPath, ""},
      {"see ! //host/share/../a.txt", LinkRisk::kNetworkPath, "\\\\host\\share\\a.txt"},
      {"see ! file://host/share/a.txt", LinkRisk::kNetworkPath, "\\\\host\\share\\a.txt"},
      {"see ! \\??\\UNC\\host\\share\\x", LinkRisk::kNetworkPath, ""},
      {"see ! \\\\?\\UNC\\host\\share\\x", LinkRisk::kNetworkPath, ""},
      {"see ! Z:\\web.url", LinkRisk::kNetworkPath, ""},
      // Other schemes.
      {"x ! ms-msdt:/id", LinkRisk::kOtherScheme, ""},
      {"x ! search-ms:query=x", LinkRisk::kOtherScheme, ""},
      {"x ! ftp://example.com/a.txt", LinkRisk::kOtherScheme, ""},
      // Streams, devices, namespaces, wildcards, short names, names of dots, a "%" left over.
      {"x ! C:\\a.txt:evil.exe", LinkRisk::kUnusualName, ""},
      {"x ! \\\\?\\GLOBALROOT\\Device\\Mup\\host\\share\\a.txt", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\nul.txt", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\a*.txt", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\EVIL~1.APP", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\REPORT~1.TXT", LinkRisk::kUnusualName, ""},
      {"x ! C:\\x\\...\\a.txt", LinkRisk::kUnusualName, ""},
      {"x ! %Nowhere%\\a.txt", LinkRisk::kUnusualName, "C:\\Users\\taro\\%Nowhere%\\a.txt"},
      // What the file system cannot tell.
      {"x ! C:\\Locked\\a.txt", LinkRisk::kUnknownPlace, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    FakeComputer computer;
    const LinkVerdict v = JudgeLine(c.line, computer);
    EXPECT_EQ(v.risk, c.risk);
    EXPECT_EQ(v.open.target, c.opened.empty() ? ParseMemoLink(c.line)->target : c.opened);
    if (c.risk == LinkRisk::kNetworkPath || c.risk == LinkRisk::kParameters ||
        c.risk == LinkRisk::kOtherScheme || c.risk == LinkRisk::kUnusualName) {
      for (const std::string& q : computer.asked) EXPECT_EQ(q.rfind("drive ", 0), 0u) << q;
    }
    if (c.risk == LinkRisk::kNone) {
      const LinkVerdict again = JudgeMemoLink(v.open, CodePage::ShiftJis(), computer);
      EXPECT_EQ(again.risk, LinkRisk::kNone);
      EXPECT_EQ(again.open, v.open);
    }
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
      computer.disk[path] = "file";
      EXPECT_NE(JudgeMemoLink({path, ""}, CodePage::ShiftJis(), computer).risk, LinkRisk::kNone);
    }
    EXPECT_FALSE(IsDocumentExtension(extension));
  }
  EXPECT_EQ(rows, 163);
  // Types Windows runs or installs that neither list names.
  for (const char* extension : {"searchConnector-ms", "wsb", "pyz", "pyzw", "appx", "appxbundle",
                                "msix", "msixbundle", "appinstaller", "msu", "docm", "xlsm",
                                "pptm", "library-ms", "diagcab", "svg", "zip"}) {
    FakeComputer computer;
    EXPECT_NE(JudgeLine(std::string("x ! C:\\x\\a.") + extension, computer).risk, LinkRisk::kNone)
        << extension;
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
