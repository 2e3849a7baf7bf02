// Where this PC keeps its own records of the shared files (common/pc_record.h): under the user's
// local application data, which no sync tool carries to another PC.
#pragma once

#include <string>

namespace pinote {

// "<local application data>\Quillet\" in the system code page; "" when there is none or its
// path cannot be written in the code page (the records are then kept in memory only).
[[nodiscard]] std::string PcRecordFolder();

}  // namespace pinote
