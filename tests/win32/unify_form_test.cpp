#include "forms/win32/unify_form.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/env.h"
#include "forms/win32/control_ids.h"
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
  HWND list = Ctl(form, ids::kAddressList);
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
  HWND combo = Ctl(form, ids::kKeywordCombo);
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
  Type(Ctl(form, ids::kKeywordCombo), keyword);
  ::SetFocus(Ctl(form, ids::kAddressList));
}

class UnifyFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshSettingsFolder("pinote-unify-form-test");
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
  UnifyResult Show(std::vector<Step> steps, const MemoStore* data = nullptr) {
    const MemoStore& d = data != nullptr ? *data : data_;
    return RunScripted(ids::kUnifyFormClass, std::move(steps),
                       [&] { return ShowUnifyForm(nullptr, d, L"See"); });
  }

  std::string folder_;
  MemoStore data_;
};

TEST_F(UnifyFormTest, OpensWithEveryAddressAndTheFirstMemo) {
  const UnifyResult r = Show({[](HWND f) {
    EXPECT_EQ(ListLines(f),
              (std::vector<std::wstring>{L"alice@example.com", L"Alice@Home.example",
                                         L"bob@mail.example", L"bob@Corp.example",
                                         L"bob@other.example", L"carol@example.org"}));
    EXPECT_EQ(::SendMessageW(Ctl(f, ids::kAddressList), LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(f, ids::kUnifyMemoMemo), L"met at the fair\r\n");
    EXPECT_TRUE(Enabled(f, ids::kUnifyOKButton));
    EXPECT_EQ(Text(f, ids::kUnifyOKButton), L"See");
    EXPECT_EQ(WindowText(f), L"Quillet for Becky!2");
    Click(f, ids::kUnifyCancelButton);
  }});
  EXPECT_FALSE(r.ok);
}

TEST_F(UnifyFormTest, KeywordFiltersByMemoOrAddressWithCaseCounting) {
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
      Type(Ctl(f, ids::kKeywordCombo), c.keyword);
      EXPECT_EQ(ListLines(f), c.lines);
      EXPECT_EQ(Enabled(f, ids::kUnifyOKButton), !c.lines.empty());
      if (c.lines.empty()) EXPECT_EQ(Text(f, ids::kUnifyMemoMemo), L"");
    }
    Click(f, ids::kUnifyCancelButton);
  }});
}

TEST_F(UnifyFormTest, ClickingALineShowsItsRecordMemoAndOkReportsIt) {
  const UnifyResult r = Show({[](HWND f) {
    HWND list = Ctl(f, ids::kAddressList);
    ClickListLine(list, 3, false);
    EXPECT_EQ(Text(f, ids::kUnifyMemoMemo), L"Bob's notes\r\nline 2\r\n");
    ClickListLine(list, 5, false);
    EXPECT_EQ(Text(f, ids::kUnifyMemoMemo), L"");
    ClickListLine(list, 4, false);
    Click(f, ids::kUnifyOKButton);
  }});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.record, 1);
  EXPECT_EQ(r.address, 2);
}

TEST_F(UnifyFormTest, DoubleClickAndEnterPickTheLine) {
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
    const UnifyResult r = Show({[&](HWND f) {
      if (!c.keyword.empty()) Type(Ctl(f, ids::kKeywordCombo), c.keyword);
      HWND list = Ctl(f, ids::kAddressList);
      ClickListLine(list, c.line, !c.enter);
      if (c.enter) ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    }});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.record, c.record);
    EXPECT_EQ(r.address, c.address);
  }
}

// With nothing listed there is nothing to pick: Enter and double-clicks leave the dialog open.
TEST_F(UnifyFormTest, EmptyListIgnoresEnterAndDoubleClick) {
  const UnifyResult r = Show({[](HWND f) {
                                Type(Ctl(f, ids::kKeywordCombo), L"no such text");
                                EXPECT_TRUE(ListLines(f).empty());
                                EXPECT_FALSE(Enabled(f, ids::kUnifyOKButton));
                                HWND list = Ctl(f, ids::kAddressList);
                                ::SetFocus(list);
                                ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
                                const LPARAM at = MAKELPARAM(5, 5);
                                ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
                                ::SendMessageW(list, WM_LBUTTONUP, 0, at);
                                // The disabled OK cannot be pressed either.
                                ::SendMessageW(f, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                              },
                              [](HWND f) {
                                // Still open a tick later: cancel it.
                                Click(f, ids::kUnifyCancelButton);
                              }});
  EXPECT_FALSE(r.ok);
}

TEST_F(UnifyFormTest, EmptyStoreGivesAnEmptyListAndCancelStillWorks) {
  MemoStore empty;
  const UnifyResult r = Show({[](HWND f) {
                               EXPECT_TRUE(ListLines(f).empty());
                               EXPECT_FALSE(Enabled(f, ids::kUnifyOKButton));
                               ::PostMessageW(Ctl(f, ids::kAddressList), WM_KEYDOWN, VK_RETURN,
                                              0);
                             },
                             [](HWND f) {
                               HWND edit = FindWindowExW(Ctl(f, ids::kKeywordCombo), nullptr,
                                                         L"Edit", nullptr);
                               ::SetFocus(edit);
                               ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
                             }},
                             &empty);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.record, 0);
}

TEST_F(UnifyFormTest, HistoryKeepsTheMostRecentFirstWithoutDuplicates) {
  Show({[](HWND f) {
    TypeAndLeave(f, L"x");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"x"}));
    TypeAndLeave(f, L"y");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"y", L"x"}));
    TypeAndLeave(f, L"x");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"x", L"y"}));
    // The text stays what was typed, and so does the list it filtered.
    EXPECT_EQ(Text(f, ids::kKeywordCombo), L"x");
    TypeAndLeave(f, L"");
    EXPECT_EQ(ComboLines(f), (std::vector<std::wstring>{L"", L"x", L"y"}));
    Click(f, ids::kUnifyCancelButton);
  }});
  // Written to the settings in memory with its line breaks; the file is not written here.
  EXPECT_EQ(Settings().ReadString("UnifyForm", "Keyword", "?"), "\r\nx\r\ny\r\n");
  EXPECT_EQ(ReadFileBytes(folder_ + "\\Pinote.ini"), "");
  Settings().Save();
  EXPECT_NE(ReadFileBytes(folder_ + "\\Pinote.ini").find("UnifyForm\\Keyword=String:%0D%0Ax%0D%0Ay%0D%0A"),
            std::string::npos);
}

TEST_F(UnifyFormTest, HistoryHoldsSixteenAndTheNextDialogStartsWithTheNewest) {
  std::vector<Step> steps;
  steps.push_back([](HWND f) {
    for (int i = 1; i <= 17; ++i) TypeAndLeave(f, L"k" + std::to_wstring(i));
    const std::vector<std::wstring> items = ComboLines(f);
    ASSERT_EQ(items.size(), 16u);
    EXPECT_EQ(items.front(), L"k17");
    EXPECT_EQ(items.back(), L"k2");
    TypeAndLeave(f, L"Corp");
    Click(f, ids::kUnifyCancelButton);
  });
  Show(steps);
  Show({[](HWND f) {
    EXPECT_EQ(Text(f, ids::kKeywordCombo), L"Corp");
    EXPECT_EQ(ComboLines(f).size(), 16u);
    EXPECT_EQ(ListLines(f).size(), 3u);  // filtered by the restored keyword
    // Choosing an older keyword from the drop-down filters by it.
    HWND combo = Ctl(f, ids::kKeywordCombo);
    const auto index = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(L"k17"));
    ASSERT_GE(index, 0);
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(f, WM_COMMAND, MAKEWPARAM(ids::kKeywordCombo, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_TRUE(ListLines(f).empty());
    Click(f, ids::kUnifyCancelButton);
  }});
}

TEST_F(UnifyFormTest, MovingTheSplitterSavesTheListWidthAtOnce) {
  int widthAfterDrag = 0;
  Show({[&](HWND f) {
    HWND panel = Ctl(f, ids::kAddressPanel);
    RECT before{};
    ::GetWindowRect(panel, &before);
    EXPECT_EQ(before.right - before.left, 124);
    HWND splitter = Ctl(f, ids::kUnifySplitter);
    ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 10));
    ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2 + 30, 10));
    ::SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(2 + 30, 10));
    RECT after{};
    ::GetWindowRect(panel, &after);
    widthAfterDrag = after.right - after.left;
    EXPECT_EQ(widthAfterDrag, 154);
    Click(f, ids::kUnifyCancelButton);
  }});
  EXPECT_NE(ReadFileBytes(folder_ + "\\Pinote.ini")
                .find("UnifyForm\\ListWidth=Integer:" + std::to_string(widthAfterDrag)),
            std::string::npos);
  Show({[&](HWND f) {
    RECT r{};
    ::GetWindowRect(Ctl(f, ids::kAddressPanel), &r);
    EXPECT_EQ(r.right - r.left, widthAfterDrag);
    Click(f, ids::kUnifyCancelButton);
  }});
}

TEST_F(UnifyFormTest, ClosingRecordsThePlacement) {
  Show({[](HWND f) {
    ::SetWindowPos(f, nullptr, 40, 50, 400, 300, SWP_NOZORDER);
    Click(f, ids::kUnifyCancelButton);
  }});
  EXPECT_EQ(Settings().ReadInt("UnifyForm", "Width", 0), 400);
  EXPECT_EQ(Settings().ReadInt("UnifyForm", "Height", 0), 300);
  Show({[](HWND f) {
    RECT r{};
    ::GetWindowRect(f, &r);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
    Click(f, ids::kUnifyCancelButton);
  }});
}

}  // namespace
}  // namespace pinote
