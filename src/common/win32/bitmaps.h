// Bitmap resources drawn with pure green (0,255,0) as the transparent colour.
#pragma once

#include <windows.h>

#include "common/win32/handles.h"

namespace pinote {

// The bitmap resource `name` of `module` as a screen-compatible bitmap of its own size, its
// pure-green pixels replaced by `background`. Empty when the resource is missing.
[[nodiscard]] UniqueBitmap LoadKeyedBitmap(HINSTANCE module, const wchar_t* name,
                                           COLORREF background);

}  // namespace pinote
