// End-to-end harness: a fresh folder laid out like a Becky! installation (B2.exe, PlugIns\ with
// Pinote.dll, mails, optional memo data and settings), one scripted run of the stand-in host
// and its log. Files are read back byte for byte.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Windows form of a path given by the build (Unix paths become Z:\...).
std::wstring WinPath(const std::string& path);
std::wstring BuildDir();   // ends with "\"
std::wstring SourceDir();  // ends with "\"
std::string ReadBytes(const std::wstring& path, bool* exists = nullptr);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// Every file below `dir` (ending with "\"), as paths relative to it, sorted.
std::vector<std::wstring> FilesBelow(const std::wstring& dir);
// The log's quoted form of a text: "..." with \\ \" \r \n \t escaped.
std::string Quoted(const std::string& text);

struct RunResult {
  std::vector<std::string> lines;  // the log, one event per line (UTF-8)
  bool timed_out = false;
  DWORD exit_code = 0;
  bool Has(const std::string& needle) const;            // any line contains it
  int Count(const std::string& prefix) const;           // lines starting with it
  std::vector<std::string> Starting(const std::string& prefix) const;
  std::string First(const std::string& prefix) const;   // "" when none
  std::string Text() const;                             // all lines, for failure output
};

class Installation {
 public:
  // A fresh folder named after `name` in the temp folder; with `folder`, the installation lies in
  // a folder of that name inside it (the folder above() then holds nothing else).
  explicit Installation(const std::string& name, const std::wstring& folder = L"");
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  const std::wstring& dir() const { return dir_; }  // ends with "\"
  const std::wstring& above() const { return above_; }  // ends with "\"
  std::wstring PluginDir() const { return dir_ + L"PlugIns\\"; }
  // What the hosts started here take for the user's local application data (ends with "\").
  std::wstring LocalData() const;

  void UseLackingHost();   // B2.exe without one entry point
  void AddOtherPlugin();   // OtherPlugin.dll beside Pinote.dll
  void AddSampleMemoData();        // data/sample/Pinote.dat into PlugIns
  void AddSampleNameList();        // meibo.dat beside B2.exe, its Z:\ path in Pinote.ini
  void WriteSettings(const std::string& bytes);  // PlugIns\Pinote.ini
  void Write(const std::wstring& relative, const std::string& bytes);
  std::string Read(const std::wstring& relative, bool* exists = nullptr) const;

  // Called with B2.exe's process id while it is still suspended, before it runs any code
  // (names that embed the host's process id can be laid out in time).
  void OnStarted(std::function<void(DWORD pid)> hook) { on_started_ = std::move(hook); }

  // Runs B2.exe with the script (one command a line) and returns its log.
  RunResult Run(const std::string& script, const std::wstring& extra_args = L"",
                DWORD timeout_ms = 90000);

  // A host started and not yet waited for.
  struct Started {
    HANDLE process = nullptr;  // null when it could not be started
    std::wstring log;
    std::string failure;       // why it could not be started
  };
  // Starts B2.exe with the script and returns at once. `tag` names its script and log files
  // (script-TAG.txt, log-TAG.txt), so several hosts can run on one installation at a time.
  Started Start(const std::string& script, const std::string& tag,
                const std::wstring& extra_args = L"");
  // Waits for a started host (ending it after `timeout_ms`) and returns its log.
  RunResult Finish(Started started, DWORD timeout_ms = 90000);

 private:
  std::wstring above_, dir_;
  std::function<void(DWORD)> on_started_;
};

}  // namespace e2e
