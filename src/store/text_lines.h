// Line splitting for the store's large files (Pinote.dat, the name list): the same lines as the
// settings reader gives (breaks at CR LF, CR or LF; a NUL ends the text; a final break makes no
// extra line), found with a plain byte loop and one reservation.
#pragma once

#include <string_view>
#include <vector>

namespace pinote {

// The lines of `text` as views into it; "" gives no line.
[[nodiscard]] std::vector<std::string_view> SplitStoreLines(std::string_view text);

}  // namespace pinote
