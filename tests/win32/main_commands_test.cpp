#include "forms/win32/main_commands.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/win32/env.h"
#include "common/win32/handles.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/main_form.h"
#include "dialog_script.h"

namespace pinote {
namespace {

using namespace testing_dialogs;

constexpr wchar_t kMessageBoxClass[] = L"#32770";

struct ShownMemo {
  std::string address, sender;
  bool force;
};

// The memo window as the commands see it: what it shows is recorded, not drawn.
class FakeForm : public TMainForm {
 public:
  explicit FakeForm(const std::string& dataPath)
      : wnd_(::CreateWindowExW(0, L"STATIC", L"memo", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr)) {
    data_.Load(dataPath);
  }
  void ShowMemo(HWND, const std::string& address, const std::string& sender,
                bool forceShow) override {
    shown.push_back({address, sender, forceShow});
    address_ = address;
    sender_ = sender;
    addressShown = true;
  }
  void ApplySettings() override {}
  void ReloadData(const std::string&) override {}
  void ShowAndActivate() override {}
  std::string MemoText() const override { return memo; }
  void SetMemoText(const std::string& text) override { memo = text; }
  HWND Handle() const override { return wnd_.get(); }
  MemoStore& Data() override { return data_; }
  std::string AddressText() const override { return address_; }
  std::string SenderText() const override { return sender_; }
  bool IsImportantChecked() const override { return important; }
  bool IsAddressShown() const override { return addressShown; }
  HWND Control(int id) const override {
    const auto it = controls.find(id);
    return it == controls.end() ? nullptr : it->second;
  }

  void Shows(const std::string& address, const std::string& sender) {
    address_ = address;
    sender_ = sender;
    addressShown = true;
  }

  std::vector<ShownMemo> shown;
  std::string memo;
  bool important = false;
  bool addressShown = false;
  std::map<int, HWND> controls;

 private:
  UniqueWindow wnd_;
  MemoStore data_;
  std::string address_, sender_;
};

std::unique_ptr<Person> MakePerson(std::vector<std::string> addresses, std::string memo,
                                bool important = false) {
  auto p = std::make_unique<Person>();
  p->Addresses = std::move(addresses);
  p->Memo = std::move(memo);
  p->Important = important;
  return p;
}

class MainCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshSettingsFolder("pinote-main-commands-test");
    ::DeleteFileA(DataPath().c_str());
    form_ = std::make_unique<FakeForm>(DataPath());
  }
  void TearDown() override {
    form_.reset();
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  std::string DataPath() const { return folder_ + "\\Pinote.dat"; }
  // Runs a menu command while `steps` answer its dialogs.
  void Run(int id, std::vector<ClassStep> steps) {
    RunClassScripted(ids::kUnifyFormClass, std::move(steps), [&] {
      OnMainMenuCommand(*form_, id);
      return true;
    });
  }
  // Picks line `line` of the unify dialog (unfiltered) and presses its OK button.
  static ClassStep Pick(int line) {
    return {ids::kUnifyFormClass, [line](HWND f) {
              ClickListLine(Ctl(f, ids::kAddressList), line, false);
              Click(f, ids::kUnifyOKButton);
            }};
  }
  // Checks a message box's title and text, then answers it with `button`.
  static ClassStep Answer(std::wstring title, std::wstring text, int button) {
    return {kMessageBoxClass, [=](HWND box) {
              EXPECT_EQ(WindowText(box), title);
              EXPECT_EQ(WindowText(::GetDlgItem(box, 0xFFFF)), text);
              ::PostMessageW(box, WM_COMMAND, button, 0);
            }};
  }

  std::string folder_;
  std::unique_ptr<FakeForm> form_;
};

TEST_F(MainCommandsTest, ToolMenuEnablesByStoreAndShownRecord) {
  struct Case {
    const char* name;
    int records;
    const char* shown;  // nullptr: nothing shown yet
    bool look, unify, separate;
  };
  const std::vector<Case> cases = {
      {"empty store", 0, nullptr, false, false, false},
      {"one record", 1, "a@x", true, false, true},
      {"two records, shown has none", 2, "nobody@x", true, true, false},
      {"two records, single address", 2, "c@x", true, true, false},
      {"shown in another case", 2, "B@X", true, true, true},
      {"nothing shown yet", 2, nullptr, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeForm form(DataPath());
    if (c.records >= 1) form.Data().Add(MakePerson({"a@x", "b@x"}, "m\r\n"));
    if (c.records >= 2) form.Data().Add(MakePerson({"c@x"}, "n\r\n"));
    if (c.shown != nullptr) form.Shows(c.shown, "");
    UniqueMenu menu(::CreatePopupMenu());
    for (int id : {ids::kLook1, ids::kUnify1, ids::kSeparate1}) {
      ::AppendMenuW(menu.get(), MF_STRING, id, L"item");
    }
    OnToolMenuOpening(form, menu.get());
    auto enabled = [&](int id) {
      return (::GetMenuState(menu.get(), id, MF_BYCOMMAND) & MF_GRAYED) == 0;
    };
    EXPECT_EQ(enabled(ids::kLook1), c.look);
    EXPECT_EQ(enabled(ids::kUnify1), c.unify);
    EXPECT_EQ(enabled(ids::kSeparate1), c.separate);
  }
}

TEST_F(MainCommandsTest, UnifyAppendsAnAddressWithoutRecord) {
  form_->Data().Add(MakePerson({"a@x"}, "alpha\r\n"));
  form_->Data().Add(MakePerson({"b@x"}, "beta\r\n"));
  form_->Shows("new@x", "New Person");
  Run(ids::kUnify1, {Pick(1)});
  ASSERT_EQ(form_->Data().Count(), 2);
  EXPECT_EQ(form_->Data().Get(1)->Addresses, (std::vector<std::string>{"b@x", "new@x"}));
  ASSERT_EQ(form_->shown.size(), 1u);
  EXPECT_EQ(form_->shown[0].address, "new@x");
  EXPECT_EQ(form_->shown[0].sender, "New Person");
  EXPECT_TRUE(form_->shown[0].force);
  EXPECT_NE(ReadFileBytes(DataPath()).find("b@x\r\nnew@x\r\n beta\r\n"), std::string::npos);
}

TEST_F(MainCommandsTest, UnifyMergesTheShownRecordIntoTheChosenOne) {
  form_->Data().Add(MakePerson({"a@x"}, "alpha"));             // chosen: memo without line break
  form_->Data().Add(MakePerson({"b@x", "b2@x"}, "beta\r\n", true));  // the shown address's record
  form_->Shows("B@X", "Bee");
  Run(ids::kUnify1, {Pick(0)});
  ASSERT_EQ(form_->Data().Count(), 1);
  const Person& merged = *form_->Data().Get(0);
  EXPECT_EQ(merged.Addresses, (std::vector<std::string>{"a@x", "b@x", "b2@x"}));
  EXPECT_EQ(merged.Memo, "alphabeta\r\n");
  EXPECT_TRUE(merged.Important);
  ASSERT_EQ(form_->shown.size(), 1u);
  EXPECT_EQ(form_->shown[0].address, "B@X");
}

TEST_F(MainCommandsTest, UnifyRefusesTheSameAddressAndAnAlreadyUnifiedOne) {
  form_->Data().Add(MakePerson({"a@x", "a2@x"}, "alpha\r\n"));
  form_->Data().Add(MakePerson({"b@x"}, "beta\r\n"));
  form_->Shows("A@x", "");
  const bool ja = IsJapanese();
  Run(ids::kUnify1,
      {Pick(0), Answer(ja ? Utf8("同一アドレス") : L"Same Address",
                       ja ? Utf8("同じアドレスに統合することはできません。")
                          : L"Can't unify with the same address.",
                       IDOK)});
  Run(ids::kUnify1,
      {Pick(1), Answer(ja ? Utf8("統合済み") : L"Unified",
                       ja ? Utf8("既に統合されています。")
                          : L"These addresses have already been unified.",
                       IDOK)});
  EXPECT_EQ(form_->Data().Count(), 2);
  EXPECT_EQ(form_->Data().Get(0)->Addresses.size(), 2u);
  EXPECT_TRUE(form_->shown.empty());
  EXPECT_EQ(ReadFileBytes(DataPath()), "");  // nothing saved
}

TEST_F(MainCommandsTest, UnifyAndSeparateDoNothingBeforeAnAddressIsShown) {
  form_->Data().Add(MakePerson({"a@x", "b@x"}, "m\r\n"));
  form_->Data().Add(MakePerson({"c@x"}, "n\r\n"));
  OnMainMenuCommand(*form_, ids::kUnify1);  // would block in the dialog if it opened one
  OnMainMenuCommand(*form_, ids::kSeparate1);
  EXPECT_EQ(form_->Data().Get(0)->Addresses.size(), 2u);
  EXPECT_TRUE(form_->shown.empty());
}

TEST_F(MainCommandsTest, SeparateTakesTheShownAddressOutWithACopyOfMemoAndMark) {
  form_->Data().Add(MakePerson({"a@x", "b@x", "c@x"}, "shared\r\n", false));
  form_->Shows("B@X", "Bee");
  form_->memo = "shared\r\n";
  form_->important = true;
  OnMainMenuCommand(*form_, ids::kSeparate1);
  ASSERT_EQ(form_->Data().Count(), 2);
  EXPECT_EQ(form_->Data().Get(0)->Addresses, (std::vector<std::string>{"a@x", "c@x"}));
  EXPECT_EQ(form_->Data().Get(0)->Memo, "shared\r\n");
  const Person& single = *form_->Data().Get(1);
  EXPECT_EQ(single.Addresses, (std::vector<std::string>{"B@X"}));
  EXPECT_TRUE(single.Important);
  EXPECT_EQ(single.Memo, "shared\r\n");
  ASSERT_EQ(form_->shown.size(), 1u);
  EXPECT_EQ(form_->shown[0].sender, "Bee");
}

TEST_F(MainCommandsTest, LookShowsThePickedAddressWithoutSender) {
  form_->Data().Add(MakePerson({"a@x", "a2@x"}, "alpha\r\n"));
  Run(ids::kLook1, {Pick(1)});
  ASSERT_EQ(form_->shown.size(), 1u);
  EXPECT_EQ(form_->shown[0].address, "a2@x");
  EXPECT_EQ(form_->shown[0].sender, "");
  EXPECT_TRUE(form_->shown[0].force);
}

TEST_F(MainCommandsTest, LabelCopyAsksAndCopiesOnlyOnYes) {
  UniqueWindow label(::CreateWindowExW(0, L"STATIC", L"(a@x)\r\n(b@x)", WS_CHILD, 0, 0, 50, 20,
                                       form_->Handle(), nullptr, nullptr, nullptr));
  form_->controls[ids::kOtherAddressLabel] = label.get();
  form_->Shows("c@x", "");
  auto clipboard = [&] {
    std::wstring text;
    if (::OpenClipboard(form_->Handle())) {
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
  if (::OpenClipboard(form_->Handle())) {
    ::EmptyClipboard();
    ::CloseClipboard();
  }
  const std::wstring question =
      Tr("クリップボードに入れますか？", "Copy to the Clipboard?") + L"\r\r(a@x)\r\n(b@x)";
  const std::wstring title = Tr("差出人", "Sender");
  RunClassScripted(kMessageBoxClass, {Answer(title, question, IDNO)}, [&] {
    OnLabelRightClick(*form_, ids::kOtherAddressLabel);
    return true;
  });
  EXPECT_EQ(clipboard(), L"");
  RunClassScripted(kMessageBoxClass, {Answer(title, question, IDYES)}, [&] {
    OnLabelDoubleClick(*form_, ids::kOtherAddressLabel);
    return true;
  });
  EXPECT_EQ(clipboard(), L"(a@x)\r\n(b@x)");
}

}  // namespace
}  // namespace pinote
