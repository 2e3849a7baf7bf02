// The X-Mailer-Plugin stamp on outgoing mail, and the settings file written at exit.
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(OutgoingHeader, StampsOrUpdatesTheEntryLeavingOthersAlone) {
  const std::string entry = kEntry, sep = ",\r\n\t";
  struct Case {
    const char* name;
    std::string before;  // "" = header absent
    std::string after;
  };
  const Case cases[] = {
      {"absent", "", entry},
      {"E1", "Other Plugin 1.0", "Other Plugin 1.0" + sep + entry},
      {"E1 OLD E2", "Other Plugin 1.0" + sep + "Quillet for Becky!2 Ver.0.01 Rev.1" + sep + "Z 2",
       "Other Plugin 1.0" + sep + entry + sep + "Z 2"},
      {"ENTRY", entry, entry},
      {"E1 OLD at end", "E1 1" + sep + "Quillet for Becky!2 Ver.0.02", "E1 1" + sep + entry},
      {"other letter case", "quillet for becky!2 Ver.0.01", "quillet for becky!2 Ver.0.01" + sep + entry},
  };
  std::string script;
  for (const Case& c : cases) {
    script += "compose To: x@example.com";
    if (!c.before.empty()) script += " | X-Mailer-Plugin: " + ScriptText(c.before);
    script += "\nsend\n";
  }
  script += "send\nexit\n";  // the last mail twice: still one entry
  Installation inst("outgoing");
  RunResult r = inst.Run(script);
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto sent = r.Starting("sent-header \"X-Mailer-Plugin\" ");
  ASSERT_EQ(sent.size(), std::size(cases) + 1) << r.Text();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(sent[i], "sent-header \"X-Mailer-Plugin\" " + Quoted(cases[i].after));
  }
  EXPECT_EQ(sent.back(), sent[std::size(cases) - 1]);
  EXPECT_EQ(r.Count("call BKC_OnOutgoing mode=0 plugin=\"Pinote.dll\" -> 0"),
            static_cast<int>(std::size(cases)) + 1);
}

TEST(SettingsFile, WrittenAtExitKeepingExistingLinesInOrder) {
  struct Case {
    const char* name;
    std::string initial;  // "" = no file
  };
  const Case cases[] = {
      {"no file", ""},
      {"kept lines", "Show\\Load=Integer:1\r\nCustom\\Key=String:kept%25%0D%0A\r\nX=y\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Installation inst("settings");
    inst.AddSampleMemoData();
    if (!c.initial.empty()) inst.WriteSettings(c.initial);
    RunResult r = inst.Run("open 0\n" + WaitWindow(kMemoWindow) + "exit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    bool exists = false;
    std::string ini = inst.Read(L"PlugIns\\Pinote.ini", &exists);
    ASSERT_TRUE(exists) << r.Text();
    std::string kept = c.initial;
    if (!kept.empty()) {
      size_t x = kept.find("X=y\r\n");
      kept.replace(x, 5, "X=y:y\r\n");  // a line without a type is saved back with one
    }
    EXPECT_EQ(ini.compare(0, kept.size(), kept), 0) << ini;
    for (const char* line : {"Meibo\\Height=Integer:70\r\n", "MainForm\\Left=Integer:",
                             "MainForm\\Top=Integer:", "MainForm\\State=String:"}) {
      EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    }
    ASSERT_GE(ini.size(), 2u);
    EXPECT_EQ(ini.substr(ini.size() - 2), "\r\n");
  }
}

}  // namespace
}  // namespace e2e
