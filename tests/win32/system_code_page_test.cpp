// What the Win32 layer reads from the system for the core: the ANSI code page with its lead bytes
// (1252 without any under LANG=C.UTF-8, 932 with Shift-JIS's under ja_JP.UTF-8), and the
// surroundings a memo link is judged in.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/win32/text.h"
#include "forms/win32/memo_link_question.h"

namespace pinote {
namespace {

TEST(SystemCodePage, IsTheAnsiCodePageWithTheLeadBytesTheSystemGivesIt) {
  EXPECT_EQ(SystemCodePage().Number(), ::GetACP());
  EXPECT_EQ(SystemCodePage(), CodePage::Known(::GetACP()));
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    EXPECT_EQ(SystemCodePage().IsLeadByte(byte), ::IsDBCSLeadByte(byte) != FALSE) << b;
  }
}

TEST(SystemLinkSurroundings, AnswersFromTheFileSystemAndTheEnvironment) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"pinote-link-surroundings";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = folder + L"\\a.txt";
  ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  SystemLinkSurroundings s;
  using Kind = LinkSurroundings::Kind;
  EXPECT_EQ(s.KindAt(Narrow(folder)), Kind::kFolder);
  EXPECT_EQ(s.KindAt(Narrow(file)), Kind::kFile);
  EXPECT_EQ(s.KindAt(Narrow(folder + L"\\missing.txt")), Kind::kNothing);
  EXPECT_EQ(s.KindAt(Narrow(folder + L"\\missing\\a.txt")), Kind::kNothing);
  EXPECT_EQ(s.ReadSmallFile(Narrow(file)), std::string());
  EXPECT_EQ(s.ReadSmallFile(Narrow(folder + L"\\missing.txt")), std::nullopt);
  EXPECT_TRUE(s.DriveIsLocal(static_cast<char>(temp[0])));
  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(s.FullPath("x\\a.txt"), Narrow(std::wstring(current) + L"\\x\\a.txt"));
  ::SetEnvironmentVariableW(L"PINOTE_LINK_TEST", L"C:\\x");
  EXPECT_EQ(s.Variable("pinote_link_test"), "C:\\x");
  EXPECT_EQ(s.Variable("PINOTE_LINK_NOT_SET"), std::nullopt);
  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace pinote
