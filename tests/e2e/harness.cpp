#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace e2e {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::wstring WithSlash(std::wstring p) {
  if (!p.empty() && p.back() != L'\\') p += L'\\';
  return p;
}

void CopyOrFail(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
    fwprintf(stderr, L"e2e: cannot copy %ls to %ls (%lu)\n", from.c_str(), to.c_str(),
             GetLastError());
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((from + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring n = fd.cFileName;
    if (n == L"." || n == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyTree(from + n + L"\\", to + n + L"\\");
    else CopyOrFail(from + n, to + n);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring n = fd.cFileName;
      if (n == L"." || n == L"..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(dir + n + L"\\");
      else DeleteFileW((dir + n).c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

}  // namespace

std::wstring WinPath(const std::string& path) {
  std::wstring w = Wide(path);
  if (!w.empty() && w[0] == L'/') w = L"Z:" + w;
  for (auto& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

std::wstring BuildDir() { return WithSlash(WinPath(PINOTE_BUILD_DIR)); }
std::wstring SourceDir() { return WithSlash(WinPath(PINOTE_SOURCE_DIR)); }

std::string ReadBytes(const std::wstring& path, bool* exists) {
  std::string data;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (exists) *exists = f != nullptr;
  if (!f) return data;
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
  fclose(f);
  return data;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
  }
}

std::string Quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out + "\"";
}

bool RunResult::Has(const std::string& needle) const {
  for (const auto& l : lines)
    if (l.find(needle) != std::string::npos) return true;
  return false;
}

int RunResult::Count(const std::string& prefix) const {
  return static_cast<int>(Starting(prefix).size());
}

std::vector<std::string> RunResult::Starting(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& l : lines)
    if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
  return out;
}

std::string RunResult::First(const std::string& prefix) const {
  auto all = Starting(prefix);
  return all.empty() ? std::string() : all.front();
}

std::string RunResult::Text() const {
  std::string t;
  for (const auto& l : lines) t += l + "\n";
  return t;
}

Installation::Installation(const std::string& name, const std::wstring& folder) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  above_ = WithSlash(tmp) + L"b2e2e-" + Wide(name) + L"-" +
           std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L"\\";
  dir_ = folder.empty() ? above_ : above_ + folder + L"\\";
  CreateDirectoryW(above_.c_str(), nullptr);
  CreateDirectoryW(dir_.c_str(), nullptr);
  CreateDirectoryW(PluginDir().c_str(), nullptr);
  CopyOrFail(BuildDir() + L"B2.exe", dir_ + L"B2.exe");
  CopyOrFail(BuildDir() + L"Pinote.dll", PluginDir() + L"Pinote.dll");
  CopyTree(SourceDir() + L"data\\sample\\Mail\\", dir_ + L"Mail\\");
}

std::wstring Installation::LocalData() const {
  return above_.substr(0, above_.size() - 1) + L"-local\\";
}

Installation::~Installation() {
  if (!GetEnvironmentVariableW(L"B2E2E_KEEP", nullptr, 0)) {
    RemoveTree(above_);
    RemoveTree(LocalData());
  }
}

std::vector<std::wstring> FilesBelow(const std::wstring& dir) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    const std::wstring n = fd.cFileName;
    if (n == L"." || n == L"..") continue;
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      files.push_back(n);
      continue;
    }
    for (const std::wstring& f : FilesBelow(dir + n + L"\\")) files.push_back(n + L"\\" + f);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(files.begin(), files.end());
  return files;
}

void Installation::UseLackingHost() {
  CopyOrFail(BuildDir() + L"lacking\\B2.exe", dir_ + L"B2.exe");
}

void Installation::AddOtherPlugin() {
  CopyOrFail(BuildDir() + L"OtherPlugin.dll", PluginDir() + L"OtherPlugin.dll");
}

void Installation::AddSampleMemoData() {
  CopyOrFail(SourceDir() + L"data\\sample\\Pinote.dat", PluginDir() + L"Pinote.dat");
}

void Installation::AddSampleNameList() {
  CopyOrFail(SourceDir() + L"data\\sample\\meibo.dat", dir_ + L"meibo.dat");
  std::string ini = ReadBytes(SourceDir() + L"data\\sample\\Pinote.ini");
  std::string key = "Meibo\\Path=String:";
  size_t at = ini.find(key);
  int n = WideCharToMultiByte(CP_ACP, 0, dir_.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi_dir(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, dir_.c_str(), -1, ansi_dir.data(), n, nullptr, nullptr);
  if (at != std::string::npos) {
    size_t end = ini.find("\r\n", at);
    ini.replace(at, end - at, key + ansi_dir + "meibo.dat");
  }
  WriteSettings(ini);
}

void Installation::WriteSettings(const std::string& bytes) {
  WriteBytes(PluginDir() + L"Pinote.ini", bytes);
}

void Installation::Write(const std::wstring& relative, const std::string& bytes) {
  WriteBytes(dir_ + relative, bytes);
}

std::string Installation::Read(const std::wstring& relative, bool* exists) const {
  return ReadBytes(dir_ + relative, exists);
}

RunResult Installation::Run(const std::string& script, const std::wstring& extra_args,
                            DWORD timeout_ms) {
  return Finish(Start(script, "", extra_args), timeout_ms);
}

Installation::Started Installation::Start(const std::string& script, const std::string& tag,
                                          const std::wstring& extra_args) {
  const std::wstring suffix = tag.empty() ? L"" : L"-" + Wide(tag);
  const std::wstring script_file = dir_ + L"script" + suffix + L".txt";
  Started started;
  started.log = dir_ + L"log" + suffix + L".txt";
  WriteBytes(script_file, script);
  DeleteFileW(started.log.c_str());
  std::wstring cmd = L"\"" + dir_ + L"B2.exe\" /script:\"" + script_file + L"\" /log:\"" +
                     started.log + L"\" " + extra_args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // What the plug-in keeps of this PC's own changes goes with the installation, so that no
  // test sees another's (hosts started on one installation share it, as on one PC); beside the
  // installation's folder, as the user's local data lies apart from Becky!'s.
  CreateDirectoryW(LocalData().c_str(), nullptr);
  SetEnvironmentVariableW(L"LOCALAPPDATA", LocalData().c_str());
  const DWORD flags = on_started_ ? CREATE_SUSPENDED : 0;
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, flags, nullptr, dir_.c_str(),
                      &si, &pi)) {
    started.failure = "harness: CreateProcess failed " + std::to_string(GetLastError());
    return started;
  }
  if (on_started_) {
    on_started_(pi.dwProcessId);
    ResumeThread(pi.hThread);
  }
  CloseHandle(pi.hThread);
  started.process = pi.hProcess;
  return started;
}

RunResult Installation::Finish(Started started, DWORD timeout_ms) {
  RunResult result;
  if (started.process == nullptr) {
    result.lines.push_back(started.failure);
    return result;
  }
  if (WaitForSingleObject(started.process, timeout_ms) != WAIT_OBJECT_0) {
    result.timed_out = true;
    TerminateProcess(started.process, 99);
    WaitForSingleObject(started.process, 5000);
  }
  GetExitCodeProcess(started.process, &result.exit_code);
  CloseHandle(started.process);
  std::string log = ReadBytes(started.log);
  size_t at = 0;
  while (at < log.size()) {
    size_t nl = log.find('\n', at);
    if (nl == std::string::npos) nl = log.size();
    result.lines.push_back(log.substr(at, nl - at));
    at = nl + 1;
  }
  // A fault the host detected (e.g. a plug-in call that left the stack unbalanced) fails the
  // test whatever else it checks.
  for (const std::string& line : result.Starting("fault "))
    ADD_FAILURE() << "the host reports: " << line;
  return result;
}

}  // namespace e2e
