// The memo-link judge on any line, in a code page the input picks, on a computer whose answers
// the input picks too, noting every question asked of it. Never is a share, a network drive or a
// namespace path asked about; what opens at once is an http, https or mailto address, or a path
// on a local drive; and what opens at once, judged again, opens at once unchanged: the form the
// judge hands the shell is one Windows leaves as it is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "forms/memo_link.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

class Computer final : public pinote::LinkSurroundings {
 public:
  explicit Computer(uint8_t salt) : salt_(salt) {}

  std::optional<std::string> FullPath(const std::string& path) override {
    if (salt_ & 0x80) return std::nullopt;
    if (!path.empty() && IsSeparator(path[0])) return "C:" + path;
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\" + path.substr(2);
    return ((salt_ & 0x40) ? "\\\\host\\share\\" : "C:\\cur\\") + path;
  }
  bool DriveIsLocal(char letter) override {
    const bool local = letter != 'Z' && letter != 'Y';
    if (local) localDrives.push_back(letter);
    return local;
  }
  Kind KindAt(const std::string& path) override {
    Asked(path);
    return static_cast<Kind>((std::hash<std::string>()(path) + salt_) % 4);
  }
  std::optional<std::string> ReadSmallFile(const std::string& path) override {
    Asked(path);
    if (salt_ & 0x20) return std::nullopt;
    return (salt_ & 0x10) ? "[InternetShortcut]\r\nURL=https://example.org/\r\n"
                          : "[.ShellClassInfo]\r\nCLSID={0}\r\n";
  }
  std::optional<std::string> Variable(std::string_view name) override {
    if (name == "A") return std::string("C:\\a");
    if (name == "B") return std::string("%A%");
    if (name == "U") return std::string("\\\\host\\share");
    return std::nullopt;
  }

  std::vector<char> localDrives;

 private:
  // Every path asked about lies on a drive said to be local: "X:\..." with X accepted.
  void Asked(const std::string& path) {
    Check(path.size() >= 3 && path[1] == ':' && IsSeparator(path[2]));
    bool accepted = false;
    for (const char d : localDrives) accepted = accepted || (path[0] & ~0x20) == d;
    Check(accepted);
  }

  uint8_t salt_;
};

bool IsWebOrMail(const std::string& target) {
  for (const char* scheme : {"http:", "https:", "mailto:"}) {
    const std::string s(scheme);
    if (target.size() < s.size()) continue;
    std::string head = target.substr(0, s.size());
    for (char& c : head) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (head == s) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pinote;
  if (size < 2) return 0;
  static const uint32_t kPages[] = {932, 936, 949, 950, 1252, 65001};
  const CodePage cp = CodePage::Known(kPages[data[0] % 6]);
  const std::string line(reinterpret_cast<const char*>(data + 2), size - 2);
  const auto link = ParseMemoLink(line);
  if (!link) return 0;
  Computer computer(data[1]);
  const LinkVerdict verdict = JudgeMemoLink(*link, cp, computer);
  if (verdict.risk != LinkRisk::kNone || verdict.open.target.empty()) return 0;
  Check(verdict.open.parameters.empty());
  const std::string& target = verdict.open.target;
  if (!IsWebOrMail(target)) {
    Check(target.size() >= 3 && target[1] == ':' && target[2] == '\\');
  }
  Computer again(data[1]);
  const LinkVerdict second = JudgeMemoLink(verdict.open, cp, again);
  Check(second.risk == LinkRisk::kNone);
  Check(second.open == verdict.open);
  return 0;
}
