#include "forms/win32/setup_form.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "common/win32/env.h"
#include "common/win32/handles.h"
#include "common/win32/help.h"
#include "common/win32/placement.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/dock.h"
#include "forms/win32/modal.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

constexpr char kSection[] = "SetupForm";
constexpr int kFormWidth = 278, kFormHeight = 291;
constexpr int kButtonPanelHeight = 33, kFontButtonPanelHeight = 32;
constexpr int kHelpButtonPanelWidth = 92, kMeiboButtonWidth = 29;
constexpr int kDesignCheckHeight = 17, kBevelHeight = 8;
constexpr DWORD kWindowBackground = 0x80000005;
constexpr int kPageCount = 4, kMeiboPageIndex = 3;

// The Appear radios in value order (Show\Load 0..3), the Hide radios likewise (Hide\Load 0..3).
constexpr std::array<int, 4> kAppearIds = {ids::kAppearAlwaysRadio, ids::kAppearMemoRadio,
                                           ids::kAppearImportantRadio, ids::kAppearNeverRadio};
constexpr std::array<int, 4> kHideIds = {ids::kHideNeverRadio, ids::kHideNoMemoRadio,
                                         ids::kHideNoImportantRadio, ids::kHideAlwaysRadio};

struct Text {
  const char* ja;
  const char* en;
};
constexpr Text kPageTexts[kPageCount] = {
    {"表示", "View"}, {"フォント", "Font"}, {"見え隠れ", "Appear/Disappear"}, {"名簿", "Name List"}};
constexpr Text kAppearTexts[4] = {{"常に現わす", "Always Appear"},
                                  {"メモがあれば現わす", "Appear if Memo exists"},
                                  {"重要なメモがあれば現わす", "Appear if Important memo exists"},
                                  {"現わさない", "Not Appear"}};
constexpr Text kHideTexts[4] = {
    {"隠さない", "Not Disappear"},
    {"メモがなければ隠す", "Disappear if Memo doesn't exist"},
    {"重要なメモがなければ隠す", "Disappear if Important memo doesn't exist"},
    {"常に隠す", "Always Disappear"}};
// The file chooser's filter is the same Japanese text in both languages.
constexpr char kOpenFilterUtf8[] =
    "データファイル (*.dat)|*.dat|すべてのファイル (*.*)|*.*|";

struct TSetupForm {
  HICON icon = nullptr;
  FontSpec dialogFont;  // the form's own font; Standard gives it back to the sample
  UniqueFont font;
  FontSpec sampleFont;  // FontPanel's font and colour, the values OK stores
  DWORD sampleColor = kWindowBackground;
  UniqueFont sampleHFont;
  UniqueBrush sampleBrush;
  int textHeight = 12;
  int checkHeight = kDesignCheckHeight;

  HWND wnd = nullptr;
  HWND pageControl = nullptr;
  std::array<HWND, kPageCount> pages{};
  HWND alwaysTop = nullptr, importance = nullptr, sender = nullptr, address = nullptr,
       otherAddress = nullptr;
  HWND fontPanel = nullptr;
  HWND appearOnStart = nullptr;
  std::array<HWND, 4> appear{}, hide{};
  HWND meiboEdit = nullptr;
  HWND okButton = nullptr;

  bool done = false;
  bool ok = false;

  // --- creation ---
  void FormCreate();
  void CreateButtonRow();
  void CreateViewPage(HWND page, int width);
  void CreateFontPage(HWND page, int width, int height);
  void CreateAppearPage(HWND page, int width);
  void CreateMeiboPage(HWND page, int width);
  void PlacePages();
  void ShowPage(int index);
  // --- showing ---
  void FormShow();
  void UpdateHideRadios();
  void ApplySample();
  // --- events ---
  void OnCommand(int id, int code);
  void FontButtonClick();
  void BackgroundButtonClick();
  void StandardButtonClick();
  void MeiboButtonClick();
  void OKButtonClick();
  void Close(bool withOk);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
};

std::wstring T(const Text& t) { return Tr(t.ja, t.en); }

HWND Docked(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
            int x, int y, int w, int h, Align align, DWORD exStyle = 0) {
  HWND wnd = CreateDocked(parent, cls, text.c_str(), WS_VISIBLE | style, id, x, y, w, h, align,
                          exStyle);
  if (wnd == nullptr) throw std::runtime_error("CreateWindowExW failed for a control");
  return wnd;
}

HWND Panel(HWND parent, int x, int y, int w, int h, Align align, int id = 0) {
  HWND panel = CreatePanel(parent, x, y, w, h, align);
  if (panel == nullptr) throw std::runtime_error("CreatePanel failed");
  if (id != 0) SetControlId(panel, id);
  return panel;
}

// A horizontal etched line with a little room above and below.
HWND Bevel(HWND parent, int y, int width) {
  HWND holder = Panel(parent, 0, y, width, kBevelHeight, Align::Top);
  Docked(holder, L"STATIC", L"", SS_ETCHEDHORZ, 0, 0, kBevelHeight / 2 - 1, width, 2,
         Align::None);
  return holder;
}

bool IsChecked(HWND button) {
  return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void SetChecked(HWND button, bool on) {
  ::SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Index of the checked radio of a group, or -1.
int CheckedIndex(const std::array<HWND, 4>& group) {
  for (int i = 0; i < 4; ++i) {
    if (IsChecked(group[i])) return i;
  }
  return -1;
}
void CheckOnly(const std::array<HWND, 4>& group, int index) {
  for (int i = 0; i < 4; ++i) SetChecked(group[i], i == index);
}

void TSetupForm::FormCreate() {
  // Placement first: a stored position replaces the centred one.
  CenterForm(wnd, nullptr);
  LoadFormPlacement(wnd, kSection, false);

  dialogFont = DefaultFont();
  LoadFont(kSection, dialogFont);
  font.reset(::CreateFontIndirectW(&dialogFont.log));
  textHeight = TextHeight(wnd, font.get());
  checkHeight = std::max(kDesignCheckHeight, textHeight + 4);

  CreateButtonRow();
  pageControl = Docked(wnd, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP,
                       ids::kPageControl1, 0, 0, 10, 10, Align::Client);
  for (int i = 0; i < kPageCount; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring text = T(kPageTexts[i]);
    item.pszText = text.data();
    ::SendMessageW(pageControl, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  SetFontAll(wnd, font.get());
  LayoutChildren(wnd);

  RECT area{};
  ::GetClientRect(pageControl, &area);
  ::SendMessageW(pageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  const int width = area.right - area.left - 4, height = area.bottom - area.top - 4;
  for (HWND& page : pages) {
    page = Panel(wnd, 0, 0, width, height, Align::None);
    ::SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  CreateViewPage(pages[0], width);
  CreateFontPage(pages[1], width, height);
  CreateAppearPage(pages[2], width);
  CreateMeiboPage(pages[3], width);
  SetFontAll(wnd, font.get());
  for (HWND page : pages) LayoutChildren(page);
  PlacePages();
  // Nothing selects another page, so the dialog opens on the name-list page.
  ::SendMessageW(pageControl, TCM_SETCURSEL, kMeiboPageIndex, 0);
  ShowPage(kMeiboPageIndex);
}

void TSetupForm::CreateButtonRow() {
  HWND row = Panel(wnd, 0, 400, kFormWidth, kButtonPanelHeight, Align::Bottom);
  okButton = Docked(row, L"BUTTON", Tr("ＯＫ", "OK"), BS_DEFPUSHBUTTON | WS_TABSTOP,
                    ids::kSetupOKButton, 8, 4, 77, 25, Align::None);
  Docked(row, L"BUTTON", Tr("キャンセル", "Cancel"), BS_PUSHBUTTON | WS_TABSTOP,
         ids::kSetupCancelButton, 92, 4, 77, 25, Align::None);
  HWND helpRow = Panel(row, kFormWidth - kHelpButtonPanelWidth, 0, kHelpButtonPanelWidth,
                       kButtonPanelHeight, Align::Right);
  Docked(helpRow, L"BUTTON", Tr("ヘルプ", "Help"), BS_PUSHBUTTON | WS_TABSTOP, ids::kHelpButton,
         5, 4, 77, 25, Align::None);
}

void TSetupForm::CreateViewPage(HWND page, int width) {
  int y = 0;
  auto check = [&](const Text& t, int id) {
    HWND c = Docked(page, L"BUTTON", T(t), BS_AUTOCHECKBOX | WS_TABSTOP, id, 0, y, width,
                    checkHeight, Align::Top);
    y += checkHeight;
    return c;
  };
  alwaysTop = check({"常に手前に表示する", "Always Top"}, ids::kAlwaysTopCheck);
  Bevel(page, y, width);
  y += kBevelHeight;
  importance = check({"重要かどうかを表示する", "Show Importance Check"},
                     ids::kSetupImportanceCheck);
  sender = check({"差出人を表示する", "Show Sender"}, ids::kSenderCheck);
  address = check({"差出人のアドレスを表示する", "Show Sender Address"}, ids::kAddressCheck);
  otherAddress = check({"差出人の他のアドレスを表示する", "Show Other Address"},
                       ids::kOtherAddressCheck);
}

void TSetupForm::CreateFontPage(HWND page, int width, int height) {
  HWND row = Panel(page, 0, height - kFontButtonPanelHeight, width, kFontButtonPanelHeight,
                   Align::Bottom);
  Docked(row, L"BUTTON", Tr("フォント ...", "Font ..."), BS_PUSHBUTTON | WS_TABSTOP,
         ids::kFontButton, 4, 4, 77, 25, Align::None);
  Docked(row, L"BUTTON", Tr("背景色 ...", "Background ..."), BS_PUSHBUTTON | WS_TABSTOP,
         ids::kBackgroundButton, 84, 4, 77, 25, Align::None);
  Docked(row, L"BUTTON", Tr("標準", "Standard"), BS_PUSHBUTTON | WS_TABSTOP,
         ids::kStandardButton, 164, 4, 77, 25, Align::None);
  fontPanel = Docked(page, L"STATIC", Tr(" フォント見本", "Font Sample"),
                     SS_CENTER | SS_CENTERIMAGE, ids::kFontPanel, 0, 0, width,
                     height - kFontButtonPanelHeight, Align::Client, WS_EX_STATICEDGE);
}

void TSetupForm::CreateAppearPage(HWND page, int width) {
  appearOnStart = Docked(page, L"BUTTON", Tr("起動時に現す", "Appear on Start"),
                         BS_AUTOCHECKBOX | WS_TABSTOP, ids::kAppearOnStartCheck, 0, 0, width,
                         checkHeight, Align::Top);
  // The group box frames both radio groups; its caption takes the top of the box.
  const int innerTop = std::max(14, textHeight + 2);
  const int innerHeight = 8 * checkHeight + kBevelHeight;
  const int groupHeight = std::max(innerHeight + 20, innerTop + innerHeight + 6);
  HWND onLoad = Panel(page, 0, checkHeight, width, groupHeight, Align::Top);
  HWND frame = Docked(onLoad, L"BUTTON", Tr("メールを開いたとき", "On Loading a Mail"),
                      BS_GROUPBOX, 0, 0, 0, width, groupHeight, Align::None);
  const int innerWidth = width - 16;
  HWND inner = Panel(onLoad, 8, innerTop, innerWidth, innerHeight, Align::None);
  ::SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  int y = 0;
  for (int i = 0; i < 4; ++i) {
    appear[i] = Docked(inner, L"BUTTON", T(kAppearTexts[i]),
                       BS_RADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0), kAppearIds[i], 0,
                       y, innerWidth, checkHeight, Align::Top);
    y += checkHeight;
  }
  Bevel(inner, y, innerWidth);
  y += kBevelHeight;
  // The Hide radios sit in a container of their own, so the two groups stay independent.
  HWND panel1 = Panel(inner, 0, y, innerWidth, 4 * checkHeight, Align::Top);
  for (int i = 0; i < 4; ++i) {
    hide[i] = Docked(panel1, L"BUTTON", T(kHideTexts[i]),
                     BS_RADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0), kHideIds[i], 0,
                     i * checkHeight, innerWidth, checkHeight, Align::Top);
  }
}

void TSetupForm::CreateMeiboPage(HWND page, int width) {
  const int labelHeight = textHeight + 6;
  Docked(page, L"STATIC", Tr("名簿ファイル", "Path of Name List File"), SS_LEFT,
         ids::kMeiboLabel, 0, 0, width, labelHeight, Align::Top);
  const int editHeight = textHeight + 8;
  HWND row = Panel(page, 0, labelHeight, width, editHeight, Align::Top);
  Docked(row, L"BUTTON", L"...", BS_PUSHBUTTON | WS_TABSTOP, ids::kMeiboButton,
         width - kMeiboButtonWidth, 0, kMeiboButtonWidth, editHeight, Align::Right);
  meiboEdit = Docked(row, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, ids::kMeiboEdit, 0, 0,
                     width - kMeiboButtonWidth, editHeight, Align::None, WS_EX_CLIENTEDGE);
  SetAlign(meiboEdit, Align::Client);
}

void TSetupForm::PlacePages() {
  RECT area{};
  ::GetClientRect(pageControl, &area);
  ::SendMessageW(pageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  ::MapWindowPoints(pageControl, wnd, reinterpret_cast<POINT*>(&area), 2);
  for (HWND page : pages) {
    ::SetWindowPos(page, nullptr, area.left + 2, area.top + 2, area.right - area.left - 4,
                   area.bottom - area.top - 4, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TSetupForm::ShowPage(int index) {
  for (int i = 0; i < kPageCount; ++i) {
    ::ShowWindow(pages[i], i == index ? SW_SHOW : SW_HIDE);
  }
}

void TSetupForm::FormShow() {
  SettingsStore& st = Settings();
  SetChecked(alwaysTop, st.ReadBool("Memo", "AlwaysTop", false));
  SetChecked(importance, st.ReadBool("Importance", "Visible", true));
  SetChecked(sender, st.ReadBool("Sender", "Visible", true));
  SetChecked(address, st.ReadBool("Address", "Visible", true));
  SetChecked(otherAddress, st.ReadBool("OtherAddress", "Visible", true));
  sampleFont = dialogFont;
  LoadFont("Memo", sampleFont);
  sampleColor = static_cast<DWORD>(
      st.ReadInt("Memo", "Color", static_cast<int32_t>(kWindowBackground)));
  ApplySample();
  SetChecked(appearOnStart, st.ReadBool("Show", "Start", false));
  CheckOnly(appear, st.ReadInt("Show", "Load", 1));  // outside 0..3: none checked
  CheckOnly(hide, st.ReadInt("Hide", "Load", 1));
  ::SetWindowTextW(meiboEdit, Widen(st.ReadString("Meibo", "Path", "")).c_str());
  UpdateHideRadios();
}

// The disappear rule may never be stricter than the appear rule.
void TSetupForm::UpdateHideRadios() {
  const int a = CheckedIndex(appear);
  int enabledUpTo = 3;  // Hide radios 0..enabledUpTo stay usable
  if (a == 0) enabledUpTo = 0;
  if (a == 1) enabledUpTo = 1;
  if (a == 2) enabledUpTo = 2;
  for (int i = 0; i < 4; ++i) ::EnableWindow(hide[i], i <= enabledUpTo);
  if (a == 0) {
    CheckOnly(hide, 0);
  } else if (a == 1 || a == 2) {
    if (CheckedIndex(hide) > enabledUpTo) CheckOnly(hide, enabledUpTo);
  }
}

void TSetupForm::ApplySample() {
  sampleHFont.reset(::CreateFontIndirectW(&sampleFont.log));
  sampleBrush.reset(::CreateSolidBrush(ResolveColor(sampleColor)));
  ::SendMessageW(fontPanel, WM_SETFONT, reinterpret_cast<WPARAM>(sampleHFont.get()), TRUE);
  ::InvalidateRect(fontPanel, nullptr, TRUE);
}

LRESULT TSetupForm::OnCtlColorStatic(HDC dc, HWND control) {
  if (control != fontPanel || !sampleBrush) {
    return ::DefWindowProcW(wnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
  }
  ::SetTextColor(dc, ResolveColor(sampleFont.color));
  ::SetBkColor(dc, ResolveColor(sampleColor));
  return reinterpret_cast<LRESULT>(sampleBrush.get());
}

void TSetupForm::FontButtonClick() {
  LOGFONTW log = sampleFont.log;
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof(cf);
  cf.hwndOwner = wnd;
  cf.lpLogFont = &log;
  cf.iPointSize = sampleFont.points * 10;
  cf.rgbColors = ResolveColor(sampleFont.color);
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  if (!::ChooseFontW(&cf)) return;
  sampleFont.log = log;
  if (cf.iPointSize > 0) sampleFont.points = (cf.iPointSize + 5) / 10;
  // Sizes are kept in points; the height follows them as everywhere else in the plug-in.
  sampleFont.log.lfHeight = -::MulDiv(sampleFont.points, 96, 72);
  sampleFont.color = cf.rgbColors;
  ApplySample();
}

void TSetupForm::BackgroundButtonClick() {
  static COLORREF custom[16] = {};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = wnd;
  cc.rgbResult = ResolveColor(sampleColor);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT;
  if (!::ChooseColorW(&cc)) return;
  sampleColor = cc.rgbResult;
  ApplySample();
}

void TSetupForm::StandardButtonClick() {
  sampleFont = dialogFont;
  sampleColor = kWindowBackground;
  ApplySample();
}

void TSetupForm::MeiboButtonClick() {
  std::wstring filter = Utf8(kOpenFilterUtf8);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  std::wstring file(32768, L'\0');
  const std::wstring current = WindowText(meiboEdit);
  file.replace(0, std::min(current.size(), file.size() - 1), current, 0, file.size() - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = wnd;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  // NOCHANGEDIR: the chooser must not move the host's current folder.
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameW(&ofn)) return;
  ::SetWindowTextW(meiboEdit, file.c_str());
}

void TSetupForm::OKButtonClick() {
  SettingsStore& st = Settings();
  st.Write("Memo", "AlwaysTop", SettingValue(IsChecked(alwaysTop)));
  st.Write("Importance", "Visible", SettingValue(IsChecked(importance)));
  st.Write("Sender", "Visible", SettingValue(IsChecked(sender)));
  st.Write("Address", "Visible", SettingValue(IsChecked(address)));
  st.Write("OtherAddress", "Visible", SettingValue(IsChecked(otherAddress)));
  SaveFont("Memo", sampleFont);
  st.Write("Memo", "Color", SettingValue(static_cast<int32_t>(sampleColor)));
  st.Write("Show", "Start", SettingValue(IsChecked(appearOnStart)));
  const int a = CheckedIndex(appear), h = CheckedIndex(hide);
  st.Write("Show", "Load", SettingValue(static_cast<int32_t>(a < 0 ? 3 : a)));
  st.Write("Hide", "Load", SettingValue(static_cast<int32_t>(h < 0 ? 3 : h)));
  st.Write("Meibo", "Path", SettingValue(Narrow(WindowText(meiboEdit))));
  // The options stay in effect even when the file cannot be written: the error is reported
  // and the next save (at the latest when the host exits) tries again.
  Guarded(wnd, [&] { st.Save(); });
  Close(true);
}

void TSetupForm::Close(bool withOk) {
  if (done) return;
  SaveFormPlacement(wnd, kSection, false);
  ok = withOk;
  done = true;
}

void TSetupForm::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case ids::kSetupOKButton:
      OKButtonClick();
      break;
    case ids::kSetupCancelButton:
      Close(false);
      break;
    case ids::kHelpButton:
      ShowHelp(wnd);
      break;
    case ids::kFontButton:
      FontButtonClick();
      break;
    case ids::kBackgroundButton:
      BackgroundButtonClick();
      break;
    case ids::kStandardButton:
      StandardButtonClick();
      break;
    case ids::kMeiboButton:
      MeiboButtonClick();
      break;
    case ids::kAppearAlwaysRadio:
    case ids::kAppearMemoRadio:
    case ids::kAppearImportantRadio:
    case ids::kAppearNeverRadio:
      for (int i = 0; i < 4; ++i) {
        if (kAppearIds[i] == id) CheckOnly(appear, i);
      }
      UpdateHideRadios();
      break;
    case ids::kHideNeverRadio:
    case ids::kHideNoMemoRadio:
    case ids::kHideNoImportantRadio:
    case ids::kHideAlwaysRadio:
      for (int i = 0; i < 4; ++i) {
        if (kHideIds[i] == id && ::IsWindowEnabled(hide[i])) CheckOnly(hide, i);
      }
      break;
    default:
      break;
  }
}

LRESULT CALLBACK SetupFormProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<TSetupForm*>(cs->lpCreateParams);
    self->wnd = wnd;
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TSetupForm*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(wnd, msg, wp, lp);
  LRESULT result = 0;
  bool handled = true;
  Guarded(wnd, [&] {
    switch (msg) {
      case WM_COMMAND:
        self->OnCommand(LOWORD(wp), HIWORD(wp));
        break;
      case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr->hwndFrom == self->pageControl && hdr->code == TCN_SELCHANGE) {
          self->ShowPage(static_cast<int>(::SendMessageW(self->pageControl, TCM_GETCURSEL, 0, 0)));
        }
        break;
      }
      case WM_CTLCOLORSTATIC:
        result = self->OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
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
  return handled ? result : ::DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

bool ShowSetupForm(HWND owner, HICON icon) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&icc);
  ScopedWindowClass cls(ids::kSetupFormClass, &SetupFormProc, icon, true);
  TSetupForm form;
  form.icon = icon;
  UniqueWindow wnd(::CreateWindowExW(
      WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, ids::kSetupFormClass, L"Quillet for Becky!2",
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, kFormWidth, kFormHeight,
      owner, nullptr, PluginInstance(), &form));
  if (!wnd) throw std::runtime_error("CreateWindowExW failed for the options dialog");
  if (icon != nullptr) {
    ::SendMessageW(wnd.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(wnd.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  form.FormCreate();
  form.FormShow();
  ::ShowWindow(wnd.get(), SW_SHOW);
  ::SetForegroundWindow(wnd.get());
  HandleNextDlgCtl(wnd.get(), 0, 0);
  RunModalLoop(wnd.get(), form.done, [](MSG& msg) { return ClickFocusedButtonOnEnter(msg); });
  form.Close(false);  // a WM_QUIT or a vanished window ends the loop without a choice
  return form.ok;
}

bool ShouldAppearOnStart() { return Settings().ReadBool("Show", "Start", false); }

}  // namespace pinote
