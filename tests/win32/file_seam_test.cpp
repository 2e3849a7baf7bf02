// What the file seam keeps of a file it replaces, on the real Win32 API: the attributes the user
// gave it, and the lock file that nobody sees and nobody inherits.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/file_io.h"

namespace pinote {
namespace {

class FileSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "pinote-seam-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(dir_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const char* name : {"Pinote.dat", "Pinote.dat.bak"}) {
      const std::string p = dir_ + name;
      ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(p.c_str());
    }
    ::RemoveDirectoryA(dir_.c_str());
  }
  std::string dir_;
  FileSystem& sys_ = SystemFileSystem();
};

TEST_F(FileSeamTest, ReplaceKeepsTheAttributesTheUserSet) {
  const std::string p = dir_ + "Pinote.dat", bak = dir_ + "Pinote.dat.bak";
  sys_.WriteAllSafely(p, "old");
  ASSERT_TRUE(::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  sys_.WritePiecesSafely(p, {"new"}, bak);
  EXPECT_EQ(::GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(::GetFileAttributesA(bak.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(sys_.ReadAll(p), "new");
  EXPECT_EQ(sys_.ReadAll(bak), "old");
}

TEST_F(FileSeamTest, LockFileIsHiddenAndGoesWithItsHolder) {
  const std::string lockPath = dir_ + "Pinote.dat.lock";
  {
    const std::unique_ptr<FileLock> lock = sys_.Lock(lockPath, 0);
    ASSERT_NE(lock, nullptr);
    EXPECT_NE(::GetFileAttributesA(lockPath.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    // Another process opening it meets the same sharing violation as this second open.
    EXPECT_EQ(::CreateFileA(lockPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
  }
  EXPECT_EQ(::GetFileAttributesA(lockPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace pinote
