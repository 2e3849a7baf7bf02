// The history dialog: the earlier texts of the shown memo that the backups, conflict copies and
// merged sync-tool copies still hold, listed newest first, the selected one below in the memo's
// font, to copy or to restore. Gathered once as it opens; it writes no file (its placement goes
// to the settings in memory, as the unify dialog's does).
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/options.h"
#include "common/settings.h"
#include "common/win32/controls.h"
#include "common/win32/message_box.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/dialogs.h"
#include "store/memo_history.h"

namespace pinote {
namespace {

// Design sizes in pixels; buttons grow to their captions.
constexpr int kWidth = 480, kHeight = 320, kButtonRow = 33, kLabelHeight = 12, kButtonWidth = 75;

// A backup holds its day as the day began; the other files carry a time.
std::wstring WhenText(const EarlierText& t) {
  std::string when = FormatDate(t.when);
  if (t.source == EarlierTextSource::kDailyBackup) when.resize(10);  // "2024/05/01"
  return Utf8(when);
}

std::wstring FromText(const EarlierText& t) {
  const UiText& kind = t.source == EarlierTextSource::kDailyBackup    ? ui::kFromDailyBackup
                       : t.source == EarlierTextSource::kConflictCopy ? ui::kFromConflictCopy
                                                                      : ui::kFromSyncToolCopy;
  return Tr(kind, {AnsiToUtf8(t.file)});
}

// One line under the text: that nothing was found, and how many files were skipped.
std::wstring StatusText(const MemoHistory& h) {
  std::wstring line = h.texts.empty() ? Tr(ui::kNoEarlierText) : std::wstring();
  if (h.unreadableFiles > 0) {
    if (!line.empty()) line += L"  ";
    line += h.unreadableFiles == 1 ? Tr(ui::kOneFileUnread)
                                   : Tr(ui::kFilesUnread, {std::to_string(h.unreadableFiles)});
  }
  return line;
}

class HistoryDialog : public DialogBase<HistoryDialog> {
 public:
  HistoryDialog(const MemoHistory& history, const std::string& address, bool currentLost)
      : history_(history), address_(address), currentLost_(currentLost) {}
  [[nodiscard]] const std::optional<std::string>& Restored() const { return restored_; }

 private:
  friend class DialogBase<HistoryDialog>;

  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_INITDIALOG:
        OnInit(::GetWindow(dlg_, GW_OWNER));
        return TRUE;  // the focus goes to the first control: the list
      case WM_SIZE:
        Layout();
        return TRUE;
      case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return TRUE;
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (n->idFrom == IDC_HISTORY_LIST && n->code == LVN_ITEMCHANGED) ShowSelected();
        return FALSE;
      }
      default:
        return FALSE;
    }
  }

  void OnInit(HWND owner) {
    ::SetWindowTextW(dlg_, Tr(ui::kHistoryTitle, {AnsiToUtf8(address_)}).c_str());
    const std::pair<int, const UiText*> captions[] = {{IDC_HISTORY_TEXT_LABEL, &ui::kHistoryText},
                                                      {IDC_HISTORY_COPY, &ui::kHistoryCopy},
                                                      {IDC_HISTORY_RESTORE, &ui::kHistoryRestore},
                                                      {IDCANCEL, &ui::kClose}};
    for (const auto& [id, text] : captions) ::SetDlgItemTextW(dlg_, id, Tr(*text).c_str());
    ::SetDlgItemTextW(dlg_, IDC_HISTORY_STATUS, StatusText(history_).c_str());
    memoFont_ = CreateStoredFont(CurrentOptions().memoFont);
    ::SendDlgItemMessageW(dlg_, IDC_HISTORY_TEXT, WM_SETFONT,
                          reinterpret_cast<WPARAM>(memoFont_.get()), FALSE);
    labelHeight_ = std::max(kLabelHeight, TextHeight(dlg_, Font()));
    whenWidth_ = TextWidth(dlg_, Font(), L"0000/00/00 00:00:00") + 16;
    FillList();
    // Centred over the owner, unless a stored placement says otherwise.
    CenterOver(dlg_, owner, kWidth, kHeight);
    UseStoredPlacement(sections::kHistoryDialog, true);
    Layout();
  }

  void FillList() {
    HWND list = Item(IDC_HISTORY_LIST);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const UiText* headers[] = {&ui::kHistoryWhen, &ui::kHistoryFrom};
    for (int i = 0; i < 2; ++i) {
      std::wstring header = Tr(*headers[i]);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.cx = whenWidth_;
      column.pszText = header.data();
      ListView_InsertColumn(list, i, &column);
    }
    for (int i = 0; i < static_cast<int>(history_.texts.size()); ++i) {
      std::wstring when = WhenText(history_.texts[i]), from = FromText(history_.texts[i]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = when.data();
      ListView_InsertItem(list, &item);
      ListView_SetItemText(list, i, 1, from.data());
    }
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ShowSelected();
  }

  int ButtonWidth(int id) const {
    return std::max(kButtonWidth, TextWidth(dlg_, Font(), WindowText(Item(id))) + 16);
  }

  // The list in the upper two fifths, the selected text below it, then the status line and the
  // buttons: Copy and Restore on the left, Close on the right.
  void Layout() {
    RECT c{};
    ::GetClientRect(dlg_, &c);
    const int buttons = c.bottom - kButtonRow, status = buttons - labelHeight_;
    const int list = std::max(0, (status - labelHeight_) * 2 / 5);
    Place(Item(IDC_HISTORY_LIST), 0, 0, c.right, list);
    Place(Item(IDC_HISTORY_TEXT_LABEL), 0, list, c.right, labelHeight_);
    Place(Item(IDC_HISTORY_TEXT), 0, list + labelHeight_, c.right, status - list - labelHeight_);
    Place(Item(IDC_HISTORY_STATUS), 4, status, c.right - 4, labelHeight_);
    const int copy = ButtonWidth(IDC_HISTORY_COPY), restore = ButtonWidth(IDC_HISTORY_RESTORE);
    const int close = ButtonWidth(IDCANCEL);
    Place(Item(IDC_HISTORY_COPY), 8, buttons + 4, copy, 25);
    Place(Item(IDC_HISTORY_RESTORE), 17 + copy, buttons + 4, restore, 25);
    Place(Item(IDCANCEL), std::max(26 + copy + restore, int{c.right} - 8 - close), buttons + 4,
          close, 25);
    // The file's name takes what the time leaves.
    RECT inside{};
    ::GetClientRect(Item(IDC_HISTORY_LIST), &inside);
    ListView_SetColumnWidth(Item(IDC_HISTORY_LIST), 1,
                            std::max<LONG>(40, inside.right - whenWidth_));
    ::InvalidateRect(dlg_, nullptr, TRUE);
  }

  void OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    switch (id) {
      case IDC_HISTORY_COPY:
        if (const EarlierText* t = Selected()) PutOnClipboard(dlg_, Widen(t->memo));
        break;
      case IDC_HISTORY_RESTORE:
        RestoreSelected();
        break;
      case IDCANCEL:
        EndModal(IDCANCEL);
        break;
      default:  // IDOK, from Enter: no button's
        break;
    }
  }

  // The selected entry, or null when nothing is listed.
  const EarlierText* Selected() const {
    const int i = ListView_GetNextItem(Item(IDC_HISTORY_LIST), -1, LVNI_SELECTED);
    return i >= 0 && static_cast<size_t>(i) < history_.texts.size() ? &history_.texts[i] : nullptr;
  }

  void ShowSelected() {
    const EarlierText* t = Selected();
    ::SetDlgItemTextW(dlg_, IDC_HISTORY_TEXT, t ? Widen(t->memo).c_str() : L"");
    ::EnableWindow(Item(IDC_HISTORY_COPY), t != nullptr);
    ::EnableWindow(Item(IDC_HISTORY_RESTORE), t != nullptr);
  }

  void RestoreSelected() {
    const EarlierText* t = Selected();
    if (t == nullptr) return;
    if (currentLost_ && !Ask(dlg_, ui::kRestoreTitle, Tr(ui::kRestoreLosesCurrent),
                             MB_ICONWARNING | MB_DEFBUTTON2)) {
      return;
    }
    restored_ = t->memo;
    EndModal(IDOK);
  }

  const MemoHistory& history_;
  const std::string& address_;
  const bool currentLost_;
  UniqueFont memoFont_;
  int labelHeight_ = kLabelHeight, whenWidth_ = 120;
  std::optional<std::string> restored_;
};

}  // namespace

std::optional<std::string> RunHistoryDialog(HWND owner, const MemoStore& store,
                                            const std::string& address) {
  const Person* record = store.Get(store.IndexOfAddress(address));
  const std::vector<std::string> addresses =
      record != nullptr ? record->addresses : std::vector<std::string>{address};
  const std::string current = record != nullptr ? record->memo : std::string();
  // Seven backups of a large store are read: a moment, not an instant.
  const HCURSOR cursor = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  const MemoHistory history =
      GatherMemoHistory(SystemFileSystem(), store.FileName(), addresses, current,
                        store.TextCodePage());
  ::SetCursor(cursor);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  HistoryDialog dialog(history, address, !current.empty() && !history.currentKept);
  dialog.RunModal(owner, IDD_HISTORY, LoadFont(sections::kHistoryDialog));
  return dialog.Restored();
}

}  // namespace pinote
