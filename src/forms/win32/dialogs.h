// The plug-in's modal dialogs, run by the dialog manager from the templates of dialogs.rc, and
// the question before a memo line's link is opened. Each throws when it cannot be shown.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/texts.h"
#include "store/memo_store.h"

namespace pinote {

// The options dialog, without an owner (every other window of the thread is disabled meanwhile),
// on its name-list page. True when it closed with OK, after every option was written and the
// settings file saved; Cancel, Esc and the close box write nothing.
bool RunOptionsDialog();
// The options dialog, from the memo window's menu and from the host's set-up alike: on OK the
// options apply to `window` (when there is one), and a changed name-list path reloads its store.
class MemoWindow;
void ChangeOptions(MemoWindow* window);

// The unify dialog, owned by `owner`, its OK button saying `okCaption`: a keyword-filtered list
// of every stored address with the memo of the selected one. The store is only read. OK, a
// double-click or Enter in the list picks the selected line; an empty list picks nothing.
struct UnifyPick {
  bool ok = false;  // closed by picking a listed line
  int record = 0;   // the picked record's index in the store
  int address = 0;  // the picked address's index within that record's addresses
};
[[nodiscard]] UnifyPick RunUnifyDialog(HWND owner, const MemoStore& store, const UiText& okCaption);

// The history dialog, owned by `owner`: every earlier text of the memo of `address` (its record's
// other addresses included) that the files kept beside the store's file still hold, newest
// first, the selected one below in the memo font. Copy puts it on the clipboard; Restore returns
// it for the caller to store as an edit, after asking when the memo as it is now is kept in no
// file. Nothing is written here. nullopt when it closes without Restore.
[[nodiscard]] std::optional<std::string> RunHistoryDialog(HWND owner, const MemoStore& store,
                                                          const std::string& address);

// The About dialog, without an owner, until OK, Enter or Esc. Reports a failure itself.
void ShowAbout();

// Opens what the memo line `line` (ANSI) names after its last "!" (nothing for a line without
// one) through the shell's "open" verb, parented to `owner`: the target as Windows reads it, at
// once when the judge finds no risk, else after the Yes/No question that names it (No the
// default). The shell's answer is not shown.
void OpenLinkOfLine(HWND owner, const std::string& line);

}  // namespace pinote
