#include "common/options.h"

namespace pinote {

bool Read(SettingsStore& store, const Setting<bool>& key) {
  return store.ReadBool(key.section, key.key, key.fallback);
}
int32_t Read(SettingsStore& store, const Setting<int32_t>& key) {
  return store.ReadInt(key.section, key.key, key.fallback);
}
std::string Read(SettingsStore& store, const Setting<const char*>& key) {
  return store.ReadString(key.section, key.key, key.fallback);
}
AppearRule Read(SettingsStore& store, const Setting<AppearRule>& key) {
  return static_cast<AppearRule>(
      store.ReadInt(key.section, key.key, static_cast<int32_t>(key.fallback)));
}
DisappearRule Read(SettingsStore& store, const Setting<DisappearRule>& key) {
  return static_cast<DisappearRule>(
      store.ReadInt(key.section, key.key, static_cast<int32_t>(key.fallback)));
}

void Write(SettingsStore& store, const Setting<bool>& key, bool value) {
  store.Write(key.section, key.key, SettingValue(value));
}
void Write(SettingsStore& store, const Setting<int32_t>& key, int32_t value) {
  store.Write(key.section, key.key, SettingValue(value));
}
void Write(SettingsStore& store, const Setting<const char*>& key, std::string_view value) {
  store.Write(key.section, key.key, SettingValue(std::string(value)));
}
void Write(SettingsStore& store, const Setting<AppearRule>& key, AppearRule value) {
  store.Write(key.section, key.key, SettingValue(static_cast<int32_t>(value)));
}
void Write(SettingsStore& store, const Setting<DisappearRule>& key, DisappearRule value) {
  store.Write(key.section, key.key, SettingValue(static_cast<int32_t>(value)));
}

namespace {

struct Style {
  const char* key;
  bool StoredFont::*flag;
};
constexpr Style kStyles[] = {{"Bold", &StoredFont::bold},
                             {"Italic", &StoredFont::italic},
                             {"Underline", &StoredFont::underline},
                             {"Strikeout", &StoredFont::strikeout}};

// A stored number inside [low, high], else `current` (as a number that does not convert).
int32_t InRange(SettingsStore& store, const std::string& section, const char* key,
                int32_t current, int32_t low, int32_t high) {
  const int32_t v = store.ReadInt(section, key, current);
  return v >= low && v <= high ? v : current;
}

}  // namespace

StoredFont DefaultFont(bool japanese) {
  StoredFont font;
  font.charset = japanese ? 128 : 0;
  return font;
}

std::string FontSection(std::string_view section, bool japanese) {
  return std::string(section) + (japanese ? "\\Font\\Japanese" : "\\Font\\English");
}

StoredFont ReadFont(SettingsStore& store, std::string_view section, bool japanese,
                    const StoredFont& current) {
  const std::string s = FontSection(section, japanese);
  if (store.ReadString(s, "Name", "").empty()) return DefaultFont(japanese);
  StoredFont font = current;
  font.name = store.ReadString(s, "Name", current.name);
  // Out-of-range numbers would make the system pick something arbitrary.
  font.charset = InRange(store, s, "Charset", current.charset, 0, 255);
  font.size = InRange(store, s, "Size", current.size, 1, 1638);
  font.color = static_cast<uint32_t>(store.ReadInt(s, "Color", static_cast<int32_t>(current.color)));
  font.pitch = InRange(store, s, "Pitch", current.pitch, 0, 2);
  for (const Style& style : kStyles) {
    // Two reads tell "stored true", "stored false" and "absent or unreadable" apart.
    if (store.ReadBool(s, style.key, false)) {
      font.*style.flag = true;
    } else if (!store.ReadBool(s, style.key, true)) {
      font.*style.flag = false;
    }
  }
  return font;
}

void WriteFont(SettingsStore& store, std::string_view section, bool japanese,
               const StoredFont& font) {
  const std::string s = FontSection(section, japanese);
  store.Write(s, "Name", SettingValue(font.name));
  store.Write(s, "Charset", SettingValue(font.charset));
  store.Write(s, "Size", SettingValue(font.size));
  store.Write(s, "Color", SettingValue(static_cast<int32_t>(font.color)));
  store.Write(s, "Pitch", SettingValue(font.pitch));
  for (const Style& style : kStyles) store.Write(s, style.key, SettingValue(font.*style.flag));
}

StoredPlacement ReadPlacement(SettingsStore& store, std::string_view section,
                              const StoredPlacement& current, bool resizable) {
  StoredPlacement p = current;
  p.left = store.ReadInt(section, "Left", current.left);
  p.top = store.ReadInt(section, "Top", current.top);
  if (resizable) {
    p.width = store.ReadInt(section, "Width", current.width);
    p.height = store.ReadInt(section, "Height", current.height);
  }
  const std::string state = store.ReadString(section, "State", "Normal");
  p.state = state == "Maximized"   ? WindowState::Maximized
            : state == "Minimized" ? WindowState::Minimized
                                   : WindowState::Normal;
  return p;
}

void WritePlacement(SettingsStore& store, std::string_view section, const StoredPlacement& p,
                    bool resizable) {
  if (resizable) {
    store.Write(section, "Width", SettingValue(p.width));
    store.Write(section, "Height", SettingValue(p.height));
  }
  store.Write(section, "Left", SettingValue(p.left));
  store.Write(section, "Top", SettingValue(p.top));
  const char* state = p.state == WindowState::Maximized   ? "Maximized"
                      : p.state == WindowState::Minimized ? "Minimized"
                                                          : "Normal";
  store.Write(section, "State", SettingValue(std::string(state)));
}

int32_t KeepOnScreen(int32_t position, int32_t size, int32_t screen) noexcept {
  if (position > screen - size) position = screen - size;
  return position < 0 ? 0 : position;
}

Options ReadOptions(SettingsStore& store, bool japanese) {
  Options o;
  o.alwaysTop = Read(store, keys::kAlwaysTop);
  o.showImportance = Read(store, keys::kShowImportance);
  o.showSender = Read(store, keys::kShowSender);
  o.showAddress = Read(store, keys::kShowAddress);
  o.showOtherAddresses = Read(store, keys::kShowOtherAddresses);
  o.memoFont = ReadFont(store, sections::kMemoFont, japanese, DefaultFont(japanese));
  o.memoColor = static_cast<uint32_t>(Read(store, keys::kMemoColor));
  o.appearOnStart = Read(store, keys::kAppearOnStart);
  o.appear = Read(store, keys::kAppearRule);
  o.disappear = Read(store, keys::kDisappearRule);
  o.nameListPath = Read(store, keys::kNameListPath);
  return o;
}

void WriteOptions(SettingsStore& store, bool japanese, const Options& o) {
  Write(store, keys::kAlwaysTop, o.alwaysTop);
  Write(store, keys::kShowImportance, o.showImportance);
  Write(store, keys::kShowSender, o.showSender);
  Write(store, keys::kShowAddress, o.showAddress);
  Write(store, keys::kShowOtherAddresses, o.showOtherAddresses);
  WriteFont(store, sections::kMemoFont, japanese, o.memoFont);
  Write(store, keys::kMemoColor, static_cast<int32_t>(o.memoColor));
  Write(store, keys::kAppearOnStart, o.appearOnStart);
  Write(store, keys::kAppearRule, o.appear);
  Write(store, keys::kDisappearRule, o.disappear);
  Write(store, keys::kNameListPath, o.nameListPath);
}

}  // namespace pinote
