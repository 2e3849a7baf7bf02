#include "forms/win32/dialogs.h"

#include <utility>

#include "common/options.h"
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/win32/control_ids.h"

namespace pinote {
namespace {

// The labels' texts; the folder's label gets the plug-in's folder when the dialog opens.
constexpr std::pair<int, UiText> kLabels[] = {
    {IDC_NAME_LABEL, {kPluginName, kPluginName}},
    {IDC_VERSION_LABEL, {kVersionText, kVersionText}},
    {IDC_COPYRIGHT_LABEL, {ui::kCopyrightLine, ui::kCopyrightLine}},
    {IDC_LICENCE_LABEL, {ui::kLicenceLine, ui::kLicenceLine}},
    {IDC_FILES_LABEL, ui::kFilesFolderLine},
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
    for (const auto& [id, text] : kLabels) ::SetDlgItemTextW(dlg_, id, Tr(text).c_str());
    ::SetDlgItemTextW(dlg_, IDC_FOLDER_LABEL, Widen(PluginFolder()).c_str());
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
