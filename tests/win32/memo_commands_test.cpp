// The memo window's commands on a real window and store, reached through its messages: the Tool
// menu's states, Look, and the label copy. (Unify and Separate run end to end; their store
// changes in the core tests.)
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "dialog_script.h"
#include "forms/win32/memo_window.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

class MemoCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshSettingsFolder("pinote-memo-commands-test");
    ::DeleteFileA(DataPath().c_str());
  }
  void TearDown() override {
    window_.reset();
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  std::string DataPath() const { return folder_ + "\\Pinote.dat"; }
  // A menu command of the memo window, as choosing it sends it.
  bool Command(int id) { return ::SendMessageW(window_->Handle(), WM_COMMAND, id, 0) == 0; }
  // A memo window over a data file holding `dat`, showing `shown` when given.
  MemoWindow& Open(const std::string& dat, const char* shown = nullptr, const char* sender = "") {
    window_.reset();
    ::DeleteFileA(DataPath().c_str());
    if (!dat.empty()) {
      std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(DataPath().c_str(), "wb"), &std::fclose);
      std::fwrite(dat.data(), 1, dat.size(), f.get());
    }
    window_ = MemoWindow::Create();
    if (shown != nullptr) window_->ShowMemo(nullptr, shown, sender, true);
    return *window_;
  }
  // Runs a menu command while `steps` answer its dialogs.
  void Run(int id, std::vector<MarkedStep> steps) {
    RunMarkedScript(IDC_ADDRESS_LIST, std::move(steps), [&] { return Command(id); });
  }
  // Picks line `line` of the unify dialog (unfiltered) and presses its OK button.
  static MarkedStep Pick(int line) {
    return {IDC_ADDRESS_LIST, [line](HWND f) {
              ClickListLine(Ctl(f, IDC_ADDRESS_LIST), line, false);
              Click(f, IDC_UNIFY_OK);
            }};
  }
  // Checks a message box's title and text, then answers it with `button`.
  static MarkedStep Answer(const UiText& title, std::wstring text, int button) {
    return {kMessageBoxText, [=](HWND box) {
              EXPECT_EQ(WindowText(box), Tr(title));
              EXPECT_EQ(WindowText(::GetDlgItem(box, kMessageBoxText)), text);
              ::PostMessageW(box, WM_COMMAND, button, 0);
            }};
  }

  std::string folder_;
  std::unique_ptr<MemoWindow> window_;
};

constexpr char kTwoRecords[] = "a@x\r\nb@x\r\n m\r\n\r\nc@x\r\n n\r\n\r\n";

TEST_F(MemoCommandsTest, ToolMenuEnablesByStoreAndShownRecord) {
  struct Case {
    const char* name;
    std::string dat;
    const char* shown;  // nullptr: nothing shown yet
    bool look, unify, separate, history;
  };
  const std::vector<Case> cases = {
      {"empty store", "", "a@x", false, false, false, true},
      {"one record", "a@x\r\nb@x\r\n m\r\n\r\n", "a@x", true, false, true, true},
      {"two records, shown has none", kTwoRecords, "nobody@x", true, true, false, true},
      {"two records, single address", kTwoRecords, "c@x", true, true, false, true},
      {"shown in another case", kTwoRecords, "B@X", true, true, true, true},
      {"nothing shown yet", kTwoRecords, nullptr, true, true, false, false},
      {"an address no file can keep", kTwoRecords, "@x", true, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoWindow& window = Open(c.dat, c.shown);
    HMENU tool = ::GetSubMenu(::GetMenu(window.Handle()), 0);
    ::SendMessageW(window.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(tool), 0);
    auto enabled = [&](int id) { return (::GetMenuState(tool, id, MF_BYCOMMAND) & MF_GRAYED) == 0; };
    EXPECT_EQ(enabled(IDM_LOOK), c.look);
    EXPECT_EQ(enabled(IDM_UNIFY), c.unify);
    EXPECT_EQ(enabled(IDM_SEPARATE), c.separate);
    EXPECT_EQ(enabled(IDM_HISTORY), c.history);
  }
}

TEST_F(MemoCommandsTest, UnifyAndSeparateDoNothingBeforeAnAddressIsShown) {
  Open(kTwoRecords);
  Command(IDM_UNIFY);  // would block in the dialog if it opened one
  Command(IDM_SEPARATE);
  EXPECT_EQ(ReadFileBytes(DataPath()), kTwoRecords);
}

TEST_F(MemoCommandsTest, LookShowsThePickedAddressWithoutSender) {
  MemoWindow& window = Open("a@x\r\na2@x\r\n alpha\r\n\r\n", "z@x", "Zed");
  Run(IDM_LOOK, {Pick(1)});
  EXPECT_EQ(window.Address(), "a2@x");
  EXPECT_EQ(window.Sender(), "");
  EXPECT_EQ(window.MemoText(), "alpha\r\n");
  EXPECT_TRUE(::IsWindowVisible(window.Handle()));
}

// The Tool menu's item for the memo of everyone at the shown sender's domain, right after Look;
// a person is never unified with a domain.
TEST_F(MemoCommandsTest, DomainMemoItemAndThePersonDomainRefusal) {
  const std::string dat = "*@x\r\n company\r\n\r\n";
  MemoWindow& window = Open(dat + "b@x\r\n m\r\n\r\n", "b@x&y");
  HMENU tool = ::GetSubMenu(::GetMenu(window.Handle()), 0);
  ::SendMessageW(window.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(tool), 0);
  wchar_t text[64] = L"";
  ::GetMenuStringW(tool, 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&Memo for everyone at x&&y");  // the domain's own "&" shown, no key
  window.ShowMemo(nullptr, "b@x", "", true);
  Run(IDM_UNIFY, {Pick(0), Answer(ui::kPersonAndDomainTitle, Tr(ui::kPersonAndDomain), IDOK)});
  EXPECT_EQ(ReadFileBytes(DataPath()), dat + "b@x\r\n m\r\n\r\n");
}

TEST_F(MemoCommandsTest, LabelCopyAsksAndCopiesOnlyOnYes) {
  MemoWindow& window = Open("a@x\r\nb@x\r\nc@x\r\n m\r\n\r\n", "c@x");
  HWND label = window.Control(IDC_OTHER_ADDRESS_LABEL);
  auto clipboard = [&] {
    std::wstring text;
    if (::OpenClipboard(window.Handle())) {
      if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
          text = p;
          ::GlobalUnlock(h);
        }
      }
      ::CloseClipboard();
    }
    return text;
  };
  if (::OpenClipboard(window.Handle())) {
    ::EmptyClipboard();
    ::CloseClipboard();
  }
  const std::wstring question = Tr(ui::kCopyQuestion) + L"\r\r(a@x)\r\n(b@x)";
  for (int answer : {IDNO, IDYES}) {
    RunMarkedScript(kMessageBoxText, {Answer(ui::kCopyTitle, question, answer)}, [&] {
      // The right button on a label, as the user presses it.
      ::SendMessageW(label, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
      return true;
    });
    EXPECT_EQ(clipboard(), answer == IDYES ? L"(a@x)\r\n(b@x)" : L"");
  }
}

}  // namespace
}  // namespace pinote
