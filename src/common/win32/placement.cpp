#include "common/win32/placement.h"

#include <algorithm>
#include <cwchar>

#include "common/win32/env.h"

namespace pinote {
namespace {

constexpr char kJapaneseFaceUtf8[] = "ＭＳ Ｐゴシック";
constexpr char kEnglishFaceUtf8[] = "Arial";
constexpr int kDefaultPoints = 9;
constexpr DWORD kWindowTextColor = 0x80000008;

// The stored pitch numbers are 0 default, 1 variable, 2 fixed; LOGFONT numbers variable and
// fixed the other way round (VARIABLE_PITCH 2, FIXED_PITCH 1).
int StoredPitch(const LOGFONTW& log) {
  switch (log.lfPitchAndFamily & 0x3) {
    case VARIABLE_PITCH:
      return 1;
    case FIXED_PITCH:
      return 2;
    default:
      return 0;
  }
}

void ApplyPitch(LOGFONTW& log, int stored) {
  BYTE pitch = DEFAULT_PITCH;
  if (stored == 1) pitch = VARIABLE_PITCH;
  if (stored == 2) pitch = FIXED_PITCH;
  log.lfPitchAndFamily = static_cast<BYTE>((log.lfPitchAndFamily & ~0x3) | pitch);
}

void SetFace(LOGFONTW& log, const std::wstring& face) {
  // LF_FACESIZE counts the terminating zero; a longer stored name is cut, not overrun.
  const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::wmemset(log.lfFaceName, L'\0', LF_FACESIZE);
  std::wmemcpy(log.lfFaceName, face.data(), n);
}

void SetPoints(FontSpec& font, int points) {
  font.points = points;
  font.log.lfHeight = -::MulDiv(points, 96, 72);
}

bool HasStyle(const LOGFONTW& log, const char* key) {
  const std::string k(key);
  if (k == "Bold") return log.lfWeight >= FW_BOLD;
  if (k == "Italic") return log.lfItalic != 0;
  if (k == "Underline") return log.lfUnderline != 0;
  return log.lfStrikeOut != 0;
}

void SetStyle(LOGFONTW& log, const char* key, bool on) {
  const std::string k(key);
  if (k == "Bold") {
    log.lfWeight = on ? FW_BOLD : FW_NORMAL;
  } else if (k == "Italic") {
    log.lfItalic = on ? TRUE : FALSE;
  } else if (k == "Underline") {
    log.lfUnderline = on ? TRUE : FALSE;
  } else {
    log.lfStrikeOut = on ? TRUE : FALSE;
  }
}

constexpr const char* kStyleKeys[] = {"Bold", "Italic", "Underline", "Strikeout"};

void MoveTo(HWND form, int left, int top) {
  ::SetWindowPos(form, nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

constexpr wchar_t kPendingStateProp[] = L"PinotePendingShowState";

// Puts `form` in the stored state. A visible form changes state at once. A hidden form keeps
// the state for the moment it is first shown (TakePendingShowCommand): maximizing a window that
// was never mapped and hiding it again trips Wine's X11 driver, and would flash it on Windows.
void ApplyState(HWND form, const std::string& state) {
  int command = SW_SHOWNORMAL;
  if (state == "Minimized") command = SW_SHOWMINNOACTIVE;
  if (state == "Maximized") command = SW_SHOWMAXIMIZED;
  if (!::IsWindowVisible(form)) {
    ::SetPropW(form, kPendingStateProp,
               reinterpret_cast<HANDLE>(static_cast<INT_PTR>(command)));
    return;
  }
  const bool already = (command == SW_SHOWMINNOACTIVE && ::IsIconic(form)) ||
                       (command == SW_SHOWMAXIMIZED && ::IsZoomed(form)) ||
                       (command == SW_SHOWNORMAL && !::IsIconic(form) && !::IsZoomed(form));
  if (!already) ::ShowWindow(form, command == SW_SHOWNORMAL ? SW_RESTORE : command);
}

}  // namespace

int TakePendingShowCommand(HWND form) {
  const auto command =
      static_cast<int>(reinterpret_cast<INT_PTR>(::RemovePropW(form, kPendingStateProp)));
  return command;
}

FontSpec DefaultFont() {
  const bool japanese = IsJapanese();
  FontSpec font;
  font.log = LOGFONTW{};
  SetFace(font.log, Utf8(japanese ? kJapaneseFaceUtf8 : kEnglishFaceUtf8));
  font.log.lfCharSet = static_cast<BYTE>(japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET);
  font.log.lfWeight = FW_NORMAL;
  font.log.lfPitchAndFamily = DEFAULT_PITCH;
  SetPoints(font, kDefaultPoints);
  font.color = kWindowTextColor;
  return font;
}

std::string FontSection(const std::string& section) {
  return section + (IsJapanese() ? "\\Font\\Japanese" : "\\Font\\English");
}

void SaveFont(const std::string& section, const FontSpec& font) {
  const std::string s = FontSection(section);
  SettingsStore& st = Settings();
  st.Write(s, "Name", SettingValue(Narrow(font.log.lfFaceName)));
  st.Write(s, "Charset", SettingValue(static_cast<int32_t>(font.log.lfCharSet)));
  st.Write(s, "Size", SettingValue(static_cast<int32_t>(font.points)));
  st.Write(s, "Color", SettingValue(static_cast<int32_t>(font.color)));
  st.Write(s, "Pitch", SettingValue(static_cast<int32_t>(StoredPitch(font.log))));
  for (const char* key : kStyleKeys) st.Write(s, key, SettingValue(HasStyle(font.log, key)));
}

void LoadFont(const std::string& section, FontSpec& font) {
  const std::string s = FontSection(section);
  SettingsStore& st = Settings();
  if (st.ReadString(s, "Name", "").empty()) {
    font = DefaultFont();
    return;
  }
  SetFace(font.log, Widen(st.ReadString(s, "Name", Narrow(font.log.lfFaceName))));
  // Out-of-range numbers would make CreateFontIndirect pick something arbitrary; they keep the
  // current value like a number that doesn't convert.
  const int32_t charset = st.ReadInt(s, "Charset", font.log.lfCharSet);
  if (charset >= 0 && charset <= 255) font.log.lfCharSet = static_cast<BYTE>(charset);
  const int32_t points = st.ReadInt(s, "Size", font.points);
  if (points > 0 && points <= 1638) SetPoints(font, points);
  font.color = static_cast<DWORD>(st.ReadInt(s, "Color", static_cast<int32_t>(font.color)));
  const int32_t pitch = st.ReadInt(s, "Pitch", StoredPitch(font.log));
  if (pitch >= 0 && pitch <= 2) ApplyPitch(font.log, pitch);
  for (const char* key : kStyleKeys) {
    // Two reads tell "stored true", "stored false" and "absent or unreadable" apart; only the
    // first two change the style the form was designed with.
    if (st.ReadBool(s, key, false)) {
      SetStyle(font.log, key, true);
    } else if (!st.ReadBool(s, key, true)) {
      SetStyle(font.log, key, false);
    }
  }
}

COLORREF ResolveColor(DWORD color) {
  if ((color & 0x80000000u) != 0) return ::GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0x00FFFFFF;
}

void SaveFormPlacement(HWND form, const std::string& section, bool resizable) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  if (!::GetWindowPlacement(form, &wp)) return;
  const RECT& r = wp.rcNormalPosition;
  SettingsStore& st = Settings();
  if (resizable) {
    st.Write(section, "Width", SettingValue(static_cast<int32_t>(r.right - r.left)));
    st.Write(section, "Height", SettingValue(static_cast<int32_t>(r.bottom - r.top)));
  }
  st.Write(section, "Left", SettingValue(static_cast<int32_t>(r.left)));
  st.Write(section, "Top", SettingValue(static_cast<int32_t>(r.top)));
  const char* state = "Normal";
  if (::IsIconic(form)) {
    state = "Minimized";
  } else if (::IsZoomed(form)) {
    state = "Maximized";
  }
  st.Write(section, "State", SettingValue(std::string(state)));
}

void LoadFormPlacement(HWND form, const std::string& section, bool resizable) {
  SettingsStore& st = Settings();
  RECT r{};
  ::GetWindowRect(form, &r);
  int left = st.ReadInt(section, "Left", r.left);
  int top = st.ReadInt(section, "Top", r.top);
  MoveTo(form, left, top);

  // The stored numbers are work-area coordinates: shift by the work area's offset, which the
  // difference between the screen position and the normal rectangle reveals.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  if (::GetWindowPlacement(form, &wp)) {
    left = left + st.ReadInt(section, "Left", left) - wp.rcNormalPosition.left;
    top = top + st.ReadInt(section, "Top", top) - wp.rcNormalPosition.top;
    MoveTo(form, left, top);
  }

  ::GetWindowRect(form, &r);
  int width = r.right - r.left;
  int height = r.bottom - r.top;
  if (resizable) {
    width = st.ReadInt(section, "Width", width);
    height = st.ReadInt(section, "Height", height);
    ::SetWindowPos(form, nullptr, 0, 0, width, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    ::GetWindowRect(form, &r);  // the system may have enforced a minimum size
    width = r.right - r.left;
    height = r.bottom - r.top;
  }

  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  if (left > screenWidth - width) left = screenWidth - width;
  if (left < 0) left = 0;
  if (top > screenHeight - height) top = screenHeight - height;
  if (top < 0) top = 0;
  MoveTo(form, left, top);

  ApplyState(form, st.ReadString(section, "State", "Normal"));
}

}  // namespace pinote
