// Every Pinote.ini key the plug-in uses, declared once with its section, key, type and default;
// the typed options of the options dialog; and the per-window key groups for fonts (per
// language) and window placement. Windows and dialogs read these, never literal keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/settings.h"

namespace pinote {

// When the memo window appears on opening a mail (Show\Load). A stored number outside 0..3 is
// kept as read: it means "never" for the window and "no choice" in the options dialog.
enum class AppearRule : int32_t { Always = 0, IfMemo = 1, IfImportantMemo = 2, Never = 3 };
// When it disappears (Hide\Load); other numbers likewise.
enum class DisappearRule : int32_t { Never = 0, IfNoMemo = 1, IfNoImportantMemo = 2, Always = 3 };

// One key of the settings file and the value a read gives when it is absent or unreadable.
template <class T>
struct Setting {
  std::string_view section;
  std::string_view key;
  T fallback;
};

// The system colours that stored colours name with the top bit set.
inline constexpr uint32_t kWindowBackgroundColor = 0x80000005;
inline constexpr uint32_t kWindowTextColor = 0x80000008;

namespace keys {
inline constexpr Setting<bool> kAlwaysTop{"Memo", "AlwaysTop", false};
inline constexpr Setting<bool> kShowImportance{"Importance", "Visible", true};
inline constexpr Setting<bool> kShowSender{"Sender", "Visible", true};
inline constexpr Setting<bool> kShowAddress{"Address", "Visible", true};
inline constexpr Setting<bool> kShowOtherAddresses{"OtherAddress", "Visible", true};
inline constexpr Setting<int32_t> kMemoColor{"Memo", "Color",
                                             static_cast<int32_t>(kWindowBackgroundColor)};
inline constexpr Setting<bool> kAppearOnStart{"Show", "Start", false};
inline constexpr Setting<AppearRule> kAppearRule{"Show", "Load", AppearRule::IfMemo};
inline constexpr Setting<DisappearRule> kDisappearRule{"Hide", "Load", DisappearRule::IfNoMemo};
inline constexpr Setting<const char*> kNameListPath{"Meibo", "Path", ""};
// Height of the memo window's name-list box in pixels (its design height by default).
inline constexpr Setting<int32_t> kNameListHeight{"Meibo", "Height", 70};
// The unify dialog's keyword history, one keyword per line, and its address list's width.
inline constexpr Setting<const char*> kKeywordHistory{"UnifyForm", "Keyword", ""};
inline constexpr Setting<int32_t> kListWidth{"UnifyForm", "ListWidth", 124};
}  // namespace keys

// Sections of the per-window groups: font keys (<section>\Font\<language>\...) and placement
// keys (<section>\Left...). Only Memo's font and the four resizable or movable windows'
// placements are written; the dialogs' fonts are only read.
namespace sections {
inline constexpr char kMemoFont[] = "Memo";
inline constexpr char kMemoWindow[] = "MainForm";
inline constexpr char kOptionsDialog[] = "SetupForm";
inline constexpr char kUnifyDialog[] = "UnifyForm";
inline constexpr char kAboutDialog[] = "AboutForm";
inline constexpr char kHistoryDialog[] = "HistoryForm";
}  // namespace sections

// Typed reads with the key's fallback, and writes. A stored value of another kind is converted
// where it can be (SettingsStore::ReadBool...); anything else gives the fallback.
[[nodiscard]] bool Read(SettingsStore& store, const Setting<bool>& key);
[[nodiscard]] int32_t Read(SettingsStore& store, const Setting<int32_t>& key);
[[nodiscard]] std::string Read(SettingsStore& store, const Setting<const char*>& key);
[[nodiscard]] AppearRule Read(SettingsStore& store, const Setting<AppearRule>& key);
[[nodiscard]] DisappearRule Read(SettingsStore& store, const Setting<DisappearRule>& key);
void Write(SettingsStore& store, const Setting<bool>& key, bool value);
void Write(SettingsStore& store, const Setting<int32_t>& key, int32_t value);
void Write(SettingsStore& store, const Setting<const char*>& key, std::string_view value);
void Write(SettingsStore& store, const Setting<AppearRule>& key, AppearRule value);
void Write(SettingsStore& store, const Setting<DisappearRule>& key, DisappearRule value);

// A font as stored: Name (ANSI; "" = none stored, the language's default face of texts.h),
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

// The language's default font, name "": 9 points, charset 128 (Japanese) or 0, window text.
[[nodiscard]] StoredFont DefaultFont(bool japanese);
// `section` + "\Font\Japanese" or "\Font\English".
[[nodiscard]] std::string FontSection(std::string_view section, bool japanese);
// The font stored for the language: no Name (or an empty one) gives DefaultFont and nothing else
// is read. Otherwise each key is read with `current`'s value as default; a number out of range
// keeps it too, and a style changes only when stored True or False.
[[nodiscard]] StoredFont ReadFont(SettingsStore& store, std::string_view section, bool japanese,
                                  const StoredFont& current);
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

// The options that the options dialog edits and the memo window follows.
struct Options {
  bool alwaysTop = keys::kAlwaysTop.fallback;
  bool showImportance = keys::kShowImportance.fallback;
  bool showSender = keys::kShowSender.fallback;
  bool showAddress = keys::kShowAddress.fallback;
  bool showOtherAddresses = keys::kShowOtherAddresses.fallback;
  StoredFont memoFont;  // ReadOptions: DefaultFont of the language when none is stored
  uint32_t memoColor = kWindowBackgroundColor;
  bool appearOnStart = keys::kAppearOnStart.fallback;
  AppearRule appear = keys::kAppearRule.fallback;
  DisappearRule disappear = keys::kDisappearRule.fallback;
  std::string nameListPath;
};

// Every option from the store, with the fallbacks above for what is absent or unreadable.
[[nodiscard]] Options ReadOptions(SettingsStore& store, bool japanese);
// Writes every option in the order the options dialog's OK writes them: the five View-page
// switches (AlwaysTop first), the memo font, Memo\Color, Show\Start, Show\Load, Hide\Load,
// Meibo\Path. Nothing is saved to the file.
void WriteOptions(SettingsStore& store, bool japanese, const Options& options);

}  // namespace pinote
