// The host's mail store: an account root, an Inbox made of the .eml files of the mail folder and
// one sub-folder of the Inbox per sub-directory. Mails are kept as the bytes on disk so that the
// header calls hand plug-ins exactly what a real host would (folding and encoded words intact).
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#include "b2.h"

namespace b2 {
namespace {

bool StartsWithNoCase(const std::string& s, size_t at, const std::string& prefix) {
  if (s.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[at + i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

size_t LineEnd(const std::string& s, size_t at) {
  size_t e = s.find('\n', at);
  return e == std::string::npos ? s.size() : e + 1;
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string data;
  char buf[8192];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
  CloseHandle(f);
  return data;
}

std::vector<std::wstring> List(const std::wstring& pattern, bool dirs) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    bool is_dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring n = fd.cFileName;
    if (is_dir == dirs && n != L"." && n != L"..") names.push_back(n);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

void LoadMails(Folder& folder) {
  for (const std::wstring& name : List(folder.dir + L"*.eml", false)) {
    Mail m;
    m.file = folder.dir + name;
    m.raw = ReadFileBytes(m.file);
    folder.mails.push_back(std::move(m));
  }
}

UINT CodePageOf(const std::string& charset_text) {
  std::string c;
  for (char ch : charset_text) c += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (c.find("shift_jis") != std::string::npos || c.find("sjis") != std::string::npos ||
      c.find("x-sjis") != std::string::npos)
    return 932;
  if (c.find("iso-2022-jp") != std::string::npos) return 50220;
  if (c.find("utf-8") != std::string::npos) return CP_UTF8;
  return CP_ACP;
}

std::wstring Decode(UINT cp, const std::string& bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return Wide(AnsiToUtf8(bytes));
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
  return w;
}

std::string Base64(const std::string& in) {
  static const std::string chars =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  int val = 0, bits = -8;
  for (char c : in) {
    size_t p = chars.find(c);
    if (p == std::string::npos) continue;
    val = (val << 6) + static_cast<int>(p);
    bits += 6;
    if (bits >= 0) {
      out += static_cast<char>((val >> bits) & 0xFF);
      bits -= 8;
    }
  }
  return out;
}

}  // namespace

// Encoded words (=?charset?B|Q?text?=) decoded for the list and the view; the plug-ins get the
// raw header instead.
std::wstring DecodeHeaderForDisplay(const std::string& folded, UINT fallback_cp) {
  std::string raw;  // unfolded: a line break before a blank is dropped
  for (size_t k = 0; k < folded.size(); ++k) {
    if ((folded[k] == '\r' || folded[k] == '\n') && k + 1 < folded.size() &&
        (folded[k + 1] == '\n' || folded[k + 1] == ' ' || folded[k + 1] == '\t'))
      continue;
    raw += folded[k];
  }
  std::wstring out;
  size_t i = 0;
  while (i < raw.size()) {
    size_t s = raw.find("=?", i);
    if (s == std::string::npos) break;
    size_t q1 = raw.find('?', s + 2);
    size_t q2 = q1 == std::string::npos ? q1 : raw.find('?', q1 + 1);
    size_t e = q2 == std::string::npos ? q2 : raw.find("?=", q2 + 1);
    if (e == std::string::npos) break;
    std::string between = raw.substr(i, s - i);
    if (between.find_first_not_of(" \t\r\n") != std::string::npos || i == 0)
      out += Decode(fallback_cp, between);
    std::string cs = raw.substr(s + 2, q1 - s - 2);
    char enc = static_cast<char>(std::toupper(static_cast<unsigned char>(raw[q1 + 1])));
    std::string text = raw.substr(q2 + 1, e - q2 - 1), bytes;
    if (enc == 'B') {
      bytes = Base64(text);
    } else {
      for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '_') bytes += ' ';
        else if (text[k] == '=' && k + 2 < text.size()) {
          bytes += static_cast<char>(std::stoi(text.substr(k + 1, 2), nullptr, 16));
          k += 2;
        } else bytes += text[k];
      }
    }
    out += Decode(CodePageOf(cs), bytes);
    i = e + 2;
  }
  out += Decode(fallback_cp, raw.substr(std::min(i, raw.size())));
  return out;
}

std::string Mail::Header(const std::string& name) const {
  size_t at = 0;
  while (at < raw.size()) {
    size_t end = LineEnd(raw, at);
    if (raw[at] == '\r' || raw[at] == '\n') break;  // end of the header block
    if (StartsWithNoCase(raw, at, name) && at + name.size() < raw.size() &&
        raw[at + name.size()] == ':') {
      size_t v = at + name.size() + 1;
      while (v < raw.size() && (raw[v] == ' ' || raw[v] == '\t')) ++v;
      // Continuation lines (starting with a blank) belong to the value, folding kept.
      while (end < raw.size() && (raw[end] == ' ' || raw[end] == '\t')) end = LineEnd(raw, end);
      std::string value = raw.substr(v, end - v);
      while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
      return value;
    }
    at = end;
  }
  return {};
}

UINT Mail::CodePage() const { return CodePageOf(Header("Content-Type")); }

std::wstring Mail::Display() const {
  UINT cp = CodePage();
  size_t body = raw.find("\r\n\r\n");
  size_t skip = 4;
  if (body == std::string::npos) {
    body = raw.find("\n\n");
    skip = 2;
  }
  std::wstring text;
  for (const char* h : {"From", "To", "Subject", "Date"}) {
    std::string v = Header(h);
    if (!v.empty()) text += Wide(h) + L": " + DecodeHeaderForDisplay(v, cp) + L"\n";
  }
  text += L"\n";
  if (body != std::string::npos) text += Decode(cp, raw.substr(body + skip));
  std::wstring crlf;  // the edit control wants CR LF
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) crlf += L'\r';
    crlf += text[i];
  }
  return crlf;
}

std::vector<Folder>& Folders() {
  static std::vector<Folder> folders;
  return folders;
}

void LoadMailFolders() {
  auto& folders = Folders();
  folders.clear();
  folders.push_back({"1234abcd.mb\\", L"Account", L"", {}});
  folders.push_back({"1234abcd.mb\\!!!!Inbox\\", L"Inbox", Opt().mail_folder, {}});
  for (const std::wstring& sub : List(Opt().mail_folder + L"*", true))
    folders.push_back({"1234abcd.mb\\!!!!Inbox\\" + Utf8ToAnsi(Utf8(sub)) + "\\", sub,
                       Opt().mail_folder + sub + L"\\", {}});
  for (Folder& f : folders)
    if (!f.dir.empty()) LoadMails(f);
}

}  // namespace b2
