// The window state stored in Pinote.ini (State: "Normal", "Minimized", "Maximized", compared with
// letter case) taken by each form when it is first shown: the memo window, the unify dialog and
// the options dialog.
#include <gtest/gtest.h>

#include "e2e_util.h"

namespace e2e {
namespace {

TEST(WindowState, EachFormTakesItsStoredStateWhenItIsFirstShown) {
  struct Case {
    const char* stored;
    const char* shown;  // the state= of the window dumps
  } cases[] = {{"Maximized", "maximized"}, {"maximized", "normal"}, {"Normal", "normal"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Installation inst("state");
    inst.AddSampleMemoData();
    const std::string state = std::string("=String:") + c.stored + "\r\n";
    inst.WriteSettings("MainForm\\State" + state + "UnifyForm\\State" + state +
                       "SetupForm\\State" + state);
    // Alice has a memo: her mail brings the memo window up by the default rules.
    RunResult r = inst.Run(
        "open 0\n" + WaitWindow(kMemoWindow) + DumpWindow(kMemoWindow) + MemoCommand(IDM_LOOK) +
        WaitWindow(kUnifyDialog) + "sync\n" + DumpWindow(kUnifyDialog) +
        ClickOn(kUnifyDialog, IDCANCEL) + WaitHidden(kUnifyDialog) + MemoCommand(IDM_OPTIONS) +
        WaitWindow(kOptionsDialog) + "sync\n" + DumpWindow(kOptionsDialog) +
        ClickOn(kOptionsDialog, IDCANCEL) + WaitHidden(kOptionsDialog) + "exit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    auto dumps = WindowDumps(r);
    ASSERT_EQ(dumps.size(), 3u) << r.Text();
    const char* forms[] = {"memo window", "unify dialog", "options dialog"};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(FieldOf(dumps[i].window, "visible"), "1") << forms[i];
      EXPECT_EQ(FieldOf(dumps[i].window, "state"), c.shown) << forms[i];
    }
    // The memo window records the state it was in when the host closed.
    const std::string ini = inst.Read(L"PlugIns\\Pinote.ini");
    const std::string recorded =
        std::string("MainForm\\State=String:") +
        (std::string(c.shown) == "maximized" ? "Maximized" : "Normal") + "\r\n";
    EXPECT_NE(ini.find(recorded), std::string::npos) << ini;
  }
}

// A memo window that never came up keeps the stored state for the next start instead of
// writing the state of a window never shown.
TEST(WindowState, AMemoWindowNeverShownKeepsTheStoredState) {
  for (const char* stored : {"Maximized", "Minimized"}) {
    SCOPED_TRACE(stored);
    Installation inst("state-hidden");
    inst.WriteSettings(std::string("MainForm\\State=String:") + stored + "\r\n");
    RunResult r = inst.Run("open 1\n" + DumpWindow(kMemoWindow) + "exit\n");
    ASSERT_FALSE(r.timed_out) << r.Text();
    auto dumps = WindowDumps(r);
    ASSERT_EQ(dumps.size(), 1u) << r.Text();
    EXPECT_EQ(FieldOf(dumps[0].window, "visible"), "0");
    const std::string ini = inst.Read(L"PlugIns\\Pinote.ini");
    EXPECT_NE(ini.find(std::string("MainForm\\State=String:") + stored + "\r\n"),
              std::string::npos)
        << ini;
  }
}

}  // namespace
}  // namespace e2e
