// The library as a program that is no host sees it, the handle owners, the text conversions and the plug-in's own path (the issue of Japanese folder names).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/mbtext.h"
#include "common/paths.h"
#include "common/win32/handles.h"
#include "common/win32/module_paths.h"
#include "common/win32/text.h"
#include "host/win32/host_api.h"

namespace pinote {
namespace {

// Pinote.dll is built next to this test program; without it the export tests are skipped.
std::wstring LibraryPath() {
  wchar_t exe[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path(exe);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"Pinote.dll";
}

template <class Fn>
Fn Export(HMODULE m, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m, name)));
}

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // This process is no "B2.exe": binding fails silently and the library stays unbound.
    module_.reset(::LoadLibraryW(LibraryPath().c_str()));
    if (!module_) GTEST_SKIP() << "Pinote.dll not built next to the tests";
  }
  UniqueModule module_;
};

TEST_F(LibraryTest, UnboundLibraryAddsNothingAndReturnsFixedValues) {
  UniqueMenu bar(::CreateMenu());
  HMENU help = ::CreatePopupMenu();
  ::AppendMenuW(help, MF_STRING, 1, L"&About \"Becky!\"");
  ::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
  auto menuInit = Export<BKC_OnMenuInit_t>(module_.get(), "BKC_OnMenuInit");
  ASSERT_NE(menuInit, nullptr);
  for (int type : {0, 3, 4, 7, -1}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(menuInit(nullptr, bar.get(), type), 0);
    EXPECT_EQ(::GetMenuItemCount(bar.get()), 1);
    EXPECT_EQ(::GetMenuItemCount(help), 1);
  }
  EXPECT_EQ(Export<BKC_OnStart_t>(module_.get(), "BKC_OnStart")(), 0);
  EXPECT_EQ(Export<BKC_OnOpenMail_t>(module_.get(), "BKC_OnOpenMail")("1"), 0);
  EXPECT_EQ(Export<BKC_OnOutgoing_t>(module_.get(), "BKC_OnOutgoing")(nullptr, 0), 0);
  EXPECT_EQ(Export<BKC_OnExit_t>(module_.get(), "BKC_OnExit")(), 0);
  // No memo window was created in this process (the Wine desktop may hold other programs').
  for (HWND w = ::FindWindowExW(nullptr, nullptr, L"PinoteMemoWindow", nullptr); w != nullptr;
       w = ::FindWindowExW(nullptr, w, L"PinoteMemoWindow", nullptr)) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    EXPECT_NE(pid, ::GetCurrentProcessId());
  }
}

// A handle type whose frees are counted, to check the owner's bookkeeping.
std::vector<int> g_freed;
struct CountingTraits {
  static int Invalid() noexcept { return 0; }
  static void Free(int h) noexcept { g_freed.push_back(h); }
};
using Counted = UniqueHandle<int, CountingTraits>;

TEST(UniqueHandle, FreesExactlyOnceWhateverTheMoves) {
  g_freed.clear();
  {
    Counted a(1);
    Counted b(std::move(a));
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(b.get(), 1);
    Counted c(2);
    c = std::move(b);  // frees 2, takes 1
    EXPECT_EQ(g_freed, std::vector<int>{2});
    c = std::move(c);  // self-move keeps it
    EXPECT_EQ(c.get(), 1);
    c.reset(3);  // frees 1
    c.reset(3);  // same handle: not freed
    int raw = c.release();
    EXPECT_EQ(raw, 3);
    Counted empty;
    EXPECT_FALSE(empty);
  }
  EXPECT_EQ(g_freed, (std::vector<int>{2, 1}));
}

TEST(TextConversion, RoundTripsAndEdges) {
  struct Case {
    std::string ansi;
    std::wstring wide;
  };
  const Case cases[] = {{"", L""}, {"abc@example.com", L"abc@example.com"},
                        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)}};
  for (const Case& c : cases) {
    EXPECT_EQ(Widen(c.ansi), c.wide);
    EXPECT_EQ(Narrow(c.wide), c.ansi);
  }
  EXPECT_EQ(Utf8("\xE6\x97\xA5\xE6\x9C\xAC"), L"\u65E5\u672C");
  EXPECT_EQ(Utf8ToAnsi("Memo Plugin"), "Memo Plugin");
  EXPECT_EQ(Tr(UiText{"\xE6\x97\xA5", "en"}), IsJapanese() ? L"\u65E5" : L"en");
  // A character the code page has no form for: no exact ANSI text.
  EXPECT_EQ(NarrowExactly(L"plain"), std::optional<std::string>("plain"));
  EXPECT_EQ(NarrowExactly(L"\u0101\u4E00\u0E01"), std::nullopt);
}

// A folder of its own under the temp folder, made through the wide API so that any name can be
// laid out whatever the code page; its ANSI path ends with "\".
std::string FreshFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name + L"\\";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return Narrow(folder);
}

void Touch(const std::string& ansiPath) {
  UniqueKernelHandle f(::CreateFileA(ansiPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                     nullptr));
}

TEST(StoredNamesOf, StoredLetterCaseOrThePathAsTheSystemGaveIt) {
  const std::string folder = FreshFolder(L"pinote-stored-names");
  Touch(folder + "MixedCase.Dll");
  const std::string hidden = folder + "Hidden\\";
  ::CreateDirectoryA(hidden.c_str(), nullptr);
  Touch(hidden + "Inside.dll");
  ::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  struct Case {
    std::string in, out;
  } cases[] = {
      {UpperAnsi(folder, SystemCodePage()) + "MIXEDCASE.DLL", folder + "MixedCase.Dll"},
      // Not resolvable: the hidden folder on the way, a file that is not there. The system's own
      // name is taken as it is rather than a shorter path.
      {hidden + "INSIDE.DLL", hidden + "INSIDE.DLL"},
      {folder + "Missing.dll", folder + "Missing.dll"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    // Folder names above the test's own may be stored in another case than the temp path has.
    const std::string got = StoredNamesOf(c.in);
    EXPECT_EQ(_stricmp(got.c_str(), c.out.c_str()), 0) << got;
    if (!c.out.empty()) EXPECT_EQ(got.substr(folder.size()), c.out.substr(folder.size()));
  }
  ::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Under code page 932: 表, ソ and 能 end in 0x5C, the byte of "\"; a byte-wise cut loses the
// folder and with it the plug-in's files.
TEST(StoredNamesOf, JapaneseFolderNames) {
  if (::GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  const std::string folder = FreshFolder(L"\u8868\u30BD\u80FD");
  ASSERT_EQ(folder.substr(folder.size() - 7), "\x95\x5C\x83\x5C\x94\x5C\\");
  Touch(folder + "Pinote.dll");
  EXPECT_EQ(StoredNamesOf(folder + "PINOTE.DLL").substr(folder.size()), "Pinote.dll");
  EXPECT_EQ(StoredNamesOf(folder + "PINOTE.DLL").substr(0, folder.size()).size(), folder.size());
}

TEST(ModuleAnsiPath, TheProgramAsTheSystemNamesItWithItsFolder) {
  wchar_t exe[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  EXPECT_EQ(Widen(ModuleAnsiPath(nullptr)), exe);
  EXPECT_EQ(ModuleAnsiPath(PluginInstance()), ModuleAnsiPath(nullptr)) << "tests link the layer in";
  EXPECT_EQ(_wcsicmp(Widen(HostExePath()).c_str(), exe), 0) << HostExePath();
  EXPECT_EQ(HostFolder(), FolderOf(HostExePath(), SystemCodePage()));
}

// The code page read from the system at load: 1252 without lead bytes under LANG=C.UTF-8, 932
// with Shift-JIS's under ja_JP.UTF-8 (win32_tests_ja).
TEST(SystemCodePage, IsTheAnsiCodePageWithTheLeadBytesTheSystemGivesIt) {
  EXPECT_EQ(SystemCodePage(), CodePage::Known(::GetACP()));
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    EXPECT_EQ(SystemCodePage().IsLeadByte(byte), ::IsDBCSLeadByte(byte) != FALSE) << b;
  }
}

}  // namespace
}  // namespace pinote
