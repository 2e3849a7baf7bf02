#include "common/options.h"

namespace pinote {

namespace {

// The keys of a font group (<section>\Font\<language>\...) and of a placement group
// (<section>\...).
constexpr char kName[] = "Name", kCharset[] = "Charset", kSize[] = "Size", kColor[] = "Color",
               kPitch[] = "Pitch";
constexpr char kLeft[] = "Left", kTop[] = "Top", kWidth[] = "Width", kHeight[] = "Height",
               kState[] = "State";
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
                    const StoredFont& defaultFont) {
  const std::string s = FontSection(section, japanese);
  StoredFont font = defaultFont;
  font.name = store.ReadString(s, kName, "");
  if (font.name.empty()) return defaultFont;
  // Out-of-range numbers would make the system pick something arbitrary.
  font.charset = InRange(store, s, kCharset, font.charset, 0, 255);
  font.size = InRange(store, s, kSize, font.size, 1, 1638);
  font.color = static_cast<uint32_t>(store.ReadInt(s, kColor, static_cast<int32_t>(font.color)));
  font.pitch = InRange(store, s, kPitch, font.pitch, 0, 2);
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
  store.Write(s, kName, SettingValue(font.name));
  store.Write(s, kCharset, SettingValue(font.charset));
  store.Write(s, kSize, SettingValue(font.size));
  store.Write(s, kColor, SettingValue(static_cast<int32_t>(font.color)));
  store.Write(s, kPitch, SettingValue(font.pitch));
  for (const Style& style : kStyles) store.Write(s, style.key, SettingValue(font.*style.flag));
}

StoredPlacement ReadPlacement(SettingsStore& store, std::string_view section,
                              const StoredPlacement& current, bool resizable) {
  StoredPlacement p = current;
  p.left = store.ReadInt(section, kLeft, current.left);
  p.top = store.ReadInt(section, kTop, current.top);
  if (resizable) {
    p.width = store.ReadInt(section, kWidth, current.width);
    p.height = store.ReadInt(section, kHeight, current.height);
  }
  const std::string state = store.ReadString(section, kState, "Normal");
  p.state = state == "Maximized"   ? WindowState::Maximized
            : state == "Minimized" ? WindowState::Minimized
                                   : WindowState::Normal;
  return p;
}

void WritePlacement(SettingsStore& store, std::string_view section, const StoredPlacement& p,
                    bool resizable) {
  if (resizable) {
    store.Write(section, kWidth, SettingValue(p.width));
    store.Write(section, kHeight, SettingValue(p.height));
  }
  store.Write(section, kLeft, SettingValue(p.left));
  store.Write(section, kTop, SettingValue(p.top));
  const char* state = p.state == WindowState::Maximized   ? "Maximized"
                      : p.state == WindowState::Minimized ? "Minimized"
                                                          : "Normal";
  store.Write(section, kState, SettingValue(std::string(state)));
}

int32_t KeepOnScreen(int32_t position, int32_t size, int32_t screen) noexcept {
  if (position > screen - size) position = screen - size;
  return position < 0 ? 0 : position;
}

Options ReadOptions(SettingsStore& store, bool japanese, const StoredFont& defaultFont) {
  Options o;
  ForEachOption([&](const auto& row) {
    if constexpr (std::is_same_v<std::decay_t<decltype(row)>, Option<StoredFont>>) {
      o.*row.field = ReadFont(store, row.section, japanese, defaultFont);
    } else {
      o.*row.field = ReadValue(store, row);
    }
  });
  return o;
}

void WriteOptions(SettingsStore& store, bool japanese, const Options& o) {
  ForEachOption([&](const auto& row) {
    if (row.control == 0) return;
    if constexpr (std::is_same_v<std::decay_t<decltype(row)>, Option<StoredFont>>) {
      WriteFont(store, row.section, japanese, o.*row.field);
    } else {
      WriteValue(store, row, o.*row.field);
    }
  });
}

}  // namespace pinote
