#include "forms/win32/unify_form.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/integer_list.h"
#include "common/win32/env.h"
#include "common/win32/handles.h"
#include "common/win32/placement.h"
#include "forms/unify_rules.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/dock.h"
#include "forms/win32/modal.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

constexpr char kSection[] = "UnifyForm";
constexpr int kFormWidth = 319, kFormHeight = 191;
constexpr int kButtonPanelHeight = 33, kDesignListWidth = 124, kSplitterWidth = 6;
constexpr int kDesignLabelHeight = 12;
constexpr int kDropDownHeight = 200;

struct TUnifyForm {
  explicit TUnifyForm(const MemoStore& d) : data(d) {}

  const MemoStore& data;
  FontSpec fontSpec;
  UniqueFont font;

  HWND wnd = nullptr;
  HWND keywordCombo = nullptr;
  HWND addressPanel = nullptr;
  HWND addressList = nullptr;
  HWND splitter = nullptr;
  HWND memoMemo = nullptr;
  HWND okButton = nullptr;

  // For each line of AddressList: its record, and the address's index in that record.
  IntegerList itemPersons;
  IntegerList itemAddresses;
  UnifyResult result;
  bool done = false;
  bool updatingHistory = false;

  void FormCreate(const std::wstring& okCaption);
  void FormShow();
  void FillList(const std::string& keyword);
  void AddressListClick();
  [[nodiscard]] bool ListIsEmpty() const { return itemPersons.Count() == 0; }
  void PickAndClose();
  void KeywordComboExit();
  void KeywordComboSelect();
  void Splitter1Moved();
  void Close(bool ok);
  void OnCommand(int id, int code);
  [[nodiscard]] bool FilterMessage(const MSG& msg);
};

HWND Docked(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
            int x, int y, int w, int h, Align align, DWORD exStyle = 0) {
  HWND wnd = CreateDocked(parent, cls, text.c_str(), WS_VISIBLE | style, id, x, y, w, h, align,
                          exStyle);
  if (wnd == nullptr) throw std::runtime_error("CreateWindowExW failed for a control");
  return wnd;
}

HWND Panel(HWND parent, int x, int y, int w, int h, Align align, int id) {
  HWND panel = CreatePanel(parent, x, y, w, h, align);
  if (panel == nullptr) throw std::runtime_error("CreatePanel failed");
  SetControlId(panel, id);
  return panel;
}

int WindowWidth(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  return r.right - r.left;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto len = ::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    std::wstring text(static_cast<size_t>(std::max<LRESULT>(len, 0)) + 1, L'\0');
    if (len > 0) ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(len, 0)));
    items.push_back(Narrow(text));
  }
  return items;
}

void SetComboItems(HWND combo, const std::vector<std::string>& items) {
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
  }
}

void TUnifyForm::FormCreate(const std::wstring& okCaption) {
  fontSpec = DefaultFont();
  LoadFont(kSection, fontSpec);
  font.reset(::CreateFontIndirectW(&fontSpec.log));
  const int labelHeight = std::max(kDesignLabelHeight, TextHeight(wnd, font.get()));

  Docked(wnd, L"STATIC", Tr("絞り込みのキーワード", "Keyword"), SS_LEFT, ids::kKeywordLabel, 0,
         0, kFormWidth, labelHeight, Align::Top);
  keywordCombo = Docked(wnd, L"COMBOBOX", L"",
                        CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
                        ids::kKeywordCombo, 0, labelHeight, kFormWidth, kDropDownHeight,
                        Align::Top);

  HWND buttons = Panel(wnd, 0, 400, kFormWidth, kButtonPanelHeight, Align::Bottom,
                       ids::kUnifyButtonPanel);
  okButton = Docked(buttons, L"BUTTON", okCaption.empty() ? Tr("統合", "OK") : okCaption,
                    BS_PUSHBUTTON | WS_TABSTOP, ids::kUnifyOKButton, 8, 4, 75, 25, Align::None);
  Docked(buttons, L"BUTTON", Tr("キャンセル", "Cancel"), BS_PUSHBUTTON | WS_TABSTOP,
         ids::kUnifyCancelButton, 92, 4, 75, 25, Align::None);

  addressPanel = Panel(wnd, 0, 100, kDesignListWidth, 100, Align::Left, ids::kAddressPanel);
  Docked(addressPanel, L"STATIC", Tr("アドレスのリスト", "Address List"), SS_LEFT,
         ids::kUnifyAddressLabel, 0, 0, kDesignListWidth, labelHeight, Align::Top);
  addressList = Docked(addressPanel, L"LISTBOX", L"",
                       LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                       ids::kAddressList, 0, labelHeight, kDesignListWidth, 80, Align::Client,
                       WS_EX_CLIENTEDGE);

  splitter = CreateSplitter(wnd, ids::kUnifySplitter, kDesignListWidth, 100, kSplitterWidth, 100,
                            Align::Left);
  if (splitter == nullptr) throw std::runtime_error("CreateSplitter failed");

  HWND memoPanel = Panel(wnd, kDesignListWidth + kSplitterWidth, 100, 100, 100, Align::Client,
                         ids::kMemoPanel);
  Docked(memoPanel, L"STATIC", Tr("選択したアドレスのメモ", "Memo for the Address"), SS_LEFT,
         ids::kMemoLabel, 0, 0, 100, labelHeight, Align::Top);
  memoMemo = Docked(memoPanel, L"EDIT", L"",
                    ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL,
                    ids::kUnifyMemoMemo, 0, labelHeight, 100, 80, Align::Client,
                    WS_EX_CLIENTEDGE);

  // The combo takes the height that suits the font itself; the layout follows it.
  SetFontAll(wnd, font.get());
  CenterForm(wnd, ::GetWindow(wnd, GW_OWNER));
  LoadFormPlacement(wnd, kSection, true);
  LayoutChildren(wnd);

  int listWidth = Settings().ReadInt(kSection, "ListWidth", WindowWidth(addressList));
  listWidth = std::max(listWidth, 0);
  RECT r{};
  ::GetWindowRect(addressPanel, &r);
  ::SetWindowPos(addressPanel, nullptr, 0, 0, listWidth, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The splitter follows the list at once, so the layout keeps the two in this order.
  ::GetWindowRect(splitter, &r);
  ::MapWindowPoints(HWND_DESKTOP, wnd, reinterpret_cast<POINT*>(&r), 2);
  ::SetWindowPos(splitter, nullptr, listWidth, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutChildren(wnd);
}

void TUnifyForm::FormShow() {
  const std::vector<std::string> history =
      SplitKeywordHistory(Settings().ReadString(kSection, "Keyword", ""));
  SetComboItems(keywordCombo, history);
  if (!history.empty()) ::SendMessageW(keywordCombo, CB_SETCURSEL, 0, 0);
  FillList(Narrow(WindowText(keywordCombo)));
}

void TUnifyForm::FillList(const std::string& keyword) {
  ::SendMessageW(addressList, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(addressList, LB_RESETCONTENT, 0, 0);
  itemPersons.Clear();
  itemAddresses.Clear();
  for (const UnifyLine& line : FilterAddresses(data, keyword)) {
    ::SendMessageW(addressList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line.text).c_str()));
    itemPersons.Add(line.record);
    itemAddresses.Add(line.address);
  }
  ::SendMessageW(addressList, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(addressList, nullptr, TRUE);
  if (!ListIsEmpty()) {
    ::SendMessageW(addressList, LB_SETCURSEL, 0, 0);
    AddressListClick();
    ::EnableWindow(okButton, TRUE);
  } else {
    ::SetWindowTextW(memoMemo, L"");
    ::EnableWindow(okButton, FALSE);
  }
}

void TUnifyForm::AddressListClick() {
  const int line = static_cast<int>(::SendMessageW(addressList, LB_GETCURSEL, 0, 0));
  const Person* person = data.Get(itemPersons.Get(line));
  ::SetWindowTextW(memoMemo, person != nullptr ? Widen(person->Memo).c_str() : L"");
}

// Nothing is listed, so there is nothing to pick: an OK here would hand the caller a record
// that was never shown (or none at all in an empty store).
void TUnifyForm::PickAndClose() {
  if (ListIsEmpty()) return;
  const int line = static_cast<int>(::SendMessageW(addressList, LB_GETCURSEL, 0, 0));
  result.record = itemPersons.Get(line);
  result.address = itemAddresses.Get(line);
  Close(true);
}

void TUnifyForm::KeywordComboExit() {
  if (done) return;  // the dialog is going away, not the focus moving on
  updatingHistory = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{updatingHistory};
  const std::string text = Narrow(WindowText(keywordCombo));
  const std::vector<std::string> items = UpdateKeywordHistory(ComboItems(keywordCombo), text);
  SetComboItems(keywordCombo, items);
  ::SendMessageW(keywordCombo, CB_SETCURSEL, 0, 0);
  Settings().Write(kSection, "Keyword", SettingValue(JoinKeywordHistory(items)));
}

// At CBN_SELCHANGE the edit still holds the old text: the chosen item is the keyword.
void TUnifyForm::KeywordComboSelect() {
  const auto index = ::SendMessageW(keywordCombo, CB_GETCURSEL, 0, 0);
  if (index < 0) return;
  const std::vector<std::string> items = ComboItems(keywordCombo);
  if (static_cast<size_t>(index) < items.size()) FillList(items[static_cast<size_t>(index)]);
}

void TUnifyForm::Splitter1Moved() {
  Settings().Write(kSection, "ListWidth", SettingValue(static_cast<int32_t>(WindowWidth(addressPanel))));
  Settings().Save();
}

void TUnifyForm::Close(bool ok) {
  if (done) return;
  SaveFormPlacement(wnd, kSection, true);
  result.ok = ok;
  done = true;
}

void TUnifyForm::OnCommand(int id, int code) {
  switch (id) {
    case ids::kUnifyOKButton:
      if (code == BN_CLICKED && ::IsWindowEnabled(okButton)) PickAndClose();
      break;
    case ids::kUnifyCancelButton:
      if (code == BN_CLICKED) Close(false);
      break;
    case ids::kAddressList:
      if (code == LBN_SELCHANGE) AddressListClick();
      if (code == LBN_DBLCLK) PickAndClose();
      break;
    case ids::kKeywordCombo:
      if (updatingHistory) break;
      if (code == CBN_EDITCHANGE) FillList(Narrow(WindowText(keywordCombo)));
      if (code == CBN_SELCHANGE) KeywordComboSelect();
      if (code == CBN_KILLFOCUS) KeywordComboExit();
      break;
    case ids::kUnifySplitter:
      if (code == kSplitterMoved) Splitter1Moved();
      break;
    default:
      break;
  }
}

// OK is not the default button: Enter picks only in the list, clicks a focused button, and
// closes an open drop-down; anywhere else it does nothing.
bool TUnifyForm::FilterMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
  if (msg.hwnd == addressList) {
    PickAndClose();
    return true;
  }
  if (ClickFocusedButtonOnEnter(msg)) return true;
  return ::SendMessageW(keywordCombo, CB_GETDROPPEDSTATE, 0, 0) == 0;
}

LRESULT CALLBACK UnifyFormProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<TUnifyForm*>(cs->lpCreateParams);
    self->wnd = wnd;
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TUnifyForm*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(wnd, msg, wp, lp);
  bool handled = true;
  Guarded(wnd, [&] {
    switch (msg) {
      case WM_COMMAND:
        self->OnCommand(LOWORD(wp), HIWORD(wp));
        break;
      case WM_SIZE:
        LayoutChildren(wnd);
        break;
      case WM_ACTIVATE:
        // Losing activation, closing included, records where the dialog stands.
        if (LOWORD(wp) == WA_INACTIVE) SaveFormPlacement(wnd, kSection, true);
        handled = false;
        break;
      case WM_NEXTDLGCTL:
        HandleNextDlgCtl(wnd, wp, lp);
        break;
      case WM_CLOSE:
        self->Close(false);
        break;
      case WM_NCDESTROY:
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        handled = false;
        break;
      default:
        handled = false;
        break;
    }
  });
  return handled ? 0 : ::DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

UnifyResult ShowUnifyForm(HWND owner, const MemoStore& data, const std::wstring& okCaption) {
  ScopedWindowClass cls(ids::kUnifyFormClass, &UnifyFormProc, nullptr, true);
  TUnifyForm form(data);
  UniqueWindow wnd(::CreateWindowExW(
      WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, ids::kUnifyFormClass, L"Quillet for Becky!2",
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 0, 0, kFormWidth,
      kFormHeight, owner, nullptr, PluginInstance(), &form));
  if (!wnd) throw std::runtime_error("CreateWindowExW failed for the unify dialog");
  form.FormCreate(okCaption);
  form.FormShow();
  ::ShowWindow(wnd.get(), SW_SHOW);
  ::SetForegroundWindow(wnd.get());
  ::SetFocus(form.keywordCombo);
  RunModalLoop(wnd.get(), form.done, [&](MSG& msg) { return form.FilterMessage(msg); });
  form.Close(false);  // a WM_QUIT or a vanished window ends the loop without a choice
  return form.result.ok ? form.result : UnifyResult{};
}

}  // namespace pinote
