// The bytes of one record exactly as Save writes them (AppendRecordBytes): its address lines,
// "@Important" when it is marked, its memo lines (each after a space), then the empty line that
// closes it; every line ends in CR LF and holds no other CR or LF. The store keeps most records
// as such bytes alone and reads them from there when they are asked for.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "common/mbtext.h"
#include "store/memo_store.h"

namespace pinote {

inline constexpr std::string_view kImportantLine = "@Important";

struct ExactBlock {
  std::string_view addressLines;  // every address line, CR LF included
  size_t addressCount = 0;        // how many lines addressLines holds
  bool important = false;
  std::string_view memoLines;  // every memo line, its space and CR LF included
};

// Calls fn(line) for every line of `lines`, each of which ends in CR LF.
template <typename Fn>
void ForEachCrLfLine(std::string_view lines, Fn&& fn) {
  size_t begin = 0;
  while (begin < lines.size()) {
    const size_t end = FindByte(lines, '\r', begin);
    fn(lines.substr(begin, end - begin));
    begin = end + 2;
  }
}

// The parts of `block`, which holds one record's bytes as described above; "" has none.
[[nodiscard]] inline ExactBlock SplitExactBlock(std::string_view block) noexcept {
  ExactBlock parts;
  size_t at = 0;
  // Address lines start with neither a space nor "@", and the closing line is empty.
  while (at < block.size() && block[at] != ' ' && block[at] != '@' && block[at] != '\r') {
    at = std::min(FindByte(block, '\r', at) + 2, block.size());
    ++parts.addressCount;
  }
  parts.addressLines = block.substr(0, at);
  if (at < block.size() && block[at] == '@') {
    parts.important = true;
    at = std::min(at + kImportantLine.size() + 2, block.size());
  }
  const size_t end = block.size() >= at + 2 ? block.size() - 2 : at;  // before the empty line
  parts.memoLines = block.substr(at, end - at);
  return parts;
}

// The record that `block` holds (without name-list text).
[[nodiscard]] inline std::unique_ptr<Person> PersonOfBlock(std::string_view block) {
  auto p = std::make_unique<Person>();
  const ExactBlock parts = SplitExactBlock(block);
  p->addresses.reserve(parts.addressCount);
  ForEachCrLfLine(parts.addressLines, [&p](std::string_view a) { p->addresses.emplace_back(a); });
  p->important = parts.important;
  // The memo is its lines without their leading spaces.
  p->memo.reserve(parts.memoLines.size());
  ForEachCrLfLine(parts.memoLines, [&p](std::string_view line) {
    if (!line.empty()) p->memo.append(line.substr(1));
    p->memo += "\r\n";
  });
  return p;
}

}  // namespace pinote
