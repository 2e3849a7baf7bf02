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

}  // namespace
}  // namespace pinote
