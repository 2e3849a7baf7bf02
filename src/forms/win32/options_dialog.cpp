#include "forms/win32/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

#include "common/options.h"
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/module_paths.h"
#include "common/win32/placement.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/show_rule.h"
#include "forms/win32/control_ids.h"

namespace pinote {
namespace {

// Design sizes in pixels: the dialog, its button row, the font page's button row, the name-list
// page's browse button, buttons and check boxes.
constexpr int kWidth = 278, kHeight = 291, kButtonRow = 33, kFontButtonRow = 32, kBrowseWidth = 29,
              kButtonWidth = 77, kCheckHeight = 17;
constexpr const UiText* kPageTitles[] = {&ui::kViewPage, &ui::kFontPage, &ui::kAppearPage,
                                         &ui::kNameListPage};
constexpr int kNameListPage = 3;  // nothing selects another page, so the dialog opens here
constexpr int PageOf(int id) { return (id - IDC_ALWAYS_TOP_CHECK) / 20; }

constexpr std::pair<int, const UiText*> kCaptions[] = {
    {IDOK, &ui::kOk}, {IDCANCEL, &ui::kCancel}, {IDC_HELP_BUTTON, &ui::kHelp},
    {IDC_ALWAYS_TOP_CHECK, &ui::kAlwaysTop}, {IDC_SHOW_IMPORTANCE_CHECK, &ui::kShowImportance},
    {IDC_SHOW_SENDER_CHECK, &ui::kShowSender}, {IDC_SHOW_ADDRESS_CHECK, &ui::kShowAddress},
    {IDC_SHOW_OTHER_ADDRESS_CHECK, &ui::kShowOtherAddress}, {IDC_FONT_SAMPLE, &ui::kFontSample},
    {IDC_FONT_BUTTON, &ui::kFontButton}, {IDC_BACKGROUND_BUTTON, &ui::kBackgroundButton},
    {IDC_STANDARD_FONT_BUTTON, &ui::kStandardButton}, {IDC_ON_LOADING_GROUP, &ui::kOnLoading},
    {IDC_APPEAR_ON_START_CHECK, &ui::kAppearOnStart}, {IDC_APPEAR_NEVER_RADIO, &ui::kAppearNever},
    {IDC_APPEAR_ALWAYS_RADIO, &ui::kAppearAlways}, {IDC_APPEAR_IF_MEMO_RADIO, &ui::kAppearIfMemo},
    {IDC_APPEAR_IF_IMPORTANT_RADIO, &ui::kAppearIfImportant},
    {IDC_DISAPPEAR_NEVER_RADIO, &ui::kDisappearNever}, {IDC_NAME_LIST_BROWSE, &ui::kBrowse},
    {IDC_DISAPPEAR_IF_NO_MEMO_RADIO, &ui::kDisappearIfNoMemo},
    {IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO, &ui::kDisappearIfNotImportant},
    {IDC_DISAPPEAR_ALWAYS_RADIO, &ui::kDisappearAlways}, {IDC_NAME_LIST_LABEL, &ui::kNameListFile}};
// The switches in the order Options lists them.
constexpr std::pair<int, bool Options::*> kChecks[] = {
    {IDC_ALWAYS_TOP_CHECK, &Options::alwaysTop},
    {IDC_SHOW_IMPORTANCE_CHECK, &Options::showImportance},
    {IDC_SHOW_SENDER_CHECK, &Options::showSender},
    {IDC_SHOW_ADDRESS_CHECK, &Options::showAddress},
    {IDC_SHOW_OTHER_ADDRESS_CHECK, &Options::showOtherAddresses},
    {IDC_APPEAR_ON_START_CHECK, &Options::appearOnStart}};

class OptionsDialog : public DialogBase<OptionsDialog> {
  friend class DialogBase<OptionsDialog>;

  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_INITDIALOG:
        OnInit();
        return TRUE;
      case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) OnClick(LOWORD(wp));
        return TRUE;
      case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lp)->code == TCN_SELCHANGE) ShowPage();
        return TRUE;
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) != Item(IDC_FONT_SAMPLE)) return FALSE;
        ::SetTextColor(reinterpret_cast<HDC>(wp), ResolveColor(sample_.color));
        ::SetBkColor(reinterpret_cast<HDC>(wp), ResolveColor(sampleColor_));
        return reinterpret_cast<INT_PTR>(sampleBrush_.get());
      default:
        return FALSE;
    }
  }

  bool Checked(int id) const { return ::IsDlgButtonChecked(dlg_, id) == BST_CHECKED; }
  // The rule whose radio is checked among the four from `first` (numbered as the rules are), and
  // checking it: a number outside 0..3, or none, checks none.
  template <class Rule>
  std::optional<Rule> Choice(int first) const {
    for (int i = 0; i < 4; ++i) {
      if (Checked(first + i)) return static_cast<Rule>(i);
    }
    return std::nullopt;
  }
  template <class Rule>
  void Choose(int first, std::optional<Rule> rule) {
    for (int i = 0; i < 4; ++i) ::CheckDlgButton(dlg_, first + i, rule && int(*rule) == i);
  }

  void OnInit() {
    ::SetWindowTextW(dlg_, Utf8(kPluginName).c_str());
    // The plug-in's icon is shared: not destroyed.
    const HICON icon = ::LoadIconW(PluginInstance(), L"MAINICON");
    ::SendMessageW(dlg_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(dlg_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    HWND tabs = Item(IDC_OPTION_TABS);
    // Each tab as wide as its text: at the default minimum width the four would not fit the
    // design width unscrolled.
    ::SendMessageW(tabs, TCM_SETMINTABWIDTH, 0, 0);
    for (int i = 0; i < 4; ++i) {
      std::wstring title = Tr(*kPageTitles[i]);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = title.data();
      ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    for (const auto& [id, text] : kCaptions) ::SetDlgItemTextW(dlg_, id, Tr(*text).c_str());
    dialogFont_ = LoadFont(sections::kOptionsDialog);
    font_ = CreateStoredFont(dialogFont_);
    SetFontOfChildren(dlg_, font_.get());
    textHeight_ = TextHeight(dlg_, font_.get());
    CenterOver(dlg_, nullptr, kWidth, kHeight);
    LoadFormPlacement(dlg_, sections::kOptionsDialog, false);
    Layout();

    const Options options = CurrentOptions();
    for (const auto& [id, field] : kChecks) ::CheckDlgButton(dlg_, id, options.*field);
    sample_ = options.memoFont;
    sampleColor_ = options.memoColor;
    ShowSample();
    Choose(IDC_APPEAR_ALWAYS_RADIO, std::optional(options.appear));
    Choose(IDC_DISAPPEAR_NEVER_RADIO, std::optional(options.disappear));
    UpdateDisappearRadios();
    ::SetDlgItemTextW(dlg_, IDC_NAME_LIST_PATH_EDIT, Widen(options.nameListPath).c_str());
    ::SendMessageW(tabs, TCM_SETCURSEL, kNameListPage, 0);
    ShowPage();
  }

  // In pixels at the design sizes: the tabs above the button row, each page's controls in the
  // tabs' display area, stacked from the top (check boxes and radios 17 high, a line between
  // groups) across its width; buttons are 77 wide, or wider for a longer caption.
  void Layout() {
    RECT c{};
    ::GetClientRect(dlg_, &c);
    HWND tabs = Item(IDC_OPTION_TABS);
    const int row = c.bottom - kButtonRow;
    Place(tabs, 0, 0, c.right, row);
    const int ok = ButtonWidth(IDOK), help = ButtonWidth(IDC_HELP_BUTTON);
    Place(Item(IDOK), 8, row + 4, ok, 25);
    Place(Item(IDCANCEL), 15 + ok, row + 4, ButtonWidth(IDCANCEL), 25);
    Place(Item(IDC_HELP_BUTTON), c.right - 10 - help, row + 4, help, 25);
    RECT page{0, 0, c.right, row};
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    left_ = page.left;
    const int top = page.top, w = page.right - page.left, h = page.bottom - page.top;

    Stack(w, top + 2, 4, {IDC_ALWAYS_TOP_CHECK, IDC_VIEW_LINE, IDC_SHOW_IMPORTANCE_CHECK,
                          IDC_SHOW_SENDER_CHECK, IDC_SHOW_ADDRESS_CHECK,
                          IDC_SHOW_OTHER_ADDRESS_CHECK});
    Put(IDC_FONT_SAMPLE, 0, top, w, h - kFontButtonRow);
    int x = 4;
    for (int id : {IDC_FONT_BUTTON, IDC_BACKGROUND_BUTTON, IDC_STANDARD_FONT_BUTTON}) {
      Put(id, x, top + h - kFontButtonRow + 4, ButtonWidth(id), 25);
      x += ButtonWidth(id) + 3;
    }
    const int group = Stack(w, top + 2, 4, {IDC_APPEAR_ON_START_CHECK});
    const int bottom = Stack(w, group + textHeight_ + 2, 8,
                             {IDC_APPEAR_ALWAYS_RADIO, IDC_APPEAR_IF_MEMO_RADIO,
                              IDC_APPEAR_IF_IMPORTANT_RADIO, IDC_APPEAR_NEVER_RADIO, IDC_RULE_LINE,
                              IDC_DISAPPEAR_NEVER_RADIO, IDC_DISAPPEAR_IF_NO_MEMO_RADIO,
                              IDC_DISAPPEAR_IF_NOT_IMPORTANT_RADIO, IDC_DISAPPEAR_ALWAYS_RADIO});
    Put(IDC_ON_LOADING_GROUP, 2, group, w - 4, bottom + 4 - group);
    Put(IDC_NAME_LIST_LABEL, 4, top + 4, w - 8, textHeight_);
    const int edit = textHeight_ + 8, y = top + 8 + textHeight_;
    Put(IDC_NAME_LIST_PATH_EDIT, 4, y, w - 8 - kBrowseWidth, edit);
    Put(IDC_NAME_LIST_BROWSE, w - 4 - kBrowseWidth, y, kBrowseWidth, edit);
  }

  // Places a page's control, x from the page's left edge.
  void Put(int id, int x, int y, int width, int height) {
    Place(Item(id), left_ + x, y, width, height);
  }
  // Stacks the controls from `top`, `indent` in from the left of a page `width` wide and 4 from
  // its right; a line takes an 8-pixel band. Returns where the stack ends.
  int Stack(int width, int top, int indent, std::initializer_list<int> ids) {
    for (int id : ids) {
      const bool line = id == IDC_VIEW_LINE || id == IDC_RULE_LINE;
      Put(id, indent, line ? top + 3 : top, width - indent - 4, line ? 2 : kCheckHeight);
      top += line ? 8 : kCheckHeight;
    }
    return top;
  }

  int ButtonWidth(int id) const {
    return std::max(kButtonWidth, TextWidth(dlg_, font_.get(), WindowText(Item(id))) + 16);
  }

  // Shows the chosen page's controls and hides the others'.
  void ShowPage() {
    const auto current = ::SendDlgItemMessageW(dlg_, IDC_OPTION_TABS, TCM_GETCURSEL, 0, 0);
    for (HWND c = ::GetWindow(dlg_, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
      const int id = ::GetDlgCtrlID(c);
      if (id >= IDC_ALWAYS_TOP_CHECK) ::ShowWindow(c, PageOf(id) == current ? SW_SHOW : SW_HIDE);
    }
  }

  void OnClick(int id) {
    // The radios check themselves here (a disabled one cannot be chosen, not even by a click
    // sent to it); their two groups are independent.
    if (id >= IDC_APPEAR_ALWAYS_RADIO && id <= IDC_DISAPPEAR_ALWAYS_RADIO) {
      const int first = id < IDC_DISAPPEAR_NEVER_RADIO ? IDC_APPEAR_ALWAYS_RADIO
                                                       : IDC_DISAPPEAR_NEVER_RADIO;
      if (::IsWindowEnabled(Item(id))) Choose(first, std::optional(id - first));
      UpdateDisappearRadios();
      return;
    }
    switch (id) {
      case IDOK: OnOk(); break;
      case IDCANCEL: End(IDCANCEL); break;
      case IDC_HELP_BUTTON: ShowHelp(dlg_); break;
      case IDC_FONT_BUTTON: ChooseSampleFont(); break;
      case IDC_BACKGROUND_BUTTON: ChooseSampleColor(); break;
      case IDC_STANDARD_FONT_BUTTON:
        sample_ = dialogFont_;
        sampleColor_ = kWindowBackgroundColor;
        ShowSample();
        break;
      case IDC_NAME_LIST_BROWSE: BrowseNameList(); break;
      default: break;
    }
  }

  // The disappear choices allowed under the appear choice (show_rule.h).
  void UpdateDisappearRadios() {
    const DisappearChoices allowed =
        ConstrainDisappear(Choice<AppearRule>(IDC_APPEAR_ALWAYS_RADIO),
                           Choice<DisappearRule>(IDC_DISAPPEAR_NEVER_RADIO));
    for (int i = 0; i < 4; ++i) {
      ::EnableWindow(Item(IDC_DISAPPEAR_NEVER_RADIO + i), i <= int(allowed.strictestAllowed));
    }
    Choose(IDC_DISAPPEAR_NEVER_RADIO, allowed.choice);
  }

  void ShowSample() {
    sampleFont_ = CreateStoredFont(sample_);
    sampleBrush_.reset(::CreateSolidBrush(ResolveColor(sampleColor_)));
    ::SendDlgItemMessageW(dlg_, IDC_FONT_SAMPLE, WM_SETFONT,
                          reinterpret_cast<WPARAM>(sampleFont_.get()), TRUE);
    ::InvalidateRect(Item(IDC_FONT_SAMPLE), nullptr, TRUE);
  }

  void ChooseSampleFont() {
    LOGFONTW log = ToLogFont(sample_);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = dlg_;
    cf.lpLogFont = &log;
    cf.iPointSize = sample_.size * 10;
    cf.rgbColors = ResolveColor(sample_.color);
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    if (!::ChooseFontW(&cf)) return;
    sample_ = FromLogFont(log, cf.iPointSize > 0 ? (cf.iPointSize + 5) / 10 : sample_.size,
                          cf.rgbColors);
    ShowSample();
  }

  void ChooseSampleColor() {
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = dlg_;
    cc.rgbResult = ResolveColor(sampleColor_);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    if (!::ChooseColorW(&cc)) return;
    sampleColor_ = cc.rgbResult;
    ShowSample();
  }

  void BrowseNameList() {
    std::wstring filter = Utf8(ui::kNameListFilter);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    std::wstring file = WindowText(Item(IDC_NAME_LIST_PATH_EDIT));
    file.resize(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = dlg_;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    // NOCHANGEDIR: the chooser must not move the host's current folder.
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (::GetOpenFileNameW(&ofn)) ::SetDlgItemTextW(dlg_, IDC_NAME_LIST_PATH_EDIT, file.c_str());
  }

  void OnOk() {
    Options o;
    for (const auto& [id, field] : kChecks) o.*field = Checked(id);
    o.memoFont = sample_;
    o.memoColor = sampleColor_;
    // No choice in a group stores its last rule.
    o.appear = Choice<AppearRule>(IDC_APPEAR_ALWAYS_RADIO).value_or(AppearRule::Never);
    o.disappear = Choice<DisappearRule>(IDC_DISAPPEAR_NEVER_RADIO).value_or(DisappearRule::Always);
    o.nameListPath = Narrow(WindowText(Item(IDC_NAME_LIST_PATH_EDIT)));
    WriteOptions(Settings(), IsJapanese(), o);
    // The options stay in effect even when the file cannot be written: the error is reported
    // and the next save (at the latest when the host exits) tries again.
    Guarded(dlg_, [] { SaveSettingsFile(); });
    End(IDOK);
  }

  void End(INT_PTR result) {
    SaveFormPlacement(dlg_, sections::kOptionsDialog, false);
    EndModal(result);
  }

  StoredFont dialogFont_;  // the dialog's own font; Standard gives it back to the sample
  UniqueFont font_;
  int textHeight_ = 12, left_ = 0;
  StoredFont sample_;      // the sample's font and colour: what OK stores
  uint32_t sampleColor_ = kWindowBackgroundColor;
  UniqueFont sampleFont_;
  UniqueBrush sampleBrush_;
};

}  // namespace

bool RunOptionsDialog() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  return OptionsDialog().RunModal(nullptr, IDD_OPTIONS) == IDOK;
}

}  // namespace pinote
