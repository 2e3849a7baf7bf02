#include "forms/win32/memo_window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/run_aside.h"
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/message_box.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/show_rule.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/dialogs.h"
#include "store/address_index.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

// Design sizes in pixels: the window, the check box, the labels' least line height.
constexpr int kDesignWidth = 242, kCheckHeight = 17, kLineHeight = 12;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX;
constexpr DWORD kMemoStyle = WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL;

// The child controls from the top; the labels and boxes take the mouse actions below.
struct Child {
  int id;
  const wchar_t* cls;
  DWORD style, exStyle;
  const UiText* text;
};
const Child kChildren[] = {
    {IDC_IMPORTANT_CHECK, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
     &ui::kImportant},
    {IDC_SENDER_LABEL, L"STATIC", kLabelStyle | SS_LEFTNOWORDWRAP, 0, &ui::kSender},
    {IDC_ADDRESS_LABEL, L"STATIC", kLabelStyle | SS_LEFTNOWORDWRAP, 0, &ui::kSenderAddress},
    {IDC_OTHER_ADDRESS_LABEL, L"STATIC", kLabelStyle, 0, &ui::kOtherAddress},
    // Disabled until the first address is shown.
    {IDC_MEMO_EDIT, L"EDIT", kMemoStyle | WS_VISIBLE | WS_DISABLED, WS_EX_CLIENTEDGE, nullptr},
    {IDC_NAME_LIST_SPLITTER, L"" SPLITTER_CLASS, WS_CHILD, 0, nullptr},
    {IDC_NAME_LIST_EDIT, L"EDIT", kMemoStyle | ES_READONLY, WS_EX_CLIENTEDGE, nullptr},
};

std::function<void(HWND)> g_foregroundHook;

}  // namespace

void SetForegroundHookForTesting(std::function<void(HWND)> hook) {
  g_foregroundHook = std::move(hook);
}

void UnregisterWindowClasses() {
  ::UnregisterClassW(L"" MEMO_WINDOW_CLASS, PluginInstance());
  ::UnregisterClassW(L"" SPLITTER_CLASS, PluginInstance());
}

std::unique_ptr<MemoWindow> MemoWindow::Create() {
  RegisterSplitterClass(L"" SPLITTER_CLASS);
  RegisterWindowClass(L"" MEMO_WINDOW_CLASS, &MemoWindow::Procedure, IDC_ARROW, true);
  std::unique_ptr<MemoWindow> window(new MemoWindow());
  window->StartLoading();
  UniqueMenu bar = CreateMenus();
  window->toolMenu_ = ::GetSubMenu(bar.get(), 0);
  // By default flush with the screen's right edge and as tall as the screen: made there at
  // once, for a top-level window moved afterwards is laid out and configured twice.
  if (!::CreateWindowExW(0, L"" MEMO_WINDOW_CLASS, Utf8(kPluginName).c_str(),
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         ::GetSystemMetrics(SM_CXSCREEN) - kDesignWidth, 0, kDesignWidth,
                         ::GetSystemMetrics(SM_CYSCREEN), nullptr, bar.get(), PluginInstance(),
                         static_cast<WindowBase*>(window.get()))) {
    throw std::runtime_error("CreateWindowExW failed for the memo window");
  }
  (void)bar.release();  // the window destroys its menu bar
  window->OnCreate();
  return window;
}

void MemoWindow::OnCreate() {
  designFont_ = CreateDesignFont();
  for (const Child& c : kChildren) {
    HWND child = CreateChild(wnd_, c.id, c.cls, c.style, c.exStyle,
                             c.text ? Tr(*c.text).c_str() : L"",
                             c.id != IDC_MEMO_EDIT ? designFont_.get() : nullptr);
    if (c.id >= IDC_SENDER_LABEL && c.id != IDC_NAME_LIST_SPLITTER) {
      ::SetWindowSubclass(child, &MouseSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    // Both boxes hold whole files' worth of text, beyond the edit control's default limit.
    if ((c.style & ES_MULTILINE) != 0) ::SendMessageW(child, EM_SETLIMITTEXT, 0, 0);
  }
  lineHeight_ = std::max(kLineHeight, TextHeight(wnd_, designFont_.get()));
  LoadWindowPlacement(wnd_, sections::kMemoWindow, true);
  nameListHeight_ = ReadOption(Settings(), &Options::nameListHeight);
  ApplyOptions(CurrentOptions());
  // Last: the window is laid out meanwhile, while the reads run.
  LoadData();
}

MemoWindow::~MemoWindow() {
  WaitForLoading();
  if (wnd_ != nullptr) Guarded(wnd_, [this] { SaveLeftEdits(); });
  // Destroyed while the object is whole, so WM_DESTROY still records the window's settings.
  if (wnd_ != nullptr) ::DestroyWindow(wnd_);
}

// The store (an older data file without the dot, "Pinotedat", moved to its ".dat" name first)
// and the name list take as long to read as the window takes to make, and neither touches the
// other, nor the window, until LoadData: three threads share the wait. Paths and options are
// read here, on the window's thread.
void MemoWindow::StartLoading() {
  const std::string& library = PluginFileName();
  if (library.empty()) return;  // no known home: nothing to read, and no stray relative file
  const CodePage& cp = SystemCodePage();
  nameListPath_ = ReadOption(Settings(), &Options::nameListPath);
  // Folded as the store folds its addresses (asked before its thread starts).
  nameListRead_ = RunAside([path = nameListPath_, codePage = store_.TextCodePage()] {
    return ReadNameList(SystemFileSystem(), path, codePage);
  });
  storeRead_ = RunAside([this, path = DataPathFor(library, cp), pc = PcRecordFolder(),
                         older = LegacyDataPathFor(library, cp)] {
    return store_.Load(path, pc, older);
  });
}

void MemoWindow::WaitForLoading() noexcept {
  if (storeRead_.valid()) storeRead_.wait();
  if (nameListRead_.valid()) nameListRead_.wait();
}

void MemoWindow::LoadData() {
  if (!storeRead_.valid()) return;
  TellLoadFailure(storeRead_.get());
  Guarded(wnd_, [&] {
    store_.MergeNameList(nameListPath_, [this] { return nameListRead_.get(); });
  });
  // Sync tools' copies of the files beside the plug-in are merged here, at start.
  CatchUpWithDisk(false);
  ::PostMessageW(wnd_, kPrepareSaveMessage, 0, 0);
}

// Top down: the note of a save not done, the mark, the sender, the address, the other addresses
// (each only while shown); the memo box takes the rest above the splitter and the name-list box
// at the bottom.
void MemoWindow::Layout() {
  RECT client{};
  ::GetClientRect(wnd_, &client);
  int top = 0, bottom = client.bottom;
  const std::pair<int, int> rows[] = {{IDC_SAVE_NOTE_LABEL, lineHeight_},
                                      {IDC_IMPORTANT_CHECK, kCheckHeight},
                                      {IDC_SENDER_LABEL, lineHeight_},
                                      {IDC_ADDRESS_LABEL, lineHeight_},
                                      {IDC_OTHER_ADDRESS_LABEL, lineHeight_ * otherAddressLines_},
                                      {IDC_DOMAIN_HINT_LABEL, lineHeight_}};
  for (const auto& [id, height] : rows) {
    if (!HasVisibleStyle(Control(id))) continue;
    repaint_ |= PlaceIfMoved(Control(id), 0, top, client.right, height);
    top += height;
  }
  if (HasVisibleStyle(Control(IDC_NAME_LIST_EDIT))) {
    const int height = std::clamp(nameListHeight_, 0, std::max(0, bottom - top - kSplitterSize));
    repaint_ |= PlaceIfMoved(Control(IDC_NAME_LIST_EDIT), 0, bottom - height, client.right, height);
    bottom -= height + kSplitterSize;
    repaint_ |= PlaceIfMoved(Control(IDC_NAME_LIST_SPLITTER), 0, bottom, client.right, kSplitterSize);
  }
  repaint_ |= PlaceIfMoved(Control(IDC_MEMO_EDIT), 0, top, client.right, bottom - top);
}

LRESULT MemoWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(wp) == toolMenu_) EnableToolMenu();
      return 0;
    case WM_CTLCOLOREDIT:
      // Only the editable memo takes the stored colours.
      if (reinterpret_cast<HWND>(lp) != Control(IDC_MEMO_EDIT) || !memoBrush_) break;
      ::SetTextColor(reinterpret_cast<HDC>(wp), memoTextColor_);
      ::SetBkColor(reinterpret_cast<HDC>(wp), memoBackColor_);
      return reinterpret_cast<LRESULT>(memoBrush_.get());
    case WM_CTLCOLORSTATIC:
      // The domain hint looks like a link: a click on it shows the domain's memo.
      if (reinterpret_cast<HWND>(lp) != Control(IDC_DOMAIN_HINT_LABEL)) break;
      {
        const LRESULT brush = ::DefWindowProcW(wnd_, msg, wp, lp);
        ::SetTextColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_HOTLIGHT));
        return brush;
      }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) != Control(IDC_DOMAIN_HINT_LABEL) || wp == 0) break;
      ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case kTellUnkeptMessage:
      TellUnkeptCharacters();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) ::PostMessageW(wnd_, kCatchUpMessage, 0, 0);
      break;
    case kPrepareSaveMessage:
      try {
        store_.PrepareSave();
      } catch (const std::exception&) {
        // Only work done ahead: the save formats the records itself.
      }
      return 0;
    case kCatchUpMessage:
      // Not while a dialog of ours is open over the window (it is disabled then): the unify
      // dialog holds record numbers that a merge would move.
      if (::IsWindowEnabled(wnd_)) CatchUpWithDisk(true);
      return 0;
    case WM_CLOSE:
      // Hidden first: a settings file that cannot be written must not keep the window up.
      ::ShowWindow(wnd_, SW_HIDE);
      RecordWindowSettings();
      return 0;
    case WM_DESTROY:
      RecordWindowSettings();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(wnd_, msg, wp, lp);
}

void MemoWindow::OnCommand(int id, int code, HWND control) {
  if (control == nullptr && code == 0) {  // a menu item, not an accelerator
    OnMenuCommand(id);
  } else if ((id == IDC_MEMO_EDIT && code == EN_CHANGE) ||
             (id == IDC_IMPORTANT_CHECK && code == BN_CLICKED)) {
    OnMemoChanged();
  } else if (id == IDC_DOMAIN_HINT_LABEL) {
    if (code == STN_CLICKED) SwitchDomainMemo();
  } else if (code == STN_DBLCLK) {
    CopyLabel(control);
  } else if (id == IDC_NAME_LIST_SPLITTER && code == SPN_MOVING) {
    RECT client{};
    ::GetClientRect(wnd_, &client);
    nameListHeight_ = std::max<int>(0, client.bottom - ChildRect(control).bottom);
    Layout();
  }
}

void MemoWindow::ApplyOptions(const Options& options) {
  ::SetWindowPos(wnd_, options.alwaysTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetVisible(Control(IDC_IMPORTANT_CHECK), options.showImportance);
  SetVisible(Control(IDC_SENDER_LABEL), options.showSender);
  SetVisible(Control(IDC_ADDRESS_LABEL), options.showAddress);
  HWND others = Control(IDC_OTHER_ADDRESS_LABEL);
  SetVisible(others, options.showOtherAddresses && ::GetWindowTextLengthW(others) > 0);
  ApplyStorable();  // the note for an address that cannot be stored stays visible
  if (UniqueFont font = CreateStoredFont(options.memoFont)) {
    ::SendMessageW(Control(IDC_MEMO_EDIT), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    memoFont_ = std::move(font);  // the old font is freed only after the edit dropped it
  }
  memoTextColor_ = ResolveColor(options.memoFont.color);
  memoBackColor_ = ResolveColor(options.memoColor);
  memoBrush_.reset(::CreateSolidBrush(memoBackColor_));
  ::InvalidateRect(Control(IDC_MEMO_EDIT), nullptr, TRUE);
  Layout();
}

void MemoWindow::SetOtherAddresses(const std::wstring& text) {
  repaint_ |= SetText(Control(IDC_OTHER_ADDRESS_LABEL), text);
  otherAddressLines_ = 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
}

void MemoWindow::FillRecord(int index) {
  const Person* record = store_.Get(index);
  shownMemo_ = record ? record->memo : std::string();
  repaint_ |= SetBoxText(Control(IDC_MEMO_EDIT), record ? Widen(record->memo) : std::wstring());
  repaint_ |= SetCheck(Control(IDC_IMPORTANT_CHECK), record && record->important);
  // The record's other addresses, one "(address)" a line.
  std::string others;
  for (size_t i = 0; record != nullptr && i < record->addresses.size(); ++i) {
    if (SameAddressKey(record->addresses[i], address_, store_.TextCodePage())) continue;
    others += (others.empty() ? "(" : "\r\n(") + record->addresses[i] + ")";
  }
  const bool showOthers = !others.empty() && ReadOption(Settings(), &Options::showOtherAddresses);
  // The label holds the shown record's addresses also while hidden, so that showing it later
  // never brings back another's. For an address that cannot be stored it holds ApplyStorable's
  // note instead: it is not hidden in between (that would paint it twice).
  if (storable_) SetOtherAddresses(Widen(others));
  if (storable_) repaint_ |= SetVisible(Control(IDC_OTHER_ADDRESS_LABEL), showOthers);
  // Without name-list text the box and its splitter go; their old text stays in the hidden box.
  const bool hasName = record != nullptr && !record->nameListText.empty();
  if (hasName) repaint_ |= SetBoxText(Control(IDC_NAME_LIST_EDIT), Widen(record->nameListText));
  repaint_ |= SetVisible(Control(IDC_NAME_LIST_EDIT), hasName);
  repaint_ |= SetVisible(Control(IDC_NAME_LIST_SPLITTER), hasName);
}

// An address that Pinote.dat cannot hold (empty, or starting with a space or "@"...) gets a
// read-only memo and a visible note instead of edits that would vanish at the next load.
void MemoWindow::ApplyStorable() {
  if (!IsAddressShown()) return;
  repaint_ |= SetReadOnly(Control(IDC_MEMO_EDIT), !storable_);
  repaint_ |= SetEnabled(Control(IDC_IMPORTANT_CHECK), storable_);
  if (storable_) return;
  SetOtherAddresses(Tr(ui::kCannotKeep));
  repaint_ |= SetVisible(Control(IDC_OTHER_ADDRESS_LABEL), true);
}

void MemoWindow::ShowMemo(HWND hostWindow, const std::string& address,
                          const std::string& senderName, bool forceShow,
                          SenderViewRequest request) {
  CatchUpWithDisk(false);  // before the fill: what another writer left is shown
  ScopedFlag loading(loading_);
  SenderView view = ChooseSenderView(store_, address, request);
  if (view.address != address_) {  // another memo: its lost characters are told anew
    unkept_.clear();
    toldUnkept_ = false;
  }
  repaint_ = false;
  PaintHold hold(wnd_, repaint_);
  sender_ = senderName;
  senderAddress_ = address;
  view_ = std::move(view);
  address_ = view_.address;
  repaint_ |= SetText(Control(IDC_SENDER_LABEL), Widen(senderName));
  repaint_ |= SetText(Control(IDC_ADDRESS_LABEL), Widen(address_));
  storable_ = IsStorableAddress(address_);
  FillRecord(store_.IndexOfAddress(address_));
  ShowDomainHint();
  repaint_ |= SetEnabled(Control(IDC_MEMO_EDIT), true);
  ApplyStorable();
  Layout();
  hold.End();  // before the window's own visibility is read or changed
  if (forceShow) {
    ShowWithStoredState(wnd_, SW_SHOW);
    return;
  }
  const ShowDecision d = DecideVisibility(
      ReadOption(Settings(), &Options::appear), ReadOption(Settings(), &Options::disappear),
      ::GetWindowTextLengthW(Control(IDC_MEMO_EDIT)) > 0,
      HasVisibleStyle(Control(IDC_NAME_LIST_EDIT)), IsImportantChecked());
  const bool visible = HasVisibleStyle(wnd_);
  if (d.appear && !visible) {
    ShowWithStoredState(wnd_, SW_SHOWNOACTIVATE);
    // The host's window gets the foreground back.
    g_foregroundHook ? g_foregroundHook(hostWindow) : (void)::SetForegroundWindow(hostWindow);
  } else if (d.disappear && visible) {
    ::ShowWindow(wnd_, SW_HIDE);
  }
}

void MemoWindow::OnMemoChanged() {
  if (loading_ || !storable_ || !IsAddressShown()) return;
  const std::wstring shown = WindowText(Control(IDC_MEMO_EDIT));
  const std::string typed = Narrow(shown);
  if (Widen(typed) != shown) KeepOnlyStorableText(shown, typed);
  if (!StoreTypedMemo(store_, address_, typed, IsImportantChecked(), &shownMemo_)) return;
  // After every save, failed or not, the box shows the record as memory holds it: a save that
  // merged another writer's text (or a file unreadable at the start) joined it to the typed
  // one, and the next keystroke must build on that, not store the box over it.
  ShowOutcome(store_.Save(), true);
}

// Pinote.dat holds the system's code page: the box is set to what will be saved, and the user is
// told once per memo which characters were lost. Told by a posted message: the keystroke
// finishes first.
void MemoWindow::KeepOnlyStorableText(const std::wstring& shown, const std::string& stored) {
  ScopedFlag loading(loading_);
  for (const std::wstring& c : KeepAnsiTextOnly(Control(IDC_MEMO_EDIT), shown, stored)) {
    if (unkept_.find(c) == std::wstring::npos) unkept_ += c;
  }
  if (!toldUnkept_ && !unkept_.empty()) {
    toldUnkept_ = true;
    ::PostMessageW(wnd_, kTellUnkeptMessage, 0, 0);
  }
}

void MemoWindow::TellUnkeptCharacters() {
  if (unkept_.empty()) return;
  Tell(wnd_, ui::kPluginNameTitle, Tr(ui::kUnkeptCharacters) + L"\r\n\r\n" + unkept_,
       MB_ICONWARNING);
}

void MemoWindow::ReloadData(const std::string& nameListPath) {
  const DiskOutcome out = store_.Reload(nameListPath);
  // Changes a failed save keeps are told as every failed save is; a failed read as at start.
  if (out.ok() || out.unsaved) {
    ShowOutcome(out, false);
  } else {
    TellLoadFailure(out);
  }
  ::PostMessageW(wnd_, kPrepareSaveMessage, 0, 0);
}

void MemoWindow::RecordWindowSettings() {
  WriteOption(Settings(), &Options::nameListHeight, nameListHeight_);
  SaveWindowPlacement(wnd_, sections::kMemoWindow, true);
  SaveSettingsFile();
}

std::string MemoWindow::MemoText() const { return Narrow(WindowText(Control(IDC_MEMO_EDIT))); }

void MemoWindow::SetMemoText(const std::string& text) {
  // Text put here is an edit; where it could not be stored it is not put in at all.
  if (!IsAddressShown() || !storable_) return;
  ::SetWindowTextW(Control(IDC_MEMO_EDIT), Widen(text).c_str());
  // A multi-line edit sends no EN_CHANGE for WM_SETTEXT, so the change is stored here.
  Guarded(wnd_, [this] { OnMemoChanged(); });
}

}  // namespace pinote
