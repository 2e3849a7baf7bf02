#include "forms/win32/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "common/options.h"
#include "common/texts.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/show_rule.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/memo_window.h"

namespace pinote {
namespace {

// The pages in the tab control's order, each with the range of its controls' ids.
struct Page {
  const UiText* title;
  int first, last;
};
constexpr Page kPages[] = {
    {&ui::kViewPage, IDC_ALWAYS_TOP_CHECK, IDC_SHOW_OTHER_ADDRESS_CHECK},
    {&ui::kFontPage, IDC_FONT_SAMPLE, IDC_STANDARD_FONT_BUTTON},
    {&ui::kAppearPage, IDC_APPEAR_ON_START_CHECK, IDC_DISAPPEAR_ALWAYS_RADIO},
    {&ui::kNameListPage, IDC_NAME_LIST_LABEL, IDC_NAME_LIST_BROWSE}};
constexpr int kNameListPage = 3;  // nothing selects another page, so the dialog opens here

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

class OptionsDialog : public DialogBase<OptionsDialog> {
 public:
  // `font`: the dialog's own font, which Standard gives the sample.
  explicit OptionsDialog(const StoredFont& font) : dialogFont_(font) {}

 private:
  friend class DialogBase<OptionsDialog>;

  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_INITDIALOG:
        OnInit();
        return TRUE;
      case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) return FALSE;
        switch (LOWORD(wp)) {
          case IDOK: OnOk(); break;
          case IDCANCEL: EndModal(IDCANCEL); break;
          case IDC_HELP_BUTTON: ShowHelp(dlg_); break;
          case IDC_FONT_BUTTON: OnFontButton(); break;
          case IDC_BACKGROUND_BUTTON: OnBackgroundButton(); break;
          case IDC_STANDARD_FONT_BUTTON: OnStandardButton(); break;
          case IDC_NAME_LIST_BROWSE: OnBrowseButton(); break;
          default: OnRuleRadio(LOWORD(wp)); break;
        }
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
    // dialog's width unscrolled.
    ::SendMessageW(tabs, TCM_SETMINTABWIDTH, 0, 0);
    for (const Page& page : kPages) {
      std::wstring title = Tr(*page.title);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = title.data();
      ::SendMessageW(tabs, TCM_INSERTITEMW, &page - kPages, reinterpret_cast<LPARAM>(&item));
    }
    for (const auto& [id, text] : kCaptions) ::SetDlgItemTextW(dlg_, id, Tr(*text).c_str());
    UseStoredPlacement(sections::kOptionsDialog, false);
    const Options options = CurrentOptions();
    ForEachOption([&](const auto& row) {
      if (row.control != 0) ShowValue(row.control, options.*row.field);
    });
    ShowSample();
    UpdateDisappearRadios();
    ::SendMessageW(tabs, TCM_SETCURSEL, kNameListPage, 0);
    ShowPage();
  }

  // An option shown in its control, and taken back from it; the windows' own numbers have none.
  // A rule is shown by its group of radios, and no choice in a group stores its last rule.
  void ShowValue(int id, bool on) { ::CheckDlgButton(dlg_, id, on ? BST_CHECKED : BST_UNCHECKED); }
  template <class Rule, class = std::enable_if_t<std::is_enum_v<Rule>>>
  void ShowValue(int first, Rule rule) { Choose(first, std::optional(rule)); }
  void ShowValue(int id, const std::string& text) {
    ::SetDlgItemTextW(dlg_, id, Widen(text).c_str());
  }
  void ShowValue(int, const StoredFont& font) { sample_ = font; }
  void ShowValue(int, uint32_t color) { sampleColor_ = color; }
  void ShowValue(int, int32_t) {}
  void TakeValue(int id, bool& on) const { on = Checked(id); }
  template <class Rule, class = std::enable_if_t<std::is_enum_v<Rule>>>
  void TakeValue(int first, Rule& rule) const {
    rule = Choice<Rule>(first).value_or(static_cast<Rule>(3));
  }
  void TakeValue(int id, std::string& text) const { text = Narrow(WindowText(Item(id))); }
  void TakeValue(int, StoredFont& font) const { font = sample_; }
  void TakeValue(int, uint32_t& color) const { color = sampleColor_; }
  void TakeValue(int, int32_t&) const {}

  // Shows the chosen page's controls and hides the other pages'.
  void ShowPage() {
    const auto current = ::SendDlgItemMessageW(dlg_, IDC_OPTION_TABS, TCM_GETCURSEL, 0, 0);
    for (const Page& page : kPages) {
      for (int id = page.first; id <= page.last; ++id) {
        ::ShowWindow(Item(id), &page - kPages == current ? SW_SHOW : SW_HIDE);
      }
    }
  }

  // The radios check themselves here (a disabled one cannot be chosen, not even by a click
  // sent to it); their two groups are independent.
  void OnRuleRadio(int id) {
    const bool appear = id >= IDC_APPEAR_ALWAYS_RADIO && id <= IDC_APPEAR_NEVER_RADIO;
    const bool disappear = id >= IDC_DISAPPEAR_NEVER_RADIO && id <= IDC_DISAPPEAR_ALWAYS_RADIO;
    if (!appear && !disappear) return;
    const int first = appear ? IDC_APPEAR_ALWAYS_RADIO : IDC_DISAPPEAR_NEVER_RADIO;
    if (::IsWindowEnabled(Item(id))) Choose(first, std::optional(id - first));
    UpdateDisappearRadios();
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

  void OnStandardButton() {
    sample_ = dialogFont_;
    sampleColor_ = kWindowBackgroundColor;
    ShowSample();
  }

  void OnFontButton() {
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

  void OnBackgroundButton() {
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

  void OnBrowseButton() {
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
    ForEachOption([&](const auto& row) {
      if (row.control != 0) TakeValue(row.control, o.*row.field);
    });
    WriteOptions(Settings(), IsJapanese(), o);
    // The options stay in effect even when the file cannot be written: the error is reported
    // and the next save (at the latest when the host exits) tries again.
    Guarded(dlg_, [] { SaveSettingsFile(); });
    EndModal(IDOK);
  }

  StoredFont dialogFont_;
  StoredFont sample_;      // the sample's font and colour: what OK stores
  uint32_t sampleColor_ = kWindowBackgroundColor;
  UniqueFont sampleFont_;
  UniqueBrush sampleBrush_;
};

}  // namespace

bool RunOptionsDialog() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  const StoredFont font = LoadFont(sections::kOptionsDialog);
  return OptionsDialog(font).RunModal(nullptr, IDD_OPTIONS, font) == IDOK;
}

void ChangeOptions(MemoWindow* window) {
  const std::string oldPath = ReadOption(Settings(), &Options::nameListPath);
  if (!RunOptionsDialog() || window == nullptr) return;
  window->ApplyOptions(CurrentOptions());
  const std::string newPath = ReadOption(Settings(), &Options::nameListPath);
  if (newPath != oldPath) window->ReloadData(newPath);
}

}  // namespace pinote
