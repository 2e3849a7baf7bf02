// The window's own commands. Only Hide is handled here; the dialogs and clipboard commands
// plug in through the same entry points.
#include "forms/win32/main_commands.h"

#include "forms/win32/control_ids.h"
#include "forms/win32/main_form.h"

namespace pinote {

void OnMainMenuCommand(TMainForm& form, int id) {
  if (id == ids::kHide1) form.Hide();
}

void OnToolMenuOpening(TMainForm&, HMENU) {}

void OnLabelDoubleClick(TMainForm&, int) {}

void OnLabelRightClick(TMainForm&, int) {}

void OnMemoDoubleClick(TMainForm&, int) {}

}  // namespace pinote
