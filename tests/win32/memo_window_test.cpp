// The memo window in process: showing records, the appear/disappear rules as the window's
// visibility, write-through editing, the loading guard, the older data-file name, failed saves
// and addresses that cannot be stored.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/win32/errors.h"
#include "common/win32/handles.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/memo_window.h"
#include "common/win32/controls.h"

namespace pinote {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& p, const std::string& data) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << data;
}

std::wstring Text(HWND w) {
  wchar_t buf[4096] = {};
  ::GetWindowTextW(w, buf, 4096);
  return buf;
}

bool HasStyle(HWND w, LONG_PTR style) { return (::GetWindowLongPtrW(w, GWL_STYLE) & style) != 0; }

class MemoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, tmp);
    dir_ = fs::path(tmp) / ("pinote-form-" + std::to_string(::GetCurrentProcessId()) + "-" +
                            std::to_string(counter_++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    SetPluginFileNameForTesting(Narrow((dir_ / "Pinote.dll").wstring()));
    DestroySettingsStore();
    CreateSettingsStore();
    SetErrorReporterForTesting([this](const std::wstring& t) { errors_.push_back(t); });
    SetForegroundHookForTesting([this](HWND w) { foreground_.push_back(w); });
    host_.reset(::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr));
  }

  void TearDown() override {
    form_.reset();
    SetErrorReporterForTesting(nullptr);
    SetForegroundHookForTesting(nullptr);
    DestroySettingsStore();
    ClearPathCaches();
    ::SetFileAttributesW((dir_ / "Pinote.dat").wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  void Create() {
    form_ = MemoWindow::Create();
    ASSERT_TRUE(form_);
  }
  HWND C(int id) const { return form_->Control(id); }
  bool Visible() const { return HasStyle(form_->Handle(), WS_VISIBLE); }
  void Type(wchar_t c) { ::SendMessageW(C(IDC_MEMO_EDIT), WM_CHAR, c, 1); }
  std::string Dat() const { return ReadFile(dir_ / "Pinote.dat"); }
  fs::path DatPath() const { return dir_ / "Pinote.dat"; }

  static inline int counter_ = 0;
  fs::path dir_;
  UniqueWindow host_;
  std::unique_ptr<MemoWindow> form_;
  std::vector<std::wstring> errors_;
  std::vector<HWND> foreground_;
};

constexpr char kTwoAddressRecord[] =
    "friend@example.com\r\nFRIEND@work.example\r\n@Important\r\n hello\r\n  indented\r\n\r\n";

TEST_F(MemoWindowTest, CreatesHiddenWithDisabledMemoAndDesignSize) {
  Create();
  EXPECT_FALSE(Visible());
  EXPECT_FALSE(form_->IsAddressShown());
  EXPECT_FALSE(::IsWindowEnabled(C(IDC_MEMO_EDIT)));
  EXPECT_EQ(Text(form_->Handle()), L"Quillet for Becky!2");
  wchar_t cls[64] = {};
  ::GetClassNameW(form_->Handle(), cls, 64);
  EXPECT_STREQ(cls, L"" MEMO_WINDOW_CLASS);
  RECT r{};
  ::GetWindowRect(form_->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 242);
  // Default placement: flush with the screen's right edge, full screen height.
  EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom - r.top, ::GetSystemMetrics(SM_CYSCREEN));
  HMENU bar = ::GetMenu(form_->Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(::GetMenuItemCount(bar), 2);
  for (int id : {IDM_LOOK, IDM_UNIFY, IDM_SEPARATE, IDM_HIDE, IDM_OPTIONS,
                 IDM_HELP_CONTENTS, IDM_ABOUT}) {
    SCOPED_TRACE(id);
    EXPECT_NE(::GetMenuState(bar, id, MF_BYCOMMAND), static_cast<UINT>(-1));
  }
}

TEST_F(MemoWindowTest, ShowMemoFillsControlsFromTheRecord) {
  WriteFile(DatPath(), kTwoAddressRecord);
  Create();
  struct Case {
    const char* address;
    const wchar_t* others;
  };
  const Case cases[] = {
      {"FRIEND@EXAMPLE.COM", L"(FRIEND@work.example)"},
      {"friend@WORK.example", L"(friend@example.com)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    form_->ShowMemo(host_.get(), c.address, "Friend", true);
    EXPECT_EQ(Text(C(IDC_SENDER_LABEL)), L"Friend");
    EXPECT_EQ(Text(C(IDC_ADDRESS_LABEL)), Widen(c.address));
    EXPECT_EQ(form_->Address(), c.address);
    EXPECT_EQ(form_->MemoText(), "hello\r\n indented\r\n");
    EXPECT_TRUE(form_->IsImportantChecked());
    EXPECT_EQ(Text(C(IDC_OTHER_ADDRESS_LABEL)), c.others);
    EXPECT_TRUE(HasStyle(C(IDC_OTHER_ADDRESS_LABEL), WS_VISIBLE));
    EXPECT_FALSE(HasStyle(C(IDC_NAME_LIST_EDIT), WS_VISIBLE));
    EXPECT_FALSE(HasStyle(C(IDC_NAME_LIST_SPLITTER), WS_VISIBLE));
    EXPECT_TRUE(form_->IsAddressShown());
  }
  // Showing never writes: the file still has its two-space memo line as it was read.
  EXPECT_EQ(Dat(), kTwoAddressRecord);
}

TEST_F(MemoWindowTest, ShowMemoOfUnknownAddressClearsEverything) {
  WriteFile(DatPath(), kTwoAddressRecord);
  Create();
  form_->ShowMemo(host_.get(), "friend@example.com", "Friend", true);
  form_->ShowMemo(host_.get(), "stranger@example.com", "", true);
  EXPECT_EQ(form_->MemoText(), "");
  EXPECT_FALSE(form_->IsImportantChecked());
  EXPECT_FALSE(HasStyle(C(IDC_OTHER_ADDRESS_LABEL), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(C(IDC_NAME_LIST_EDIT), WS_VISIBLE));
  EXPECT_EQ(Text(C(IDC_SENDER_LABEL)), L"");
}

TEST_F(MemoWindowTest, OtherAddressLineFollowsItsSetting) {
  WriteFile(DatPath(), kTwoAddressRecord);
  Settings().Write("OtherAddress", "Visible", false);
  Create();
  form_->ShowMemo(host_.get(), "friend@example.com", "", true);
  EXPECT_FALSE(HasStyle(C(IDC_OTHER_ADDRESS_LABEL), WS_VISIBLE));
  // A record holding only the shown address leaves the line hidden even when switched on.
  WriteFile(DatPath(), "solo@example.com\r\n memo\r\n\r\n");
  Settings().Write("OtherAddress", "Visible", true);
  form_.reset();
  Create();
  form_->ShowMemo(host_.get(), "solo@example.com", "", true);
  EXPECT_FALSE(HasStyle(C(IDC_OTHER_ADDRESS_LABEL), WS_VISIBLE));
}

TEST_F(MemoWindowTest, NameListTextShowsTheBoxWithTheSplitterAboveIt) {
  WriteFile(DatPath(), "listed@example.com\r\nsecond@example.com\r\n\r\n");
  Create();
  const int i = form_->Store().IndexOfAddress("listed@example.com");
  ASSERT_GE(i, 0);
  form_->Store().Get(i)->NameListText = "Listed Person\r\nSales";
  ::ShowWindow(form_->Handle(), SW_HIDE);
  form_->ShowMemo(host_.get(), "listed@example.com", "", false);
  // No memo, but name-list text: the default rule 1 makes the window appear.
  EXPECT_TRUE(Visible());
  HWND meibo = C(IDC_NAME_LIST_EDIT), splitter = C(IDC_NAME_LIST_SPLITTER);
  EXPECT_TRUE(HasStyle(meibo, WS_VISIBLE));
  EXPECT_TRUE(HasStyle(splitter, WS_VISIBLE));
  EXPECT_EQ(Text(meibo), L"Listed Person\r\nSales");
  RECT m{}, s{}, memo{};
  ::GetWindowRect(meibo, &m);
  ::GetWindowRect(splitter, &s);
  ::GetWindowRect(C(IDC_MEMO_EDIT), &memo);
  EXPECT_EQ(s.bottom, m.top);
  EXPECT_EQ(memo.bottom, s.top);
  EXPECT_EQ(m.bottom - m.top, 70);
}

// The appear/disappear rules as the window's visibility, and the foreground hand-back.
TEST_F(MemoWindowTest, VisibilityFollowsTheRules) {
  enum Record { kNone, kMemo, kImportantMemo };
  struct Case {
    int show, hide;
    Record record;
    bool startVisible, expectVisible, expectForeground;
  };
  const Case cases[] = {
      {1, 1, kMemo, false, true, true},            // appears and hands the foreground back
      {1, 1, kMemo, true, true, false},            // already visible: foreground left alone
      {1, 1, kNone, true, false, false},           // no memo: disappears
      {1, 1, kNone, false, false, false},
      {0, 3, kNone, false, true, true},            // appear wins over disappear
      {3, 0, kMemo, false, false, false},          // never appear, never disappear
      {3, 0, kNone, true, true, false},
      {2, 2, kMemo, true, false, false},           // memo but not important: hides
      {2, 2, kMemo, false, false, false},
      {2, 2, kImportantMemo, false, true, true},
      {0, 0, kNone, false, true, true},
      {3, 3, kImportantMemo, true, false, false},  // always disappear
      {7, -1, kMemo, true, true, false},           // unknown values: nothing changes
      {7, -1, kMemo, false, false, false},
  };
  WriteFile(DatPath(),
            "memo@example.com\r\n plain\r\n\r\nvip@example.com\r\n@Important\r\n vip\r\n\r\n");
  Create();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "show " << c.show << " hide " << c.hide << " record "
                                      << c.record << " visible " << c.startVisible);
    Settings().Write("Show", "Load", c.show);
    Settings().Write("Hide", "Load", c.hide);
    ::ShowWindow(form_->Handle(), c.startVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
    foreground_.clear();
    const char* address = c.record == kNone   ? "nobody@example.com"
                          : c.record == kMemo ? "memo@example.com"
                                              : "vip@example.com";
    form_->ShowMemo(host_.get(), address, "", false);
    EXPECT_EQ(Visible(), c.expectVisible);
    if (c.expectForeground) {
      ASSERT_EQ(foreground_.size(), 1u);
      EXPECT_EQ(foreground_[0], host_.get());
    } else {
      EXPECT_TRUE(foreground_.empty());
    }
  }
}

TEST_F(MemoWindowTest, ForceShowShowsWithoutForegroundHandBack) {
  Settings().Write("Show", "Load", 3);
  Create();
  form_->ShowMemo(host_.get(), "nobody@example.com", "", true);
  EXPECT_TRUE(Visible());
  EXPECT_TRUE(foreground_.empty());
}

TEST_F(MemoWindowTest, TypingWritesTheDataFileAtOnce) {
  Create();
  form_->ShowMemo(host_.get(), "New@Example.com", "New", true);
  EXPECT_FALSE(fs::exists(DatPath()));
  Type(L'h');
  EXPECT_EQ(Dat(), "New@Example.com\r\n h\r\n\r\n");
  Type(L'i');
  EXPECT_EQ(Dat(), "New@Example.com\r\n hi\r\n\r\n");
  ::SendMessageW(C(IDC_IMPORTANT_CHECK), BM_CLICK, 0, 0);
  EXPECT_EQ(Dat(), "New@Example.com\r\n@Important\r\n hi\r\n\r\n");
  // Deleting all memo text of a one-address record removes it at that save.
  ::SendMessageW(C(IDC_MEMO_EDIT), EM_SETSEL, 0, -1);
  Type(L'\b');
  EXPECT_EQ(Dat(), "");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MemoWindowTest, ImportanceWithoutMemoDoesNotPersist) {
  Create();
  form_->ShowMemo(host_.get(), "mark@example.com", "", true);
  ::SendMessageW(C(IDC_IMPORTANT_CHECK), BM_CLICK, 0, 0);
  EXPECT_TRUE(form_->IsImportantChecked());
  EXPECT_EQ(Dat(), "");
  EXPECT_EQ(form_->Store().IndexOfAddress("mark@example.com"), -1);
}

TEST_F(MemoWindowTest, SetMemoTextIsStoredLikeAnEdit) {
  WriteFile(DatPath(), kTwoAddressRecord);
  Create();
  form_->ShowMemo(host_.get(), "friend@work.example", "", true);
  form_->SetMemoText("hello\r\n indented\r\nappended");
  EXPECT_EQ(Dat(),
            "friend@example.com\r\nFRIEND@work.example\r\n@Important\r\n hello\r\n  indented\r\n"
            " appended\r\n\r\n");
}

TEST_F(MemoWindowTest, LoadingGuardKeepsShowMemoFromSaving) {
  // "@Flag" would be rewritten as "@Important" and the stray blank lines dropped by any save.
  const std::string original = "a@example.com\r\n@Flag\r\n memo a\r\n\r\n\r\n\r\nb@example.com\r\n\r\n";
  WriteFile(DatPath(), original);
  Create();
  for (const char* address : {"a@example.com", "b@example.com", "none@example.com",
                              "A@EXAMPLE.COM"}) {
    SCOPED_TRACE(address);
    form_->ShowMemo(host_.get(), address, "x", false);
    form_->ShowMemo(host_.get(), address, "x", true);
  }
  EXPECT_EQ(Dat(), original);
  // The guard is released afterwards: the next edit saves.
  Type(L'!');
  EXPECT_NE(Dat(), original);
}

TEST_F(MemoWindowTest, OlderDataFileIsMovedToTheDatName) {
  const std::string content = "old@example.com\r\n from before\r\n\r\n";
  WriteFile(dir_ / "Pinotedat", content);
  Create();
  EXPECT_FALSE(fs::exists(dir_ / "Pinotedat"));
  EXPECT_EQ(Dat(), content);
  form_->ShowMemo(host_.get(), "old@example.com", "", true);
  EXPECT_EQ(form_->MemoText(), "from before\r\n");
}

TEST_F(MemoWindowTest, OlderDataFileIsLeftWhenTheDatFileExists) {
  WriteFile(dir_ / "Pinotedat", "old@example.com\r\n old\r\n\r\n");
  WriteFile(DatPath(), "new@example.com\r\n new\r\n\r\n");
  Create();
  EXPECT_TRUE(fs::exists(dir_ / "Pinotedat"));
  form_->ShowMemo(host_.get(), "old@example.com", "", true);
  EXPECT_EQ(form_->MemoText(), "");
}

TEST_F(MemoWindowTest, FailedSaveIsReportedAndTheEditKeptForTheNextSave) {
  WriteFile(DatPath(), "ro@example.com\r\n first\r\n\r\n");
  Create();
  form_->ShowMemo(host_.get(), "ro@example.com", "", true);
  ASSERT_TRUE(::SetFileAttributesW(DatPath().wstring().c_str(), FILE_ATTRIBUTE_READONLY));
  ::SendMessageW(C(IDC_MEMO_EDIT), EM_SETSEL, 5, 5);  // after "first"
  Type(L'X');
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find(DatPath().filename().wstring()), std::wstring::npos) << errors_[0];
  EXPECT_EQ(Dat(), "ro@example.com\r\n first\r\n\r\n");
  EXPECT_EQ(form_->MemoText(), "firstX\r\n");
  EXPECT_EQ(form_->Store().Get(form_->Store().IndexOfAddress("ro@example.com"))->Memo,
            "firstX\r\n");
  ASSERT_TRUE(::SetFileAttributesW(DatPath().wstring().c_str(), FILE_ATTRIBUTE_NORMAL));
  ::SendMessageW(C(IDC_IMPORTANT_CHECK), BM_CLICK, 0, 0);
  EXPECT_EQ(Dat(), "ro@example.com\r\n@Important\r\n firstX\r\n\r\n");
  EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(MemoWindowTest, UnstorableAddressGetsAReadOnlyMemoAndANote) {
  Create();
  for (const char* address : {"", " lead@example.com", "@odd"}) {
    SCOPED_TRACE(address);
    form_->ShowMemo(host_.get(), address, "", true);
    EXPECT_TRUE(HasStyle(C(IDC_MEMO_EDIT), ES_READONLY));
    EXPECT_FALSE(::IsWindowEnabled(C(IDC_IMPORTANT_CHECK)));
    EXPECT_TRUE(HasStyle(C(IDC_OTHER_ADDRESS_LABEL), WS_VISIBLE));
    EXPECT_FALSE(Text(C(IDC_OTHER_ADDRESS_LABEL)).empty());
    Type(L'z');
    form_->SetMemoText("appended");
    EXPECT_EQ(form_->MemoText(), "");
    EXPECT_FALSE(fs::exists(DatPath()));
  }
  // A storable address afterwards is editable again.
  form_->ShowMemo(host_.get(), "ok@example.com", "", true);
  EXPECT_FALSE(HasStyle(C(IDC_MEMO_EDIT), ES_READONLY));
  EXPECT_TRUE(::IsWindowEnabled(C(IDC_IMPORTANT_CHECK)));
  Type(L'k');
  EXPECT_EQ(Dat(), "ok@example.com\r\n k\r\n\r\n");
}

TEST_F(MemoWindowTest, EditsBeforeTheFirstShowAreIgnored) {
  Create();
  form_->SetMemoText("orphan");
  EXPECT_EQ(form_->MemoText(), "");
  EXPECT_FALSE(fs::exists(DatPath()));
}

TEST_F(MemoWindowTest, CloseHidesAndRecordsTheNameListHeightAndPlacement) {
  Settings().Write("Meibo", "Height", 90);
  WriteFile(DatPath(), "x@example.com\r\n memo\r\n\r\n");
  Create();
  form_->Store().Get(0)->NameListText = "Listed";
  form_->ShowMemo(host_.get(), "x@example.com", "", true);
  ASSERT_TRUE(Visible());
  RECT m{};
  ::GetWindowRect(C(IDC_NAME_LIST_EDIT), &m);
  EXPECT_EQ(m.bottom - m.top, 90);
  ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Visible());
  ASSERT_NE(form_->Handle(), nullptr);
  const std::string ini = ReadFile(dir_ / "Pinote.ini");
  EXPECT_NE(ini.find("Meibo\\Height=Integer:90"), std::string::npos) << ini;
  EXPECT_NE(ini.find("MainForm\\Width="), std::string::npos) << ini;
}

TEST_F(MemoWindowTest, DestructionWritesTheSettings) {
  Create();
  form_.reset();
  const std::string ini = ReadFile(dir_ / "Pinote.ini");
  EXPECT_NE(ini.find("Meibo\\Height=Integer:70"), std::string::npos) << ini;
}

TEST_F(MemoWindowTest, ApplySettingsHidesTheSwitchedOffControls) {
  Create();
  Settings().Write("Importance", "Visible", false);
  Settings().Write("Sender", "Visible", false);
  Settings().Write("Memo", "AlwaysTop", true);
  form_->ApplyOptions(CurrentOptions());
  EXPECT_FALSE(HasStyle(C(IDC_IMPORTANT_CHECK), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(C(IDC_SENDER_LABEL), WS_VISIBLE));
  EXPECT_TRUE(HasStyle(C(IDC_ADDRESS_LABEL), WS_VISIBLE));
  EXPECT_TRUE((::GetWindowLongPtrW(form_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
  // The hidden controls give their space to the ones below.
  RECT address{};
  ::GetWindowRect(C(IDC_ADDRESS_LABEL), &address);
  POINT origin{0, 0};
  ::ClientToScreen(form_->Handle(), &origin);
  EXPECT_EQ(address.top, origin.y);
  Settings().Write("Memo", "AlwaysTop", false);
  form_->ApplyOptions(CurrentOptions());
  EXPECT_FALSE((::GetWindowLongPtrW(form_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
}

// The labels stack from the top, each only while shown; the memo box takes what is left above
// the splitter, which sits directly on the name-list box at the bottom.
TEST_F(MemoWindowTest, LayoutStacksTheShownPartsAndGivesTheMemoTheRest) {
  WriteFile(DatPath(), "listed@example.com\r\nsecond@example.com\r\n memo\r\n\r\n"
                       "plain@example.com\r\n memo\r\n\r\n");
  Create();
  form_->Store().Get(0)->NameListText = "Listed Person";
  ::SetWindowPos(form_->Handle(), nullptr, 0, 0, 300, 500, SWP_NOMOVE | SWP_NOZORDER);
  const std::pair<const char*, int> parts[] = {{"Importance", IDC_IMPORTANT_CHECK},
                                               {"Sender", IDC_SENDER_LABEL},
                                               {"Address", IDC_ADDRESS_LABEL},
                                               {"OtherAddress", IDC_OTHER_ADDRESS_LABEL}};
  for (int shown = 0; shown < 16; ++shown) {
    for (const char* address : {"listed@example.com", "plain@example.com"}) {
      SCOPED_TRACE(::testing::Message() << "parts " << shown << " " << address);
      for (int i = 0; i < 4; ++i) Settings().Write(parts[i].first, "Visible", (shown >> i & 1) != 0);
      form_->ApplyOptions(CurrentOptions());
      form_->ShowMemo(host_.get(), address, "Sender", true);
      RECT client{};
      ::GetClientRect(form_->Handle(), &client);
      auto rect = [&](int id) {
        RECT r{};
        ::GetWindowRect(C(id), &r);
        ::MapWindowPoints(HWND_DESKTOP, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
      };
      int top = 0;
      for (int i = 0; i < 4; ++i) {
        // The other addresses show only for the record that has them.
        const bool visible = (shown >> i & 1) && (i < 3 || address[0] == 'l');
        EXPECT_EQ(HasStyle(C(parts[i].second), WS_VISIBLE), visible) << parts[i].first;
        if (!visible) continue;
        const RECT r = rect(parts[i].second);
        EXPECT_EQ(r.top, top) << parts[i].first;
        EXPECT_EQ(r.right - r.left, client.right) << parts[i].first;
        top = r.bottom;
      }
      const RECT memo = rect(IDC_MEMO_EDIT);
      EXPECT_EQ(memo.top, top);
      EXPECT_EQ(memo.right - memo.left, client.right);
      const bool nameList = address[0] == 'l';
      EXPECT_EQ(HasStyle(C(IDC_NAME_LIST_EDIT), WS_VISIBLE), nameList);
      EXPECT_EQ(HasStyle(C(IDC_NAME_LIST_SPLITTER), WS_VISIBLE), nameList);
      if (!nameList) {
        EXPECT_EQ(memo.bottom, client.bottom);
        continue;
      }
      const RECT splitter = rect(IDC_NAME_LIST_SPLITTER), list = rect(IDC_NAME_LIST_EDIT);
      EXPECT_EQ(memo.bottom, splitter.top);
      EXPECT_EQ(splitter.bottom - splitter.top, kSplitterSize);
      EXPECT_EQ(splitter.bottom, list.top);
      EXPECT_EQ(list.bottom, client.bottom);
      EXPECT_EQ(list.bottom - list.top, 70);
    }
  }
}

TEST_F(MemoWindowTest, DraggingTheSplitterResizesTheNameListAndClosingKeepsIt) {
  WriteFile(DatPath(), "listed@example.com\r\n memo\r\n\r\n");
  Create();
  form_->Store().Get(0)->NameListText = "Listed Person";
  form_->ShowMemo(host_.get(), "listed@example.com", "", true);
  HWND splitter = C(IDC_NAME_LIST_SPLITTER);
  RECT before{};
  ::GetWindowRect(C(IDC_MEMO_EDIT), &before);
  ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 2));
  ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, static_cast<WORD>(2 - 30)));
  ::SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(10, static_cast<WORD>(2 - 30)));
  RECT list{}, memo{}, bar{};
  ::GetWindowRect(C(IDC_NAME_LIST_EDIT), &list);
  ::GetWindowRect(C(IDC_MEMO_EDIT), &memo);
  ::GetWindowRect(splitter, &bar);
  EXPECT_EQ(list.bottom - list.top, 100);
  EXPECT_EQ(memo.bottom, before.bottom - 30);
  EXPECT_EQ(bar.bottom, list.top);
  ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
  EXPECT_NE(ReadFile(dir_ / "Pinote.ini").find("Meibo\\Height=Integer:100\r\n"), std::string::npos);
}

TEST_F(MemoWindowTest, ReloadDataRereadsTheFileAndKeepsEdits) {
  Create();
  form_->ShowMemo(host_.get(), "keep@example.com", "", true);
  Type(L'k');
  form_->ReloadData("");
  form_->ShowMemo(host_.get(), "keep@example.com", "", true);
  EXPECT_EQ(form_->MemoText(), "k\r\n");
}

}  // namespace
}  // namespace pinote
