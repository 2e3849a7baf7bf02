// Where a caret stays when a box's text is replaced by another version of it (the memo merged
// with another writer's change): on the same characters.
#pragma once

#include <cstddef>
#include <string_view>

namespace pinote {

// The position in `after` of what stood at `position` in `before`: in the part both share at
// the start it stays, in the part they share at the end it moves with it, inside the part that
// changed it goes to the end of what replaced it there. Positions count UTF-16 units.
[[nodiscard]] size_t KeptPosition(std::wstring_view before, std::wstring_view after,
                                  size_t position) noexcept;

}  // namespace pinote
