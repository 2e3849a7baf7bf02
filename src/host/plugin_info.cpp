#include "host/plugin_info.h"

#include <cstring>

#include "common/mbtext.h"
#include "common/texts.h"

namespace pinote {

namespace {

// Copies `text` into the field with its terminating zero, cut at a character boundary so that
// no lone lead byte ends up before the zero. Bytes after the zero are not touched.
void PutField(char* field, size_t size, std::string_view text, const CodePage& cp) noexcept {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  size_t n = 0;
  while (n < text.size()) {
    const size_t step = cp.CharSize(text, n);
    if (n + step > size - 1) break;
    n += step;
  }
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

}  // namespace

void FillPluginInfo(char* record, std::string_view description, const CodePage& cp) noexcept {
  PutField(record + kInfoNameOffset, kInfoVendorOffset - kInfoNameOffset, kPluginName, cp);
  PutField(record + kInfoVendorOffset, kInfoVersionOffset - kInfoVendorOffset, kVendorText, cp);
  PutField(record + kInfoVersionOffset, kInfoDescriptionOffset - kInfoVersionOffset,
           kVersionText, cp);
  PutField(record + kInfoDescriptionOffset, kInfoRecordSize - kInfoDescriptionOffset,
           description, cp);
}

}  // namespace pinote
