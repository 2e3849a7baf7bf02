// Settings file text -> store -> every kind of read, writes, save, reload: the reloaded store
// must read back what was written and keep the entries it did not touch.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../tests/core/fake_file_system.h"
#include "common/mbtext.h"
#include "common/settings.h"
#include "common/text_lines.h"

namespace {

const std::string kDll = "C:\\P\\Pinote.dll";
const std::string kIni = "C:\\P\\Pinote.ini";

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pinote;
  const std::string text(reinterpret_cast<const char*>(data), size);
  pinote::testing::FakeFileSystem fs;
  fs.files[kIni] = text;
  const CodePage cp = CodePage::ShiftJis();
  SettingsStore store(fs, [] { return kDll; }, cp);
  store.Load();

  // Every line becomes one entry, parsed character-wise.
  const auto lines = SplitLines(text);
  Check(store.Entries().size() == lines.size());

  // Read each key with every kind; a read never throws, a String that unescapes reads as is.
  for (size_t i = 0; i < store.Entries().size() && i < 32; ++i) {
    const SettingEntry e = store.Entries()[i];
    Check(e.lookupKey == UpperAnsi(e.keyText, cp));
    const int slash = MbPos("\\", e.keyText, cp);
    if (slash == 0) continue;
    const std::string section = MbCopy(e.keyText, 1, slash - 1, cp);
    const std::string key = MbCopy(e.keyText, slash + 1, kMbRest, cp);
    (void)store.Read(section, key, SettingValue());
    (void)store.ReadBool(section, key, true);
    (void)store.ReadInt(section, key, 7);
    (void)store.ReadString(section, key, "d");
  }

  // Values of each kind, taken from the input, written under fresh keys.
  const std::string s = text.substr(0, 64);
  const int32_t n = size >= 4 ? static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                                     static_cast<uint32_t>(data[3]) << 24)
                              : 0;
  const double f = static_cast<double>(n) / 8.0;  // exact within 15 digits
  const SettingDate d{1900 + (n & 1023), 1 + (n >> 10 & 7), 1 + (n >> 13 & 15),
                      n >> 17 & 15, n >> 21 & 31, n >> 26 & 31};
  store.Write("Fuzz\\Kinds", "S", s);
  store.Write("Fuzz\\Kinds", "I", n);
  store.Write("Fuzz\\Kinds", "B", (n & 1) != 0);
  store.Write("Fuzz\\Kinds", "F", f);
  store.Write("Fuzz\\Kinds", "D", d);
  store.Write("Fuzz\\Kinds", "Gone", int32_t{1});
  store.Write("fuzz\\kinds", "GONE", SettingValue());
  const auto before = store.Entries();
  (void)store.Save();

  SettingsStore again(fs, [] { return kDll; }, cp);
  again.Load();
  Check(again.ReadString("Fuzz\\Kinds", "S", "") == s);
  Check(again.ReadInt("Fuzz\\Kinds", "I", 0) == n);
  Check(again.ReadBool("Fuzz\\Kinds", "B", false) == ((n & 1) != 0));
  const SettingValue fv = again.Read("Fuzz\\Kinds", "F", SettingValue());
  Check(std::holds_alternative<double>(fv) && std::get<double>(fv) == f);
  const SettingValue dv = again.Read("Fuzz\\Kinds", "D", SettingValue());
  Check(std::holds_alternative<SettingDate>(dv) && std::get<SettingDate>(dv) == d);
  Check(std::holds_alternative<std::monostate>(again.Read("Fuzz\\Kinds", "Gone", SettingValue())));

  // Entries come back as they were saved, except where a saved key text holds a line break
  // or a separator inside it (those cannot survive a line-based file).
  bool plain = true;
  for (const auto& e : before) {
    if (e.keyText.find_first_of("\r\n=") != std::string::npos || e.typeName.find(':') !=
        std::string::npos || e.typeName.find_first_of("\r\n") != std::string::npos ||
        e.valueText.find_first_of("\r\n") != std::string::npos ||
        e.keyText.find('\0') != std::string::npos || e.typeName.find('\0') != std::string::npos ||
        e.valueText.find('\0') != std::string::npos ||
        (!e.keyText.empty() && cp.IsLeadByte(static_cast<unsigned char>(e.keyText.back()))) ||
        (!e.typeName.empty() && cp.IsLeadByte(static_cast<unsigned char>(e.typeName.back())))) {
      plain = false;
    }
  }
  if (plain) {
    Check(again.Entries().size() == before.size());
    for (size_t i = 0; i < before.size(); ++i) {
      Check(again.Entries()[i].keyText == before[i].keyText);
      Check(again.Entries()[i].typeName == before[i].typeName);
      Check(again.Entries()[i].valueText == before[i].valueText);
    }
  }

  // Escaping round trip on the raw input.
  const auto back = UnescapeText(EscapeText(text, cp), cp);
  Check(back.has_value() && *back == text);
  return 0;
}
