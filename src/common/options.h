// Every Pinote.ini key the plug-in uses: the options table (one row per setting that the
// windows follow, driving reading, writing and the options dialog) and the per-window key groups
// for fonts (per language) and window placements. Windows and dialogs go through these, never
// through literal keys.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "common/option_controls.h"
#include "common/settings.h"

namespace pinote {

// When the memo window appears on opening a mail (Show\Load). A stored number outside 0..3 is
// kept as read: it means "never" for the window and "no choice" in the options dialog.
enum class AppearRule : int32_t { Always = 0, IfMemo = 1, IfImportantMemo = 2, Never = 3 };
// When it disappears (Hide\Load); other numbers likewise.
enum class DisappearRule : int32_t { Never = 0, IfNoMemo = 1, IfNoImportantMemo = 2, Always = 3 };

// The system colours that stored colours name with the top bit set.
inline constexpr uint32_t kWindowBackgroundColor = 0x80000005;
inline constexpr uint32_t kWindowTextColor = 0x80000008;

// The windows' sections: their font keys (<section>\Font\<language>\...) and placement keys
// (<section>\Left...), and the unify dialog's own settings. Of the fonts only the memo font (the
// options table's) is written; the dialogs' fonts are only read.
namespace sections {
inline constexpr char kMemoWindow[] = "MainForm";
inline constexpr char kOptionsDialog[] = "SetupForm";
inline constexpr char kUnifyDialog[] = "UnifyForm";
inline constexpr char kAboutDialog[] = "AboutForm";
inline constexpr char kHistoryDialog[] = "HistoryForm";
}  // namespace sections

// A font as stored: Name (ANSI; "" = the language's default face of texts.h, where the code
// page cannot spell it),
// Charset 0..255, Size in points, Color (top bit: system colour), Pitch 0 default / 1 variable /
// 2 fixed, and the four styles.
struct StoredFont {
  std::string name;
  int32_t charset = 0;
  int32_t size = 9;
  uint32_t color = kWindowTextColor;
  int32_t pitch = 0;
  bool bold = false, italic = false, underline = false, strikeout = false;

  friend bool operator==(const StoredFont& a, const StoredFont& b) {
    return a.name == b.name && a.charset == b.charset && a.size == b.size &&
           a.color == b.color && a.pitch == b.pitch && a.bold == b.bold &&
           a.italic == b.italic && a.underline == b.underline && a.strikeout == b.strikeout;
  }
};

// The language's default font: 9 points, charset 128 (Japanese) or 0, window text, its face the
// caller's to fill in the code page's spelling (name "").
[[nodiscard]] StoredFont DefaultFont(bool japanese);
// `section` + "\Font\Japanese" or "\Font\English".
[[nodiscard]] std::string FontSection(std::string_view section, bool japanese);
// The font stored for the language: no Name (or an empty one) gives `defaultFont` and nothing
// else is read. Otherwise each key is read with `defaultFont`'s value as default; a number out
// of range keeps it too, and a style changes only when stored True or False.
[[nodiscard]] StoredFont ReadFont(SettingsStore& store, std::string_view section, bool japanese,
                                  const StoredFont& defaultFont);
// Writes Name, Charset, Size, Color, Pitch, Bold, Italic, Underline, Strikeout in that order.
void WriteFont(SettingsStore& store, std::string_view section, bool japanese,
               const StoredFont& font);

// A window's placement as stored: the normal rectangle in work-area coordinates and the state.
enum class WindowState { Normal, Minimized, Maximized };
struct StoredPlacement {
  int32_t left = 0, top = 0, width = 0, height = 0;
  WindowState state = WindowState::Normal;
};
// Left and Top, and Width and Height when `resizable`, each with `current`'s value as default;
// State compared exactly ("Maximized", "Minimized"; anything else is Normal).
[[nodiscard]] StoredPlacement ReadPlacement(SettingsStore& store, std::string_view section,
                                            const StoredPlacement& current, bool resizable);
// Writes Width and Height (only when `resizable`), Left, Top and State, in that order.
void WritePlacement(SettingsStore& store, std::string_view section, const StoredPlacement& p,
                    bool resizable);
// A window edge kept on a screen of `screen` pixels: at most screen - size, then at least 0
// (so a window larger than the screen starts at 0).
[[nodiscard]] int32_t KeepOnScreen(int32_t position, int32_t size, int32_t screen) noexcept;

// What the options table fills: the options that the options dialog edits and the memo window
// follows, and what the windows keep of their own.
struct Options {
  bool alwaysTop = false;
  bool showImportance = false, showSender = false, showAddress = false, showOtherAddresses = false;
  StoredFont memoFont;
  uint32_t memoColor = 0;
  bool appearOnStart = false;
  AppearRule appear = AppearRule::Always;
  DisappearRule disappear = DisappearRule::Never;
  std::string nameListPath;
  int32_t nameListHeight = 0;    // the memo window's name-list box, in pixels
  int32_t addressListWidth = 0;  // the unify dialog's address list, in pixels
  std::string keywordHistory;    // the unify dialog's keywords, one a line
};

// One row of the options table: where the setting is stored, what a read gives when it is
// absent or unreadable, the field it fills and the options dialog's control that shows it (0:
// none; a rule names its group's first radio). Booleans are stored as Boolean, texts as String,
// numbers, colours and rules as Integer, the font as the font keys of its section (WriteFont).
template <class T>
struct Option {
  std::string_view section, key;
  T fallback;
  T Options::*field;
  int control;
};

// The table, in the order of a new Pinote.ini: the options dialog's OK writes its rows (those
// with a control) in this order. The font's row reads the language's default font as its
// fallback, which the caller gives (ReadOptions).
inline const auto& OptionTable() {
  static const auto table = std::make_tuple(
      Option<bool>{"Memo", "AlwaysTop", false, &Options::alwaysTop, IDC_ALWAYS_TOP_CHECK},
      Option<bool>{"Importance", "Visible", true, &Options::showImportance,
                   IDC_SHOW_IMPORTANCE_CHECK},
      Option<bool>{"Sender", "Visible", true, &Options::showSender, IDC_SHOW_SENDER_CHECK},
      Option<bool>{"Address", "Visible", true, &Options::showAddress, IDC_SHOW_ADDRESS_CHECK},
      Option<bool>{"OtherAddress", "Visible", true, &Options::showOtherAddresses,
                   IDC_SHOW_OTHER_ADDRESS_CHECK},
      Option<StoredFont>{"Memo", "Font", StoredFont{}, &Options::memoFont, IDC_FONT_SAMPLE},
      Option<uint32_t>{"Memo", "Color", kWindowBackgroundColor, &Options::memoColor,
                       IDC_FONT_SAMPLE},
      Option<bool>{"Show", "Start", false, &Options::appearOnStart, IDC_APPEAR_ON_START_CHECK},
      Option<AppearRule>{"Show", "Load", AppearRule::IfMemo, &Options::appear,
                         IDC_APPEAR_ALWAYS_RADIO},
      Option<DisappearRule>{"Hide", "Load", DisappearRule::IfNoMemo, &Options::disappear,
                            IDC_DISAPPEAR_NEVER_RADIO},
      Option<std::string>{"Meibo", "Path", "", &Options::nameListPath, IDC_NAME_LIST_PATH_EDIT},
      // Kept by the windows as they change, never by the dialog; the defaults are the design
      // sizes.
      Option<int32_t>{"Meibo", "Height", 70, &Options::nameListHeight, 0},
      Option<int32_t>{sections::kUnifyDialog, "ListWidth", 124, &Options::addressListWidth, 0},
      Option<std::string>{sections::kUnifyDialog, "Keyword", "", &Options::keywordHistory, 0});
  return table;
}

// Calls `f` with every row of the table, in its order.
template <class F>
void ForEachOption(F&& f) {
  std::apply([&](const auto&... row) { (f(row), ...); }, OptionTable());
}

// The row that fills `field`; throws for a field without one.
template <class T>
[[nodiscard]] const Option<T>& OptionOf(T Options::*field) {
  const Option<T>* found = nullptr;
  ForEachOption([&](const auto& row) {
    if constexpr (std::is_same_v<std::decay_t<decltype(row)>, Option<T>>) {
      if (row.field == field) found = &row;
    }
  });
  if (found == nullptr) throw std::logic_error("an option without a row in the options table");
  return *found;
}

// A row's stored value, or its fallback when it is absent or does not convert (a stored value
// of another kind is converted where it can be: SettingsStore::ReadBool...). Not for the font.
template <class T>
[[nodiscard]] T ReadValue(SettingsStore& store, const Option<T>& row) {
  if constexpr (std::is_same_v<T, bool>) {
    return store.ReadBool(row.section, row.key, row.fallback);
  } else if constexpr (std::is_same_v<T, std::string>) {
    return store.ReadString(row.section, row.key, row.fallback);
  } else {
    return static_cast<T>(store.ReadInt(row.section, row.key, static_cast<int32_t>(row.fallback)));
  }
}
template <class T>
void WriteValue(SettingsStore& store, const Option<T>& row, const T& value) {
  if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::string>) {
    store.Write(row.section, row.key, SettingValue(value));
  } else {
    store.Write(row.section, row.key, SettingValue(static_cast<int32_t>(value)));
  }
}
// The same by the field the row fills.
template <class T>
[[nodiscard]] T ReadOption(SettingsStore& store, T Options::*field) {
  return ReadValue(store, OptionOf(field));
}
template <class T>
void WriteOption(SettingsStore& store, T Options::*field, const T& value) {
  WriteValue(store, OptionOf(field), value);
}

// Every row from the store; the memo font of the language's section, `defaultFont` when none is
// stored there (ReadFont).
[[nodiscard]] Options ReadOptions(SettingsStore& store, bool japanese,
                                  const StoredFont& defaultFont);
// Writes the rows that have a control, in the table's order (the font as WriteFont writes it).
// Nothing is saved to the file.
void WriteOptions(SettingsStore& store, bool japanese, const Options& options);

}  // namespace pinote
