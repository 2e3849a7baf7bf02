// The real ShowHelp with no help file beside the "library": the missing-help message comes up
// owned by the given window.
#include <gtest/gtest.h>

#include <string>

#include "common/win32/handles.h"
#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

TEST(ShowHelp, MissingFileShowsTheMessageOwnedByTheCaller) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "pinote-help-none\\";
  SetPluginFileNameForTesting(folder + "Pinote.dll");
  UniqueWindow owner(::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                       nullptr, nullptr, nullptr));
  const std::wstring ja = Widen(folder + "Pinote.hlp"), en = Widen(folder + "PinoteE.hlp");
  const std::wstring jaHtml = Widen(folder + "Pinote.html"), enHtml = Widen(folder + "PinoteE.html");
  RunMarkedScript(kMessageBoxText, {{kMessageBoxText, [&](HWND box) {
                                       EXPECT_EQ(::GetWindow(box, GW_OWNER), owner.get());
                                       EXPECT_EQ(WindowText(box), IsJapanese() ? Utf8("エラー") : L"Error");
                                       EXPECT_EQ(WindowText(::GetDlgItem(box, kMessageBoxText)),
                                                 IsJapanese() ? ja + Utf8(" がありません\r\n") + jaHtml + Utf8(" がありません\r\n") +
                                                                    enHtml + Utf8(" がありません")
                                                              : en + L"\r\nnor\r\n" + ja + L"\r\nnor\r\n" + enHtml +
                                                                    L"\r\nnor\r\n" + jaHtml + L"\r\nis not found.");
                                       ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                                     }}},
                  [&] {
                    ShowHelp(owner.get());
                    return true;
                  });
  SetPluginFileNameForTesting("");
}

}  // namespace
}  // namespace pinote
