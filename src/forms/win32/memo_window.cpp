#include "forms/win32/memo_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "common/file_io.h"
#include "common/mbtext.h"
#include "common/paths.h"
#include "common/texts.h"
#include "common/win32/controls.h"
#include "common/win32/module_paths.h"
#include "common/win32/placement.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/show_rule.h"
#include "forms/win32/control_ids.h"
#include "forms/memo_link.h"
#include "forms/win32/dialogs.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

// Design sizes in pixels: the window, the check box, the labels' least line height.
constexpr int kDesignWidth = 242, kDesignHeight = 345, kCheckHeight = 17, kLineHeight = 12;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX;
constexpr DWORD kMemoStyle = WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL;

// The menu bar: a popup has no id, an item its command; an item without text is a separator.
struct MenuEntry {
  int id;
  const UiText* text;
};
constexpr MenuEntry kLine{-1, nullptr};
constexpr MenuEntry kMenuBar[] = {
    {0, &ui::kToolMenu},       {IDM_LOOK, &ui::kLookItem},         kLine,
    {IDM_UNIFY, &ui::kUnifyItem}, {IDM_SEPARATE, &ui::kSeparateItem}, kLine,
    {IDM_HIDE, &ui::kHideItem}, kLine,                              {IDM_OPTIONS, &ui::kOptionItem},
    {0, &ui::kHelpMenu},       {IDM_HELP_CONTENTS, &ui::kContentsItem}, kLine,
    {IDM_ABOUT, &ui::kVersionItem},
};

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

bool HasVisibleStyle(HWND wnd) { return (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }
void Show(HWND wnd, bool show) { ::ShowWindow(wnd, show ? SW_SHOWNA : SW_HIDE); }
bool IsBox(int id) { return id == IDC_MEMO_EDIT || id == IDC_NAME_LIST_EDIT; }

void Warn(HWND owner, const UiText& title, const UiText& text) {
  ::MessageBoxW(owner, Tr(text).c_str(), Tr(title).c_str(), MB_OK | MB_ICONWARNING);
}

void PutOnClipboard(HWND owner, const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  void* p = mem != nullptr ? ::GlobalLock(mem) : nullptr;
  bool taken = false;
  if (p != nullptr && ::OpenClipboard(owner)) {
    std::memcpy(p, text.c_str(), bytes);
    ::GlobalUnlock(mem);
    ::EmptyClipboard();
    taken = ::SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    ::CloseClipboard();
  }
  if (!taken && mem != nullptr) ::GlobalFree(mem);  // ours unless the clipboard took it
}

// The line of `edit` that holds the caret (the start of the selection). The boxes do not wrap,
// so their lines are the text's.
std::wstring CaretLine(HWND edit) {
  DWORD caret = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  const std::wstring text = WindowText(edit);
  const size_t begin = caret == 0 ? 0 : text.rfind(L'\n', caret - 1) + 1;  // npos + 1 is 0
  return text.substr(begin, text.find_first_of(L"\r\n", begin) - begin);
}

// Sets the flag for the life of the object: the memo window's own updates are no edits.
struct Loading {
  bool& flag;
  explicit Loading(bool& f) : flag(f) { flag = true; }
  ~Loading() { flag = false; }
};

}  // namespace

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
  if (msg == WM_LBUTTONDBLCLK && box) Guarded(memo.wnd_, [&] { memo.OpenMemoLink(wnd); });
  return result;
}

void SetForegroundHookForTesting(std::function<void(HWND)> hook) {
  g_foregroundHook = std::move(hook);
}

void UnregisterFormClasses() {
  ::UnregisterClassW(L"" MEMO_WINDOW_CLASS, PluginInstance());
  ::UnregisterClassW(L"" SPLITTER_CLASS, PluginInstance());
}

std::unique_ptr<MemoWindow> MemoWindow::Create() {
  RegisterSplitterClass(L"" SPLITTER_CLASS);
  RegisterWindowClass(L"" MEMO_WINDOW_CLASS, &MemoWindow::Procedure, IDC_ARROW, true);
  std::unique_ptr<MemoWindow> window(new MemoWindow());
  UniqueMenu bar(::CreateMenu());
  HMENU popup = nullptr;
  for (const MenuEntry& e : kMenuBar) {
    if (e.id == 0) {
      popup = ::CreatePopupMenu();
      if (window->toolMenu_ == nullptr) window->toolMenu_ = popup;
      ::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Tr(*e.text).c_str());
    } else {
      ::AppendMenuW(popup, e.text ? MF_STRING : MF_SEPARATOR, e.text ? e.id : 0,
                    e.text ? Tr(*e.text).c_str() : nullptr);
    }
  }
  if (!::CreateWindowExW(0, L"" MEMO_WINDOW_CLASS, Utf8(kPluginName).c_str(),
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                         kDesignWidth, kDesignHeight, nullptr, bar.get(), PluginInstance(),
                         static_cast<WindowBase*>(window.get()))) {
    throw std::runtime_error("CreateWindowExW failed for the memo window");
  }
  (void)bar.release();  // the window destroys its menu bar
  window->OnCreate();
  return window;
}

void MemoWindow::OnCreate() {
  formFont_ = CreateDesignFont();
  for (const Child& c : kChildren) {
    HWND child = ::CreateWindowExW(c.exStyle, c.cls, c.text ? Tr(*c.text).c_str() : L"", c.style,
                                   0, 0, 0, 0, wnd_, reinterpret_cast<HMENU>(INT_PTR{c.id}),
                                   PluginInstance(), nullptr);
    if (child == nullptr) throw std::runtime_error("CreateWindowExW failed for a control");
    if (c.id != IDC_MEMO_EDIT) {
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
    }
    if (c.id >= IDC_SENDER_LABEL && c.id != IDC_NAME_LIST_SPLITTER) {
      ::SetWindowSubclass(child, &MouseSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    // Both boxes hold whole files' worth of text, beyond the edit control's default limit.
    if (IsBox(c.id)) ::SendMessageW(child, EM_SETLIMITTEXT, 0, 0);
  }
  lineHeight_ = std::max(kLineHeight, TextHeight(wnd_, formFont_.get()));
  LoadData();
  // By default flush with the screen's right edge and as tall as the screen.
  ::SetWindowPos(wnd_, nullptr, ::GetSystemMetrics(SM_CXSCREEN) - kDesignWidth, 0, kDesignWidth,
                 ::GetSystemMetrics(SM_CYSCREEN), SWP_NOZORDER | SWP_NOACTIVATE);
  LoadFormPlacement(wnd_, sections::kMemoWindow, true);
  nameListHeight_ = Read(Settings(), keys::kNameListHeight);
  ApplyOptions(CurrentOptions());
}

MemoWindow::~MemoWindow() {
  if (wnd_ != nullptr) Guarded(wnd_, [this] { SaveLeftEdits(); });
  // Destroyed while the object is whole, so WM_DESTROY still records the window's settings.
  if (wnd_ != nullptr) ::DestroyWindow(wnd_);
}

// Moves an older data file without the dot ("Pinotedat") to its ".dat" name, then loads the
// store and merges the name list.
void MemoWindow::LoadData() {
  const std::string& library = PluginFileName();
  if (library.empty()) return;  // no known home: nothing to read, and no stray relative file
  FileSystem& fs = SystemFileSystem();
  const std::string dataPath = DataPathFor(library), olderPath = LegacyDataPathFor(library);
  try {
    if (!fs.Exists(dataPath) && fs.Exists(olderPath)) fs.Rename(olderPath, dataPath);
  } catch (const FileError&) {
    // A failed move leaves the old file where it is; the store then starts empty.
  }
  Guarded(wnd_, [&] { LoadClearOfWriters(dataPath); });
  Guarded(wnd_, [&] { store_.LoadNameList(Read(Settings(), keys::kNameListPath)); });
  // Sync tools' copies of the files beside the plug-in are merged here, at start.
  CatchUpWithDisk(false);
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
                                      {IDC_OTHER_ADDRESS_LABEL, lineHeight_ * otherAddressLines_}};
  for (const auto& [id, height] : rows) {
    if (!HasVisibleStyle(Control(id))) continue;
    Place(Control(id), 0, top, client.right, height);
    top += height;
  }
  if (HasVisibleStyle(Control(IDC_NAME_LIST_EDIT))) {
    const int height = std::clamp(nameListHeight_, 0, std::max(0, bottom - top - kSplitterSize));
    Place(Control(IDC_NAME_LIST_EDIT), 0, bottom - height, client.right, height);
    bottom -= height + kSplitterSize;
    Place(Control(IDC_NAME_LIST_SPLITTER), 0, bottom, client.right, kSplitterSize);
  }
  Place(Control(IDC_MEMO_EDIT), 0, top, client.right, bottom - top);
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
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) ::PostMessageW(wnd_, kCatchUpMessage, 0, 0);
      break;
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
    switch (id) {
      case IDM_LOOK: OnLook(); break;
      case IDM_UNIFY: OnUnify(); break;
      case IDM_SEPARATE: OnSeparate(); break;
      case IDM_HIDE: Hide(); break;
      case IDM_OPTIONS: ChangeOptions(this); break;
      case IDM_HELP_CONTENTS: ShowHelp(wnd_); break;
      case IDM_ABOUT: ShowAbout(); break;
      default: break;
    }
  } else if ((id == IDC_MEMO_EDIT && code == EN_CHANGE) ||
             (id == IDC_IMPORTANT_CHECK && code == BN_CLICKED)) {
    OnMemoChanged();
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
  Show(Control(IDC_IMPORTANT_CHECK), options.showImportance);
  Show(Control(IDC_SENDER_LABEL), options.showSender);
  Show(Control(IDC_ADDRESS_LABEL), options.showAddress);
  Show(Control(IDC_OTHER_ADDRESS_LABEL), options.showOtherAddresses);
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
  ::SetWindowTextW(Control(IDC_OTHER_ADDRESS_LABEL), text.c_str());
  otherAddressLines_ = 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
}

void MemoWindow::FillRecord(int index) {
  const Person* record = store_.Get(index);
  ::SetWindowTextW(Control(IDC_MEMO_EDIT), record ? Widen(record->Memo).c_str() : L"");
  ::SendMessageW(Control(IDC_IMPORTANT_CHECK), BM_SETCHECK,
                 record && record->Important ? BST_CHECKED : BST_UNCHECKED, 0);
  // The record's other addresses, one "(address)" a line.
  std::string others;
  for (size_t i = 0; record != nullptr && i < record->Addresses.size(); ++i) {
    if (UpperAnsi(record->Addresses[i]) == UpperAnsi(address_)) continue;
    others += (others.empty() ? "(" : "\r\n(") + record->Addresses[i] + ")";
  }
  const bool showOthers = !others.empty() && Read(Settings(), keys::kShowOtherAddresses);
  if (showOthers) SetOtherAddresses(Widen(others));
  Show(Control(IDC_OTHER_ADDRESS_LABEL), showOthers);
  // Without name-list text the box and its splitter go; their old text stays in the hidden box.
  const bool hasName = record != nullptr && !record->NameListText.empty();
  if (hasName) ::SetWindowTextW(Control(IDC_NAME_LIST_EDIT), Widen(record->NameListText).c_str());
  Show(Control(IDC_NAME_LIST_EDIT), hasName);
  Show(Control(IDC_NAME_LIST_SPLITTER), hasName);
}

// An address that Pinote.dat cannot hold (empty, or starting with a space or "@"...) gets a
// read-only memo and a visible note instead of edits that would vanish at the next load.
void MemoWindow::ApplyStorable() {
  if (!IsAddressShown()) return;
  ::SendMessageW(Control(IDC_MEMO_EDIT), EM_SETREADONLY, !storable_, 0);
  ::EnableWindow(Control(IDC_IMPORTANT_CHECK), storable_);
  if (storable_) return;
  SetOtherAddresses(Tr(ui::kCannotKeep));
  Show(Control(IDC_OTHER_ADDRESS_LABEL), true);
}

void MemoWindow::ShowMemo(HWND hostWindow, const std::string& address,
                          const std::string& senderName, bool forceShow) {
  CatchUpWithDisk(false);  // before the fill: what another writer left is shown
  Loading loading(loading_);
  sender_ = senderName;
  address_ = address;
  ::SetWindowTextW(Control(IDC_SENDER_LABEL), Widen(senderName).c_str());
  ::SetWindowTextW(Control(IDC_ADDRESS_LABEL), Widen(address).c_str());
  FillRecord(store_.IndexOfAddress(address));
  ::EnableWindow(Control(IDC_MEMO_EDIT), TRUE);
  storable_ = IsStorableAddress(address);
  ApplyStorable();
  Layout();
  if (forceShow) {
    ::ShowWindow(wnd_, SW_SHOW);
    return;
  }
  const ShowDecision d = DecideVisibility(
      Read(Settings(), keys::kAppearRule), Read(Settings(), keys::kDisappearRule),
      ::GetWindowTextLengthW(Control(IDC_MEMO_EDIT)) > 0,
      HasVisibleStyle(Control(IDC_NAME_LIST_EDIT)), IsImportantChecked());
  const bool visible = HasVisibleStyle(wnd_);
  if (d.appear && !visible) {
    ::ShowWindow(wnd_, SW_SHOWNOACTIVATE);
    // The host's window gets the foreground back.
    g_foregroundHook ? g_foregroundHook(hostWindow) : (void)::SetForegroundWindow(hostWindow);
  } else if (d.disappear && visible) {
    ::ShowWindow(wnd_, SW_HIDE);
  }
}

void MemoWindow::OnMemoChanged() {
  if (loading_ || !storable_ || !IsAddressShown()) return;
  const std::string typed = MemoText();
  const bool important = IsImportantChecked();
  StoredMemo stored;
  if (!Saved([&] { stored = StoreTypedMemo(store_, address_, typed, important); })) return;
  const Person* record = store_.Get(stored.record);
  // The first save after an unreadable data file could be read again puts that file's memo
  // and mark into the record; show them, or the next keystroke would store the box over them.
  if (record != nullptr && (record->Memo != typed || record->Important != important)) {
    Loading loading(loading_);
    FillRecord(store_.IndexOfAddress(address_));
    Layout();
  }
}

void MemoWindow::ReloadData(const std::string& nameListPath) {
  // A load over edits the save could not write would lose them.
  if (!Saved([this] { store_.Save(); })) return;
  // The file LoadData read: Pinote.dat beside the plug-in, as the settings file is.
  if (store_.FileName().empty()) return;
  LoadClearOfWriters(store_.FileName());
  store_.LoadNameList(nameListPath);
}

void MemoWindow::RecordWindowSettings() {
  Write(Settings(), keys::kNameListHeight, nameListHeight_);
  SaveFormPlacement(wnd_, sections::kMemoWindow, true);
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

void MemoWindow::OnLook() {
  const UnifyPick pick = RunUnifyDialog(wnd_, store_, ui::kLookButton);
  if (!pick.ok) return;
  if (const auto picked = PickedAddress(store_, pick.record, pick.address)) {
    ShowMemo(wnd_, *picked, "", true);
  }
}

void MemoWindow::OnUnify() {
  if (!IsAddressShown()) return;
  const UnifyPick pick = RunUnifyDialog(wnd_, store_, ui::kUnifyButton);
  if (!pick.ok) return;
  const std::string shown = address_;
  UnifyOutcome outcome = UnifyOutcome::kNothingPicked;
  if (!Saved([&] { outcome = Unify(store_, shown, pick.record, pick.address); })) {
    // Unified in memory though not on disk: the box must show the joined memo, or the next
    // keystroke would store the shown address's old memo over it.
    ShowMemo(wnd_, shown, sender_, true);
    return;
  }
  switch (outcome) {
    case UnifyOutcome::kSameAddress: Warn(wnd_, ui::kSameAddressTitle, ui::kSameAddress); break;
    case UnifyOutcome::kAlreadyUnified: Warn(wnd_, ui::kUnifiedTitle, ui::kUnified); break;
    case UnifyOutcome::kAddressNotStored:
      Warn(wnd_, ui::kCannotUnifyTitle, ui::kCannotUnify);
      break;
    case UnifyOutcome::kUnified: ShowMemo(wnd_, shown, sender_, true); break;
    case UnifyOutcome::kNothingPicked: break;
  }
}

void MemoWindow::OnSeparate() {
  const std::string shown = address_;
  SeparateOutcome outcome = SeparateOutcome::kNotInGroup;
  if (!IsAddressShown()) return;
  // Shown again also when the save failed: the separation stands in memory.
  if (!Saved([&] { outcome = Separate(store_, shown, MemoText(), IsImportantChecked()); }) ||
      outcome == SeparateOutcome::kSeparated) {
    ShowMemo(wnd_, shown, sender_, true);
  }
}

// The Tool menu is about to open: Look needs a record, Unify two, Separate a shown address whose
// record has more than one address.
void MemoWindow::EnableToolMenu() {
  const Person* shown = IsAddressShown() ? store_.Get(store_.IndexOfAddress(address_)) : nullptr;
  const std::pair<int, bool> items[] = {{IDM_LOOK, store_.Count() > 0},
                                        {IDM_UNIFY, store_.Count() > 1},
                                        {IDM_SEPARATE, shown && shown->Addresses.size() > 1}};
  for (const auto& [id, on] : items) {
    ::EnableMenuItem(toolMenu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
}

// Double-click or right button on a label: asks whether to copy its text to the clipboard.
void MemoWindow::CopyLabel(HWND label) {
  const std::wstring text = WindowText(label);
  if (!IsAddressShown() || text.empty()) return;
  const std::wstring question = Tr(ui::kCopyQuestion) + L"\r\r" + text;
  if (::MessageBoxW(wnd_, question.c_str(), Tr(ui::kCopyTitle).c_str(), MB_YESNO) == IDYES) {
    PutOnClipboard(wnd_, text);
  }
}

// Double-click in a memo box: opens what its caret line names after its last "!".
void MemoWindow::OpenMemoLink(HWND box) {
  const auto link = IsAddressShown() ? ParseMemoLink(Narrow(CaretLine(box))) : std::nullopt;
  if (!link) return;
  // The shell's answer is not shown: a target that cannot be opened simply does nothing.
  ::ShellExecuteA(wnd_, "open", link->target.c_str(),
                  link->parameters.empty() ? nullptr : link->parameters.c_str(), nullptr, SW_SHOW);
}

void ChangeOptions(MemoWindow* window) {
  const std::string oldPath = Read(Settings(), keys::kNameListPath);
  if (!RunOptionsDialog() || window == nullptr) return;
  window->ApplyOptions(CurrentOptions());
  const std::string newPath = Read(Settings(), keys::kNameListPath);
  if (newPath != oldPath) window->ReloadData(newPath);
}

}  // namespace pinote
