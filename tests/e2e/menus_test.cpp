// The plug-in's entries in the host's menus, alone and after another plug-in that follows the
// same conventions, in both languages; and the context-menu item by current folder.
#include <gtest/gtest.h>

#include <iostream>

#include "e2e_util.h"

namespace e2e {
namespace {

struct Expected {
  std::string kind, text;  // text unquoted
};

void ExpectItems(const std::vector<MenuItem>& got, const std::vector<Expected>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    EXPECT_EQ(got[i].kind, want[i].kind);
    EXPECT_EQ(got[i].text, Quoted(want[i].text));
  }
}

struct Texts {
  const wchar_t* args;
  std::string tool, help, about, plugin_help, about_plugins, open;
};

const Texts kEnglish{L"", "&Tool", "&Help", "&About \"Becky!\"", "Plugin Help", "About Plugins",
                     "Open the Quillet"};
const Texts kJapanese{L"/JAPANESE", "ツール(&T)", "ヘルプ(&H)", "Becky!について(&A)",
                      "プラグインヘルプ", "プラグインについて", "Quilletを開く"};

TEST(HostMenus, PluginAloneAddsSharedSubmenusAndClosedToolGroup) {
  for (const Texts& t : {kEnglish, kJapanese}) {
    SCOPED_TRACE(t.args[0] ? "Japanese" : "English");
    // The plug-in compares menu texts as ANSI bytes: Japanese host menus are only readable to
    // it where the system code page is 932, as on the Japanese systems it targets.
    if (t.args[0] && GetACP() != 932) {
      std::cout << "[ NOTE ] Japanese menus need code page 932 (LANG=ja_JP.UTF-8); skipped\n";
      continue;
    }
    Installation inst("menus");
    RunResult r = inst.Run("dumpmenu\nexit\n", t.args);
    ASSERT_FALSE(r.timed_out) << r.Text();
    auto menu = MenuDump(r, "menubar");
    std::string help = TopPath(menu, t.help), tool = TopPath(menu, t.tool);
    ASSERT_FALSE(help.empty()) << r.Text();
    ASSERT_FALSE(tool.empty()) << r.Text();
    auto help_items = Children(menu, help);
    ASSERT_GE(help_items.size(), 3u);
    help_items.erase(help_items.begin(), help_items.begin() + 2);  // Contents, separator
    ExpectItems(help_items, {{"item", t.about},
                             {"popup", t.plugin_help},
                             {"popup", t.about_plugins}});
    for (size_t i = 1; i < help_items.size() && i < 3; ++i) {
      auto sub = Children(menu, help_items[i].path);
      ExpectItems(sub, {{"item", "Quillet for Becky!2"}});
      if (!sub.empty()) EXPECT_TRUE(sub[0].bitmap) << "menu bitmap on " << sub[0].path;
    }
    auto tool_items = Children(menu, tool);
    ASSERT_EQ(tool_items.size(), 3u) << r.Text();
    EXPECT_EQ(tool_items[1].kind, "separator") << "the ZOLV label after BKC_OnStart";
    EXPECT_EQ(tool_items[2].kind, "popup");
    EXPECT_EQ(tool_items[2].text, Quoted("Quillet for Becky!2"));
    auto open = Children(menu, tool_items[2].path);
    ExpectItems(open, {{"item", t.open}});
    if (!open.empty()) EXPECT_TRUE(open[0].bitmap);
    EXPECT_EQ(r.Count("register-command"), 3);
    EXPECT_TRUE(r.Has("comment=\"Open Memo\""));
  }
}

TEST(HostMenus, ReusesWhatAnotherPluginBuiltFirst) {
  Installation inst("menus-other");
  inst.AddOtherPlugin();
  RunResult r = inst.Run("dumpmenu\nexit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  auto menu = MenuDump(r, "menubar");
  std::string help = TopPath(menu, "&Help"), tool = TopPath(menu, "&Tool");
  ASSERT_FALSE(help.empty());
  auto help_items = Children(menu, help);
  ExpectItems(help_items, {{"item", "&Contents"},
                           {"separator", ""},
                           {"item", "&About \"Becky!\""},
                           {"popup", "Plugin Help"},
                           {"popup", "About Plugins"}});
  if (help_items.size() == 5) {
    for (int i : {3, 4}) {
      SCOPED_TRACE(help_items[static_cast<size_t>(i)].text);
      ExpectItems(Children(menu, help_items[static_cast<size_t>(i)].path),
                  {{"item", "Other Plugin"}, {"item", "Quillet for Becky!2"}});
    }
  }
  auto tool_items = Children(menu, tool);
  ExpectItems(tool_items, {{"item", "Plug-in setup..."},
                           {"separator", ""},
                           {"popup", "Other Plugin"},
                           {"popup", "Quillet for Becky!2"}});
}

TEST(ContextMenu, AppendItemOnlyBelowTheAccountRoot) {
  struct Case {
    const char* folder;
    bool has_item;
  };
  const Case cases[] = {{"Account", false}, {"Inbox", true}, {"Work", true}};
  Installation inst("context");
  std::string script;
  for (const Case& c : cases) script += std::string("folder ") + c.folder + "\ncontextmenu view\n";
  RunResult r = inst.Run(script + "exit\n");
  ASSERT_FALSE(r.timed_out) << r.Text();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].folder);
    auto items = MenuDump(r, "contextmenu", static_cast<int>(i));
    if (cases[i].has_item) {
      ExpectItems(items, {{"item", "&Copy"},
                          {"item", "Select &All"},
                          {"separator", ""},
                          {"item", "Quillet: Append the selected string"}});
    } else {
      ExpectItems(items, {{"item", "&Copy"}, {"item", "Select &All"}});
    }
  }
}

}  // namespace
}  // namespace e2e
