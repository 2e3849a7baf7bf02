// The memo window's side of sharing Pinote.dat with other writers (a second host, a sync tool,
// a text editor): what changed on disk is merged in when a mail is shown and when the window is
// activated, what happened is told once, and a save that fails (the lock held by another
// writer, a file that cannot be written) is told once per run of failures, with a note in the
// window until a save succeeds. The edit itself always stays in the store for the next save.
#include "forms/win32/memo_window.h"

#include <imm.h>

#include <stdexcept>

#include "common/file_io.h"
#include "common/sync_copies.h"
#include "common/win32/errors.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/disk_notice_texts.h"
#include "store/disk_sync.h"

namespace pinote {
namespace {

// The notices with every path and message in UTF-8, as the texts table wants them.
DiskNotices InUtf8(const DiskNotices& notices) {
  DiskNotices out;
  for (const std::string& path : notices.conflictCopies) {
    out.conflictCopies.push_back(AnsiToUtf8(path));
  }
  for (const MergedCopy& c : notices.mergedCopies) {
    out.mergedCopies.push_back({AnsiToUtf8(c.path), c.tool, c.merged, AnsiToUtf8(c.movedTo),
                                AnsiToUtf8(c.moveError)});
  }
  for (const CopyLeftAlone& c : notices.copiesLeftAlone) {
    out.copiesLeftAlone.push_back({AnsiToUtf8(c.path), c.tool, c.reason, AnsiToUtf8(c.message)});
  }
  return out;
}

// What a failed save of `file` says: the system's message, after the path of the file it failed
// on when that is another one (the lock or the temporary file).
std::string FailureMessage(const FileError& e, const std::string& file) {
  return e.path() == file ? e.systemMessage() : e.path() + "\r\n" + e.systemMessage();
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
  const SyncOutcome out = SyncWithDisk(store_, &Settings());
  if (out.status == SyncOutcome::Status::kOk) {
    if (!store_.HasUnsavedChanges()) ClearSaveTrouble();
  } else if (store_.HasUnsavedChanges() && out.error) {
    // Only edits waiting for the disk make a failed look the user's concern; a look that merely
    // could not read another writer's file is tried again at the next one.
    ShowSaveTrouble(out.status == SyncOutcome::Status::kBusy, store_.FileName(),
                    FailureMessage(*out.error, store_.FileName()));
  }
  if (refillShown && out.notices.reloaded && IsAddressShown()) RefillShownRecord();
  TellNotices(out.notices);
}

bool MemoWindow::Saved(const std::function<void()>& change) {
  bool saved = false;
  try {
    change();
    saved = true;
  } catch (const FileError& e) {
    const bool busy = dynamic_cast<const FileBusyError*>(&e) != nullptr;
    const std::string& file = store_.FileName();
    ShowSaveTrouble(busy, file.empty() ? e.path() : file, FailureMessage(e, file));
  }
  if (saved) ClearSaveTrouble();
  TellNotices(store_.TakeNotices());
  return saved;
}

void MemoWindow::ShowSaveTrouble(bool busy, const std::string& path, const std::string& message) {
  const bool japanese = IsJapanese();
  const SaveTrouble trouble = busy ? SaveTrouble::kBusy : SaveTrouble::kFailed;
  HWND note = Control(IDC_SAVE_NOTE_LABEL);
  if (note == nullptr) {
    // Made at the first failure only: a window that never needs it has no control more to lay
    // out or fill.
    note = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, 0,
                             0, 0, wnd_, reinterpret_cast<HMENU>(INT_PTR{IDC_SAVE_NOTE_LABEL}),
                             PluginInstance(), nullptr);
    if (note == nullptr) throw std::runtime_error("CreateWindowExW failed for the save note");
    ::SendMessageW(note, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
  }
  ::SetWindowTextW(note, Utf8(SaveTroubleNote(trouble, japanese)).c_str());
  if ((::GetWindowLongPtrW(note, GWL_STYLE) & WS_VISIBLE) == 0) {
    ::ShowWindow(note, SW_SHOWNA);
    Layout();
  }
  // One box per run of failures: typing on must not raise one per keystroke.
  if (saveTrouble_) return;
  saveTrouble_ = true;
  TellUser(wnd_, Utf8(SaveTroubleText(trouble, AnsiToUtf8(path), AnsiToUtf8(message), japanese)),
           MB_ICONWARNING);
}

void MemoWindow::ClearSaveTrouble() {
  HWND note = Control(IDC_SAVE_NOTE_LABEL);
  saveTrouble_ = false;
  if (note == nullptr || (::GetWindowLongPtrW(note, GWL_STYLE) & WS_VISIBLE) == 0) return;
  ::ShowWindow(note, SW_HIDE);
  Layout();
}

void MemoWindow::TellNotices(const DiskNotices& notices) {
  const std::string text = DiskNoticeText(InUtf8(notices), IsJapanese());
  if (!text.empty()) TellUser(wnd_, Utf8(text), MB_ICONINFORMATION);
}

// A writer holds the lock through its replace of the file, and a file being replaced cannot be
// opened (a host starting while another one saves would report a sharing violation and start
// without its memos). A lock that stays held or cannot be made is no reason not to read.
void MemoWindow::LoadClearOfWriters(const std::string& path) {
  std::unique_ptr<FileLock> lock;
  try {
    lock = SystemFileSystem().Lock(LockFileOf(path), kLockWaitMilliseconds);
  } catch (const FileError&) {
    // A folder where no lock file can be made: read all the same.
  }
  store_.Load(path);
}

void MemoWindow::SaveLeftEdits() {
  if (!store_.HasUnsavedChanges()) return;
  try {
    store_.Save();
  } catch (const FileError& e) {
    const std::string& file = store_.FileName();
    TellUser(wnd_,
             Utf8(NotSavedAtEndText(AnsiToUtf8(file), AnsiToUtf8(FailureMessage(e, file)),
                                    IsJapanese())),
             MB_ICONERROR);
    return;
  }
  TellNotices(store_.TakeNotices());
}

// Another writer's changes were merged in: the shown record is shown as the store now has it.
// What the user typed is in the store already (a typed edit wins every merge), so the box loses
// nothing; the caret, the selection and the scroll position stay where they were.
void MemoWindow::RefillShownRecord() {
  HWND memo = Control(IDC_MEMO_EDIT);
  if (IsComposing(memo)) return;  // the next mail or activation shows the merged record
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
  // EM_SETSEL keeps the positions inside the new text.
  ::SendMessageW(memo, EM_SETSEL, selStart, selEnd);
  const LRESULT nowFirst = ::SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(memo, EM_LINESCROLL, 0, firstLine - nowFirst);
}

}  // namespace pinote
