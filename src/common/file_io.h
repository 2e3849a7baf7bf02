// The one seam between the core and the file system: whole-file read, safe whole-file write,
// existence and rename. Paths are ANSI byte strings. Every failure throws FileError carrying
// the path and the system's message; nothing is swallowed.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pinote {

class FileError : public std::runtime_error {
 public:
  FileError(std::string path, std::string systemMessage)
      : std::runtime_error(path + ": " + systemMessage),
        path_(std::move(path)),
        message_(std::move(systemMessage)) {}
  [[nodiscard]] const std::string& path() const noexcept { return path_; }
  [[nodiscard]] const std::string& systemMessage() const noexcept { return message_; }

 private:
  std::string path_;
  std::string message_;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Whole content of the file; throws FileError when it exists but cannot be read.
  [[nodiscard]] virtual std::string ReadAll(const std::string& path) = 0;
  // Replaces the file's content in one step: writes a temporary file beside it, flushes it and
  // renames it over the old one. On failure the old file is intact and FileError is thrown.
  virtual void WriteAllSafely(const std::string& path, std::string_view data) = 0;
  // WriteAllSafely of the pieces joined in order, without joining them in memory first where the
  // platform can write them one after the other into the temporary file. No piece ("" content)
  // writes an empty file. This default joins them and calls WriteAllSafely.
  virtual void WritePiecesSafely(const std::string& path,
                                 const std::vector<std::string_view>& pieces);
  // True when a file (not a folder) exists at `path`. "" gives false.
  [[nodiscard]] virtual bool Exists(const std::string& path) = 0;
  // Renames `from` to `to` (not replacing an existing `to`); throws FileError on failure.
  virtual void Rename(const std::string& from, const std::string& to) = 0;
};

// The platform's implementation (POSIX natively, the Win32 ANSI API on Windows).
[[nodiscard]] FileSystem& SystemFileSystem();

}  // namespace pinote
