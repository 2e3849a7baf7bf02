// The plug-in as the host loads it: information record, ordering hooks, and what a host that
// lacks an entry point gets.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(PluginInfo, RecordAndOrderingHooksAsTheHostReadsThem) {
  struct Case {
    const wchar_t* args;
    const char* description;
    bool needs_japanese_code_page;
  };
  const Case cases[] = {
      {L"", "Memo Plugin", false},
      {L"/english", "Memo Plugin", false},
      {L"/ENGLISH /JAPANESE", "メモ書きプラグイン", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("args: ") + (c.args[0] ? "switches" : "none"));
    if (c.needs_japanese_code_page && GetACP() != 932) continue;  // ANSI text needs 932
    Installation inst("info");
    RunResult r = inst.Run("info\nexit\n", c.args);
    ASSERT_FALSE(r.timed_out) << r.Text();
    std::string info = r.First("info plugin=\"Pinote.dll\"");
    ASSERT_FALSE(info.empty()) << r.Text();
    EXPECT_EQ(FieldOf(info, "result"), "0");
    EXPECT_EQ(FieldOf(info, "name"), Quoted("Quillet for Becky!2"));
    EXPECT_EQ(FieldOf(info, "version"), Quoted("Ver.0.03 Rev.2"));
    EXPECT_EQ(FieldOf(info, "description"), Quoted(c.description));
    EXPECT_NE(FieldOf(info, "vendor"), Quoted(""));
    EXPECT_EQ(FieldOf(info, "tails-kept"), "1") << "wrote past a field's terminating zero";
    for (const char* hook : {"info-NeverPrecede", "info-NeverFollow"}) {
      std::string line = r.First(std::string(hook) + " plugin=\"Pinote.dll\"");
      ASSERT_FALSE(line.empty()) << hook;
      EXPECT_EQ(FieldOf(line, "null"), "0") << hook;
      EXPECT_EQ(FieldOf(line, "same"), "1") << hook;
      EXPECT_EQ(FieldOf(line, "text"), "\"\"") << hook;
    }
    EXPECT_EQ(r.Count("msgbox"), 0) << r.Text();
  }
}

TEST(VersionMismatch, HostLackingOneEntryPointGetsOneMessageAndNothingElse) {
  struct Case {
    const wchar_t* args;
    const char* text;
  };
  const Case cases[] = {
      {L"", "Version Mismatch\r\nbetween Quillet for Becky!2 & Becky!\r\n\r\n"
            "Quillet for Becky!2 is Ver.0.03 Rev.2."},
      {L"/JAPANESE", "Quillet for Becky!2 のバージョンと\r\nBecky! のバージョンが合っていないようです。"
                     "\r\n\r\nQuillet for Becky!2 のバージョンは\r\nVer.0.03 Rev.2 です。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] ? "Japanese" : "English");
    Installation inst("lacking");
    inst.UseLackingHost();
    inst.AddSampleMemoData();
    RunResult r = inst.Run(
        "msgbox ok 30000\ndumpmenu\nopen 0\n" + DumpWindow(kMemoWindow) + "contextmenu view\n"
        "expect-no-msgbox 1500\nexit\n",
        c.args);
    ASSERT_FALSE(r.timed_out) << r.Text();
    ASSERT_TRUE(r.Has("start lacking=BKA_SerializeRcpts")) << "not the lacking host";
    auto boxes = r.Starting("msgbox caption=");
    ASSERT_EQ(boxes.size(), 1u) << r.Text();
    EXPECT_EQ(FieldOf(boxes[0], "caption"), Quoted("Pinote"));
    EXPECT_NE(boxes[0].find("text=" + Quoted(c.text)), std::string::npos) << boxes[0];
    EXPECT_EQ(r.Count("msgbox-auto"), 0) << r.Text();
    EXPECT_EQ(r.Count("msgbox-unexpected"), 0) << r.Text();
    // Not from inside the load (the loader lock): once loaded, at the first call, before that
    // call touched any menu.
    auto at = [&](const std::string& prefix) {
      auto line = std::find_if(r.lines.begin(), r.lines.end(),
                               [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
      return line - r.lines.begin();
    };
    EXPECT_LT(at("plugin-loaded " + Quoted("Pinote.dll")), at("msgbox caption=")) << r.Text();
    EXPECT_LT(at("msgbox caption="), at("call BKC_OnMenuInit type=0")) << r.Text();
    EXPECT_TRUE(r.Has("no-msgbox 1500"));
    // Unbound: no menu items, no commands, no window.
    EXPECT_EQ(r.Count("register-command"), 0) << r.Text();
    for (const MenuItem& m : MenuDump(r, "menubar")) {
      EXPECT_EQ(m.text.find("Quillet"), std::string::npos) << m.path;
      EXPECT_EQ(m.text.find("ZOLV"), std::string::npos) << m.path;
      EXPECT_EQ(m.text.find("Plugin"), std::string::npos) << m.path;
    }
    EXPECT_EQ(MenuDump(r, "contextmenu").size(), 2u) << "only the host's own items";
    EXPECT_TRUE(r.Has("window-missing " + Quoted(kMemoWindow))) << r.Text();
    EXPECT_TRUE(r.Has("exit"));
  }
}

TEST(HostApi, FullHostBindsWithoutAnyMessage) {
  Installation inst("bound");
  RunResult r = inst.Run("expect-no-msgbox 1000\ninfo\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_EQ(r.Count("msgbox"), 0) << r.Text();
  EXPECT_TRUE(r.Has("no-msgbox 1000"));
  EXPECT_TRUE(r.Has("call BKC_OnStart plugin=\"Pinote.dll\" -> 0"));
  EXPECT_TRUE(r.Has("call BKC_OnExit plugin=\"Pinote.dll\" -> 0"));
  EXPECT_EQ(r.lines.back(), "exit");
}

}  // namespace
}  // namespace e2e
