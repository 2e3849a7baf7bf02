#include "forms/win32/memo_window.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/run_aside.h"
#include "common/texts.h"
#include "common/win32/clipboard.h"
#include "common/win32/controls.h"
#include "common/win32/module_paths.h"
#include "common/win32/pc_folder.h"
#include "common/win32/placement.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/show_rule.h"
#include "forms/win32/control_ids.h"
#include "forms/memo_link.h"
#include "forms/win32/dialogs.h"
#include "forms/win32/memo_link_question.h"
#include "store/address_index.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

// Design sizes in pixels: the window, the check box, the labels' least line height.
constexpr int kDesignWidth = 242, kCheckHeight = 17, kLineHeight = 12;
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
    {0, &ui::kToolMenu},       {IDM_LOOK, &ui::kLookItem},         {IDM_HISTORY, &ui::kHistoryItem},
    kLine,                     {IDM_UNIFY, &ui::kUnifyItem},       {IDM_SEPARATE, &ui::kSeparateItem},
    kLine,
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
bool IsBox(int id) { return id == IDC_MEMO_EDIT || id == IDC_NAME_LIST_EDIT; }

// Under Wine a label and the check box paint themselves at once on every new text or state, and
// an edit control its scroll bars on every new text, size or read-only state, even when nothing
// differs: that was most of the time an opened mail took. So what a control holds already is not
// set again (each helper says whether it changed anything), and the rest changes while the
// window's painting is held (PaintHold).
bool Show(HWND wnd, bool show) {
  if (HasVisibleStyle(wnd) == show) return false;
  ::ShowWindow(wnd, show ? SW_SHOWNA : SW_HIDE);
  return true;
}

bool SetChangedText(HWND wnd, const std::wstring& text) {
  if (WindowText(wnd) == text) return false;
  ::SetWindowTextW(wnd, text.c_str());
  return true;
}

// A box given a text has its caret at the start, is scrolled to the top left and has nothing to
// undo: a box holding `text` that way already only loses its undo.
bool SetBoxText(HWND box, const std::wstring& text) {
  DWORD begin = 1, end = 1;
  ::SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&begin), reinterpret_cast<LPARAM>(&end));
  const bool atStart = begin == 0 && end == 0 &&
                       ::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0) == 0 &&
                       ::GetScrollPos(box, SB_HORZ) == 0;
  if (atStart && WindowText(box) == text) {
    ::SendMessageW(box, EM_EMPTYUNDOBUFFER, 0, 0);
    ::SendMessageW(box, EM_SETMODIFY, FALSE, 0);
    return false;
  }
  ::SetWindowTextW(box, text.c_str());
  return true;
}

bool SetCheck(HWND button, bool checked) {
  const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
  if (::SendMessageW(button, BM_GETCHECK, 0, 0) == static_cast<LRESULT>(state)) return false;
  ::SendMessageW(button, BM_SETCHECK, state, 0);
  return true;
}

bool SetReadOnly(HWND box, bool readOnly) {
  if (((::GetWindowLongPtrW(box, GWL_STYLE) & ES_READONLY) != 0) == readOnly) return false;
  ::SendMessageW(box, EM_SETREADONLY, readOnly, 0);
  return true;
}

bool SetEnabled(HWND wnd, bool enabled) {
  if ((::IsWindowEnabled(wnd) != FALSE) == enabled) return false;
  ::EnableWindow(wnd, enabled);
  return true;
}

// Place, unless the child lies there already at that size: a move to the same place still sends
// its messages, on which an edit control redraws its scroll bars.
bool PlaceIfMoved(HWND wnd, int x, int y, int width, int height) {
  const RECT r = ChildRect(wnd);
  if (r.left == x && r.top == y && r.right - r.left == std::max(width, 0) &&
      r.bottom - r.top == std::max(height, 0)) {
    return false;
  }
  Place(wnd, x, y, width, height);
  return true;
}

// Whether `wnd` or one of its children waits to be painted.
bool HasPendingPaint(HWND wnd) {
  if (::GetUpdateRect(wnd, nullptr, FALSE)) return true;
  for (HWND c = ::GetWindow(wnd, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetUpdateRect(c, nullptr, FALSE)) return true;
  }
  return false;
}

// Holds the painting of a visible window while its controls change, so that none of them paints
// at once; ending the hold has the window painted once, with the host's next messages, when
// anything changed (`changed` is read then) or was waiting to be painted (switching redraw off
// forgets that). WM_SETREDRAW takes WS_VISIBLE away from the window meanwhile, and giving it
// back would show a hidden window: so a hidden window is not held, and the window's own
// visibility is read before the hold or after its end.
class PaintHold {
 public:
  PaintHold(HWND wnd, const bool& changed) : wnd_(wnd), changed_(changed) {
    held_ = HasVisibleStyle(wnd);
    if (!held_) return;
    pending_ = HasPendingPaint(wnd);
    ::SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
  }
  PaintHold(const PaintHold&) = delete;
  PaintHold& operator=(const PaintHold&) = delete;
  ~PaintHold() { End(); }
  void End() {
    if (!held_) return;
    held_ = false;
    ::SendMessageW(wnd_, WM_SETREDRAW, TRUE, 0);
    if (!changed_ && !pending_) return;
    // The client area with the children's frames (the boxes' edges and scroll bars), not the
    // window's own caption and menu bar, which nothing here changed.
    RECT client{};
    ::GetClientRect(wnd_, &client);
    ::RedrawWindow(wnd_, &client, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }

 private:
  HWND wnd_;
  const bool& changed_;
  bool held_ = false, pending_ = false;
};

void Warn(HWND owner, const UiText& title, const UiText& text) {
  ::MessageBoxW(owner, Tr(text).c_str(), Tr(title).c_str(), MB_OK | MB_ICONWARNING);
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

// The characters of `text` (a surrogate pair is one) that the system's code page cannot hold,
// each once, in their order.
std::vector<std::wstring> UnkeptCharacters(const std::wstring& text) {
  std::vector<std::wstring> unkept;
  for (size_t i = 0; i < text.size();) {
    const bool pair = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() &&
                      IS_LOW_SURROGATE(text[i + 1]);
    const std::wstring c = text.substr(i, pair ? 2 : 1);
    i += c.size();
    if (Widen(Narrow(c)) == c) continue;
    if (std::find(unkept.begin(), unkept.end(), c) == unkept.end()) unkept.push_back(c);
  }
  return unkept;
}

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
  window->StartLoading();
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
  LoadFormPlacement(wnd_, sections::kMemoWindow, true);
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
  Show(Control(IDC_IMPORTANT_CHECK), options.showImportance);
  Show(Control(IDC_SENDER_LABEL), options.showSender);
  Show(Control(IDC_ADDRESS_LABEL), options.showAddress);
  HWND others = Control(IDC_OTHER_ADDRESS_LABEL);
  Show(others, options.showOtherAddresses && ::GetWindowTextLengthW(others) > 0);
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
  repaint_ |= SetChangedText(Control(IDC_OTHER_ADDRESS_LABEL), text);
  otherAddressLines_ = 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
}

void MemoWindow::FillRecord(int index) {
  const Person* record = store_.Get(index);
  shownMemo_ = record ? record->Memo : std::string();
  repaint_ |= SetBoxText(Control(IDC_MEMO_EDIT), record ? Widen(record->Memo) : std::wstring());
  repaint_ |= SetCheck(Control(IDC_IMPORTANT_CHECK), record && record->Important);
  // The record's other addresses, one "(address)" a line.
  std::string others;
  for (size_t i = 0; record != nullptr && i < record->Addresses.size(); ++i) {
    if (SameAddressKey(record->Addresses[i], address_, store_.TextCodePage())) continue;
    others += (others.empty() ? "(" : "\r\n(") + record->Addresses[i] + ")";
  }
  const bool showOthers = !others.empty() && ReadOption(Settings(), &Options::showOtherAddresses);
  // The label holds the shown record's addresses also while hidden, so that showing it later
  // never brings back another's. For an address that cannot be stored it holds ApplyStorable's
  // note instead: it is not hidden in between (that would paint it twice).
  if (storable_) SetOtherAddresses(Widen(others));
  if (storable_) repaint_ |= Show(Control(IDC_OTHER_ADDRESS_LABEL), showOthers);
  // Without name-list text the box and its splitter go; their old text stays in the hidden box.
  const bool hasName = record != nullptr && !record->NameListText.empty();
  if (hasName) repaint_ |= SetBoxText(Control(IDC_NAME_LIST_EDIT), Widen(record->NameListText));
  repaint_ |= Show(Control(IDC_NAME_LIST_EDIT), hasName);
  repaint_ |= Show(Control(IDC_NAME_LIST_SPLITTER), hasName);
}

// An address that Pinote.dat cannot hold (empty, or starting with a space or "@"...) gets a
// read-only memo and a visible note instead of edits that would vanish at the next load.
void MemoWindow::ApplyStorable() {
  if (!IsAddressShown()) return;
  repaint_ |= SetReadOnly(Control(IDC_MEMO_EDIT), !storable_);
  repaint_ |= SetEnabled(Control(IDC_IMPORTANT_CHECK), storable_);
  if (storable_) return;
  SetOtherAddresses(Tr(ui::kCannotKeep));
  repaint_ |= Show(Control(IDC_OTHER_ADDRESS_LABEL), true);
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
  repaint_ |= SetChangedText(Control(IDC_SENDER_LABEL), Widen(senderName));
  repaint_ |= SetChangedText(Control(IDC_ADDRESS_LABEL), Widen(address_));
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

// Pinote.dat holds the system's code page: the box is set to what will be saved (the caret and
// selection kept on the same characters), and the user is told once per memo which characters
// were lost. Told by a posted message: the keystroke finishes first.
void MemoWindow::KeepOnlyStorableText(const std::wstring& shown, const std::string& stored) {
  HWND edit = Control(IDC_MEMO_EDIT);
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const auto keptLength = [&](DWORD units) {
    return static_cast<WPARAM>(Widen(Narrow(shown.substr(0, units))).size());
  };
  for (const std::wstring& c : UnkeptCharacters(shown)) {
    if (unkept_.find(c) == std::wstring::npos) unkept_ += c;
  }
  {
    ScopedFlag loading(loading_);
    ::SetWindowTextW(edit, Widen(stored).c_str());
  }
  ::SendMessageW(edit, EM_SETSEL, keptLength(start), static_cast<LPARAM>(keptLength(end)));
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  if (!toldUnkept_ && !unkept_.empty()) {
    toldUnkept_ = true;
    ::PostMessageW(wnd_, kTellUnkeptMessage, 0, 0);
  }
}

void MemoWindow::TellUnkeptCharacters() {
  if (unkept_.empty()) return;
  const std::wstring text = Tr(ui::kUnkeptCharacters) + L"\r\n\r\n" + unkept_;
  ::MessageBoxW(wnd_, text.c_str(), Utf8(kPluginName).c_str(), MB_OK | MB_ICONWARNING);
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
      ShowSameView();
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
  ShowSameView();
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
                                        {IDM_SEPARATE, shown && shown->Addresses.size() > 1}};
  for (const auto& [id, on] : items) {
    ::EnableMenuItem(toolMenu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
  UpdateDomainItem();
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

// Double-click in a memo box: opens what its caret line names after its last "!". A double-click
// also selects a word, and memo text can come from received mail, so what could start a program
// is opened only after the user said yes to it.
void MemoWindow::OpenMemoLink(HWND box) {
  const auto link = IsAddressShown() ? ParseMemoLink(Narrow(CaretLine(box))) : std::nullopt;
  if (link) pinote::OpenMemoLink(wnd_, *link);
}

void ChangeOptions(MemoWindow* window) {
  const std::string oldPath = ReadOption(Settings(), &Options::nameListPath);
  if (!RunOptionsDialog() || window == nullptr) return;
  window->ApplyOptions(CurrentOptions());
  const std::string newPath = ReadOption(Settings(), &Options::nameListPath);
  if (newPath != oldPath) window->ReloadData(newPath);
}

}  // namespace pinote
