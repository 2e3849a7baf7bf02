// Japanese texts ("/JAPANESE") on a system whose code page is not Japanese: the plug-in's own
// Japanese menu entries are found again when the host builds its menu once more, and the host
// is given a description it can show.
#include <gtest/gtest.h>

#include <windows.h>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(JapaneseOnAWesternSystem, MenusBuiltAgainReuseTheSubmenusAndTheDescriptionIsEnglish) {
  if (GetACP() == 932) GTEST_SKIP() << "needs a code page without Japanese";
  Installation inst("ja-western");
  RunResult r = inst.Run("menuinit\ndumpmenu\ninfo\nexit\n", L"/JAPANESE");
  ASSERT_FALSE(r.timed_out) << r.Text();
  EXPECT_NE(FieldOf(r.First("start cmdline="), "acp"), "932");
  auto menu = MenuDump(r, "menubar");
  const std::string help = TopPath(menu, "ヘルプ(&H)");
  ASSERT_FALSE(help.empty()) << r.Text();
  auto items = Children(menu, help);
  std::vector<std::string> texts;
  for (const MenuItem& m : items) texts.push_back(m.kind + " " + m.text);
  // Each build adds the plug-in's item again, into the one submenu of each kind.
  EXPECT_EQ(texts, (std::vector<std::string>{"item " + Quoted("目次(&C)"), "separator \"\"",
                                             "item " + Quoted("Becky!について(&A)"),
                                             "popup " + Quoted("プラグインヘルプ"),
                                             "popup " + Quoted("プラグインについて")}))
      << r.Text();
  for (size_t i = 3; i < items.size(); ++i) {
    auto sub = Children(menu, items[i].path);
    ASSERT_EQ(sub.size(), 2u) << items[i].text;
    for (const MenuItem& m : sub) EXPECT_EQ(m.text, Quoted("Quillet for Becky!2"));
  }
  const std::string info = r.First("info plugin=\"Pinote.dll\"");
  EXPECT_EQ(FieldOf(info, "description"), Quoted("Memo Plugin")) << info;
}

}  // namespace
}  // namespace e2e
