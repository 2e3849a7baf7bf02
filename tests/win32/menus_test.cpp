#include "host/win32/menus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "common/win32/host_api.h"
#include "common/win32/module_paths.h"
#include "common/win32/settings_file.h"
#include "common/win32/text.h"
#include "forms/win32/memo_window.h"

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

int WINAPI FakeCommand(HWND window, LPCSTR command) {
  g_commands.push_back(command);
  PutOnClipboard(g_selection);
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

  // Items "" are separators; an item "name>a|b" is a submenu holding a and b.
  static HMENU AppendPopup(HMENU parent, const std::string& text,
                           const std::vector<std::string>& items) {
    HMENU popup = ::CreatePopupMenu();
    for (const std::string& item : items) {
      const size_t sub = item.find('>');
      if (item.empty()) {
        ::AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
      } else if (sub != std::string::npos) {
        std::vector<std::string> children;
        std::string rest = item.substr(sub + 1);
        for (size_t bar; (bar = rest.find('|')) != std::string::npos; rest = rest.substr(bar + 1)) {
          children.push_back(rest.substr(0, bar));
        }
        children.push_back(rest);
        AppendPopup(popup, item.substr(0, sub), children);
      } else {
        ::AppendMenuA(popup, MF_STRING, 100, item.c_str());
      }
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

  static std::string T(const UiText& text) { return Narrow(Tr(text)); }

  HostApiTable saved_;
  HMENU savedMainMenu_ = nullptr;
};

const char kName[] = "Quillet for Becky!2";

std::string PluginHelp() { return Narrow(Tr(ui::kPluginHelpMenu)); }
std::string AboutPlugins() { return Narrow(Tr(ui::kAboutPluginsMenu)); }

TEST_F(MenusTest, HelpMenuGetsBothSharedSubmenusAfterTheAboutItem) {
  UniqueMenu bar = HostBar({"&Options"}, {"&Contents", "", "&About \"Becky!\"..."});
  AddAboutEntry(bar.get(), kMenuMain);
  AddHelpEntry(bar.get(), kMenuMain);
  const std::vector<std::string> expected = {"&Contents", "", "&About \"Becky!\"...",
                                             PluginHelp() + ">" + kName,
                                             AboutPlugins() + ">" + kName};
  EXPECT_EQ(Describe(Sub(bar.get(), "&Help")), expected);

  ASSERT_EQ(g_registered.size(), 2u);
  EXPECT_EQ(g_registered[0].comment, "Information about this PlugIn");
  EXPECT_EQ(g_registered[0].callback, &AboutCommand);
  EXPECT_EQ(g_registered[1].comment, "Information about this PlugIn");
  EXPECT_EQ(g_registered[1].callback, &PluginHelpCommand);
  for (const Registration& r : g_registered) EXPECT_EQ(r.target, kMenuMain);

  // Each item carries its command's identifier and the plug-in's bitmap (unchecked state only).
  HMENU help = Sub(bar.get(), "&Help");
  for (int pos : {3, 4}) {
    SCOPED_TRACE(pos);
    HMENU sub = ::GetSubMenu(help, pos);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_CHECKMARKS;
    ASSERT_TRUE(::GetMenuItemInfoW(sub, 0, TRUE, &info));
    EXPECT_EQ(info.wID, static_cast<UINT>(kFirstCommandId + (pos == 4 ? 0 : 1)));
    EXPECT_EQ(info.hbmpUnchecked, State().menuBitmap.get());
    EXPECT_EQ(info.hbmpChecked, nullptr);
  }
}

TEST_F(MenusTest, ExistingSharedSubmenusAreReused) {
  struct Case {
    const char* name;
    std::vector<std::string> help;
    std::vector<std::string> expected;
  } cases[] = {
      {"another plug-in's help right after About",
       {"&Contents", "&About \"Becky!\"", "Plugin Help>Other"},
       {"&Contents", "&About \"Becky!\"", std::string("Plugin Help>Other|") + kName,
        AboutPlugins() + ">" + kName}},
      {"both shared submenus exist",
       {"&About \"Becky!\"", "Plugin Help>A", "About Plugins>B"},
       {"&About \"Becky!\"", std::string("Plugin Help>A|") + kName,
        std::string("About Plugins>B|") + kName}},
      // Both go to the end, so the help submenu made second lands below the About one.
      {"no About item: at the end",
       {"&Contents"},
       {"&Contents", AboutPlugins() + ">" + kName, PluginHelp() + ">" + kName}},
      {"About Plugins far below",
       {"&About \"Becky!\"", "", "About Plugins>B"},
       {"&About \"Becky!\"", PluginHelp() + ">" + kName, "",
        std::string("About Plugins>B|") + kName}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UniqueMenu bar = HostBar({"&Options"}, c.help);
    AddAboutEntry(bar.get(), kMenuMain);
    AddHelpEntry(bar.get(), kMenuMain);
    EXPECT_EQ(Describe(Sub(bar.get(), "&Help")), c.expected);
  }
}

TEST_F(MenusTest, SecondMainMenuBuildAddsItemsNotSubmenus) {
  // The plug-in finds its own submenus again by their ANSI texts.
  if (Widen(PluginHelp()) != Tr(ui::kPluginHelpMenu)) {
    GTEST_SKIP() << "the code page cannot hold the plug-in's captions";
  }
  UniqueMenu bar = HostBar({"&Options"}, {"&About \"Becky!\""});
  for (int round = 0; round < 2; ++round) {
    AddAboutEntry(bar.get(), kMenuMain);
    AddHelpEntry(bar.get(), kMenuMain);
  }
  const std::vector<std::string> expected = {
      "&About \"Becky!\"", PluginHelp() + ">" + kName + "|" + kName,
      AboutPlugins() + ">" + kName + "|" + kName};
  EXPECT_EQ(Describe(Sub(bar.get(), "&Help")), expected);
}

TEST_F(MenusTest, WithoutHelpTextTheLastMenuIsUsed) {
  UniqueMenu bar(::CreateMenu());
  AppendPopup(bar.get(), "&File", {"E&xit"});
  AppendPopup(bar.get(), "&Window", {"&Cascade"});
  AddAboutEntry(bar.get(), kMenuMain);
  const std::vector<std::string> expected = {"&Cascade", AboutPlugins() + ">" + kName};
  EXPECT_EQ(Describe(Sub(bar.get(), "&Window")), expected);
  EXPECT_EQ(Describe(Sub(bar.get(), "&File")), std::vector<std::string>{"E&xit"});
}

TEST_F(MenusTest, JapaneseHostTextsAreFound) {
  const std::string help = Narrow(Utf8("ヘルプ(&H)"));
  const std::string about = Narrow(Utf8("Becky!について(&A)..."));
  if (Widen(help) != Utf8("ヘルプ(&H)")) GTEST_SKIP() << "the code page has no Japanese";
  UniqueMenu bar(::CreateMenu());
  AppendPopup(bar.get(), help, {"x", about, "y"});
  AppendPopup(bar.get(), "Last", {"z"});
  AddAboutEntry(bar.get(), kMenuMain);
  AddHelpEntry(bar.get(), kMenuMain);
  const std::vector<std::string> expected = {"x", about, PluginHelp() + ">" + kName,
                                             AboutPlugins() + ">" + kName, "y"};
  EXPECT_EQ(Describe(::GetSubMenu(bar.get(), 0)), expected);
}

TEST_F(MenusTest, ToolGroupIsJoinedOrStarted) {
  const std::string open = T(ui::kOpenMemoItem);
  const std::string mine = std::string(kName) + ">" + open;
  struct Case {
    const char* name;
    std::vector<std::string> tool;
    std::vector<std::string> afterBuild;
    std::vector<std::string> afterStart;
  } cases[] = {
      {"no label",
       {"&Options", "", "Filter"},
       {"&Options", "", "Filter", "ZOLV", mine},
       {"&Options", "", "Filter", "", mine}},
      {"label, member and separator",
       {"&Options", "ZOLV", "Other>o", "", "Last"},
       {"&Options", "ZOLV", "Other>o", mine, "", "Last"},
       {"&Options", "", "Other>o", mine, "", "Last"}},
      {"label without a closing separator",
       {"&Options", "ZOLV", "Other>o"},
       {"&Options", "ZOLV", "Other>o", mine},
       {"&Options", "", "Other>o", mine}},
      {"two labels: the lowest counts",
       {"ZOLV", "A>a", "", "ZOLV", "B>b", "", "End"},
       {"ZOLV", "A>a", "", "ZOLV", "B>b", mine, "", "End"},
       {"ZOLV", "A>a", "", "", "B>b", mine, "", "End"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_registered.clear();
    UniqueMenu bar = HostBar(c.tool, {"&About \"Becky!\""});
    HMENU popup = AddToolGroup(bar.get());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(State().mainMenu, bar.get());
    AddOpenItem(popup, kMenuMain);
    EXPECT_EQ(Describe(Sub(bar.get(), "&Tool")), c.afterBuild);
    ASSERT_EQ(g_registered.size(), 1u);
    EXPECT_EQ(g_registered[0].comment, "Open Memo");
    EXPECT_EQ(g_registered[0].callback, &OpenMemoCommand);
    EXPECT_EQ(g_registered[0].target, kMenuMain);

    CloseToolGroup(bar.get());
    EXPECT_EQ(Describe(Sub(bar.get(), "&Tool")), c.afterStart);
  }
}

TEST_F(MenusTest, LabelBecomesARealSeparator) {
  UniqueMenu bar = HostBar({"&Options"}, {"&About \"Becky!\""});
  AddOpenItem(AddToolGroup(bar.get()), kMenuMain);
  CloseToolGroup(bar.get());
  HMENU tool = Sub(bar.get(), "&Tool");
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_ID;
  ASSERT_TRUE(::GetMenuItemInfoW(tool, 1, TRUE, &info));
  EXPECT_NE(info.fType & MFT_SEPARATOR, 0u);
  EXPECT_EQ(info.wID, 0u);
  // A second call finds no label and changes nothing.
  const std::vector<std::string> before = Describe(tool);
  CloseToolGroup(bar.get());
  EXPECT_EQ(Describe(tool), before);
}

TEST_F(MenusTest, WithoutToolMenuTheOpenCommandIsStillRegistered) {
  UniqueMenu bar = HostBar({}, {"&About \"Becky!\""}, /*withTool=*/false);
  const std::vector<std::string> barBefore = Describe(bar.get());
  HMENU popup = AddToolGroup(bar.get());
  ASSERT_NE(popup, nullptr);
  AddOpenItem(popup, kMenuMain);
  EXPECT_EQ(Describe(bar.get()), barBefore);
  ASSERT_EQ(g_registered.size(), 1u);
  EXPECT_EQ(g_registered[0].comment, "Open Memo");
  CloseToolGroup(bar.get());
  EXPECT_EQ(Describe(bar.get()), barBefore);
}

TEST_F(MenusTest, AppendItemNeedsAFolderTwoLevelsDeep) {
  const std::string item = T(ui::kAppendItem);
  struct Case {
    const char* folder;  // null: the host gives no text
    bool added;
  } cases[] = {
      {nullptr, false},
      {"", false},
      {"Inbox", false},
      {"1234abcd\\", false},
      {"1234abcd\\!!!!Inbox\\", true},
      {"a\\b\\c", true},
      {"box\\\x83\x5c", false},  // ソ ends in 0x5C but is one character
  };
  for (int type : {kMenuMessageView, kMenuEditor}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << (c.folder ? c.folder : "(null)") << " type " << type);
      g_registered.clear();
      g_currentFolder = c.folder ? c.folder : "";
      g_currentFolderPtr = c.folder ? g_currentFolder.c_str() : nullptr;
      UniqueMenu menu(::CreatePopupMenu());
      ::AppendMenuA(menu.get(), MF_STRING, 1, "&Copy");
      AddAppendItem(menu.get(), type);
      if (!c.added) {
        EXPECT_EQ(Describe(menu.get()), std::vector<std::string>{"&Copy"});
        EXPECT_TRUE(g_registered.empty());
        continue;
      }
      EXPECT_EQ(Describe(menu.get()), (std::vector<std::string>{"&Copy", "", item}));
      ASSERT_EQ(g_registered.size(), 1u);
      EXPECT_EQ(g_registered[0].comment, "AppendMemo");
      EXPECT_EQ(g_registered[0].target, type);
      EXPECT_EQ(g_registered[0].callback, &AppendMemoCommand);
      EXPECT_EQ(::GetMenuItemID(menu.get(), 2), static_cast<UINT>(kFirstCommandId));
      MENUITEMINFOW info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_CHECKMARKS;
      ASSERT_TRUE(::GetMenuItemInfoW(menu.get(), 2, TRUE, &info));
      EXPECT_EQ(info.hbmpUnchecked, nullptr);  // the context-menu item has no bitmap
    }
  }
}

TEST_F(MenusTest, AppendSelectionToMemoJoinsLines) {
  struct Case {
    std::string memo, selection, expected;
    bool changed;
  } cases[] = {
      {"abc", "xyz", "abc\r\nxyz", true},
      {"abc\r\n", "xyz", "abc\r\nxyz", true},
      {"", "xyz", "xyz", true},
      {"abc", "", "abc", false},
      {"", "", "", false},
  };
  HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.memo + "|" + c.selection);
    g_commands.clear();
    g_selection = c.selection;
    auto memo = MemoShowing(c.memo);
    EXPECT_EQ(AppendSelectionToMemo(window, *memo), c.changed);
    EXPECT_EQ(g_commands, std::vector<std::string>{"EditCopy"});
    EXPECT_EQ(memo->MemoText(), c.expected);
    EXPECT_EQ(memo->Store().Get(memo->Store().IndexOfAddress("a@x")) != nullptr,
              !c.expected.empty())
        << "stored like an edit";
    EXPECT_EQ(::IsWindowVisible(memo->Handle()) != FALSE, c.changed);
  }
}

TEST_F(MenusTest, CommandsReachTheMemoWindow) {
  std::unique_ptr<MemoWindow> previous = std::move(State().memoWindow);
  State().memoWindow = MemoShowing("abc");
  MemoWindow& memo = *State().memoWindow;
  g_selection = "xyz";
  AppendMemoCommand(nullptr, 0);
  EXPECT_EQ(memo.MemoText(), "abc\r\nxyz");
  memo.Hide();
  OpenMemoCommand(nullptr, 0);
  EXPECT_TRUE(::IsWindowVisible(memo.Handle()));
  State().memoWindow = std::move(previous);
  // Without a memo window the commands do nothing (and nothing reaches the caller).
  if (State().memoWindow == nullptr) {
    OpenMemoCommand(nullptr, 0);
    AppendMemoCommand(nullptr, 0);
  }
}

TEST_F(MenusTest, ClipboardTextIsReadUpToItsEnd) {
  for (const std::string& text : {std::string("plain"), std::string("two\r\nlines"),
                                  std::string("\x83\x5c\x95\x5c"), std::string()}) {
    SCOPED_TRACE(text);
    PutOnClipboard(text);
    EXPECT_EQ(ReadClipboardAnsi(), text);
  }
}

}  // namespace
}  // namespace pinote
