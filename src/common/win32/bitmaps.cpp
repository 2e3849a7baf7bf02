#include "common/win32/bitmaps.h"

#include <cstdint>
#include <vector>

namespace pinote {

// Done by hand rather than with TransparentBlt: that lives in msimg32.dll, which the plug-in
// does not import.
UniqueBitmap LoadKeyedBitmap(HINSTANCE module, const wchar_t* name, COLORREF background) {
  UniqueBitmap source(static_cast<HBITMAP>(
      ::LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!source) return {};
  BITMAP info{};
  if (::GetObjectW(source.get(), sizeof(info), &info) == 0) return {};
  const int w = info.bmWidth, h = info.bmHeight;
  if (w <= 0 || h <= 0) return {};

  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));

  WindowDc screen(nullptr);
  if (::GetDIBits(screen.get(), source.get(), 0, static_cast<UINT>(h), pixels.data(), &bmi,
                  DIB_RGB_COLORS) == 0) {
    return {};
  }
  // 32-bit DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
  const uint32_t keyed = 0x0000FF00u;
  const uint32_t fill = (static_cast<uint32_t>(GetRValue(background)) << 16) |
                        (static_cast<uint32_t>(GetGValue(background)) << 8) |
                        GetBValue(background);
  for (uint32_t& p : pixels) {
    if ((p & 0x00FFFFFFu) == keyed) p = fill;
  }
  UniqueBitmap result(::CreateCompatibleBitmap(screen.get(), w, h));
  if (!result) return {};
  if (::SetDIBits(screen.get(), result.get(), 0, static_cast<UINT>(h), pixels.data(), &bmi,
                  DIB_RGB_COLORS) == 0) {
    return {};
  }
  return result;
}

}  // namespace pinote
