#include "host/menu_rules.h"

#include "common/mbtext.h"

namespace pinote {

bool BeginsWithAny(std::string_view text, const std::vector<std::string>& prefixes) {
  for (const std::string& p : prefixes) {
    if (!p.empty() && text.substr(0, p.size()) == p) return true;
  }
  return false;
}

int FindFirstBeginning(const std::vector<std::string>& texts,
                       const std::vector<std::string>& prefixes) {
  for (size_t i = 0; i < texts.size(); ++i) {
    if (BeginsWithAny(texts[i], prefixes)) return static_cast<int>(i);
  }
  return -1;
}

int HelpMenuIndex(const std::vector<std::string>& barTexts, const MenuMarks& marks) {
  const int found = FindFirstBeginning(barTexts, marks.helpMenu);
  return found >= 0 ? found : static_cast<int>(barTexts.size()) - 1;
}

int PositionAfterAbout(const std::vector<std::string>& helpTexts, const MenuMarks& marks) {
  const int about = FindFirstBeginning(helpTexts, marks.aboutItem);
  return about >= 0 ? about + 1 : static_cast<int>(helpTexts.size());
}

int AboutSubmenuPosition(const std::vector<std::string>& helpTexts, const MenuMarks& marks) {
  int pos = PositionAfterAbout(helpTexts, marks);
  if (pos < static_cast<int>(helpTexts.size()) &&
      BeginsWithAny(helpTexts[static_cast<size_t>(pos)], marks.helpSubmenu)) {
    ++pos;
  }
  return pos;
}

ToolGroupScan ScanToolGroup(const std::vector<std::string>& toolTexts, std::string_view label) {
  const std::vector<std::string> labels{std::string(label)};
  int emptyBelow = -1;
  for (int i = static_cast<int>(toolTexts.size()) - 1; i >= 0; --i) {
    const std::string& text = toolTexts[static_cast<size_t>(i)];
    if (BeginsWithAny(text, labels)) return ToolGroupScan{true, emptyBelow};
    if (text.empty()) emptyBelow = i;
  }
  return ToolGroupScan{};
}

int LastLabelIndex(const std::vector<std::string>& toolTexts, std::string_view label) {
  const std::vector<std::string> labels{std::string(label)};
  for (int i = static_cast<int>(toolTexts.size()) - 1; i >= 0; --i) {
    if (BeginsWithAny(toolTexts[static_cast<size_t>(i)], labels)) return i;
  }
  return -1;
}

int CountBackslashes(std::string_view folder, const CodePage& cp) {
  int count = 0;
  const int n = MbLength(folder, cp);
  for (int i = 1; i <= n; ++i) {
    if (MbCopy(folder, i, 1, cp) == "\\") ++count;
  }
  return count;
}

std::string AppendSelection(std::string_view memo, std::string_view selection) {
  std::string result(memo);
  if (selection.empty()) return result;
  if (!result.empty() && result.back() != '\r' && result.back() != '\n') result += "\r\n";
  result += selection;
  return result;
}

}  // namespace pinote
