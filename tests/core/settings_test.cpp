#include "common/settings.h"
#include "common/text_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "fake_file_system.h"

namespace pinote {
namespace {

using pinote::testing::FakeFileSystem;

const std::string kDll = "C:\\Becky\\PlugIns\\Pinote.dll";
const std::string kIni = "C:\\Becky\\PlugIns\\Pinote.ini";

// A store over a fake disk holding `content` as the settings file (none when nullptr).
struct Fixture {
  explicit Fixture(const char* content) {
    if (content) fs.files[kIni] = content;
  }
  SettingsStore NewStore() {
    return SettingsStore(fs, [] { return kDll; }, CodePage::ShiftJis());
  }
  FakeFileSystem fs;
};

TEST(EscapeText, Table) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"50%", "50%%"},
      {"a\r\nb", "a%0D%0Ab"},
      {"\t", "%09"},
      {std::string("\0x", 2), "%00x"},
      {"\x1F ", "%1F "},
      {"\x83\x5C%", "\x83\x5C%%"},  // "ソ" copied whole
      {"\x83%", "\x83%"},          // a lead byte takes "%" as its second byte
      {"\x83\n", "%83%0A"},        // a lead byte never swallows a line break
      {"x\x83", "x\x83"},
      {"\x7F\xFF", "\x7F\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(EscapeText(c.in, CodePage::ShiftJis()), c.out);
  }
}

TEST(UnescapeText, Table) {
  struct Case {
    std::string in;
    std::optional<std::string> out;
  } cases[] = {
      {"", std::string()},
      {"%%", std::string("%")},
      {"%0D%0a", std::string("\r\n")},
      {"%4", std::string("\x04")},
      {"a%41b", std::string("aAb")},
      {"%", std::nullopt},
      {"abc%", std::nullopt},
      {"%G1", std::nullopt},
      {"%1G", std::nullopt},
      {"%\x83\x5C", std::nullopt},  // a double-byte character is no hexadecimal digit
      {"\x83%41", std::string("\x83%41")},  // "%" here is the second byte of a character
      {"%FF", std::string("\xFF")},
      {"%00", std::string(1, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(UnescapeText(c.in, CodePage::ShiftJis()), c.out);
    // Appended after what is there; a conversion error leaves that as it was.
    std::string out = "kept";
    EXPECT_EQ(AppendUnescaped(c.in, out, CodePage::ShiftJis()), c.out.has_value());
    EXPECT_EQ(out, "kept" + c.out.value_or(""));
  }
}

TEST(EscapeText, RoundTripsRandomBytesOnOneLine) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255), len(0, 24);
  for (int round = 0; round < 5000; ++round) {
    std::string t(len(rng), '\0');
    for (char& c : t) c = static_cast<char>(byte(rng));
    const std::string e = EscapeText(t, CodePage::ShiftJis());
    for (char c : e) ASSERT_GE(static_cast<unsigned char>(c), 0x20) << "control byte in escape";
    const auto back = UnescapeText(e, CodePage::ShiftJis());
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(*back, t);
  }
}

TEST(ParseInteger, Table) {
  struct Case {
    std::string in;
    std::optional<int32_t> out;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"-7", -7},
      {"+7", 7},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"999999999", 999999999},
      {"0000000000042", 42},
      {"12345678x9", std::nullopt},
      {"123456789x", std::nullopt},
      {"$1F", 31},
      {"$ffffffff", -1},
      {"$80000000", INT32_MIN},
      {"$100000000", std::nullopt},
      {"$", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"1.0", std::nullopt},
      {"12a", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ParseInteger(c.in), c.out);
  }
}

TEST(FormatDate, FixedPattern) {
  EXPECT_EQ(FormatDate(SettingDate{2024, 2, 9, 7, 5, 3}), "2024/02/09 07:05:03");
  EXPECT_EQ(FormatDate(SettingDate{}), "1899/12/30 00:00:00");
}

TEST(ParseDate, DateWithOptionalTime) {
  struct Case {
    std::string in;
    std::optional<SettingDate> out;
  } cases[] = {
      {"2024/02/09 07:05:03", SettingDate{2024, 2, 9, 7, 5, 3}},
      {"2024/2/9", SettingDate{2024, 2, 9, 0, 0, 0}},
      {"2024/02/29 23:59", SettingDate{2024, 2, 29, 23, 59, 0}},
      {"2023/02/29", std::nullopt},
      {"2024/13/01", std::nullopt},
      {"2024/01/01 24:00:00", std::nullopt},
      {"2024/01/01 10:60", std::nullopt},
      {"2024-01-01", std::nullopt},
      {"2024/01/01x", std::nullopt},
      {"", std::nullopt},
      {"2024/01", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ParseDate(c.in), c.out);
  }
}

TEST(FormatFloat, ShortestForm) {
  struct Case {
    double in;
    std::string out;
  } cases[] = {
      {0.0, "0"}, {1.5, "1.5"}, {-2.25, "-2.25"}, {0.1, "0.1"}, {100, "100"},
      {1.0 / 3, "0.333333333333333"}, {1e20, "1e+20"}, {1e-7, "1e-07"}, {0.0001, "0.0001"},
      {123456789012345.0, "123456789012345"}, {1e15, "1e+15"}, {-1.25e-5, "-1.25e-05"},
      {0.1 + 0.2, "0.3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    EXPECT_EQ(FormatFloat(c.in), c.out);
  }
}

TEST(ParseFloat, StrictDecimal) {
  EXPECT_EQ(ParseFloat("1.5"), 1.5);
  EXPECT_EQ(ParseFloat("-0.25"), -0.25);
  EXPECT_EQ(ParseFloat("+3"), 3.0);
  EXPECT_EQ(ParseFloat("1e+20"), 1e20);
  EXPECT_EQ(ParseFloat(".5"), 0.5);
  EXPECT_EQ(ParseFloat("1e999"), HUGE_VAL);
  EXPECT_EQ(ParseFloat("1,5"), std::nullopt);
  EXPECT_EQ(ParseFloat(""), std::nullopt);
  EXPECT_EQ(ParseFloat("."), std::nullopt);
  EXPECT_EQ(ParseFloat("1e"), std::nullopt);
  EXPECT_EQ(ParseFloat("abc"), std::nullopt);
  EXPECT_EQ(ParseFloat(" 1"), std::nullopt);
}

TEST(FormatFloat, RoundTripsWithinFifteenDigits) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> mant(-1000, 1000);
  std::uniform_int_distribution<int> ex(-30, 30);
  for (int i = 0; i < 2000; ++i) {
    const double v = mant(rng) * std::pow(10.0, ex(rng));
    const auto back = ParseFloat(FormatFloat(v));
    ASSERT_TRUE(back.has_value()) << FormatFloat(v);
    EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14);
  }
}

TEST(SettingsPathFor, ReplacesLastThreeCharacters) {
  EXPECT_EQ(SettingsPathFor("C:\\x\\Pinote.dll", CodePage::ShiftJis()), "C:\\x\\Pinote.ini");
  EXPECT_EQ(SettingsPathFor("\\\x95\x5C\\Pinote.DLL", CodePage::ShiftJis()),
            "\\\x95\x5C\\Pinote.ini");
  EXPECT_EQ(SettingsPathFor("", CodePage::ShiftJis()), "ini");
}

TEST(SplitLines, AllLineEnds) {
  struct Case {
    std::string in;
    std::vector<std::string> out;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\n\n", {"a", ""}},
      {"a\r\r\n", {"a", ""}},
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    const auto got = SplitLines(c.in);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()), c.out);
  }
}

TEST(ParseSettingLine, Table) {
  struct Case {
    std::string line, key, type, value;
  } cases[] = {
      {"Memo\\AlwaysTop=Boolean:True", "Memo\\AlwaysTop", "Boolean", "True"},
      {"k=v", "k", "v", "v"},
      {"whole", "whole", "whole", "whole"},
      {"", "", "", ""},
      {"=:", "", "", ""},
      {"k=String:", "k", "String", ""},
      {"k=String:a=b:c", "k", "String", "a=b:c"},
      {"\x83=x=String:1", "\x83=x", "String", "1"},  // "=" as a second byte is no separator
      {"k=\x83:T:v", "k", "\x83:T", "v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const SettingEntry e = ParseSettingLine(c.line, CodePage::ShiftJis());
    EXPECT_EQ(e.keyText, c.key);
    EXPECT_EQ(e.typeName, c.type);
    EXPECT_EQ(e.valueText, c.value);
  }
  EXPECT_EQ(ParseSettingLine("Memo\\alwaysTop=x:y", CodePage::ShiftJis()).lookupKey,
            "MEMO\\ALWAYSTOP");
}

TEST(SettingsStore, ReadsByKindWithDefaults) {
  Fixture f(
      "Memo\\AlwaysTop=Boolean:True\r\n"
      "Memo\\Lower=Boolean:true\r\n"
      "Show\\Load=Integer:1\r\n"
      "Show\\Hex=Integer:$10\r\n"
      "Show\\Bad=Integer:1x\r\n"
      "MainForm\\State=String:Normal\r\n"
      "X\\Empty=String:\r\n"
      "X\\Lone=String:ab%\r\n"
      "X\\Four=String:ab%4\r\n"
      "X\\Odd=Whatever:a%0Ab\r\n"
      "X\\When=Date:2024/01/02 03:04:05\r\n"
      "X\\BadDate=Date:yesterday\r\n"
      "X\\F=Float:2.5\r\n");
  SettingsStore s = f.NewStore();
  const SettingValue def = std::string("DEF");
  struct Case {
    std::string section, key;
    SettingValue expected;
  } cases[] = {
      {"Memo", "AlwaysTop", true},
      {"Memo", "Lower", false},  // only "True" is true
      {"Show", "Load", int32_t{1}},
      {"Show", "Hex", int32_t{16}},
      {"Show", "Bad", def},
      {"MainForm", "State", std::string("Normal")},
      {"X", "Empty", std::string()},  // empty, not the default
      {"X", "Lone", def},
      {"X", "Four", std::string("ab\x04")},
      {"X", "Odd", std::string("a\nb")},
      {"X", "When", SettingDate{2024, 1, 2, 3, 4, 5}},
      {"X", "BadDate", def},
      {"X", "F", 2.5},
      {"X", "Missing", def},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.section + "\\" + c.key);
    EXPECT_EQ(s.Read(c.section, c.key, def), c.expected);
  }
  EXPECT_EQ(s.FileName(), kIni);
}

TEST(SettingsStore, KeysMatchWithoutCaseAndWriteRespells) {
  Fixture f("Memo\\ALWAYSTOP=Boolean:True\r\nmemo\\alwaystop=Boolean:False\r\n");
  SettingsStore s = f.NewStore();
  EXPECT_TRUE(s.ReadBool("Memo", "AlwaysTop", false));  // the first of the two
  s.Write("Memo", "AlwaysTop", false);
  EXPECT_TRUE(s.Save().ok());
  EXPECT_EQ(f.fs.Content(kIni), "Memo\\AlwaysTop=Boolean:False\r\n");
}

TEST(SettingsStore, WritingAKeyLeavesAtMostOneLineOfIt) {
  const std::string file =
      "A\\k=Integer:1\r\nB\\x=Integer:5\r\na\\K=Integer:2\r\nA\\K=String:three\r\n";
  const struct {
    const char* name;
    SettingValue value;
    bool unreadableFirst;  // the file could not be read at the load and is read again at the save
    std::string expected;
  } cases[] = {
      {"value", int32_t{7}, false, "A\\k=Integer:7\r\nB\\x=Integer:5\r\n"},
      {"delete", std::monostate{}, false, "B\\x=Integer:5\r\n"},
      {"value, file read again", int32_t{7}, true, "A\\k=Integer:7\r\nB\\x=Integer:5\r\n"},
      {"delete, file read again", std::monostate{}, true, "B\\x=Integer:5\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(file.c_str());
    if (c.unreadableFirst) f.fs.failRead.insert(kIni);
    SettingsStore s = f.NewStore();
    if (c.unreadableFirst) {
      EXPECT_THROW(s.Load(), FileError);
    }
    s.Write("A", "k", c.value);
    f.fs.failRead.clear();
    EXPECT_TRUE(s.Save().ok());
    EXPECT_EQ(f.fs.Content(kIni), c.expected);
    SettingsStore again = f.NewStore();
    EXPECT_EQ(again.ReadInt("a", "K", -1), std::holds_alternative<int32_t>(c.value) ? 7 : -1);
  }
}

TEST(SettingsStore, DeletedKeyStaysDeletedInAFileThatHeldItTwice) {
  // Found by the fuzzer: two lines of one key (no "=", so the whole line is the key); the
  // second came back after the key was deleted.
  const std::string text(
      "k=v\r\n\r\nn\\F<Flvat:\r\nn\\F<Flvat:+\rFUZZ\\KINDS\\GONE\n\r\x0b"
      "n\\F<Flv+\rFUZZ\\KINDS\\GONE\n\r\x0b"
      "n\\F<Flvat:+\x16\0\0\0\0\n\x02",
      94);
  Fixture f(nullptr);
  f.fs.files[kIni] = text;
  SettingsStore s = f.NewStore();
  s.Write("Fuzz\\Kinds", "Gone", int32_t{1});
  s.Write("fuzz\\kinds", "GONE", std::monostate{});
  EXPECT_TRUE(std::holds_alternative<std::monostate>(s.Read("Fuzz\\Kinds", "Gone", {})));
  EXPECT_TRUE(s.Save().ok());
  SettingsStore again = f.NewStore();
  EXPECT_TRUE(std::holds_alternative<std::monostate>(again.Read("FUZZ\\KINDS", "GONE", {})));
  EXPECT_EQ(again.ReadString("k", "", "?"), "?");
  EXPECT_EQ(again.Entries().size(), s.Entries().size());
}

TEST(SettingsStore, OddLinesSaveBackAsParsed) {
  Fixture f("k=v\r\n\r\nnoequals\nlast");
  SettingsStore s = f.NewStore();
  EXPECT_EQ(s.Read("", "", int32_t{5}), SettingValue(int32_t{5}));  // "\" is no entry's key
  EXPECT_EQ(s.ReadString("k", "", "d"), "d");
  ASSERT_EQ(s.Entries().size(), 4u);
  EXPECT_TRUE(s.Save().ok());
  EXPECT_EQ(f.fs.Content(kIni), "k=v:v\r\n=:\r\nnoequals=noequals:noequals\r\nlast=last:last\r\n");
  SettingsStore again = f.NewStore();
  EXPECT_EQ(again.Entries().size(), 0u);  // nothing read before the first use
  again.Load();
  EXPECT_EQ(again.Entries()[0].typeName, "v");
}

TEST(SettingsStore, WritingNoneDeletes) {
  Fixture f("A\\x=Integer:1\r\nB\\y=Integer:2\r\nC\\z=Integer:3\r\n");
  SettingsStore s = f.NewStore();
  s.Write("Absent", "Key", std::monostate{});
  EXPECT_EQ(s.Entries().size(), 3u);
  s.Write("b", "Y", std::monostate{});
  s.Write("D", "w", int32_t{4});
  EXPECT_TRUE(s.Save().ok());
  EXPECT_EQ(f.fs.Content(kIni), "A\\x=Integer:1\r\nC\\z=Integer:3\r\nD\\w=Integer:4\r\n");
}

TEST(SettingsStore, SaveThenLoadRoundTrip) {
  Fixture f(nullptr);
  const std::string tricky = std::string("line1\r\nline2 100% \x83\x5C\t\x01", 23);
  {
    SettingsStore s = f.NewStore();
    EXPECT_EQ(s.ReadInt("Show", "Load", 2), 2);  // no file: defaults
    s.Write("UnifyForm", "Keyword", tricky);
    s.Write("Memo", "Color", int32_t{-2147483647 - 1});
    s.Write("Show", "Start", true);
    s.Write("X", "F", 0.1);
    s.Write("X", "D", SettingDate{2001, 9, 8, 7, 6, 5});
    s.Write("Memo\\Font\\Japanese", "Name", std::string("\x82\x6C\x82\x72 Gothic"));
    EXPECT_TRUE(s.Save().ok());
  }
  EXPECT_EQ(f.fs.files.count(kIni), 1u);
  SettingsStore s = f.NewStore();
  EXPECT_EQ(s.ReadString("UnifyForm", "Keyword", ""), tricky);
  EXPECT_EQ(s.ReadInt("Memo", "Color", 0), INT32_MIN);
  EXPECT_TRUE(s.ReadBool("Show", "Start", false));
  EXPECT_EQ(s.Read("X", "F", 0.0), SettingValue(0.1));
  EXPECT_EQ(s.Read("X", "D", SettingValue()), SettingValue(SettingDate{2001, 9, 8, 7, 6, 5}));
  EXPECT_EQ(s.ReadString("Memo\\Font\\Japanese", "Name", ""), "\x82\x6C\x82\x72 Gothic");
  const std::string text = f.fs.Content(kIni);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(SettingsStore, LoadsOnceOnly) {
  Fixture f(nullptr);
  SettingsStore s = f.NewStore();
  EXPECT_EQ(s.ReadInt("Show", "Load", 0), 0);
  f.fs.files[kIni] = "Show\\Load=Integer:3\r\n";  // made by someone else after the first load
  EXPECT_EQ(s.ReadInt("Show", "Load", 0), 0);
  EXPECT_EQ(f.fs.reads, 0);
}

TEST(SettingsStore, TypedReadsConvertOtherKinds) {
  Fixture f(
      "A\\S=String:12\r\nA\\T=String:true\r\nA\\B=Boolean:True\r\nA\\I=Integer:0\r\n"
      "A\\F=Float:2.6\r\nA\\Big=Float:1e30\r\nA\\Junk=String:x\r\nA\\D=Date:2020/01/02\r\n");
  SettingsStore s = f.NewStore();
  EXPECT_EQ(s.ReadInt("A", "S", -1), 12);
  EXPECT_EQ(s.ReadInt("A", "B", -1), 1);
  EXPECT_EQ(s.ReadInt("A", "F", -1), 3);
  EXPECT_EQ(s.ReadInt("A", "Big", -1), -1);
  EXPECT_EQ(s.ReadInt("A", "Junk", -1), -1);
  EXPECT_EQ(s.ReadInt("A", "D", -1), -1);
  EXPECT_TRUE(s.ReadBool("A", "T", false));
  EXPECT_TRUE(s.ReadBool("A", "S", false));
  EXPECT_FALSE(s.ReadBool("A", "I", true));
  EXPECT_TRUE(s.ReadBool("A", "Junk", true));
  EXPECT_EQ(s.ReadString("A", "I", "d"), "0");
  EXPECT_EQ(s.ReadString("A", "B", "d"), "True");
  EXPECT_EQ(s.ReadString("A", "D", "d"), "2020/01/02 00:00:00");
  EXPECT_EQ(s.ReadString("A", "None", "d"), "d");
}

TEST(SettingsStore, UnreadableFileIsNeverReplaced) {
  Fixture f("Keep\\Me=String:precious\r\nShow\\Load=Integer:1\r\n");
  f.fs.failRead.insert(kIni);
  SettingsStore s = f.NewStore();
  EXPECT_THROW(s.Load(), FileError);
  EXPECT_TRUE(s.ReadFailed());
  EXPECT_EQ(s.ReadInt("Show", "Load", 0), 0);  // no second attempt, defaults meanwhile
  s.Write("Show", "Load", int32_t{2});
  const DiskOutcome out = s.Save();
  EXPECT_EQ(out.status, DiskOutcome::Status::kFailed) << "saved over an unreadable file";
  EXPECT_EQ(out.path, kIni);
  EXPECT_NE(out.message.find(FakeFileSystem::kInjected), std::string::npos);
  EXPECT_EQ(f.fs.writes, 0);
  EXPECT_EQ(f.fs.Content(kIni), "Keep\\Me=String:precious\r\nShow\\Load=Integer:1\r\n");
}

TEST(SettingsStore, SaveMergesOntoFileReadableAgain) {
  Fixture f("Keep\\Me=String:precious\r\nShow\\Load=Integer:1\r\nGone\\Key=Integer:9\r\n");
  f.fs.failRead.insert(kIni);
  SettingsStore s = f.NewStore();
  EXPECT_THROW(s.Load(), FileError);
  s.Write("show", "load", int32_t{3});
  s.Write("New", "Key", std::string("n"));
  s.Write("Gone", "Key", int32_t{1});
  s.Write("Gone", "Key", std::monostate{});
  f.fs.failRead.clear();
  EXPECT_TRUE(s.Save().ok());
  EXPECT_FALSE(s.ReadFailed());
  EXPECT_EQ(f.fs.Content(kIni),
            "Keep\\Me=String:precious\r\nshow\\load=Integer:3\r\nNew\\Key=String:n\r\n");
  EXPECT_EQ(s.ReadString("Keep", "Me", ""), "precious");
}

TEST(SettingsStore, FailedWriteLeavesStoreAndFile) {
  Fixture f("A\\B=Integer:1\r\n");
  f.fs.failWrite.insert(kIni);
  SettingsStore s = f.NewStore();
  s.Write("A", "B", int32_t{2});
  EXPECT_EQ(s.Save().status, DiskOutcome::Status::kFailed);
  EXPECT_EQ(f.fs.Content(kIni), "A\\B=Integer:1\r\n");
  EXPECT_EQ(s.ReadInt("A", "B", 0), 2);
  f.fs.failWrite.clear();
  EXPECT_TRUE(s.Save().ok());
  EXPECT_EQ(f.fs.Content(kIni), "A\\B=Integer:2\r\n");
}

}  // namespace
}  // namespace pinote
