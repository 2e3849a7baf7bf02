// The memo window's behaviour: showing a record by the rules, write-through editing, closing.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "common/mbtext.h"
#include "common/paths.h"
#include "common/win32/placement.h"
#include "common/win32/env.h"
#include "forms/show_rule.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/dock.h"
#include "forms/win32/main_commands.h"
#include "forms/win32/main_form_testing.h"
#include "forms/win32/main_form_window.h"

namespace pinote {
namespace {

std::function<void(HWND)> g_foregroundHook;

void HandForeground(HWND hostWindow) {
  if (g_foregroundHook) {
    g_foregroundHook(hostWindow);
  } else {
    ::SetForegroundWindow(hostWindow);
  }
}

bool Visible(HWND wnd) { return (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }

void Show(HWND wnd, bool show) { ::ShowWindow(wnd, show ? SW_SHOWNA : SW_HIDE); }

std::wstring WindowText(HWND wnd) {
  const int n = ::GetWindowTextLengthW(wnd);
  std::wstring text(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
  const int got = ::GetWindowTextW(wnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

// Subclass of the labels and memo boxes: the mouse actions that their own notifications lack.
LRESULT CALLBACK MouseSubclass(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                               DWORD_PTR refData) {
  auto* form = reinterpret_cast<TMainForm*>(refData);
  const int id = ::GetDlgCtrlID(wnd);
  if (msg == WM_RBUTTONDOWN && id != ids::kMemoMemo && id != ids::kMeiboMemo) {
    Guarded(form->Handle(), [&] { OnLabelRightClick(*form, id); });
    return 0;
  }
  if (msg == WM_LBUTTONDBLCLK && (id == ids::kMemoMemo || id == ids::kMeiboMemo)) {
    const LRESULT result = ::DefSubclassProc(wnd, msg, wp, lp);
    Guarded(form->Handle(), [&] { OnMemoDoubleClick(*form, id); });
    return result;
  }
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(wnd, &MouseSubclass, 1);
  return ::DefSubclassProc(wnd, msg, wp, lp);
}

}  // namespace

void InstallMouseSubclass(HWND control, TMainForm* form) {
  ::SetWindowSubclass(control, &MouseSubclass, 1, reinterpret_cast<DWORD_PTR>(form));
}

void SetForegroundHookForTesting(std::function<void(HWND)> hook) {
  g_foregroundHook = std::move(hook);
}

MainFormWindow::~MainFormWindow() {
  // Destroyed while the object is whole and wnd_ still names it, so WM_DESTROY reaches
  // FormDestroy; WM_NCDESTROY then lets go of the handle.
  if (wnd_) ::DestroyWindow(wnd_.get());
}

LRESULT CALLBACK MainFormWindow::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainFormWindow*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (self == nullptr || self->wnd_.get() == nullptr) {
    // Before CreateWindowExW returns the handle is not stored yet; sizes are laid out later.
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    return ::DefWindowProcW(wnd, msg, wp, lp);
  }
  LRESULT result = 0;
  bool handled = false;
  try {
    result = self->HandleMessage(msg, wp, lp);
    handled = true;
  } catch (const std::exception& e) {
    ReportError(wnd, e);
  } catch (...) {
    ReportUnknownError(wnd);
  }
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    (void)self->wnd_.release();  // already gone
  }
  return handled ? result : ::DefWindowProcW(wnd, msg, wp, lp);
}

LRESULT MainFormWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND wnd = wnd_.get();
  switch (msg) {
    case WM_SIZE:
      LayoutChildren(wnd);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(wp) == toolMenu_) OnToolMenuOpening(*this, toolMenu_);
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return OnControlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg, wp, lp);
    case WM_CLOSE:
      FormCloseQuery();
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    default:
      return ::DefWindowProcW(wnd, msg, wp, lp);
  }
}

void MainFormWindow::OnCommand(int id, int code, HWND control) {
  if (control == nullptr) {
    if (code == 0) OnMainMenuCommand(*this, id);  // menu, not accelerator
    return;
  }
  if (id == ids::kMemoMemo && code == EN_CHANGE) {
    MemoMemoChange();
  } else if (id == ids::kImportanceCheck && code == BN_CLICKED) {
    ImportanceCheckClick();
  } else if (code == STN_DBLCLK && (id == ids::kSenderLabel || id == ids::kAddressLabel ||
                                    id == ids::kOtherAddressLabel)) {
    OnLabelDoubleClick(*this, id);
  }
}

LRESULT MainFormWindow::OnControlColor(HDC dc, HWND control, UINT msg, WPARAM wp, LPARAM lp) {
  // Only the editable memo takes the stored colours; disabled or read-only it looks it.
  if (control == memoMemo_ && msg == WM_CTLCOLOREDIT && memoBrush_) {
    ::SetTextColor(dc, memoTextColor_);
    ::SetBkColor(dc, memoBackColor_);
    return reinterpret_cast<LRESULT>(memoBrush_.get());
  }
  return ::DefWindowProcW(wnd_.get(), msg, wp, lp);
}

void MainFormWindow::Relayout() {
  for (HWND c : {wnd_.get(), panel0_, panel1_, panel2_}) LayoutChildren(c);
}

void MainFormWindow::ApplySettings() {
  SettingsStore& s = Settings();
  const bool top = s.ReadBool("Memo", "AlwaysTop", false);
  ::SetWindowPos(wnd_.get(), top ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Show(importanceCheck_, s.ReadBool("Importance", "Visible", true));
  Show(senderLabel_, s.ReadBool("Sender", "Visible", true));
  Show(addressLabel_, s.ReadBool("Address", "Visible", true));
  Show(otherAddressLabel_, s.ReadBool("OtherAddress", "Visible", true));
  ApplyStorable();  // the note for an address that cannot be stored stays visible

  LoadFont("Memo", memoFontSpec_);
  UniqueFont font(::CreateFontIndirectW(&memoFontSpec_.log));
  if (font) {
    ::SendMessageW(memoMemo_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    memoFont_ = std::move(font);  // the old font is freed only after the edit dropped it
  }
  memoTextColor_ = ResolveColor(memoFontSpec_.color);
  memoBackColor_ = ResolveColor(static_cast<DWORD>(s.ReadInt("Memo", "Color", 0x80000005)));
  memoBrush_.reset(::CreateSolidBrush(memoBackColor_));
  ::InvalidateRect(memoMemo_, nullptr, TRUE);
  Relayout();
}

void MainFormWindow::SetOtherAddressText(const std::wstring& text) {
  ::SetWindowTextW(otherAddressLabel_, text.c_str());
  int lines = 1;
  for (wchar_t c : text) lines += c == L'\n' ? 1 : 0;
  RECT r{};
  ::GetWindowRect(otherAddressLabel_, &r);
  ::SetWindowPos(otherAddressLabel_, nullptr, 0, 0, r.right - r.left, lines * LineHeight(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void MainFormWindow::FillOtherAddresses(const Person& person) {
  if (!Settings().ReadBool("OtherAddress", "Visible", true)) {
    Show(otherAddressLabel_, false);
    return;
  }
  const std::string shown = UpperAnsi(address_);
  std::string text;
  for (const std::string& a : person.Addresses) {
    if (UpperAnsi(a) == shown) continue;
    if (!text.empty()) text += "\r\n";
    text += "(" + a + ")";
  }
  SetOtherAddressText(Widen(text));
  Show(otherAddressLabel_, !text.empty());
}

void MainFormWindow::ShowMeibo(const std::string& text) {
  ::SetWindowTextW(meiboMemo_, Widen(text).c_str());
  Show(meiboMemo_, true);
  Show(splitter1_, true);
  DockSplitterAboveMeibo();
}

void MainFormWindow::HideMeibo() {
  Show(meiboMemo_, false);
  Show(splitter1_, false);
}

void MainFormWindow::FillRecord(int index) {
  const Person* r = data_.Get(index);
  if (r == nullptr) {
    ::SendMessageW(importanceCheck_, BM_SETCHECK, BST_UNCHECKED, 0);
    ::SetWindowTextW(memoMemo_, L"");
    Show(otherAddressLabel_, false);
    HideMeibo();
    return;
  }
  ::SetWindowTextW(memoMemo_, Widen(r->Memo).c_str());
  ::SendMessageW(importanceCheck_, BM_SETCHECK, r->Important ? BST_CHECKED : BST_UNCHECKED, 0);
  FillOtherAddresses(*r);
  if (!r->NameListText.empty()) {
    ShowMeibo(r->NameListText);
  } else {
    HideMeibo();
  }
}

// An address that Pinote.dat cannot hold (empty, or starting with a space or "@"...) gets a
// read-only memo and a visible note instead of edits that would vanish at the next load.
void MainFormWindow::ApplyStorable() {
  if (!IsAddressShown()) return;
  ::SendMessageW(memoMemo_, EM_SETREADONLY, storable_ ? FALSE : TRUE, 0);
  ::EnableWindow(importanceCheck_, storable_ ? TRUE : FALSE);
  if (!storable_) {
    SetOtherAddressText(Tr("このアドレスのメモは保存できません",
                           "No memo can be kept for this address"));
    Show(otherAddressLabel_, true);
  }
}

void MainFormWindow::ApplyRules(HWND hostWindow) {
  SettingsStore& s = Settings();
  const int showRule = s.ReadInt("Show", "Load", 1);
  const int hideRule = s.ReadInt("Hide", "Load", 1);
  const bool hasMemo = ::GetWindowTextLengthW(memoMemo_) > 0;
  const bool hasName = Visible(meiboMemo_);
  const bool important = IsImportantChecked();
  const ShowDecision d = DecideVisibility(static_cast<AppearRule>(showRule),
                                          static_cast<DisappearRule>(hideRule), hasMemo,
                                          hasName, important);
  HWND wnd = wnd_.get();
  if (d.appear) {
    if (!Visible(wnd)) {
      ::ShowWindow(wnd, SW_SHOWNOACTIVATE);
      HandForeground(hostWindow);
    }
  } else if (d.disappear && Visible(wnd)) {
    ::ShowWindow(wnd, SW_HIDE);
  }
}

void MainFormWindow::ShowMemo(HWND hostWindow, const std::string& address,
                              const std::string& senderName, bool forceShow) {
  struct LoadingScope {
    bool& flag;
    explicit LoadingScope(bool& f) : flag(f) { flag = true; }
    ~LoadingScope() { flag = false; }
  } loading(loading_);

  sender_ = senderName;
  address_ = address;
  ::SetWindowTextW(senderLabel_, Widen(senderName).c_str());
  ::SetWindowTextW(addressLabel_, Widen(address).c_str());
  FillRecord(data_.IndexOfAddress(address));
  ::EnableWindow(memoMemo_, TRUE);
  storable_ = IsStorableAddress(address);
  ApplyStorable();
  Relayout();
  if (forceShow) {
    ::ShowWindow(wnd_.get(), SW_SHOW);
    return;
  }
  ApplyRules(hostWindow);
}

void MainFormWindow::MemoMemoChange() {
  if (loading_ || !storable_ || !IsAddressShown()) return;
  int i = data_.IndexOfAddress(address_);
  if (i < 0) {
    auto person = std::make_unique<Person>();
    person->Addresses.push_back(address_);
    data_.Add(std::move(person));
    i = data_.IndexOfAddress(address_);
  }
  Person* r = data_.Get(i);
  if (r == nullptr) return;
  r->Important = IsImportantChecked();
  r->Memo = MemoText();
  const std::string typed = r->Memo;
  const bool important = r->Important;
  // A failed write is reported by the window procedure; the record keeps the edit and the
  // next successful save writes it.
  data_.Save();  // may prune and free r
  // The first save after an unreadable data file could be read again puts that file's memo
  // and mark into the record; show them, or the next keystroke would store the box over them.
  const int saved = data_.IndexOfAddress(address_);
  const Person* s = data_.Get(saved);
  if (s != nullptr && (s->Memo != typed || s->Important != important)) {
    loading_ = true;
    struct Clear {
      bool& flag;
      ~Clear() { flag = false; }
    } clear{loading_};
    FillRecord(saved);
  }
}

void MainFormWindow::ReloadData(const std::string& nameListPath) {
  data_.Save();
  std::string dataPath = DataPathFromSettingsPath(Settings().FileName());
  if (Settings().FileName().empty()) dataPath = data_.FileName();
  if (dataPath.empty()) return;
  data_.Load(dataPath);
  data_.LoadNameList(nameListPath);
}

void MainFormWindow::RecordWindowSettings() {
  RECT r{};
  ::GetWindowRect(meiboMemo_, &r);
  Settings().Write("Meibo", "Height", static_cast<int32_t>(r.bottom - r.top));
  SaveFormPlacement(wnd_.get(), "MainForm", true);
  SaveSettingsFile();
}

void MainFormWindow::FormCloseQuery() {
  // Hidden first: a settings file that cannot be written must not keep the window up.
  ::ShowWindow(wnd_.get(), SW_HIDE);
  RecordWindowSettings();
}

void MainFormWindow::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  RecordWindowSettings();
}

void MainFormWindow::ShowAndActivate() {
  HWND wnd = wnd_.get();
  ::ShowWindow(wnd, SW_SHOW);
  ::SetForegroundWindow(wnd);
}

std::string MainFormWindow::MemoText() const { return Narrow(WindowText(memoMemo_)); }

void MainFormWindow::SetMemoText(const std::string& text) {
  // Text put here is an edit; where it could not be stored it is not put in at all.
  if (!IsAddressShown() || !storable_) return;
  ::SetWindowTextW(memoMemo_, Widen(text).c_str());
  // A multi-line edit sends no EN_CHANGE for WM_SETTEXT, so the change is stored here.
  Guarded(wnd_.get(), [this] { MemoMemoChange(); });
}

HWND MainFormWindow::Control(int id) const {
  switch (id) {
    case ids::kImportanceCheck: return importanceCheck_;
    case ids::kSenderLabel: return senderLabel_;
    case ids::kAddressLabel: return addressLabel_;
    case ids::kOtherAddressLabel: return otherAddressLabel_;
    case ids::kMemoMemo: return memoMemo_;
    case ids::kSplitter1: return splitter1_;
    case ids::kMeiboMemo: return meiboMemo_;
    case ids::kPanel0: return panel0_;
    case ids::kPanel1: return panel1_;
    case ids::kPanel2: return panel2_;
    default: return nullptr;
  }
}

bool MainFormWindow::IsAddressShown() const { return ::IsWindowEnabled(memoMemo_) != FALSE; }

bool MainFormWindow::IsImportantChecked() const {
  return ::SendMessageW(importanceCheck_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainFormWindow::Hide() { ::ShowWindow(wnd_.get(), SW_HIDE); }

}  // namespace pinote
