#include "forms/win32/dialogs.h"

#include <algorithm>

#include "common/options.h"
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/module_paths.h"
#include "common/win32/placement.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/win32/control_ids.h"

namespace pinote {
namespace {

// Design size and places in pixels; the labels size themselves to their text, the folder at
// most to the dialog's right edge (a longer path is shortened in its middle).
constexpr int kWidth = 389, kHeight = 180, kLinesLeft = 100;
struct Label {
  int id, x, y;
  UiText text;  // the folder's label gets its text when the dialog opens
};
constexpr Label kLabels[] = {
    {IDC_NAME_LABEL, 60, 8, {kPluginName, kPluginName}},
    {IDC_VERSION_LABEL, 76, 24, {kVersionText, kVersionText}},
    {IDC_COPYRIGHT_LABEL, kLinesLeft, 44, {ui::kCopyrightLine, ui::kCopyrightLine}},
    {IDC_LICENCE_LABEL, kLinesLeft, 60, {ui::kLicenceLine, ui::kLicenceLine}},
    {IDC_FILES_LABEL, kLinesLeft, 80, ui::kFilesFolderLine},
    {IDC_FOLDER_LABEL, kLinesLeft, 96, {"", ""}},
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
    CenterOver(dlg_, nullptr, kWidth, kHeight);  // first: the folder's room is measured in it
    RECT client{};
    ::GetClientRect(dlg_, &client);
    for (const Label& p : kLabels) {
      HWND label = Item(p.id);
      const HFONT font = (p.id == IDC_VERSION_LABEL ? versionFont_ : font_).get();
      const std::wstring text = p.id == IDC_FOLDER_LABEL ? Widen(PluginFolder()) : Tr(p.text);
      ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      ::SetWindowTextW(label, text.c_str());
      const int room = std::max(0, int{client.right} - p.x - 8);
      Place(label, p.x, p.y, std::min(TextWidth(label, font, text), room),
            TextHeight(label, font));
    }
    ::SendMessageW(Item(IDOK), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    Place(Item(IDOK), 316, 12, 53, 21);
    // The 32 x 32 icon on the dialog's background, pure green counting as transparent.
    image_ = LoadKeyedBitmap(PluginInstance(), L"ICONBITMAP", 32, ::GetSysColor(COLOR_BTNFACE));
    ::SendMessageW(Item(IDC_ICON_IMAGE), STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(image_.get()));
    Place(Item(IDC_ICON_IMAGE), 20, 32, 32, 32);
  }

  UniqueFont font_, versionFont_;
  UniqueBitmap image_;
};

}  // namespace

void ShowAbout() {
  Guarded(nullptr, [] { AboutDialog().RunModal(nullptr, IDD_ABOUT); });
}

}  // namespace pinote
