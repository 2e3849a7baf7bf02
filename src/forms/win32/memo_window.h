// The memo window: for the address of the opened mail it shows the sender, the address, the
// record's other addresses, its importance mark, its memo (every edit is written to Pinote.dat
// at once) and its name-list text; it owns the memo store. Its menu looks up any stored memo,
// unifies and separates addresses, hides it, opens the options, help and About; its labels copy
// themselves to the clipboard and a memo line opens what it names after "!".
#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <memory>
#include <string>

#include "common/options.h"
#include "common/win32/handles.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "common/win32/window_base.h"
#include "forms/sender_view.h"
#include "forms/win32/control_ids.h"
#include "store/memo_store.h"
#include "store/name_list_scan.h"

namespace pinote {

// Sets `flag` for the life of the object: the window's own updates are told from the user's
// edits, and a look at the disk from one already running.
struct ScopedFlag {
  bool& flag;
  explicit ScopedFlag(bool& f) : flag(f) { flag = true; }
  ~ScopedFlag() { flag = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;
};

class MemoWindow : public WindowBase<MemoWindow> {
 public:
  // Creates the window hidden, loads the memo file beside the plug-in, merges the name list and
  // applies the placement and options. Throws when the window cannot be created.
  static std::unique_ptr<MemoWindow> Create();
  ~MemoWindow();
  MemoWindow(const MemoWindow&) = delete;
  MemoWindow& operator=(const MemoWindow&) = delete;

  // Shows the record of `address` (ANSI), then appears or disappears by the rules, handing the
  // foreground back to `hostWindow` when it comes up; `forceShow` just shows it. `request` says
  // whether the memo for everyone at the address's domain may stand in (sender_view.h).
  void ShowMemo(HWND hostWindow, const std::string& address, const std::string& senderName,
                bool forceShow, SenderViewRequest request = SenderViewRequest::kAuto);
  // Stay-on-top, which labels show, the memo font and colour.
  void ApplyOptions(const Options& options);
  // Saves the store, reads Pinote.dat again and merges the name list at `nameListPath`.
  void ReloadData(const std::string& nameListPath);
  void ShowAndActivate() {
    ShowWithStoredState(wnd_, SW_SHOW);
    ::SetForegroundWindow(wnd_);
  }
  // Hides the window; unlike the close box it writes nothing.
  void Hide() { ::ShowWindow(wnd_, SW_HIDE); }

  [[nodiscard]] MemoStore& Store() { return store_; }
  // The shown address and sender (ANSI): what the labels show. The address is the domain's
  // ("*@example.co.jp") while the memo for everyone there is shown.
  [[nodiscard]] const std::string& Address() const { return address_; }
  [[nodiscard]] const std::string& Sender() const { return sender_; }
  // True once an address has been shown (the memo box is enabled from then on).
  [[nodiscard]] bool IsAddressShown() const { return ::IsWindowEnabled(Control(IDC_MEMO_EDIT)); }
  [[nodiscard]] bool IsImportantChecked() const {
    return ::IsDlgButtonChecked(wnd_, IDC_IMPORTANT_CHECK) == BST_CHECKED;
  }
  // The memo box's text (ANSI), and replacing it as an edit: stored at once.
  [[nodiscard]] std::string MemoText() const;
  void SetMemoText(const std::string& text);
  // A control of control_ids.h (IDC_MEMO_EDIT...).
  [[nodiscard]] HWND Control(int id) const { return ::GetDlgItem(wnd_, id); }

  // Posted to itself when typed characters could not be kept: the box is shown after the
  // keystroke is done.
  static constexpr UINT kTellUnkeptMessage = WM_APP + 0x52;

 private:
  friend class WindowBase<MemoWindow>;
  MemoWindow() = default;

  // Posted at activation: the look at the disk runs once the activation is done.
  static constexpr UINT kCatchUpMessage = WM_APP + 1;
  // Posted once the store is loaded: what the next save would format is formatted while the
  // window waits for input (MemoStore::PrepareSave), not at the first keystroke.
  static constexpr UINT kPrepareSaveMessage = WM_APP + 2;

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCreate();
  // Starts reading Pinote.dat and the name list, each on a thread of its own, while the window
  // is made; LoadData takes what they read (and tells what failed), merges the name list and
  // the sync tools' copies. Nothing is read when the plug-in's home is not known.
  void StartLoading();
  void LoadData();
  // Waits for the reads StartLoading began (a window given up while they run).
  void WaitForLoading() noexcept;
  void Layout();
  void OnCommand(int id, int code, HWND control);
  void OnMemoChanged();
  void KeepOnlyStorableText(const std::wstring& shown, const std::string& stored);
  void TellUnkeptCharacters();
  void RecordWindowSettings();
  void FillRecord(int index);
  void SetOtherAddresses(const std::wstring& text);
  void ApplyStorable();
  // The menu bar, its commands and the mouse actions (memo_window_commands.cpp).
  static UniqueMenu CreateMenus();
  void OnMenuCommand(int id);
  static LRESULT CALLBACK MouseSubclass(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR window);
  void OnLook();
  void OnHistory();
  void OnUnify();
  void OnSeparate();
  void EnableToolMenu();
  // The memo for everyone at the sender's domain (memo_window_commands.cpp): the Tool menu's item
  // for it, switching between it and the sender's own memo, and the hint line.
  void UpdateDomainItem();
  void SwitchDomainMemo();
  void ShowDomainHint();
  // Shows the record of the same sender again: the domain's memo when `domain`, else theirs.
  void ShowSenderAgain(bool domain);
  void CopyLabel(HWND label);
  void OpenCaretLineLink(HWND box);
  // Memory and Pinote.dat kept together when others write it too (memo_window_sync.cpp): the
  // look at both shared files (with `refillShown`, the shown record shown again when something
  // was merged, keeping the caret), and what a look or a save came to: a failed save told once
  // per run of failures with a note that stays until a save succeeds, the notices, questions
  // about possible copies, and with `refill` the shown record as memory holds it.
  void CatchUpWithDisk(bool refillShown);
  void ShowOutcome(const DiskOutcome& out, bool refill);
  void ShowSaveTrouble(bool busy, const std::string& path, const std::string& message);
  void ClearSaveTrouble();
  void TellNotices(const DiskNotices& notices);
  void TellLoadFailure(const DiskOutcome& out);
  void RefillShownRecord();
  // As the window goes: a last save of what failed saves left in memory; told when it fails.
  void SaveLeftEdits();

  MemoStore store_{SystemCodePage()};
  bool catchingUp_ = false;    // CatchUpWithDisk runs (its box must not start another)
  bool saveTrouble_ = false;   // saves fail; the user was told, the note shows
  std::string address_, sender_;
  std::string senderAddress_;  // the address ShowMemo was given (address_ may be its domain's)
  SenderView view_;
  // The memo the box showed when it last matched the record: what the next keystroke was typed
  // into, should memory have moved on meanwhile (a refill put off while an input method composed).
  std::string shownMemo_;
  bool loading_ = false;
  bool storable_ = false;  // whether Pinote.dat can hold the shown address
  // Characters typed into the shown memo that the code page cannot hold, not yet told (once
  // told, not again until another memo is shown).
  std::wstring unkept_;
  bool toldUnkept_ = false;
  bool repaint_ = false;   // a control changed since ShowMemo began: the window is painted anew
  int nameListHeight_ = 0;
  int otherAddressLines_ = 1;
  int lineHeight_ = 12;
  HMENU toolMenu_ = nullptr;  // owned by the window's menu bar
  UniqueFont designFont_, memoFont_;
  UniqueBrush memoBrush_;
  COLORREF memoTextColor_ = 0, memoBackColor_ = 0;
  // StartLoading's reads; after store_, so that they end before it goes.
  std::string nameListPath_;
  std::future<DiskOutcome> storeRead_;
  std::future<std::unique_ptr<NameListScan>> nameListRead_;
};

// Test seam: receives the window that the memo window hands the foreground to, instead of
// SetForegroundWindow (empty: the real call again).
void SetForegroundHookForTesting(std::function<void(HWND)> hook);

// Removes the memo window's and the splitter's classes when the library goes (a library's
// classes outlive it otherwise).
void UnregisterWindowClasses();

}  // namespace pinote
