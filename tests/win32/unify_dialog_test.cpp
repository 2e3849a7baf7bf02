#include "forms/win32/dialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/controls.h"
#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

std::unique_ptr<Person> MakePerson(std::vector<std::string> addresses, std::string memo) {
  auto p = std::make_unique<Person>();
  p->addresses = std::move(addresses);
  p->memo = std::move(memo);
  return p;
}

std::vector<std::wstring> ListLines(HWND form) {
  HWND list = Ctl(form, IDC_ADDRESS_LIST);
  std::vector<std::wstring> lines;
  const auto n = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    wchar_t buf[256] = {};
    ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
    lines.emplace_back(buf);
  }
  return lines;
}

std::vector<std::wstring> ComboLines(HWND form) {
  HWND combo = Ctl(form, IDC_KEYWORD_COMBO);
  std::vector<std::wstring> items;
  const auto n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    wchar_t buf[256] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    items.emplace_back(buf);
  }
  return items;
}

// Types a keyword and then moves the focus on to the address list, as a user leaving the combo.
void TypeAndLeave(HWND form, const std::wstring& keyword) {
  Type(Ctl(form, IDC_KEYWORD_COMBO), keyword);
  ::SetFocus(Ctl(form, IDC_ADDRESS_LIST));
}

class UnifyDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshSettingsFolder("pinote-unify-dialog-test");
    // 0: two addresses, the word "fair" only in the memo; 1: three addresses, "Corp" in one;
    // 2: one address with an empty memo.
    data_.Add(MakePerson({"alice@example.com", "Alice@Home.example"}, "met at the fair\r\n"));
    data_.Add(MakePerson({"bob@mail.example", "bob@Corp.example", "bob@other.example"},
                     "Bob's notes\r\nline 2\r\n"));
    data_.Add(MakePerson({"carol@example.org"}, ""));
  }
  void TearDown() override {
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  UnifyPick Show(std::vector<Step> steps, const MemoStore* data = nullptr) {
    const MemoStore& d = data != nullptr ? *data : data_;
    return RunScripted(IDC_ADDRESS_LIST, std::move(steps),
                       [&] { return RunUnifyDialog(nullptr, d, ui::kLookButton); });
  }

  std::string folder_;
  MemoStore data_{SystemCodePage()};
};

// The list and keyword rules are the core's (unify_rules.h); here: the dialog shows them.
TEST_F(UnifyDialogTest, OpensWithEveryAddressAndTheKeywordFilters) {
  const UnifyPick r = Show({[](HWND f) {
                              EXPECT_EQ(ListLines(f).size(), 6u);
                              EXPECT_EQ(ListLines(f)[1], L"Alice@Home.example");
                              EXPECT_EQ(Text(f, IDC_MEMO_PREVIEW), L"met at the fair\r\n");
                              EXPECT_EQ(Text(f, IDC_UNIFY_OK), Tr(ui::kLookButton));
                              EXPECT_EQ(WindowText(f), L"Quillet for Becky!2");
                              RECT rect{};
                              ::GetWindowRect(f, &rect);
                              EXPECT_EQ(rect.right - rect.left, 319);
                              EXPECT_EQ(rect.bottom - rect.top, 191);
                              Type(Ctl(f, IDC_KEYWORD_COMBO), L"Corp");
                              EXPECT_EQ(ListLines(f).size(), 3u);
                              EXPECT_EQ(Text(f, IDC_MEMO_PREVIEW), L"Bob's notes\r\nline 2\r\n");
                              Type(Ctl(f, IDC_KEYWORD_COMBO), L"corp");
                              EXPECT_TRUE(ListLines(f).empty());
                              EXPECT_FALSE(Enabled(f, IDC_UNIFY_OK));
                              EXPECT_EQ(Text(f, IDC_MEMO_PREVIEW), L"");
                              // OK is not the default button: Enter in the keyword box picks
                              // nothing, nor does Enter or a double-click in an empty list.
                              Type(Ctl(f, IDC_KEYWORD_COMBO), L"");
                              PressKey(::GetFocus(), VK_RETURN);
                            },
                            [](HWND f) {
                              Type(Ctl(f, IDC_KEYWORD_COMBO), L"no such text");
                              HWND list = Ctl(f, IDC_ADDRESS_LIST);
                              PressKey(list, VK_RETURN);
                              ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
                            },
                            [](HWND f) { Click(f, IDCANCEL); }});
  EXPECT_FALSE(r.ok);
}

TEST_F(UnifyDialogTest, OkDoubleClickAndEnterInTheListPickTheSelectedLine) {
  enum How { kOk, kDoubleClick, kEnter };
  struct Case {
    std::wstring keyword;
    int line;
    How how;
    int record, address;
  };
  const Case cases[] = {{L"", 4, kOk, 1, 2},
                        {L"", 1, kDoubleClick, 0, 1},
                        {L"", 3, kEnter, 1, 1},
                        {L"carol", 0, kEnter, 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const UnifyPick r = Show({[&](HWND f) {
      if (!c.keyword.empty()) Type(Ctl(f, IDC_KEYWORD_COMBO), c.keyword);
      HWND list = Ctl(f, IDC_ADDRESS_LIST);
      ClickListLine(list, c.line, c.how == kDoubleClick);
      if (c.how == kEnter) PressKey(list, VK_RETURN);
      if (c.how == kOk) Click(f, IDC_UNIFY_OK);
    }});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.record, c.record);
    EXPECT_EQ(r.address, c.address);
  }
}

// A keyword left behind joins the history (most recent first, saved with the settings); the
// next dialog starts with it, and choosing an older one filters by that.
TEST_F(UnifyDialogTest, KeywordHistoryCarriesOverToTheNextDialog) {
  Show({[](HWND f) {
    for (const wchar_t* k : {L"x", L"y", L"x", L"Corp"}) TypeAndLeave(f, k);
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"Corp", L"x", L"y"}));
    EXPECT_EQ(Text(f, IDC_KEYWORD_COMBO), L"Corp");
    Click(f, IDCANCEL);
  }});
  EXPECT_EQ(Settings().ReadString("UnifyForm", "Keyword", "?"), "Corp\r\nx\r\ny\r\n");
  Show({[](HWND f) {
    EXPECT_EQ(Text(f, IDC_KEYWORD_COMBO), L"Corp");
    EXPECT_EQ(ListLines(f).size(), 3u);
    HWND combo = Ctl(f, IDC_KEYWORD_COMBO);
    ::SendMessageW(combo, CB_SETCURSEL, 2, 0);  // "y"
    ::SendMessageW(f, WM_COMMAND, MAKEWPARAM(IDC_KEYWORD_COMBO, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_TRUE(ListLines(f).empty());
    Click(f, IDCANCEL);
  }});
}

// An address or a memo line wider than its column scrolls sideways: the list is told the width
// of its longest line (again after each filtering), the memo preview has its scroll bar.
TEST_F(UnifyDialogTest, LongAddressesAndMemoLinesScrollSideways) {
  const std::string long_address = std::string(60, 'a') + "@a-long-department.example.co.jp";
  MemoStore data(SystemCodePage());
  data.Add(MakePerson({"short@x.example"}, "a short line\r\n"));
  data.Add(MakePerson({long_address}, std::string(150, 'm') + "\r\n"));
  Show({[&](HWND f) {
         HWND list = Ctl(f, IDC_ADDRESS_LIST);
         const auto font = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
         RECT client{};
         ::GetClientRect(list, &client);
         const auto extent = ::SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0);
         EXPECT_GE(extent, TextWidth(list, font, Widen(long_address)));
         EXPECT_GT(extent, client.right);
         EXPECT_NE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL, 0);
         EXPECT_NE(::GetWindowLongPtrW(Ctl(f, IDC_MEMO_PREVIEW), GWL_STYLE) & WS_HSCROLL, 0);
         Type(Ctl(f, IDC_KEYWORD_COMBO), L"short");
         EXPECT_LT(::SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), client.right);
         Click(f, IDCANCEL);
       }},
       &data);
}

// Dragging the splitter 30 pixels widens the list by 30 and writes the width to the file at
// once; closing records the placement; the next dialog opens with both.
TEST_F(UnifyDialogTest, SplitterWidthAndPlacementCarryOver) {
  Show({[&](HWND f) {
    const RECT before = ChildRect(Ctl(f, IDC_ADDRESS_LIST));
    EXPECT_EQ(before.right - before.left, 124);
    HWND splitter = Ctl(f, IDC_LIST_SPLITTER);
    ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2 + 30, 10));
    ::SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(2 + 30, 10));
    const RECT after = ChildRect(Ctl(f, IDC_ADDRESS_LIST));
    EXPECT_EQ(after.right - after.left, 154);
    EXPECT_NE(ReadFileBytes(folder_ + "\\Pinote.ini").find("UnifyForm\\ListWidth=Integer:154"),
              std::string::npos);
    ::SetWindowPos(f, nullptr, 40, 50, 400, 300, SWP_NOZORDER);
    Click(f, IDCANCEL);
  }});
  Show({[](HWND f) {
    RECT r{};
    ::GetWindowRect(f, &r);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
    const RECT list = ChildRect(Ctl(f, IDC_ADDRESS_LIST));
    EXPECT_EQ(list.right - list.left, 154);
    Click(f, IDCANCEL);
  }});
}

}  // namespace
}  // namespace pinote
