// The About dialog: what it shows, that it has no owner and blocks the thread's other windows,
// and that Enter and Esc close it.
#include "forms/win32/dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "common/win32/handles.h"
#include "common/win32/module_paths.h"
#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

TEST(ShowAbout, ShowsNameVersionAndTitleAndIsReleased) {
  HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                 nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  SetPluginFileNameForTesting("C:\\Becky\\PlugIns\\Pinote.dll");
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    SCOPED_TRACE(key);
    HWND seen = nullptr;
    RunScripted(IDC_NAME_LABEL, {[&](HWND f) {
                  seen = f;
                  EXPECT_EQ(WindowText(f), Tr(ui::kAboutTitle));
                  EXPECT_EQ(Text(f, IDC_NAME_LABEL), L"Quillet for Becky!2");
                  EXPECT_EQ(Text(f, IDC_VERSION_LABEL), L"Ver.0.03 Rev.2");
                  // Where the help and the memo files are: the plug-in's own folder.
                  EXPECT_EQ(Text(f, IDC_FILES_LABEL), Tr(ui::kFilesFolderLine));
                  EXPECT_EQ(Text(f, IDC_FOLDER_LABEL), L"C:\\Becky\\PlugIns\\");
                  RECT r{};
                  ::GetWindowRect(f, &r);
                  EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
                  EXPECT_EQ(::GetWindowLongPtrW(f, GWL_STYLE) & WS_SYSMENU, 0);  // no title buttons
                  EXPECT_EQ(::GetWindow(f, GW_OWNER), nullptr);
                  EXPECT_FALSE(::IsWindowEnabled(other));
                  EXPECT_EQ(LOWORD(::SendMessageW(f, DM_GETDEFID, 0, 0)), IDOK);
                  EXPECT_NE(::SendMessageW(Ctl(f, IDC_VERSION_LABEL), WM_GETFONT, 0, 0),
                            ::SendMessageW(Ctl(f, IDC_NAME_LABEL), WM_GETFONT, 0, 0));
                  // The icon on the dialog's background: pure green is what lets it through.
                  auto image = reinterpret_cast<HBITMAP>(
                      ::SendMessageW(Ctl(f, IDC_ICON_IMAGE), STM_GETIMAGE, IMAGE_BITMAP, 0));
                  ASSERT_NE(image, nullptr);
                  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
                  SelectGuard select(dc.get(), image);
                  EXPECT_EQ(::GetPixel(dc.get(), 0, 0), ::GetSysColor(COLOR_BTNFACE));  // green
                  EXPECT_EQ(::GetPixel(dc.get(), 16, 16), RGB(110, 70, 30));
                  PressKey(Ctl(f, IDOK), key);
                }},
                [] {
                  ShowAbout();
                  return true;
                });
    EXPECT_FALSE(::IsWindow(seen));
    EXPECT_TRUE(::IsWindowEnabled(other));
  }
  ::DestroyWindow(other);
  SetPluginFileNameForTesting("");
}

}  // namespace
}  // namespace pinote
