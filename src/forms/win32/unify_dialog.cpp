#include "forms/win32/dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/options.h"
#include "common/win32/controls.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/unify_rules.h"
#include "forms/win32/control_ids.h"

namespace pinote {
namespace {

// Design sizes in pixels.
constexpr int kWidth = 319, kHeight = 191, kButtonRow = 33, kLabelHeight = 12,
              kDropDownHeight = 200;

class UnifyDialog : public DialogBase<UnifyDialog> {
 public:
  UnifyDialog(const MemoStore& store, const UiText& okCaption)
      : store_(store), okCaption_(okCaption) {}
  [[nodiscard]] const UnifyPick& Picked() const { return pick_; }

 private:
  friend class DialogBase<UnifyDialog>;

  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_INITDIALOG:
        OnInit(::GetWindow(dlg_, GW_OWNER));
        return TRUE;  // the focus goes to the first control: the keyword box
      case WM_SIZE:
        Layout();
        return TRUE;
      case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return TRUE;
      default:
        return FALSE;
    }
  }

  void OnInit(HWND owner) {
    ::SetWindowTextW(dlg_, Utf8(kPluginName).c_str());
    const std::pair<int, const UiText*> captions[] = {
        {IDC_KEYWORD_LABEL, &ui::kKeyword}, {IDC_ADDRESS_LIST_LABEL, &ui::kAddressList},
        {IDC_MEMO_LABEL, &ui::kMemoForAddress}, {IDC_UNIFY_OK, &okCaption_}, {IDCANCEL, &ui::kCancel}};
    for (const auto& [id, text] : captions) ::SetDlgItemTextW(dlg_, id, Tr(*text).c_str());
    labelHeight_ = std::max(kLabelHeight, TextHeight(dlg_, Font()));
    // Centred over the owner, unless a stored placement says otherwise.
    CenterOver(dlg_, owner, kWidth, kHeight);
    UseStoredPlacement(sections::kUnifyDialog, true);
    listWidth_ = ReadOption(Settings(), &Options::addressListWidth);
    Layout();
    keywords_ = SplitKeywordHistory(ReadOption(Settings(), &Options::keywordHistory));
    ShowKeywords();
    FillList(Narrow(WindowText(Item(IDC_KEYWORD_COMBO))));
  }

  // The keyword row across the top, the buttons at the bottom; between them the address list
  // (as wide as stored) and the memo of the selected address, the splitter between the two.
  void Layout() {
    RECT c{};
    ::GetClientRect(dlg_, &c);
    Place(Item(IDC_KEYWORD_LABEL), 0, 0, c.right, labelHeight_);
    HWND combo = Item(IDC_KEYWORD_COMBO);
    Place(combo, 0, labelHeight_, c.right, kDropDownHeight);  // the drop-down's height
    const RECT r = ChildRect(combo);
    const int top = labelHeight_ + (r.bottom - r.top), bottom = c.bottom - kButtonRow;
    const int list = std::clamp(listWidth_, 0, std::max(0, int{c.right} - kSplitterSize));
    const int memo = list + kSplitterSize, height = bottom - top - labelHeight_;
    Place(Item(IDC_ADDRESS_LIST_LABEL), 0, top, list, labelHeight_);
    Place(Item(IDC_ADDRESS_LIST), 0, top + labelHeight_, list, height);
    Place(Item(IDC_LIST_SPLITTER), list, top, kSplitterSize, bottom - top);
    Place(Item(IDC_MEMO_LABEL), memo, top, c.right - memo, labelHeight_);
    Place(Item(IDC_MEMO_PREVIEW), memo, top + labelHeight_, c.right - memo, height);
    Place(Item(IDC_UNIFY_OK), 8, bottom + 4, 75, 25);
    Place(Item(IDCANCEL), 92, bottom + 4, 75, 25);
    ::InvalidateRect(dlg_, nullptr, TRUE);
  }

  void OnCommand(int id, int code) {
    switch (id) {
      case IDC_UNIFY_OK:
        if (code == BN_CLICKED) PickSelectedLine();
        break;
      case IDOK:  // Enter: OK is not the default button; Enter picks only in the list
        if (::GetFocus() == Item(IDC_ADDRESS_LIST)) PickSelectedLine();
        break;
      case IDCANCEL:
        End(false);
        break;
      case IDC_ADDRESS_LIST:
        if (code == LBN_SELCHANGE) ShowSelectedMemo();
        if (code == LBN_DBLCLK) PickSelectedLine();
        break;
      case IDC_KEYWORD_COMBO:
        if (code == CBN_EDITCHANGE) FillList(Narrow(WindowText(Item(IDC_KEYWORD_COMBO))));
        if (code == CBN_SELCHANGE) OnKeywordChosen();
        if (code == CBN_KILLFOCUS && !ending_ && !KeywordHasFocus()) RememberKeyword();
        break;
      case IDC_LIST_SPLITTER:
        if (code == SPN_MOVING) {
          listWidth_ = std::max<int>(0, ChildRect(Item(IDC_LIST_SPLITTER)).left);
          Layout();
        } else if (code == SPN_MOVED) {
          WriteOption(Settings(), &Options::addressListWidth, listWidth_);
          SaveSettingsFile();
        }
        break;
      default:
        break;
    }
  }

  void FillList(const std::string& keyword) {
    HWND list = Item(IDC_ADDRESS_LIST);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    lines_ = FilterAddresses(store_, keyword);
    WindowDc dc(list);
    SelectGuard select(dc.get(), Font());
    int widest = 0;
    for (const UnifyLine& line : lines_) {
      const std::wstring text = Widen(line.text);
      ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      SIZE size{};
      ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
      widest = std::max(widest, int{size.cx});
    }
    // A list box scrolls sideways only as far as it is told: the longest address, and a few
    // pixels for the margin the list box draws its lines with.
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, widest > 0 ? widest + 6 : 0, 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    ShowSelectedMemo();
    ::EnableWindow(Item(IDC_UNIFY_OK), !lines_.empty());
  }

  // The selected line, or null when nothing is listed.
  const UnifyLine* Selected() const {
    const auto line = ::SendDlgItemMessageW(dlg_, IDC_ADDRESS_LIST, LB_GETCURSEL, 0, 0);
    return line >= 0 && static_cast<size_t>(line) < lines_.size() ? &lines_[line] : nullptr;
  }

  void ShowSelectedMemo() {
    const Person* person = Selected() ? store_.Get(Selected()->record) : nullptr;
    ::SetDlgItemTextW(dlg_, IDC_MEMO_PREVIEW, person ? Widen(person->memo).c_str() : L"");
  }

  // At CBN_SELCHANGE the edit still holds the old text: the chosen item is the keyword.
  void OnKeywordChosen() {
    const auto index = ::SendDlgItemMessageW(dlg_, IDC_KEYWORD_COMBO, CB_GETCURSEL, 0, 0);
    if (index >= 0 && static_cast<size_t>(index) < keywords_.size()) FillList(keywords_[index]);
  }

  // The combo reports losing the focus also while it hands the focus to its own edit box.
  bool KeywordHasFocus() const {
    HWND combo = Item(IDC_KEYWORD_COMBO), focus = ::GetFocus();
    return focus == combo || ::IsChild(combo, focus);
  }

  // The keyword history: the text left in the box goes to the top, at most 16 kept.
  void RememberKeyword() {
    keywords_ = UpdateKeywordHistory(keywords_, Narrow(WindowText(Item(IDC_KEYWORD_COMBO))));
    ShowKeywords();
    WriteOption(Settings(), &Options::keywordHistory, JoinKeywordHistory(keywords_));
  }

  // The keyword history into the drop-down, the most recent (when there is one) in the box.
  void ShowKeywords() {
    HWND combo = Item(IDC_KEYWORD_COMBO);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& k : keywords_) {
      ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(k).c_str()));
    }
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
  }

  // Nothing listed, nothing to pick: an OK here would hand the caller a record never shown.
  void PickSelectedLine() {
    if (const UnifyLine* line = Selected()) {
      pick_ = {true, line->record, line->address};
      End(true);
    }
  }

  void End(bool picked) {
    ending_ = true;
    if (!picked) pick_ = UnifyPick{};
    EndModal(picked ? IDOK : IDCANCEL);
  }

  const MemoStore& store_;
  const UiText& okCaption_;
  int labelHeight_ = kLabelHeight;
  int listWidth_ = 0;
  bool ending_ = false;
  // The address list's lines: each line's record and the address's index in that record.
  std::vector<UnifyLine> lines_;
  std::vector<std::string> keywords_;  // the keyword history, most recent first
  UnifyPick pick_;
};

}  // namespace

UnifyPick RunUnifyDialog(HWND owner, const MemoStore& store, const UiText& okCaption) {
  RegisterSplitterClass(L"" SPLITTER_CLASS);  // the template's splitter
  UnifyDialog dialog(store, okCaption);
  dialog.RunModal(owner, IDD_UNIFY, LoadFont(sections::kUnifyDialog));
  return dialog.Picked();
}

}  // namespace pinote
