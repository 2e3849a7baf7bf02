// Every message box goes through Tell or Ask: the caption is the table's in the current language,
// the answer the user's (Yes only when Yes was pressed); errors are told in the plug-in's name.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/win32/message_box.h"
#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

TEST(TellAndAsk, ShowsTheTablesCaptionAndReturnsTheAnswer) {
  struct Case {
    const UiText* caption;
    bool ask;
    UINT style;
    int pressed;
    bool yes;
  } cases[] = {{&ui::kPluginNameTitle, false, MB_ICONWARNING, IDOK, false},
               {&ui::kCopyTitle, true, 0, IDYES, true},
               {&ui::kOpenLinkTitle, true, MB_ICONWARNING | MB_DEFBUTTON2, IDNO, false},
               {&ui::kHelpMissingTitle, false, MB_ICONEXCLAMATION, IDOK, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Pick(*c.caption, false));
    bool answer = false;
    RunMarkedScript(kMessageBoxText, {{kMessageBoxText, [&](HWND box) {
                                         EXPECT_EQ(WindowText(box), Tr(*c.caption));
                                         EXPECT_EQ(Text(box, kMessageBoxText), L"a\r\nb");
                                         ::PostMessageW(box, WM_COMMAND, c.pressed, 0);
                                       }}},
                    [&] {
                      if (c.ask) answer = Ask(nullptr, *c.caption, L"a\r\nb", c.style);
                      if (!c.ask) Tell(nullptr, *c.caption, L"a\r\nb", c.style);
                      return true;
                    });
    EXPECT_EQ(answer, c.yes);
  }
}

TEST(TellAndAsk, ErrorsAreToldInThePluginsNameWithThePathAndTheSystemMessage) {
  std::vector<std::pair<std::wstring, std::wstring>> seen;
  SetMessageBoxHookForTesting([&](const std::wstring& caption, const std::wstring& text) {
    seen.push_back({caption, text});
  });
  const std::pair<std::function<void()>, std::wstring> cases[] = {
      {[] { throw FileError("C:\\data\\Pinote.dat", "Access is denied."); },
       L"C:\\data\\Pinote.dat\r\n\r\nAccess is denied."},
      {[] { throw std::runtime_error("plain failure"); }, L"plain failure"},
      {[] { throw 42; }, L"Quillet for Becky!2: unknown error"},
  };
  for (const auto& [raise, text] : cases) {
    seen.clear();
    EXPECT_FALSE(Guarded(nullptr, raise));
    EXPECT_EQ(seen, (std::vector<std::pair<std::wstring, std::wstring>>{
                        {L"Quillet for Becky!2", text}}));
  }
  // Under the hook no box is shown, and a question is answered No.
  EXPECT_FALSE(Ask(nullptr, ui::kRestoreTitle, L"q", 0));
  SetMessageBoxHookForTesting(nullptr);
}

}  // namespace
}  // namespace pinote
