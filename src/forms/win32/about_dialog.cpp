#include "forms/win32/dialogs.h"

#include <utility>

#include "common/options.h"
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/placement.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/win32/control_ids.h"

namespace pinote {
namespace {

constexpr std::pair<int, const char*> kLabels[] = {
    {IDC_NAME_LABEL, kPluginName},          {IDC_VERSION_LABEL, kVersionText},
    {IDC_COPYRIGHT_LABEL, ui::kCopyrightLine}, {IDC_WEB_LABEL, ui::kWebLine},
    {IDC_MENU_GROUP_LABEL, ui::kMenuGroupLine}, {IDC_MENU_GROUP_WEB_LABEL, ui::kMenuGroupWebLine},
};

class AboutDialog : public DialogBase<AboutDialog> {
  friend class DialogBase<AboutDialog>;

  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) {
      OnInit();
      return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
      EndModal(IDOK);
      return TRUE;
    }
    return FALSE;
  }

  void OnInit() {
    ::SetWindowTextW(dlg_, Tr(ui::kAboutTitle).c_str());
    for (const auto& [id, text] : kLabels) ::SetDlgItemTextW(dlg_, id, Utf8(text).c_str());
    versionFont_ = CreateDesignFont();  // the version keeps it, whatever font is stored
    ::SendDlgItemMessageW(dlg_, IDC_VERSION_LABEL, WM_SETFONT,
                          reinterpret_cast<WPARAM>(versionFont_.get()), FALSE);
    // The 32 x 32 icon on the dialog's background, pure green counting as transparent.
    image_ = LoadKeyedBitmap(PluginInstance(), L"ICONBITMAP", 32, ::GetSysColor(COLOR_BTNFACE));
    ::SendDlgItemMessageW(dlg_, IDC_ICON_IMAGE, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(image_.get()));
  }

  UniqueFont versionFont_;
  UniqueBitmap image_;
};

}  // namespace

void ShowAbout() {
  Guarded(nullptr,
          [] { AboutDialog().RunModal(nullptr, IDD_ABOUT, LoadFont(sections::kAboutDialog)); });
}

}  // namespace pinote
