// What a memo line names for opening: free text, then "!", then a file, folder, link or a program
// with its arguments, e.g. "manual ! "C:\Program Files\Viewer\view.exe" -r notes.txt".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pinote {

struct MemoLink {
  std::string target;      // file, program or link to open ("" when the line ends in "!")
  std::string parameters;  // arguments for a program ("" for none)

  friend bool operator==(const MemoLink& a, const MemoLink& b) {
    return a.target == b.target && a.parameters == b.parameters;
  }
};

// The link of a memo line: the trimmed text after its last "!", split into a target and its
// parameters. A leading double quote encloses the target (an unclosed one takes the whole rest
// and gives no parameters); otherwise the first space ends the target. nullopt when the line has
// no "!".
[[nodiscard]] std::optional<MemoLink> ParseMemoLink(std::string_view line);

}  // namespace pinote
