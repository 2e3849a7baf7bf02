// The 496-byte plug-in information record: name 80, vendor 80, version 80, description 256.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/code_page.h"

namespace pinote {

inline constexpr size_t kInfoNameOffset = 0, kInfoVendorOffset = 80, kInfoVersionOffset = 160,
                        kInfoDescriptionOffset = 240, kInfoRecordSize = 496;

// Writes the four zero-terminated texts (cut to fit their fields); bytes after each
// terminating zero are left as they were. `description` is in the ANSI code page `cp`, and is cut
// at a character boundary of it.
void FillPluginInfo(char* record, std::string_view description, const CodePage& cp) noexcept;

}  // namespace pinote
