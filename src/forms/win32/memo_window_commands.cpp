// The memo window's commands: its menu bar and what each item does, and the mouse actions on its
// labels and boxes. The store changes themselves are store/record_operations.h's. Also the
// window's side of the memo for everyone at a domain (store/domain_memo.h): the Tool menu's item
// that switches between it and the sender's own memo, and the hint line that tells of it while
// the sender's own memo is shown. Neither exists for a window that never showed an address with
// a domain, so a user without domain memos sees the window as it always was.
#include "forms/win32/memo_window.h"

#include <commctrl.h>

#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/message_box.h"
#include "common/win32/module_paths.h"
#include "common/win32/text.h"
#include "forms/win32/dialogs.h"
#include "store/domain_memo.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

bool IsBox(int id) { return id == IDC_MEMO_EDIT || id == IDC_NAME_LIST_EDIT; }

void Warn(HWND owner, const UiText& title, const UiText& text) {
  Tell(owner, title, Tr(text), MB_ICONWARNING);
}

// The domain of a domain address, in UTF-8 for the texts table.
std::string DomainText(std::string_view domainAddress) {
  return AnsiToUtf8(domainAddress.substr(kDomainAddressPrefix.size()));
}

// A menu takes "&" for its access key: the domain's own are doubled to be shown.
std::string DoubledAmpersands(std::string_view text) {
  std::string out;
  for (const char c : text) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

}  // namespace

UniqueMenu MemoWindow::CreateMenus() {
  return CreateMenuBar({{0, &ui::kToolMenu}, {IDM_LOOK, &ui::kLookItem},
                        {IDM_HISTORY, &ui::kHistoryItem}, kMenuSeparator,
                        {IDM_UNIFY, &ui::kUnifyItem}, {IDM_SEPARATE, &ui::kSeparateItem},
                        kMenuSeparator, {IDM_HIDE, &ui::kHideItem}, kMenuSeparator,
                        {IDM_OPTIONS, &ui::kOptionItem}, {0, &ui::kHelpMenu},
                        {IDM_HELP_CONTENTS, &ui::kContentsItem}, kMenuSeparator,
                        {IDM_ABOUT, &ui::kVersionItem}});
}

void MemoWindow::OnMenuCommand(int id) {
  switch (id) {
    case IDM_LOOK: OnLook(); break;
    case IDM_HISTORY: OnHistory(); break;
    case IDM_UNIFY: OnUnify(); break;
    case IDM_SEPARATE: OnSeparate(); break;
    case IDM_HIDE: Hide(); break;
    case IDM_OPTIONS: ChangeOptions(this); break;
    case IDM_HELP_CONTENTS: ShowHelp(wnd_); break;
    case IDM_ABOUT: ShowAbout(); break;
    case IDM_DOMAIN_MEMO: SwitchDomainMemo(); break;
    default: break;
  }
}

// The labels' right button and the boxes' double-click, which their own notifications lack.
LRESULT CALLBACK MemoWindow::MouseSubclass(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                           DWORD_PTR window) {
  auto& memo = *reinterpret_cast<MemoWindow*>(window);
  const bool box = IsBox(::GetDlgCtrlID(wnd));
  if (msg == WM_RBUTTONDOWN && !box) {
    Guarded(memo.wnd_, [&] { memo.CopyLabel(wnd); });
    return 0;
  }
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(wnd, &MouseSubclass, 1);
  const LRESULT result = ::DefSubclassProc(wnd, msg, wp, lp);
  if (msg == WM_LBUTTONDBLCLK && box) Guarded(memo.wnd_, [&] { memo.OpenCaretLineLink(wnd); });
  return result;
}

void MemoWindow::OnLook() {
  const UnifyPick pick = RunUnifyDialog(wnd_, store_, ui::kLookButton);
  if (!pick.ok) return;
  if (const auto picked = PickedAddress(store_, pick.record, pick.address)) {
    ShowMemo(wnd_, *picked, "", true, SenderViewRequest::kPerson);
  }
}

void MemoWindow::OnUnify() {
  if (!IsAddressShown()) return;
  const UnifyPick pick = RunUnifyDialog(wnd_, store_, ui::kUnifyButton);
  if (!pick.ok) return;
  const std::string shown = address_;
  switch (Unify(store_, shown, pick.record, pick.address)) {
    case UnifyOutcome::kSameAddress: Warn(wnd_, ui::kSameAddressTitle, ui::kSameAddress); break;
    case UnifyOutcome::kAlreadyUnified: Warn(wnd_, ui::kUnifiedTitle, ui::kUnified); break;
    case UnifyOutcome::kAddressNotStored:
      Warn(wnd_, ui::kCannotUnifyTitle, ui::kCannotUnify);
      break;
    case UnifyOutcome::kPersonAndDomain:
      Warn(wnd_, ui::kPersonAndDomainTitle, ui::kPersonAndDomain);
      break;
    case UnifyOutcome::kUnified:
      // Shown again also when the save failed: unified in memory, the box must show the joined
      // memo, or the next keystroke would store the shown address's old memo over it.
      ShowOutcome(store_.Save(), false);
      ShowSenderAgain(view_.domainShown);
      break;
    case UnifyOutcome::kNothingPicked: break;
  }
}

void MemoWindow::OnSeparate() {
  const std::string shown = address_;
  if (!IsAddressShown()) return;
  if (Separate(store_, shown, MemoText(), IsImportantChecked()) != SeparateOutcome::kSeparated) {
    return;
  }
  // Shown again also when the save failed: the separation stands in memory.
  ShowOutcome(store_.Save(), false);
  ShowSenderAgain(view_.domainShown);
}

// The earlier texts of the shown memo; one restored is stored as the user's edit would be.
void MemoWindow::OnHistory() {
  if (!IsAddressShown()) return;
  if (const auto text = RunHistoryDialog(wnd_, store_, address_)) SetMemoText(*text);
}

// The Tool menu is about to open: Look needs a record, History a shown address that can be kept
// (its memo may have been emptied, and its record gone with it), Unify two records, Separate a
// shown address whose record has more than one address.
void MemoWindow::EnableToolMenu() {
  const Person* shown = IsAddressShown() ? store_.Get(store_.IndexOfAddress(address_)) : nullptr;
  const std::pair<int, bool> items[] = {{IDM_LOOK, store_.Count() > 0},
                                        {IDM_HISTORY, IsAddressShown() && storable_},
                                        {IDM_UNIFY, store_.Count() > 1},
                                        {IDM_SEPARATE, shown && shown->addresses.size() > 1}};
  for (const auto& [id, on] : items) {
    ::EnableMenuItem(toolMenu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
  UpdateDomainItem();
}

// Double-click or right button on a label: asks whether to copy its text to the clipboard.
void MemoWindow::CopyLabel(HWND label) {
  const std::wstring text = WindowText(label);
  if (!IsAddressShown() || text.empty()) return;
  if (Ask(wnd_, ui::kCopyTitle, Tr(ui::kCopyQuestion) + L"\r\r" + text, 0)) {
    PutOnClipboard(wnd_, text);
  }
}

// Double-click in a memo box: opens what its caret line names after its last "!". A double-click
// also selects a word, and memo text can come from received mail, so what could start a program
// is opened only after the user said yes to it.
void MemoWindow::OpenCaretLineLink(HWND box) {
  if (IsAddressShown()) OpenLinkOfLine(wnd_, Narrow(CaretLine(box)));
}

// Right after Look, checked while the domain's memo is shown; absent before the first address
// and for an address without a domain.
void MemoWindow::UpdateDomainItem() {
  ::DeleteMenu(toolMenu_, IDM_DOMAIN_MEMO, MF_BYCOMMAND);
  if (!IsAddressShown() || view_.domainAddress.empty()) return;
  const std::wstring text =
      Tr(ui::kDomainMemoItem, {DoubledAmpersands(DomainText(view_.domainAddress))});
  ::InsertMenuW(toolMenu_, IDM_HISTORY,  // before History: right after Look
                MF_BYCOMMAND | MF_STRING | (view_.domainShown ? MF_CHECKED : MF_UNCHECKED),
                IDM_DOMAIN_MEMO, text.c_str());
}

// The menu item and the hint: the domain's memo, or back to the sender's own from it. The next
// mail decides anew.
void MemoWindow::SwitchDomainMemo() {
  if (!IsAddressShown() || view_.domainAddress.empty()) return;
  ShowSenderAgain(!view_.domainShown);
}

void MemoWindow::ShowSenderAgain(bool domain) {
  ShowMemo(wnd_, senderAddress_, sender_, true,
           domain ? SenderViewRequest::kDomain : SenderViewRequest::kPerson);
}

void MemoWindow::ShowDomainHint() {
  HWND hint = Control(IDC_DOMAIN_HINT_LABEL);
  if (!view_.hint) {
    if (hint != nullptr) repaint_ |= SetVisible(hint, false);
    return;
  }
  // Made at the first need only, as the save note is.
  if (hint == nullptr) {
    hint = CreateChild(wnd_, IDC_DOMAIN_HINT_LABEL, L"STATIC",
                       WS_CHILD | SS_NOTIFY | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, L"",
                       designFont_.get());
  }
  repaint_ |= SetText(hint, Tr(ui::kDomainMemoHint, {DomainText(view_.domainAddress)}));
  repaint_ |= SetVisible(hint, true);
}

}  // namespace pinote
