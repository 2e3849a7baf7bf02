#include "forms/win32/dialogs.h"

#include "common/options.h"
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/placement.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/win32/control_ids.h"

namespace pinote {
namespace {

// Design size and places in pixels; the labels size themselves to their text.
constexpr int kWidth = 389, kHeight = 180;
struct Label {
  int id, x, y;
  const char* text;
};
constexpr Label kLabels[] = {
    {IDC_NAME_LABEL, 60, 8, kPluginName},         {IDC_VERSION_LABEL, 76, 24, kVersionText},
    {IDC_COPYRIGHT_LABEL, 100, 44, ui::kCopyrightLine}, {IDC_WEB_LABEL, 100, 60, ui::kWebLine},
    {IDC_MENU_GROUP_LABEL, 100, 80, ui::kMenuGroupLine},
    {IDC_MENU_GROUP_WEB_LABEL, 100, 96, ui::kMenuGroupWebLine},
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
    font_ = CreateStoredFont(LoadFont(sections::kAboutDialog));
    versionFont_ = CreateDesignFont();  // the version keeps it, whatever font is stored
    for (const Label& p : kLabels) {
      HWND label = Item(p.id);
      const HFONT font = (p.id == IDC_VERSION_LABEL ? versionFont_ : font_).get();
      const std::wstring text = Utf8(p.text);
      ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      ::SetWindowTextW(label, text.c_str());
      Place(label, p.x, p.y, TextWidth(label, font, text), TextHeight(label, font));
    }
    ::SendMessageW(Item(IDOK), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    Place(Item(IDOK), 316, 12, 53, 21);
    // The 32 x 32 icon on the dialog's background, pure green counting as transparent.
    image_ = LoadKeyedBitmap(PluginInstance(), L"ICONBITMAP", 32, ::GetSysColor(COLOR_BTNFACE));
    ::SendMessageW(Item(IDC_ICON_IMAGE), STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(image_.get()));
    Place(Item(IDC_ICON_IMAGE), 20, 32, 32, 32);
    CenterOver(dlg_, nullptr, kWidth, kHeight);
  }

  UniqueFont font_, versionFont_;
  UniqueBitmap image_;
};

}  // namespace

void ShowAbout() {
  Guarded(nullptr, [] { AboutDialog().RunModal(nullptr, IDD_ABOUT); });
}

}  // namespace pinote
