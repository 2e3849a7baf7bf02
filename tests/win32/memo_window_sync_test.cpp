// The memo window while another writer changes Pinote.dat, in process where the end-to-end
// tests cannot reach: activating the window shows the other writer's text without moving the
// caret, and a save refused by a held lock is told once, noted in the window until a later look
// writes the edit.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/message_box.h"
#include "common/win32/text.h"
#include "dialog_script.h"
#include "forms/win32/memo_window.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

class MemoWindowSyncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshSettingsFolder("pinote-memo-sync-test");
    RemoveOldFiles();
    SetForegroundHookForTesting([](HWND) {});
    SetMessageBoxHookForTesting(
        [this](const std::wstring&, const std::wstring& text) { told_.push_back(text); });
  }
  void TearDown() override {
    window_.reset();
    SetMessageBoxHookForTesting(nullptr);
    SetForegroundHookForTesting(nullptr);
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  void RemoveOldFiles() {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder_ + "\\Pinote.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do ::DeleteFileA((folder_ + "\\" + fd.cFileName).c_str());
    while (::FindNextFileA(h, &fd));
    ::FindClose(h);
  }
  void WriteDat(const std::string& bytes) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen((folder_ + "\\Pinote.dat").c_str(), "wb"),
                                            &std::fclose);
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
  }
  // The window shows Alice's record of a file holding `memoLines` for her.
  void ShowAlice(const std::string& memoLines) {
    WriteDat("alice@example.com\r\n" + memoLines + "\r\n");
    window_ = MemoWindow::Create();
    window_->ShowMemo(nullptr, "alice@example.com", "Alice", true);
  }
  // Activated as by a click; the look at the disk is posted, so the queue is emptied.
  void Activate() {
    ::SendMessageW(window_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  }
  std::pair<DWORD, DWORD> Selection() const {
    DWORD start = 0, end = 0;
    ::SendMessageW(window_->Control(IDC_MEMO_EDIT), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  bool NoteShown() const {
    return (::GetWindowLongPtrW(window_->Control(IDC_SAVE_NOTE_LABEL), GWL_STYLE) & WS_VISIBLE) != 0;
  }

  std::string folder_;
  std::unique_ptr<MemoWindow> window_;
  std::vector<std::wstring> told_;
};

TEST_F(MemoWindowSyncTest, ActivationShowsAnotherWritersTextKeepingTheCaret) {
  struct Case {
    const char* name;
    std::string before, after;  // Alice's memo lines in the file
    DWORD selStart, selEnd;
    std::string shown;
    std::pair<DWORD, DWORD> sel;
  };
  const Case cases[] = {
      {"changed after the caret", " Line one\r\n Line two\r\n", " Line one\r\n Line two, changed\r\n",
       5, 8, "Line one\r\nLine two, changed\r\n", {5, 8}},
      {"the caret in the changed part goes to its end", " Line one\r\n Line two\r\n", " Short\r\n", 15, 18,
       "Short\r\n", {5, 5}},
      {"the mark only", " Same\r\n", "@Important\r\n Same\r\n", 2, 2, "Same\r\n", {2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowAlice(c.before);
    ::SendMessageW(window_->Control(IDC_MEMO_EDIT), EM_SETSEL, c.selStart, c.selEnd);
    WriteDat("alice@example.com\r\n" + c.after + "\r\nbob@example.org\r\n Added elsewhere\r\n\r\n");
    Activate();
    EXPECT_EQ(window_->MemoText(), c.shown);
    EXPECT_EQ(Selection(), c.sel);
    EXPECT_EQ(window_->IsImportantChecked(), c.after.find("@Important") != std::string::npos);
    EXPECT_TRUE(told_.empty());
    // Looking again when nothing changed leaves the box alone.
    ::SendMessageW(window_->Control(IDC_MEMO_EDIT), EM_SETSEL, 1, 3);
    Activate();
    EXPECT_EQ(Selection(), std::make_pair(DWORD{1}, DWORD{3}));
    window_.reset();
  }
}

TEST_F(MemoWindowSyncTest, ASaveRefusedByAHeldLockIsToldOnceAndWrittenAtALaterLook) {
  ShowAlice(" Old\r\n");
  HANDLE lock = ::CreateFileA((folder_ + "\\Pinote.dat.lock").c_str(),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  window_->SetMemoText("Typed 1");
  window_->SetMemoText("Typed 2");
  Activate();  // the look cannot write either
  EXPECT_EQ(window_->MemoText(), "Typed 2");
  EXPECT_TRUE(NoteShown());
  ASSERT_EQ(told_.size(), 1u);
  EXPECT_NE(told_[0].find(L"Another program is saving the memo file"), std::wstring::npos)
      << Narrow(told_[0]);
  EXPECT_EQ(ReadFileBytes(folder_ + "\\Pinote.dat"), "alice@example.com\r\n Old\r\n\r\n");
  ::CloseHandle(lock);
  Activate();
  EXPECT_FALSE(NoteShown());
  EXPECT_EQ(window_->MemoText(), "Typed 2");
  EXPECT_EQ(ReadFileBytes(folder_ + "\\Pinote.dat"), "alice@example.com\r\n Typed 2\r\n\r\n");
  EXPECT_EQ(told_.size(), 1u);
}

// Unify and Separate change the store, then save; when that save is refused the change stands
// in memory, so the box must show the record as it is now, or the next keystroke would store
// the box's old text over it (a unified memo would lose the picked record's half).
TEST_F(MemoWindowSyncTest, AUnifyOrSeparateTheSaveRefusedShowsTheRecordAsItStands) {
  struct Case {
    const char* name;
    int command;
    std::string shownAfter;  // the memo box after the refused save
    std::string written;     // Pinote.dat after typing "!" once the lock is gone
  };
  const Case cases[] = {
      {"unify", IDM_UNIFY, "Bob\r\nAlice\r\n",
       "bob@example.org\r\nalice@example.com\r\n Bob\r\n Alice\r\n !\r\n\r\n"},
      {"separate", IDM_SEPARATE, "Both\r\n",
       "bob@example.org\r\n Both\r\n\r\nalice@example.com\r\n Both\r\n !\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveOldFiles();
    told_.clear();
    WriteDat(c.command == IDM_UNIFY
                 ? "alice@example.com\r\n Alice\r\n\r\nbob@example.org\r\n Bob\r\n\r\n"
                 : "bob@example.org\r\nalice@example.com\r\n Both\r\n\r\n");
    window_ = MemoWindow::Create();
    window_->ShowMemo(nullptr, "alice@example.com", "Alice", true);
    HANDLE lock = ::CreateFileA((folder_ + "\\Pinote.dat.lock").c_str(),
                                GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    auto command = [&] { return ::SendMessageW(window_->Handle(), WM_COMMAND, c.command, 0) == 0; };
    if (c.command == IDM_UNIFY) {
      RunMarkedScript(IDC_ADDRESS_LIST,
                      {{IDC_ADDRESS_LIST,
                        [](HWND f) {
                          HWND list = Ctl(f, IDC_ADDRESS_LIST);
                          const auto line = ::SendMessageW(list, LB_FINDSTRING, -1,
                                                           reinterpret_cast<LPARAM>(L"bob"));
                          ClickListLine(list, static_cast<int>(line), false);
                          Click(f, IDC_UNIFY_OK);
                        }}},
                      command);
    } else {
      command();
    }
    EXPECT_EQ(window_->MemoText(), c.shownAfter);
    EXPECT_EQ(told_.size(), 1u);
    ::CloseHandle(lock);
    window_->SetMemoText(window_->MemoText() + "!");
    EXPECT_EQ(ReadFileBytes(folder_ + "\\Pinote.dat"), c.written);
    window_.reset();
  }
}

}  // namespace
}  // namespace pinote
