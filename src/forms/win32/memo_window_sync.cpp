// The memo window's side of sharing Pinote.dat with other writers (a second host, a sync tool,
// a text editor): the protocol is SharedFile's (common/shared_file.h); the window only shows
// what each look and each save came to (memo_window.h).
#include "forms/win32/memo_window.h"

#include <imm.h>

#include "common/file_io.h"
#include "common/win32/message_box.h"
#include "common/win32/controls.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/disk_notice_texts.h"
#include "forms/text_position.h"

namespace pinote {
namespace {

// What a failed save of `file` says: the system's message, after the path of the file it failed
// on when that is another one (the lock or the temporary file).
std::string FailureMessage(const DiskOutcome& out, const std::string& file) {
  return out.path == file || out.path.empty() ? out.message : out.path + "\r\n" + out.message;
}

// Whether an input method is composing text in `edit`: that text is not typed yet, and
// replacing the box under it would throw it away.
bool IsComposing(HWND edit) {
  HIMC context = ::ImmGetContext(edit);
  if (context == nullptr) return false;
  const LONG bytes = ::ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0);
  ::ImmReleaseContext(edit, context);
  return bytes > 0;
}

}  // namespace

void MemoWindow::CatchUpWithDisk(bool refillShown) {
  // The store has no file before the load (no known home for the plug-in): nothing to look at.
  if (catchingUp_ || store_.FileName().empty()) return;
  ScopedFlag running(catchingUp_);
  const DiskOutcome out = SyncWithDisk(SystemFileSystem(), store_.File(), &Settings().File());
  ShowOutcome(out, refillShown && out.notices.reloaded);
}

void MemoWindow::ShowOutcome(const DiskOutcome& out, bool refill) {
  if (out.ok()) {
    if (!out.unsaved) ClearSaveTrouble();
  } else if (out.unsaved) {
    // Only edits waiting for the disk make a failed look the user's concern; a look that merely
    // could not read another writer's file is tried again at the next one.
    ShowSaveTrouble(out.status == DiskOutcome::Status::kBusy, store_.FileName(),
                    FailureMessage(out, store_.FileName()));
  }
  if (refill && IsAddressShown()) RefillShownRecord();
  TellNotices(out.notices);
  for (const PossibleCopy& copy : out.notices.possibleCopies) {
    const bool merge =
        Ask(wnd_, ui::kPluginNameTitle, Utf8(PossibleCopyQuestion(copy, IsJapanese(), AnsiToUtf8)),
            MB_ICONQUESTION | MB_DEFBUTTON2);
    SharedFile& file = copy.of == store_.FileName() ? store_.File() : Settings().File();
    ShowOutcome(file.DecideOnCopy(copy.path, merge), true);
  }
}

void MemoWindow::ShowSaveTrouble(bool busy, const std::string& path, const std::string& message) {
  const bool japanese = IsJapanese();
  const SaveTrouble trouble = busy ? SaveTrouble::kBusy : SaveTrouble::kFailed;
  HWND note = Control(IDC_SAVE_NOTE_LABEL);
  // Made at the first failure only: a window that never needs it has no control more to lay out
  // or fill.
  if (note == nullptr) {
    note = CreateChild(wnd_, IDC_SAVE_NOTE_LABEL, L"STATIC", WS_CHILD | SS_NOPREFIX |
                       SS_LEFTNOWORDWRAP, 0, L"", designFont_.get());
  }
  ::SetWindowTextW(note, Utf8(SaveTroubleNote(trouble, japanese)).c_str());
  if (SetVisible(note, true)) Layout();
  // One box per run of failures: typing on must not raise one per keystroke.
  if (saveTrouble_) return;
  saveTrouble_ = true;
  Tell(wnd_, ui::kPluginNameTitle,
       Utf8(SaveTroubleText(trouble, AnsiToUtf8(path), AnsiToUtf8(message), japanese)),
       MB_ICONWARNING);
}

void MemoWindow::ClearSaveTrouble() {
  saveTrouble_ = false;
  HWND note = Control(IDC_SAVE_NOTE_LABEL);
  if (note != nullptr && SetVisible(note, false)) Layout();
}

void MemoWindow::TellNotices(const DiskNotices& notices) {
  const std::string text = DiskNoticeText(notices, IsJapanese(), AnsiToUtf8);
  if (!text.empty()) Tell(wnd_, ui::kPluginNameTitle, Utf8(text), MB_ICONINFORMATION);
}

void MemoWindow::TellLoadFailure(const DiskOutcome& out) {
  if (out.ok()) return;
  Tell(wnd_, ui::kPluginNameTitle, Widen(out.path) + L"\r\n\r\n" + Widen(out.message),
       MB_ICONERROR);
}

void MemoWindow::SaveLeftEdits() {
  if (!store_.HasUnsavedChanges()) return;
  const DiskOutcome out = store_.Save();
  if (!out.ok()) {
    const std::string& file = store_.FileName();
    Tell(wnd_, ui::kPluginNameTitle,
         Utf8(NotSavedAtEndText(AnsiToUtf8(file), AnsiToUtf8(FailureMessage(out, file)),
                                IsJapanese())),
         MB_ICONERROR);
    return;
  }
  TellNotices(out.notices);
}

// The shown record as memory holds it now (another writer's change merged in, or a save that
// joined the typed text with what the file held): what the user typed is in memory already, so
// the box loses nothing, and the caret, the selection and the scroll position stay on the same
// characters. A box that shows the record already is left alone (its undo kept).
void MemoWindow::RefillShownRecord() {
  HWND memo = Control(IDC_MEMO_EDIT);
  const Person* record = store_.Get(store_.IndexOfAddress(address_));
  const std::wstring before = WindowText(memo);
  const std::wstring after = record != nullptr ? Widen(record->memo) : std::wstring();
  const bool important = record != nullptr && record->important;
  if (before == after && IsImportantChecked() == important) {
    shownMemo_ = record != nullptr ? record->memo : std::string();
    return;
  }
  // The next keystroke lays the typing onto the record (StoreTypedMemo), as shownMemo_ tells.
  if (IsComposing(memo)) return;
  DWORD selStart = 0, selEnd = 0;
  ::SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                 reinterpret_cast<LPARAM>(&selEnd));
  const LRESULT firstLine = ::SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
  {
    ScopedFlag loading(loading_);
    FillRecord(store_.IndexOfAddress(address_));
    ApplyStorable();
    Layout();
  }
  ::SendMessageW(memo, EM_SETSEL, KeptPosition(before, after, selStart),
                 static_cast<LPARAM>(KeptPosition(before, after, selEnd)));
  const LRESULT nowFirst = ::SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(memo, EM_LINESCROLL, 0, firstLine - nowFirst);
}

}  // namespace pinote
