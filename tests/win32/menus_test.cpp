#include "host/win32/menus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/win32/memo_window.h"
#include "host/win32/host_api.h"

namespace pinote {
namespace {

// ---- A stand-in for the host's side of the calls ----

struct Registration {
  std::string comment;
  int target;
  CommandCallback callback;
};
std::vector<Registration> g_registered;
std::string g_currentFolder;
const char* g_currentFolderPtr = nullptr;
std::vector<std::string> g_commands;
std::string g_selection;  // what the host's "EditCopy" puts on the clipboard

constexpr int kFirstCommandId = 41000;

int WINAPI FakeRegisterCommand(LPCSTR comment, int target, CommandCallback callback) {
  g_registered.push_back({comment, target, callback});
  return kFirstCommandId + static_cast<int>(g_registered.size()) - 1;
}

LPCSTR WINAPI FakeGetCurrentFolder() { return g_currentFolderPtr; }

void PutOnClipboard(const std::string& text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  if (!text.empty()) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* p = static_cast<char*>(::GlobalLock(block));
    std::memcpy(p, text.c_str(), text.size() + 1);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_TEXT, block);
  }
  ::CloseClipboard();
}

bool g_copyTouchesClipboard = true;  // false: the host found nothing selected
std::function<void()> g_duringCopy;   // what else happens while the host copies

int WINAPI FakeCommand(HWND window, LPCSTR command) {
  g_commands.push_back(command);
  if (g_copyTouchesClipboard) PutOnClipboard(g_selection);
  if (g_duringCopy) g_duringCopy();
  return 0;
}

template <class F>
FARPROC AsFarProc(F f) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = HostApi();
    HostApi().RegisterCommand = AsFarProc(&FakeRegisterCommand);
    HostApi().GetCurrentFolder = AsFarProc(&FakeGetCurrentFolder);
    HostApi().Command = AsFarProc(&FakeCommand);
    g_registered.clear();
    g_commands.clear();
    g_copyTouchesClipboard = true;
    g_duringCopy = nullptr;
    savedMainMenu_ = State().mainMenu;
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "pinote-menus-test";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::DeleteFileA((folder + "\\Pinote.dat").c_str());
    SetPluginFileNameForTesting(folder + "\\Pinote.dll");
    CreateSettingsStore();
  }
  void TearDown() override {
    HostApi() = saved_;
    State().mainMenu = savedMainMenu_;
    DestroySettingsStore();
    SetPluginFileNameForTesting("");
  }
  // A memo window showing a@x with `memo`, hidden again.
  static std::unique_ptr<MemoWindow> MemoShowing(const std::string& memo) {
    auto window = MemoWindow::Create();
    window->ShowMemo(nullptr, "a@x", "", true);
    window->SetMemoText(memo);
    window->Hide();
    return window;
  }

  // The host's menu bar: File, Tool and Help menus, English texts.
  static UniqueMenu HostBar(const std::vector<std::string>& tool,
                            const std::vector<std::string>& help, bool withTool = true) {
    UniqueMenu bar(::CreateMenu());
    AppendPopup(bar.get(), "&File", {"&Open", "E&xit"});
    if (withTool) AppendPopup(bar.get(), "&Tool", tool);
    AppendPopup(bar.get(), "&Help", help);
    return bar;
  }

  // Items "" are separators.
  static HMENU AppendPopup(HMENU parent, const std::string& text,
                           const std::vector<std::string>& items) {
    HMENU popup = ::CreatePopupMenu();
    for (const std::string& item : items) {
      ::AppendMenuA(popup, item.empty() ? MF_SEPARATOR : MF_STRING, 100, item.c_str());
    }
    ::AppendMenuA(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), text.c_str());
    return popup;
  }

  // The menu as text lines: "text" per item, "text>a|b" for submenus.
  static std::vector<std::string> Describe(HMENU menu) {
    std::vector<std::string> out;
    const std::vector<std::string> texts = MenuItemTexts(menu);
    for (size_t i = 0; i < texts.size(); ++i) {
      std::string line = texts[i];
      if (HMENU sub = ::GetSubMenu(menu, static_cast<int>(i))) {
        line += ">";
        const std::vector<std::string> children = MenuItemTexts(sub);
        for (size_t j = 0; j < children.size(); ++j) line += (j ? "|" : "") + children[j];
      }
      out.push_back(line);
    }
    return out;
  }

  static HMENU Sub(HMENU bar, const char* prefix) {
    const std::vector<std::string> texts = MenuItemTexts(bar);
    for (size_t i = 0; i < texts.size(); ++i) {
      if (texts[i].rfind(prefix, 0) == 0) return ::GetSubMenu(bar, static_cast<int>(i));
    }
    return nullptr;
  }

  static std::string T(const UiText& text) { return Pick(text, IsJapanese()); }

  HostApiTable saved_;
  HMENU savedMainMenu_ = nullptr;
};

const char kName[] = "Quillet for Becky!2";

std::string PluginHelp() { return Pick(ui::kPluginHelpMenu, IsJapanese()); }
std::string AboutPlugins() { return Pick(ui::kAboutPluginsMenu, IsJapanese()); }

// Where the shared submenus and the tool group go (menu_rules.h) runs end to end; here: the ids
// and the bitmap on the items, a second build finding the submenus again by their ANSI texts,
// and a host without a Tool menu.
TEST_F(MenusTest, SecondBuildJoinsItsOwnSubmenusAndNoToolMenuIsFine) {
  UniqueMenu bar = HostBar({"&Options"}, {"&About \"Becky!\""});
  for (int round = 0; round < 2; ++round) {
    AddAboutEntry(bar.get(), kMenuMain);
    AddHelpEntry(bar.get(), kMenuMain);
  }
  ASSERT_EQ(g_registered.size(), 4u);
  EXPECT_EQ(g_registered[0].callback, &AboutCommand);
  EXPECT_EQ(g_registered[1].callback, &PluginHelpCommand);
  EXPECT_EQ(g_registered[0].comment, "Information about this PlugIn");
  HMENU about = ::GetSubMenu(Sub(bar.get(), "&Help"), 2);
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID | MIIM_CHECKMARKS;
  ASSERT_TRUE(::GetMenuItemInfoW(about, 0, TRUE, &info));
  EXPECT_EQ(info.wID, static_cast<UINT>(kFirstCommandId));
  EXPECT_EQ(info.hbmpUnchecked, State().menuBitmap.get());
  EXPECT_EQ(info.hbmpChecked, nullptr);
  EXPECT_EQ(Describe(Sub(bar.get(), "&Help")),
            (std::vector<std::string>{"&About \"Becky!\"", PluginHelp() + ">" + kName + "|" + kName,
                                      AboutPlugins() + ">" + kName + "|" + kName}));
  // Without a Tool menu the command is registered all the same and the bar stays as it was.
  g_registered.clear();
  UniqueMenu plain = HostBar({}, {"&About \"Becky!\""}, /*withTool=*/false);
  const std::vector<std::string> before = Describe(plain.get());
  AddOpenItem(AddToolGroup(plain.get()), kMenuMain);
  EXPECT_EQ(State().mainMenu, plain.get());
  CloseToolGroup(plain.get());
  EXPECT_EQ(Describe(plain.get()), before);
  ASSERT_EQ(g_registered.size(), 1u);
  EXPECT_EQ(g_registered[0].comment, "Open Memo");
  EXPECT_EQ(g_registered[0].callback, &OpenMemoCommand);
}

TEST_F(MenusTest, AppendItemNeedsAFolderTwoCharactersDeep) {
  struct Case {
    const char* folder;  // null: the host gives no text
    bool added;
  } cases[] = {{nullptr, false}, {"1234abcd\\", false}, {"1234abcd\\!!!!Inbox\\", true},
               // In Shift-JIS ソ, one character ending in 0x5C; in 1252 "ƒ" and "\".
               {"box\\\x83\x5c", !SystemCodePage().IsLeadByte(0x83)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder ? c.folder : "(null)");
    g_registered.clear();
    g_currentFolder = c.folder ? c.folder : "";
    g_currentFolderPtr = c.folder ? g_currentFolder.c_str() : nullptr;
    UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuA(menu.get(), MF_STRING, 1, "&Copy");
    AddAppendItem(menu.get(), kMenuEditor);
    const std::vector<std::string> expected = {"&Copy", "", T(ui::kAppendItem)};
    EXPECT_EQ(Describe(menu.get()), c.added ? expected : std::vector<std::string>{"&Copy"});
    ASSERT_EQ(g_registered.size(), c.added ? 1u : 0u);
    if (!c.added) continue;
    EXPECT_EQ(g_registered[0].comment, "AppendMemo");
    EXPECT_EQ(g_registered[0].target, kMenuEditor);
    EXPECT_EQ(g_registered[0].callback, &AppendMemoCommand);
    EXPECT_EQ(::GetMenuItemID(menu.get(), 2), static_cast<UINT>(kFirstCommandId));
  }
}

// The host's copy, then the clipboard text appended to the memo and the window shown; nothing
// when the clipboard holds no text. The commands reach the library's memo window, if any.
TEST_F(MenusTest, AppendAndOpenCommandsReachTheMemoWindow) {
  for (const std::string selection : {"xyz", ""}) {
    g_commands.clear();
    g_selection = selection;
    auto memo = MemoShowing("abc");
    EXPECT_EQ(AppendSelectionToMemo(nullptr, [&] { return memo.get(); }), !selection.empty());
    EXPECT_EQ(g_commands, std::vector<std::string>{"EditCopy"});
    EXPECT_EQ(memo->MemoText(), selection.empty() ? "abc" : "abc\r\nxyz");
    EXPECT_EQ(::IsWindowVisible(memo->Handle()) != FALSE, !selection.empty());
  }
  std::unique_ptr<MemoWindow> previous = std::move(State().memoWindow);
  State().memoWindow = MemoShowing("abc");
  g_selection = "xyz";
  AppendMemoCommand(nullptr, 0);
  EXPECT_EQ(State().memoWindow->MemoText(), "abc\r\nxyz");
  State().memoWindow->Hide();
  OpenMemoCommand(nullptr, 0);
  EXPECT_TRUE(::IsWindowVisible(State().memoWindow->Handle()));
  State().memoWindow.reset();
  OpenMemoCommand(nullptr, 0);  // without a memo window: nothing, and nothing thrown
  AppendMemoCommand(nullptr, 0);
  State().memoWindow = std::move(previous);
}

// The host's Japanese menus and the plug-in's Japanese submenus are UTF-16 texts: they are found
// on any code page (a Western one reads them in ANSI as question marks), also at a second build.
TEST_F(MenusTest, JapaneseMenuTextsAreFoundOnAnyCodePage) {
  UniqueMenu bar(::CreateMenu());
  auto popup = [&](const char* text, std::vector<const char*> items) {
    HMENU p = ::CreatePopupMenu();
    for (const char* item : items) ::AppendMenuW(p, MF_STRING, 100, Utf8(item).c_str());
    ::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(p), Utf8(text).c_str());
    return p;
  };
  // Help first and the Tool menu in the middle: neither is found by falling back to the last.
  HMENU help = popup("ヘルプ(&H)", {"目次(&C)", "Becky!について(&A)", "更新(&U)"});
  HMENU tool = popup("ツール(&T)", {"オプション(&O)"});
  HMENU view = popup("表示(&V)", {"一覧(&L)"});
  for (int round = 0; round < 2; ++round) {
    AddAboutEntry(bar.get(), kMenuMain);
    AddHelpEntry(bar.get(), kMenuMain);
    if (round == 0) AddOpenItem(AddToolGroup(bar.get()), kMenuMain);
  }
  const std::string twice = std::string(">") + kName + "|" + kName;
  EXPECT_EQ(Describe(help), (std::vector<std::string>{"目次(&C)", "Becky!について(&A)",
                                                      PluginHelp() + twice, AboutPlugins() + twice,
                                                      "更新(&U)"}));
  EXPECT_EQ(Describe(tool), (std::vector<std::string>{"オプション(&O)", "ZOLV",
                                                      kName + (">" + T(ui::kOpenMemoItem))}));
  EXPECT_EQ(Describe(view), std::vector<std::string>{"一覧(&L)"});
}

std::unique_ptr<MemoWindow>* g_closing = nullptr;
void CALLBACK CloseMemoWindow(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (g_closing != nullptr) g_closing->reset();
}

// The host's copy with nothing selected leaves the clipboard as it was: an older text there (a
// password copied elsewhere) is not appended. A memo window the host closed while its copy's
// messages were handled is not touched.
TEST_F(MenusTest, AppendTakesOnlyWhatTheHostsCopyPutThereIntoAWindowStillOpen) {
  struct Case {
    const char* name;
    bool copyTouchesClipboard;
    bool windowClosedDuringCopy;
    bool appended;
  } cases[] = {{"copied", true, false, true},
               {"nothing selected", false, false, false},
               {"window closed meanwhile", true, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PutOnClipboard("older secret");
    g_selection = "xyz";
    g_copyTouchesClipboard = c.copyTouchesClipboard;
    auto memo = MemoShowing("abc");
    g_closing = &memo;
    // The host closes the window through a message its copy leaves pending.
    g_duringCopy = [&] {
      if (!c.windowClosedDuringCopy) return;
      ::SetTimer(nullptr, 0, 1, &CloseMemoWindow);
      ::Sleep(50);
    };
    EXPECT_EQ(AppendSelectionToMemo(nullptr, [&] { return memo.get(); }), c.appended);
    if (c.windowClosedDuringCopy) {
      EXPECT_EQ(memo, nullptr) << "the pending close ran during the copy";
      continue;
    }
    EXPECT_EQ(memo->MemoText(), c.appended ? "abc\r\nxyz" : "abc");
    EXPECT_EQ(::IsWindowVisible(memo->Handle()) != FALSE, c.appended);
  }
  g_closing = nullptr;
}

TEST_F(MenusTest, ClipboardTextIsReadUpToItsEnd) {
  for (const std::string& text : {std::string("two\r\nlines"), std::string("\x83\x5c\x95\x5c"),
                                  std::string()}) {
    PutOnClipboard(text);
    EXPECT_EQ(ReadClipboardAnsi(), text);
  }
}

}  // namespace
}  // namespace pinote
