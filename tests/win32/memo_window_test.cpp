// The memo window in process, where the end-to-end tests cannot look: its creation, the loading
// guard, the foreground hand-back, the older data-file name, the layout and the splitter, and
// what closing and destroying it write. (Showing records, edits, the rules, failed saves and
// unstorable addresses run end to end; the rules and store changes in the core tests.)
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/controls.h"
#include "common/win32/handles.h"
#include "dialog_script.h"
#include "forms/win32/memo_window.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

bool HasStyle(HWND w, LONG_PTR style) { return (::GetWindowLongPtrW(w, GWL_STYLE) & style) != 0; }

class MemoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshSettingsFolder("pinote-memo-window-test");
    for (const char* name : {"\\Pinote.dat", "\\Pinotedat"}) ::DeleteFileA((folder_ + name).c_str());
    SetForegroundHookForTesting([this](HWND w) { foreground_.push_back(w); });
  }
  void TearDown() override {
    window_.reset();
    SetForegroundHookForTesting(nullptr);
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  // A memo window over a data file holding `dat` ("": none).
  void Create(const std::string& dat = "") {
    if (!dat.empty()) Write("\\Pinote.dat", dat);
    window_ = MemoWindow::Create();
  }
  void Write(const char* name, const std::string& bytes) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen((folder_ + name).c_str(), "wb"), &std::fclose);
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
  }
  std::string Read(const char* name) const { return ReadFileBytes(folder_ + name); }
  HWND C(int id) const { return window_->Control(id); }
  bool Visible() const { return HasStyle(window_->Handle(), WS_VISIBLE); }
  RECT Rect(int id) const { return ChildRect(C(id)); }

  std::string folder_;
  std::unique_ptr<MemoWindow> window_;
  std::vector<HWND> foreground_;
};

TEST_F(MemoWindowTest, CreatesHiddenWithDisabledMemoMenusAndDefaultPlacement) {
  Create();
  EXPECT_FALSE(Visible());
  EXPECT_FALSE(window_->IsAddressShown());
  EXPECT_EQ(WindowText(window_->Handle()), L"Quillet for Becky!2");
  wchar_t cls[64] = {};
  ::GetClassNameW(window_->Handle(), cls, 64);
  EXPECT_STREQ(cls, L"" MEMO_WINDOW_CLASS);
  RECT r{};
  ::GetWindowRect(window_->Handle(), &r);
  // Flush with the screen's right edge, full screen height, the design width.
  EXPECT_EQ(r.right - r.left, 242);
  EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom - r.top, ::GetSystemMetrics(SM_CYSCREEN));
  for (int id : {IDM_LOOK, IDM_HISTORY, IDM_UNIFY, IDM_SEPARATE, IDM_HIDE, IDM_OPTIONS,
                 IDM_HELP_CONTENTS, IDM_ABOUT}) {
    EXPECT_NE(::GetMenuState(::GetMenu(window_->Handle()), id, MF_BYCOMMAND), UINT(-1)) << id;
  }
  window_->SetMemoText("orphan");  // no address shown yet: not an edit
  EXPECT_EQ(window_->MemoText(), "");
}

// Showing the window by the rules hands the foreground back to the host's window, but only when
// the window comes up; forced showing (Look, Unify) hands nothing back.
TEST_F(MemoWindowTest, ForegroundGoesBackToTheHostOnlyWhenTheWindowComesUp) {
  struct Case {
    int show, hide;
    const char* address;
    bool startVisible, force, visible, handBack;
  };
  const Case cases[] = {
      {1, 1, "memo@x", false, false, true, true},
      {1, 1, "memo@x", true, false, true, false},
      {1, 1, "nobody@x", true, false, false, false},
      {3, 0, "nobody@x", false, true, true, false},
      {7, -1, "memo@x", false, false, false, false},  // unknown rule values change nothing
  };
  Create("memo@x\r\n plain\r\n\r\n");
  UniqueWindow host(::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 9, 9, nullptr,
                                      nullptr, nullptr, nullptr));
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.show << c.hide << c.address << c.startVisible);
    Settings().Write("Show", "Load", c.show);
    Settings().Write("Hide", "Load", c.hide);
    ::ShowWindow(window_->Handle(), c.startVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
    foreground_.clear();
    window_->ShowMemo(host.get(), c.address, "", c.force);
    EXPECT_EQ(Visible(), c.visible);
    EXPECT_EQ(foreground_, c.handBack ? std::vector<HWND>{host.get()} : std::vector<HWND>{});
  }
}

TEST_F(MemoWindowTest, ShowingNeverWritesAndEditsSaveAgainAfterwards) {
  // "@Flag" would be rewritten as "@Important" and the blank lines dropped by any save.
  const std::string original = "a@x\r\n@Flag\r\n memo a\r\n\r\n\r\n\r\nb@x\r\n\r\n";
  Create(original);
  for (const char* address : {"a@x", "b@x", "none@x", "A@X"}) {
    window_->ShowMemo(nullptr, address, "x", false);
    window_->ShowMemo(nullptr, address, "x", true);
  }
  EXPECT_EQ(Read("\\Pinote.dat"), original);
  ::SendMessageW(C(IDC_MEMO_EDIT), WM_CHAR, L'!', 1);  // an edit of a@x's record
  EXPECT_NE(Read("\\Pinote.dat"), original);
}

TEST_F(MemoWindowTest, AnOlderDataFileMovesToTheDatNameUnlessThatExists) {
  struct Case {
    const char* dat;
    const char* shown;  // the memo shown for old@x
    bool olderLeft;
  };
  const Case cases[] = {{"", "from before\r\n", false}, {"new@x\r\n new\r\n\r\n", "", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dat);
    window_.reset();
    ::DeleteFileA((folder_ + "\\Pinote.dat").c_str());
    Write("\\Pinotedat", "old@x\r\n from before\r\n\r\n");
    Create(c.dat);
    window_->ShowMemo(nullptr, "old@x", "", true);
    EXPECT_EQ(window_->MemoText(), c.shown);
    EXPECT_EQ(::GetFileAttributesA((folder_ + "\\Pinotedat").c_str()) != INVALID_FILE_ATTRIBUTES,
              c.olderLeft);
  }
}

// The other-addresses line belongs to the person shown, also when the options are applied (their
// OK) after a person with other addresses and one without, and while the line is switched off.
TEST_F(MemoWindowTest, OtherAddressesAreAlwaysThoseOfThePersonShown) {
  struct Step {
    const char* address;
    bool showOthers;
    const wchar_t* line;  // nullptr: hidden
  } steps[] = {{"a@x", true, L"(b@x)"}, {"c@x", true, nullptr}, {"a@x", false, nullptr},
               {"c@x", false, nullptr}, {"c@x", true, nullptr}, {"a@x", true, L"(b@x)"}};
  Create("a@x\r\nb@x\r\n m\r\n\r\nc@x\r\n n\r\n\r\n");
  ::ShowWindow(window_->Handle(), SW_SHOWNOACTIVATE);  // children of a hidden window read hidden
  for (const Step& step : steps) {
    SCOPED_TRACE(::testing::Message() << step.address << " " << step.showOthers);
    WriteOption(Settings(), &Options::showOtherAddresses, step.showOthers);
    window_->ShowMemo(nullptr, step.address, "", true);
    window_->ApplyOptions(CurrentOptions());
    HWND line = C(IDC_OTHER_ADDRESS_LABEL);
    EXPECT_EQ(::IsWindowVisible(line) != FALSE, step.line != nullptr);
    if (step.line) EXPECT_EQ(WindowText(line), step.line);
    if (!step.showOthers || step.line) continue;
    EXPECT_EQ(WindowText(line), L"") << "what a right-click would offer to copy";
  }
}

// The parts stack from the top, each only while shown; the memo box takes what is left above
// the splitter, which sits directly on the name-list box at the bottom.
TEST_F(MemoWindowTest, LayoutStacksTheShownPartsAndGivesTheMemoTheRest) {
  Create("listed@x\r\nsecond@x\r\n memo\r\n\r\nplain@x\r\n memo\r\n\r\n");
  window_->Store().SetNameListText(0, "Listed Person");
  ::SetWindowPos(window_->Handle(), nullptr, 0, 0, 300, 500, SWP_NOMOVE | SWP_NOZORDER);
  const std::pair<const char*, int> parts[] = {{"Importance", IDC_IMPORTANT_CHECK},
                                               {"Sender", IDC_SENDER_LABEL},
                                               {"Address", IDC_ADDRESS_LABEL},
                                               {"OtherAddress", IDC_OTHER_ADDRESS_LABEL}};
  for (int shown = 0; shown < 16; ++shown) {
    for (const char* address : {"listed@x", "plain@x"}) {
      SCOPED_TRACE(::testing::Message() << "parts " << shown << " " << address);
      for (int i = 0; i < 4; ++i) Settings().Write(parts[i].first, "Visible", (shown >> i & 1) != 0);
      window_->ApplyOptions(CurrentOptions());
      window_->ShowMemo(nullptr, address, "Sender", true);
      RECT client{};
      ::GetClientRect(window_->Handle(), &client);
      int top = 0;
      for (int i = 0; i < 4; ++i) {
        // The other addresses show only for the record that has them.
        const bool visible = (shown >> i & 1) && (i < 3 || address[0] == 'l');
        EXPECT_EQ(HasStyle(C(parts[i].second), WS_VISIBLE), visible) << parts[i].first;
        if (!visible) continue;
        const RECT r = Rect(parts[i].second);
        EXPECT_EQ(r.top, top) << parts[i].first;
        EXPECT_EQ(r.right - r.left, client.right) << parts[i].first;
        top = r.bottom;
      }
      const RECT memo = Rect(IDC_MEMO_EDIT);
      EXPECT_EQ(memo.top, top);
      EXPECT_EQ(memo.right - memo.left, client.right);
      const bool nameList = address[0] == 'l';
      EXPECT_EQ(HasStyle(C(IDC_NAME_LIST_EDIT), WS_VISIBLE), nameList);
      EXPECT_EQ(HasStyle(C(IDC_NAME_LIST_SPLITTER), WS_VISIBLE), nameList);
      const RECT splitter = Rect(IDC_NAME_LIST_SPLITTER), list = Rect(IDC_NAME_LIST_EDIT);
      EXPECT_EQ(memo.bottom, nameList ? splitter.top : client.bottom);
      if (!nameList) continue;
      EXPECT_EQ(splitter.bottom - splitter.top, kSplitterSize);
      EXPECT_EQ(splitter.bottom, list.top);
      EXPECT_EQ(list.bottom, client.bottom);
      EXPECT_EQ(list.bottom - list.top, 70);
    }
  }
  Settings().Write("Memo", "AlwaysTop", true);
  window_->ApplyOptions(CurrentOptions());
  EXPECT_TRUE((::GetWindowLongPtrW(window_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
}

// A typed character the code page cannot hold becomes what is saved ("?") where it was typed,
// the caret after it; the user is told once per memo (by a message the window posts itself).
TEST_F(MemoWindowTest, UnkeptCharactersAreReplacedWhereTheyWereTypedAndToldOncePerMemo) {
  if (::GetACP() == 932) GTEST_SKIP() << "types Japanese, which code page 932 holds";
  struct Case {
    DWORD selStart, selEnd;
    wchar_t typed;
    const char* memo;
    DWORD caret;
  } cases[] = {{1, 1, 0xD55C, "a?bcd", 2},   // Korean 한
               {1, 3, 0x30E1, "a?d", 2},     // メ over "bc"
               {0, 0, 0x0101, "aabcd", 1},   // ā: the code page's nearest, as saved
               {4, 4, L'x', "abcdx", 5}};
  Create("a@x\r\n abcd\r\n\r\nb@x\r\n b\r\n\r\n");
  auto toldCount = [this] {
    int told = 0;
    MSG msg;
    const UINT tell = MemoWindow::kTellUnkeptMessage;
    while (::PeekMessageW(&msg, window_->Handle(), tell, tell, PM_REMOVE)) ++told;
    return told;
  };
  window_->ShowMemo(nullptr, "a@x", "", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.memo);
    window_->SetMemoText("abcd");
    HWND edit = C(IDC_MEMO_EDIT);
    ::SendMessageW(edit, EM_SETSEL, c.selStart, c.selEnd);
    ::SendMessageW(edit, WM_CHAR, c.typed, 1);
    EXPECT_EQ(window_->MemoText(), c.memo);
    EXPECT_EQ(WindowText(edit), Widen(c.memo)) << "the box shows what is saved";
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, c.caret);
    EXPECT_EQ(end, c.caret);
    EXPECT_NE(Read("\\Pinote.dat").find(std::string("a@x\r\n ") + c.memo + "\r\n"), std::string::npos);
  }
  EXPECT_EQ(toldCount(), 1) << "once for a@x's memo";
  window_->ShowMemo(nullptr, "b@x", "", true);
  ::SendMessageW(C(IDC_MEMO_EDIT), WM_CHAR, 0xD55C, 1);
  EXPECT_EQ(toldCount(), 1) << "once again for b@x's";
}

// Showing a record in the visible window changes its controls with their painting held: the
// window stays visible, and is left to be painted exactly when something changed. A box that
// held its text somewhere other than its start is given the text again, as every showing did.
TEST_F(MemoWindowTest, ShowingInTheVisibleWindowPaintsOnlyWhatChangedAndKeepsItVisible) {
  std::string memo;
  for (int i = 0; i < 60; ++i) memo += " line " + std::to_string(i) + "\r\n";
  Create("long@x\r\n" + memo + "\r\nshort@x\r\n short\r\n\r\n");
  ::ShowWindow(window_->Handle(), SW_SHOWNOACTIVATE);
  struct Case {
    const char* address;
    bool caretAtEnd;  // the caret put at the end of the memo before showing
    bool repainted;
    bool readOnly;
  };
  const Case cases[] = {
      {"long@x", false, true, false},  {"long@x", false, false, false},
      {"long@x", true, true, false},   {"short@x", false, true, false},
      {"short@x", false, false, false}, {"@bad", false, true, true},
      {"@bad", false, false, true},    {"short@x", false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.address << " " << c.caretAtEnd);
    if (c.caretAtEnd) ::SendMessageW(C(IDC_MEMO_EDIT), EM_SETSEL, 0x7fffffff, 0x7fffffff);
    ::RedrawWindow(window_->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    window_->ShowMemo(nullptr, c.address, "Sender", true);  // the rules would hide it for "@bad"
    EXPECT_TRUE(Visible());
    EXPECT_EQ(::GetUpdateRect(C(IDC_MEMO_EDIT), nullptr, FALSE) != FALSE, c.repainted);
    DWORD begin = 1, end = 1;
    ::SendMessageW(C(IDC_MEMO_EDIT), EM_GETSEL, reinterpret_cast<WPARAM>(&begin),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(begin, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_EQ(::SendMessageW(C(IDC_MEMO_EDIT), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(HasStyle(C(IDC_MEMO_EDIT), ES_READONLY), c.readOnly);
  }
}

// Dragging the splitter up 30 pixels gives the name list 30 more; closing hides the window and
// writes the height and the placement, as destroying it does.
TEST_F(MemoWindowTest, TheSplitterSizesTheNameListAndClosingWritesItsHeight) {
  Create("listed@x\r\n memo\r\n\r\n");
  window_->Store().SetNameListText(0, "Listed Person");
  window_->ShowMemo(nullptr, "listed@x", "", true);
  const RECT before = Rect(IDC_MEMO_EDIT);
  HWND splitter = C(IDC_NAME_LIST_SPLITTER);
  ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 2));
  ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, static_cast<WORD>(2 - 30)));
  ::SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(10, static_cast<WORD>(2 - 30)));
  const RECT list = Rect(IDC_NAME_LIST_EDIT), memo = Rect(IDC_MEMO_EDIT);
  EXPECT_EQ(list.bottom - list.top, 100);
  EXPECT_EQ(memo.bottom, before.bottom - 30);
  EXPECT_EQ(Rect(IDC_NAME_LIST_SPLITTER).bottom, list.top);
  ::SendMessageW(window_->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Visible());
  EXPECT_NE(Read("\\Pinote.ini").find("Meibo\\Height=Integer:100\r\n"), std::string::npos);
  EXPECT_NE(Read("\\Pinote.ini").find("MainForm\\Width="), std::string::npos);
  Settings().Write("Meibo", "Height", 5);
  window_.reset();
  EXPECT_NE(Read("\\Pinote.ini").find("Meibo\\Height=Integer:100\r\n"), std::string::npos);
}

}  // namespace
}  // namespace pinote
