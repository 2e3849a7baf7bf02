// The real file seam (POSIX natively, the Win32 ANSI API under Wine) on a scratch folder.
#include "common/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace pinote {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("pinote-fileio-" + std::to_string(rd()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir_, ec)) {
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path dir_;
  FileSystem& sys_ = SystemFileSystem();
};

TEST_F(FileIoTest, WriteThenReadKeepsEveryByte) {
  std::string data;
  for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
  data += "\r\n\n\r\x1A tail";  // no text-mode translation, no stop at Ctrl-Z
  const std::string p = Path("Pinote.ini");
  sys_.WriteAllSafely(p, data);
  EXPECT_EQ(sys_.ReadAll(p), data);
  sys_.WriteAllSafely(p, "short");
  EXPECT_EQ(sys_.ReadAll(p), "short");
  sys_.WriteAllSafely(p, "");
  EXPECT_EQ(sys_.ReadAll(p), "");
  EXPECT_EQ(Names(), std::vector<std::string>{"Pinote.ini"});  // no temporary file left
}

TEST_F(FileIoTest, ExistsMeansAFile) {
  const std::string p = Path("a.dat");
  EXPECT_FALSE(sys_.Exists(p));
  sys_.WriteAllSafely(p, "x");
  EXPECT_TRUE(sys_.Exists(p));
  fs::create_directory(dir_ / "folder");
  EXPECT_FALSE(sys_.Exists(Path("folder")));
  EXPECT_FALSE(sys_.Exists(""));
}

TEST_F(FileIoTest, ReadingAMissingFileThrowsWithPath) {
  const std::string p = Path("missing.dat");
  try {
    (void)sys_.ReadAll(p);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(e.path(), p);
    EXPECT_FALSE(e.systemMessage().empty());
  }
  EXPECT_THROW((void)sys_.ReadAll(dir_.string()), FileError);  // a folder is no file
}

TEST_F(FileIoTest, FailedWriteLeavesNothingBehind) {
  const std::string p = (dir_ / "no-such-folder" / "Pinote.dat").string();
  try {
    sys_.WriteAllSafely(p, "data");
    FAIL() << "write into a missing folder succeeded";
  } catch (const FileError& e) {
    EXPECT_EQ(e.path(), p);
  }
  EXPECT_TRUE(Names().empty());
  fs::create_directory(dir_ / "sub");
  EXPECT_THROW(sys_.WriteAllSafely(Path("sub"), "data"), FileError);  // a folder as target
  EXPECT_EQ(Names(), std::vector<std::string>{"sub"});
}

TEST_F(FileIoTest, ReadOnlyTargetIsRefusedAndKept) {
  const std::string p = Path("Pinote.dat");
  sys_.WriteAllSafely(p, "old content");
  fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
#ifndef _WIN32
  // Root ignores permission bits, and so does access(); the missing-folder case above covers
  // the failure path then. On Windows the read-only attribute is always honoured.
  if (::access(p.c_str(), W_OK) == 0) {
    GTEST_SKIP() << "running with rights that ignore the read-only mark";
  }
#endif
  EXPECT_THROW(sys_.WriteAllSafely(p, "new content"), FileError);
  EXPECT_EQ(Slurp(p), "old content");
  EXPECT_EQ(Names(), std::vector<std::string>{"Pinote.dat"});
}

TEST_F(FileIoTest, PiecesAreWrittenInOrderAsOneFile) {
  // Pieces of every size around the gathering buffer and the system's batch limits, empty ones
  // among them, and more pieces than one call of the system takes.
  std::mt19937 rng(3);
  const size_t sizes[] = {0, 1, 2, 100, 65535, 65536, 65537, 200000};
  std::string expected;
  std::vector<std::string> owned;
  for (int i = 0; i < 3000; ++i) {
    const size_t size = i % 50 == 0 ? sizes[rng() % std::size(sizes)] : rng() % 40;
    std::string piece(size, '\0');
    for (char& c : piece) c = static_cast<char>(rng());
    expected += piece;
    owned.push_back(std::move(piece));
  }
  const std::vector<std::string_view> pieces(owned.begin(), owned.end());
  const std::string p = Path("Pinote.dat");
  sys_.WriteAllSafely(p, "old");
  sys_.WritePiecesSafely(p, pieces);
  EXPECT_TRUE(Slurp(p) == expected) << Slurp(p).size() << " bytes, " << expected.size();
  EXPECT_TRUE(sys_.ReadAll(p) == expected);
  sys_.WritePiecesSafely(p, {});
  EXPECT_EQ(sys_.ReadAll(p), "");
  sys_.WritePiecesSafely(p, {"", "a", "", "bc", ""});
  EXPECT_EQ(sys_.ReadAll(p), "abc");
  // A last-write time asked for is the file's, to the 100 ns (as these machines' disks keep it).
  const int64_t mark = sys_.Now() - 12345;
  sys_.WritePiecesSafely(p, {"x"}, std::string(), mark);
  EXPECT_EQ(sys_.Stat(p).writeTime, mark);
  EXPECT_EQ(Names(), std::vector<std::string>{"Pinote.dat"});
  EXPECT_THROW(sys_.WritePiecesSafely(Path("missing/x.dat"), {"a"}), FileError);
}

TEST_F(FileIoTest, RenameNeverReplaces) {
  const std::string a = Path("Pinotedat"), b = Path("Pinote.dat");
  sys_.WriteAllSafely(a, "legacy");
  sys_.Rename(a, b);
  EXPECT_FALSE(sys_.Exists(a));
  EXPECT_EQ(sys_.ReadAll(b), "legacy");
  sys_.WriteAllSafely(a, "other");
  EXPECT_THROW(sys_.Rename(a, b), FileError);
  EXPECT_EQ(sys_.ReadAll(a), "other");
  EXPECT_EQ(sys_.ReadAll(b), "legacy");
  EXPECT_THROW(sys_.Rename(Path("missing"), Path("x")), FileError);
}

TEST_F(FileIoTest, StatTellsFilesApartByOneCall) {
  const std::string p = Path("Pinote.dat");
  EXPECT_FALSE(sys_.Stat(p).exists);
  fs::create_directory(dir_ / "folder");
  EXPECT_FALSE(sys_.Stat(Path("folder")).exists);
  sys_.WriteAllSafely(p, "12345");
  const FileStamp first = sys_.Stat(p);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first.size, 5u);
  // The time is in file-time units and on the system's clock.
  EXPECT_LT(std::abs(sys_.Now() - first.writeTime), 600 * kFileTimeSecond);
  EXPECT_EQ(sys_.Stat(p), first);
  sys_.WriteAllSafely(p, "123456");
  EXPECT_NE(sys_.Stat(p), first);
  EXPECT_GT(sys_.ClockTick(), 0);
  const SettingDate local = sys_.LocalTime(first.writeTime);
  EXPECT_GE(local.year, 2020);
  EXPECT_TRUE(local.month >= 1 && local.month <= 12 && local.day >= 1 && local.day <= 31);
}

TEST_F(FileIoTest, FoldersAreListedMadeAndFilesMovedIntoThem) {
  // Byte strings in the system code page, past std::filesystem's own conversions. (A second
  // byte 5C is a folder mark where that code page is not 932, so this name has none.)
  const std::string base = dir_.string() + "/", japanese = "\x83\x81\x83\x82 (1).dat";
  sys_.WriteAllSafely(base + "Pinote.dat", "a");
  sys_.WriteAllSafely(base + japanese, "b");
  sys_.CreateFolder(base + "Pinote.merged");
  sys_.CreateFolder(base + "Pinote.merged");  // there already: nothing
  std::vector<std::string> listed = sys_.ListFiles(base);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"Pinote.dat", japanese}));
  const std::string moved = base + "Pinote.merged/" + japanese;
  sys_.Rename(base + japanese, moved);
  EXPECT_EQ(sys_.ReadAll(moved), "b");
  sys_.Remove(moved);
  EXPECT_FALSE(sys_.Exists(moved));
  EXPECT_THROW(sys_.Remove(moved), FileError);
  EXPECT_THROW((void)sys_.ListFiles(Path("missing") + "/"), FileError);
}

TEST_F(FileIoTest, ReplaceKeepsTheOldFileWhenAsked) {
  const std::string p = Path("Pinote.dat"), bak = Path("Pinote.dat.20240501.bak");
  sys_.WriteAllSafely(p, "old");
#ifndef _WIN32
  fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  sys_.WritePiecesSafely(p, {"ne", "w"}, bak);
  EXPECT_EQ(sys_.ReadAll(p), "new");
  EXPECT_EQ(sys_.ReadAll(bak), "old");
#ifndef _WIN32
  EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  sys_.WritePiecesSafely(Path("new.dat"), {"x"}, Path("new.dat.bak"));  // nothing old to keep
  EXPECT_FALSE(sys_.Exists(Path("new.dat.bak")));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Pinote.dat", "Pinote.dat.20240501.bak", "new.dat"}));
}

TEST_F(FileIoTest, LockIsOneHoldersAndNeverStale) {
  const std::string lockPath = Path("Pinote.dat.lock");
  // Left behind by a process that ended without letting go: taken at once.
  sys_.WriteAllSafely(lockPath, "");
  std::unique_ptr<FileLock> held = sys_.Lock(lockPath, 0);
  ASSERT_NE(held, nullptr);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(sys_.Lock(lockPath, 50), nullptr);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  held.reset();
  EXPECT_FALSE(sys_.Exists(lockPath));
  held = sys_.Lock(lockPath, 0);
  EXPECT_NE(held, nullptr);
  EXPECT_THROW((void)sys_.Lock(Path("missing") + "/x.lock", 0), FileError);
}

}  // namespace
}  // namespace pinote
