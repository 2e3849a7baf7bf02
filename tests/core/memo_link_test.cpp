#include "forms/memo_link.h"

#include <gtest/gtest.h>

#include "common/mbtext.h"

#include <optional>
#include <string>
#include <vector>

namespace pinote {
namespace {

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

TEST(ClassifyMemoLink, MemoLinesThatOpenAtOnceOrAskFirst) {
  const struct {
    std::string line;
    LinkRisk risk;
  } cases[] = {
      // Documents, folders and web addresses open at once, as they always did.
      {"contract ! C:\\docs\\contract.txt", LinkRisk::kNone},
      {"scan !\"C:\\My Documents\\scan 01.PDF\"", LinkRisk::kNone},
      {"shared folder ! D:\\Projects\\", LinkRisk::kNone},
      {"relative ! docs\\a.txt", LinkRisk::kNone},
      {"site! HTTPS://example.com/setup.exe", LinkRisk::kNone},  // the browser decides
      {"write ! mailto:taro@example.jp", LinkRisk::kNone},
      {"local ! file:///C:/docs/a.txt", LinkRisk::kNone},
      {"only a bang !", LinkRisk::kNone},
      // Shift-JIS: 表 ends in 0x5C, which is no folder separator there.
      {"\x95\x5C ! C:\\\x95\x5C\\\x8E\x91\x97\xBF.xls", LinkRisk::kNone},
      {"\x95\x5C ! C:\\\x95\x5C\\\x8E\x91\x97\xBF.exe", LinkRisk::kProgram},
      // Programs by extension, in any case, also behind the trailing dots Windows ignores.
      {"tool ! C:\\Tools\\run.EXE", LinkRisk::kProgram},
      {"tool ! \"C:\\Tools\\run.exe. .\"", LinkRisk::kProgram},
      {"x ! file:///C:/Tools/run.exe", LinkRisk::kProgram},
      {"x ! C:\\links\\site.url", LinkRisk::kUnknownShortcut},
      {"view ! \"C:\\Program Files\\V\\v.exe\" -r x.txt", LinkRisk::kParameters},
      {"open ! C:\\a.txt /p", LinkRisk::kParameters},
      // Names the shell would look up on its path, and paths it would try program types for.
      {"Great! notepad.exe", LinkRisk::kBareName},
      {"calc ! calc", LinkRisk::kBareName},
      {"x ! C:\\Windows\\System32\\calc", LinkRisk::kNoExtension},
      {"see ! \\\\host\\share\\x.exe", LinkRisk::kNetworkPath},
      {"see ! //host/share/a.txt", LinkRisk::kNetworkPath},
      {"see ! file://host/share/a.txt", LinkRisk::kNetworkPath},
      {"x ! ms-msdt:/id", LinkRisk::kOtherScheme},
      {"x ! search-ms:query=x", LinkRisk::kOtherScheme},
      {"x ! javascript:alert(1)", LinkRisk::kOtherScheme},
      {"x ! C:\\a.txt:evil.exe", LinkRisk::kUnusualName},
      {"x ! \\\\?\\C:\\a.txt", LinkRisk::kUnusualName},
      {"x ! ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", LinkRisk::kUnusualName},
      {"x ! file:///C:/run%2Eexe", LinkRisk::kUnusualName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const auto link = ParseMemoLink(c.line);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(ClassifyMemoLink(*link), c.risk);
  }
  for (const char* type : {"bat", "Cmd", "ps1", "psm1", "vbs", "vbe", "js", "jse", "wsf", "wsh",
                           "hta", "scr", "pif", "msi", "msp", "cpl", "jar", "reg", "lnk", "com"}) {
    EXPECT_EQ(ClassifyMemoLink({std::string("C:\\a\\b.") + type, ""}), LinkRisk::kProgram) << type;
  }
}

TEST(ClassifyMemoLink, WhatTheCallerKnowsOfFoldersAndShortcuts) {
  const struct {
    std::string target;
    LinkFacts facts;
    LinkRisk risk;
  } cases[] = {
      {"C:\\Users\\taro\\Documents", {true, std::nullopt}, LinkRisk::kNone},
      {"C:\\Users\\taro\\Documents", {false, std::nullopt}, LinkRisk::kNoExtension},
      {"Documents", {true, std::nullopt}, LinkRisk::kBareName},  // found on the path all the same
      {"\\\\host\\share", {true, std::nullopt}, LinkRisk::kNetworkPath},
      {"C:\\l\\a.url", {false, "http://example.com/"}, LinkRisk::kNone},
      {"C:\\l\\a.URL", {false, " Mailto:x@example.jp"}, LinkRisk::kNone},
      {"C:\\l\\a.url", {false, "file:///C:/Windows/System32/calc.exe"},
       LinkRisk::kUnknownShortcut},
      {"C:\\l\\a.url", {false, ""}, LinkRisk::kUnknownShortcut},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(ClassifyMemoLink(MemoLink{c.target, ""}, c.facts), c.risk);
  }
}

TEST(UrlShortcutAddress, ReadsTheUrlLineOfItsSection) {
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
