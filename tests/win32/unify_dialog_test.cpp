#include "forms/win32/dialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

std::unique_ptr<Person> MakePerson(std::vector<std::string> addresses, std::string memo) {
  auto p = std::make_unique<Person>();
  p->Addresses = std::move(addresses);
  p->Memo = std::move(memo);
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
  MemoStore data_;
};

TEST_F(UnifyDialogTest, OpensWithEveryAddressAndTheFirstMemo) {
  const UnifyPick r = Show({[](HWND f) {
    EXPECT_EQ(ListLines(f),
              (std::vector<std::wstring>{L"alice@example.com", L"Alice@Home.example",
                                         L"bob@mail.example", L"bob@Corp.example",
                                         L"bob@other.example", L"carol@example.org"}));
    EXPECT_EQ(::SendMessageW(Ctl(f, IDC_ADDRESS_LIST), LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(f, IDC_MEMO_PREVIEW), L"met at the fair\r\n");
    EXPECT_TRUE(Enabled(f, IDC_UNIFY_OK));
    EXPECT_EQ(Text(f, IDC_UNIFY_OK), Tr(ui::kLookButton));
    EXPECT_EQ(WindowText(f), L"Quillet for Becky!2");
    Click(f, IDCANCEL);
  }});
  EXPECT_FALSE(r.ok);
}

TEST_F(UnifyDialogTest, KeywordFiltersByMemoOrAddressWithCaseCounting) {
  struct Case {
    std::wstring keyword;
    std::vector<std::wstring> lines;
  };
  const std::vector<Case> cases = {
      {L"fair", {L"alice@example.com", L"Alice@Home.example"}},
      {L"FAIR", {}},
      {L"Corp", {L"bob@mail.example", L"bob@Corp.example", L"bob@other.example"}},
      {L"corp", {}},
      {L"Alice", {L"alice@example.com", L"Alice@Home.example"}},
      {L"carol", {L"carol@example.org"}},
      {L"line 2", {L"bob@mail.example", L"bob@Corp.example", L"bob@other.example"}},
  };
  Show({[&](HWND f) {
    for (const Case& c : cases) {
      SCOPED_TRACE(Narrow(c.keyword));
      Type(Ctl(f, IDC_KEYWORD_COMBO), c.keyword);
      EXPECT_EQ(ListLines(f), c.lines);
      EXPECT_EQ(Enabled(f, IDC_UNIFY_OK), !c.lines.empty());
      if (c.lines.empty()) EXPECT_EQ(Text(f, IDC_MEMO_PREVIEW), L"");
    }
    Click(f, IDCANCEL);
  }});
}

TEST_F(UnifyDialogTest, ClickingALineShowsItsRecordMemoAndOkReportsIt) {
  const UnifyPick r = Show({[](HWND f) {
    HWND list = Ctl(f, IDC_ADDRESS_LIST);
    ClickListLine(list, 3, false);
    EXPECT_EQ(Text(f, IDC_MEMO_PREVIEW), L"Bob's notes\r\nline 2\r\n");
    ClickListLine(list, 5, false);
    EXPECT_EQ(Text(f, IDC_MEMO_PREVIEW), L"");
    ClickListLine(list, 4, false);
    Click(f, IDC_UNIFY_OK);
  }});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.record, 1);
  EXPECT_EQ(r.address, 2);
}

TEST_F(UnifyDialogTest, DoubleClickAndEnterInTheListPickTheLine) {
  struct Case {
    const char* name;
    std::wstring keyword;
    int line;
    bool enter;
    int record, address;
  };
  const std::vector<Case> cases = {
      {"double-click", L"", 1, false, 0, 1},
      {"enter", L"", 3, true, 1, 1},
      {"filtered double-click", L"Corp", 2, false, 1, 2},
      {"filtered enter", L"carol", 0, true, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UnifyPick r = Show({[&](HWND f) {
      if (!c.keyword.empty()) Type(Ctl(f, IDC_KEYWORD_COMBO), c.keyword);
      HWND list = Ctl(f, IDC_ADDRESS_LIST);
      ClickListLine(list, c.line, !c.enter);
      if (c.enter) PressKey(list, VK_RETURN);
    }});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.record, c.record);
    EXPECT_EQ(r.address, c.address);
  }
}

// With nothing listed there is nothing to pick: Enter and double-clicks leave the dialog open.
TEST_F(UnifyDialogTest, EmptyListIgnoresEnterAndDoubleClick) {
  const UnifyPick r = Show({[](HWND f) {
                                Type(Ctl(f, IDC_KEYWORD_COMBO), L"no such text");
                                EXPECT_TRUE(ListLines(f).empty());
                                EXPECT_FALSE(Enabled(f, IDC_UNIFY_OK));
                                HWND list = Ctl(f, IDC_ADDRESS_LIST);
                                PressKey(list, VK_RETURN);
                                const LPARAM at = MAKELPARAM(5, 5);
                                ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
                                ::SendMessageW(list, WM_LBUTTONUP, 0, at);
                                // The disabled OK cannot be pressed either.
                                ::SendMessageW(f, WM_COMMAND, MAKEWPARAM(IDC_UNIFY_OK, BN_CLICKED), 0);
                              },
                              [](HWND f) {
                                // Still open a tick later: cancel it.
                                Click(f, IDCANCEL);
                              }});
  EXPECT_FALSE(r.ok);
}

// OK is not the default button: Enter in the keyword box picks nothing.
TEST_F(UnifyDialogTest, EnterOutsideTheListPicksNothingAndTheDialogHasItsDesignSize) {
  const UnifyPick r = Show({[](HWND f) {
                              RECT rect{};
                              ::GetWindowRect(f, &rect);
                              EXPECT_EQ(rect.right - rect.left, 319);
                              EXPECT_EQ(rect.bottom - rect.top, 191);
                              EXPECT_EQ(::GetFocus(), ::FindWindowExW(Ctl(f, IDC_KEYWORD_COMBO),
                                                                      nullptr, L"Edit", nullptr));
                              PressKey(::GetFocus(), VK_RETURN);
                            },
                            [](HWND f) { Click(f, IDCANCEL); }});
  EXPECT_FALSE(r.ok);
}

TEST_F(UnifyDialogTest, EmptyStoreGivesAnEmptyListAndCancelStillWorks) {
  MemoStore empty;
  const UnifyPick r = Show({[](HWND f) {
                               EXPECT_TRUE(ListLines(f).empty());
                               EXPECT_FALSE(Enabled(f, IDC_UNIFY_OK));
                               PressKey(Ctl(f, IDC_ADDRESS_LIST), VK_RETURN);
                             },
                             [](HWND f) {
                               PressKey(FindWindowExW(Ctl(f, IDC_KEYWORD_COMBO), nullptr,
                                                      L"Edit", nullptr),
                                        VK_ESCAPE);
                             }},
                             &empty);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.record, 0);
}

TEST_F(UnifyDialogTest, HistoryKeepsTheMostRecentFirstWithoutDuplicates) {
  Show({[](HWND f) {
    TypeAndLeave(f, L"x");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"x"}));
    TypeAndLeave(f, L"y");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"y", L"x"}));
    TypeAndLeave(f, L"x");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"x", L"y"}));
    // The text stays what was typed, and so does the list it filtered.
    EXPECT_EQ(Text(f, IDC_KEYWORD_COMBO), L"x");
    TypeAndLeave(f, L"");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"", L"x", L"y"}));
    Click(f, IDCANCEL);
  }});
  // Written to the settings in memory with its line breaks; the file is not written here.
  EXPECT_EQ(Settings().ReadString("UnifyForm", "Keyword", "?"), "\r\nx\r\ny\r\n");
  EXPECT_EQ(ReadFileBytes(folder_ + "\\Pinote.ini"), "");
  Settings().Save();
  EXPECT_NE(ReadFileBytes(folder_ + "\\Pinote.ini").find("UnifyForm\\Keyword=String:%0D%0Ax%0D%0Ay%0D%0A"),
            std::string::npos);
}

TEST_F(UnifyDialogTest, HistoryHoldsSixteenAndTheNextDialogStartsWithTheNewest) {
  std::vector<Step> steps;
  steps.push_back([](HWND f) {
    for (int i = 1; i <= 17; ++i) TypeAndLeave(f, L"k" + std::to_wstring(i));
    const std::vector<std::wstring> items = ComboLines(f);
    ASSERT_EQ(items.size(), 16u);
    EXPECT_EQ(items.front(), L"k17");
    EXPECT_EQ(items.back(), L"k2");
    TypeAndLeave(f, L"Corp");
    Click(f, IDCANCEL);
  });
  Show(steps);
  Show({[](HWND f) {
    EXPECT_EQ(Text(f, IDC_KEYWORD_COMBO), L"Corp");
    EXPECT_EQ(ComboLines(f).size(), 16u);
    EXPECT_EQ(ListLines(f).size(), 3u);  // filtered by the restored keyword
    // Choosing an older keyword from the drop-down filters by it.
    HWND combo = Ctl(f, IDC_KEYWORD_COMBO);
    const auto index = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(L"k17"));
    ASSERT_GE(index, 0);
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(f, WM_COMMAND, MAKEWPARAM(IDC_KEYWORD_COMBO, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_TRUE(ListLines(f).empty());
    Click(f, IDCANCEL);
  }});
}

TEST_F(UnifyDialogTest, MovingTheSplitterSavesTheListWidthAtOnce) {
  int widthAfterDrag = 0;
  Show({[&](HWND f) {
    HWND panel = Ctl(f, IDC_ADDRESS_LIST);
    RECT before{};
    ::GetWindowRect(panel, &before);
    EXPECT_EQ(before.right - before.left, 124);
    HWND splitter = Ctl(f, IDC_LIST_SPLITTER);
    ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2 + 30, 10));
    ::SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(2 + 30, 10));
    RECT after{};
    ::GetWindowRect(panel, &after);
    widthAfterDrag = after.right - after.left;
    EXPECT_EQ(widthAfterDrag, 154);
    Click(f, IDCANCEL);
  }});
  EXPECT_NE(ReadFileBytes(folder_ + "\\Pinote.ini")
                .find("UnifyForm\\ListWidth=Integer:" + std::to_string(widthAfterDrag)),
            std::string::npos);
  Show({[&](HWND f) {
    RECT r{};
    ::GetWindowRect(Ctl(f, IDC_ADDRESS_LIST), &r);
    EXPECT_EQ(r.right - r.left, widthAfterDrag);
    Click(f, IDCANCEL);
  }});
}

TEST_F(UnifyDialogTest, ClosingRecordsThePlacement) {
  Show({[](HWND f) {
    ::SetWindowPos(f, nullptr, 40, 50, 400, 300, SWP_NOZORDER);
    Click(f, IDCANCEL);
  }});
  EXPECT_EQ(Settings().ReadInt("UnifyForm", "Width", 0), 400);
  EXPECT_EQ(Settings().ReadInt("UnifyForm", "Height", 0), 300);
  Show({[](HWND f) {
    RECT r{};
    ::GetWindowRect(f, &r);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
    Click(f, IDCANCEL);
  }});
}

}  // namespace
}  // namespace pinote
