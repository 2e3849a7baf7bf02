// The From-header extractors and the X-Mailer-Plugin stamp on any bytes: no crash, results are
// pieces of the input, stamping is idempotent and keeps the other entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/mbtext.h"
#include "common/texts.h"
#include "host/mail_header.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pinote;
  // The host hands over zero-terminated text.
  std::string from(reinterpret_cast<const char*>(data), size);
  from.resize(from.find('\0') == std::string::npos ? from.size() : from.find('\0'));

  const CodePage cp = CodePage::ShiftJis();
  const std::string address = ExtractAddress(from, cp);
  const std::string name = ExtractSenderName(from, cp);
  Check(from.find(address) != std::string::npos);
  Check(from.find(name) != std::string::npos);
  Check(address == std::string(TrimControls(address)));
  Check(name.size() <= from.size());
  // Extracting again from the extracted address changes nothing unless a layer remains.
  const std::string twice = ExtractAddress(address, cp);
  Check(twice.size() <= address.size());

  const std::string entry = std::string(kPluginName) + " " + kVersionText;
  const std::string once = StampedMailerPlugin(from);
  Check(StampedMailerPlugin(once) == once);
  Check(once.find(entry) != std::string::npos);
  const size_t ours = from.find(std::string(kPluginName) + " Ver.");
  if (ours == std::string::npos) {
    Check(once == (from.empty() ? entry : from + ",\r\n\t" + entry));
  } else {
    // Everything before our old entry, and from the comma after it, is kept.
    Check(once.compare(0, ours, from, 0, ours) == 0);
    const size_t comma = from.find(',', ours);
    const std::string tail = comma == std::string::npos ? "" : from.substr(comma);
    Check(once.size() >= tail.size() &&
          once.compare(once.size() - tail.size(), tail.size(), tail) == 0);
  }
  (void)HeaderMayBeTruncated(from, 2047);
  return 0;
}
