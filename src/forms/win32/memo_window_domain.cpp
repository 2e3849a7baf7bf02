// The memo window's side of the memo for everyone at a domain (store/domain_memo.h): the Tool
// menu's item that switches between it and the sender's own memo, and the hint line that tells
// of it while the sender's own memo is shown. Neither exists for a window that never showed an
// address with a domain, so a user without domain memos sees the window as it always was.
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/text.h"
#include "forms/win32/memo_window.h"
#include "store/domain_memo.h"

namespace pinote {
namespace {

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

// Right after Look, checked while the domain's memo is shown; absent before the first address
// and for an address without a domain.
void MemoWindow::UpdateDomainItem() {
  ::DeleteMenu(toolMenu_, IDM_DOMAIN_MEMO, MF_BYCOMMAND);
  if (!IsAddressShown() || view_.domainAddress.empty()) return;
  const std::wstring text = Utf8(FillText(Pick(ui::kDomainMemoItem, IsJapanese()),
                                          {DoubledAmpersands(DomainText(view_.domainAddress))}));
  ::InsertMenuW(toolMenu_, IDM_HISTORY,  // before History: right after Look
                MF_BYCOMMAND | MF_STRING | (view_.domainShown ? MF_CHECKED : MF_UNCHECKED),
                IDM_DOMAIN_MEMO, text.c_str());
}

// The menu item and the hint: the domain's memo, or back to the sender's own from it. The next
// mail decides anew.
void MemoWindow::SwitchDomainMemo() {
  if (!IsAddressShown() || view_.domainAddress.empty()) return;
  ShowMemo(wnd_, senderAddress_, sender_, true,
           view_.domainShown ? SenderViewRequest::kPerson : SenderViewRequest::kDomain);
}

void MemoWindow::ShowSameView() {
  ShowMemo(wnd_, senderAddress_, sender_, true,
           view_.domainShown ? SenderViewRequest::kDomain : SenderViewRequest::kPerson);
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
  repaint_ |= SetText(hint, Utf8(FillText(Pick(ui::kDomainMemoHint, IsJapanese()),
                                          {DomainText(view_.domainAddress)})));
  repaint_ |= SetVisible(hint, true);
}

}  // namespace pinote
