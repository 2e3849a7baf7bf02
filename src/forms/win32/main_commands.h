// The memo window's menu commands and mouse actions. The window routes its events here.
#pragma once

#include <windows.h>

namespace pinote {

class TMainForm;

// A command of the menu bar MainMenu1 (ids::kLook1 .. ids::kVersion1).
void OnMainMenuCommand(TMainForm& form, int id);
// The Tool menu is about to open (Tool1Click): enables or disables its items.
void OnToolMenuOpening(TMainForm& form, HMENU toolMenu);
// Double-click and right button on SenderLabel, AddressLabel or OtherAddressLabel.
void OnLabelDoubleClick(TMainForm& form, int labelId);
void OnLabelRightClick(TMainForm& form, int labelId);
// Double-click in MemoMemo or MeiboMemo, after the edit control has handled it.
void OnMemoDoubleClick(TMainForm& form, int memoId);

}  // namespace pinote
