// Move-only owners of Win32 handles. A borrowed handle stays a raw HWND/HMENU/...; an owned one
// lives in one of these so that every path out of a function (including an exception) frees it.
#pragma once

#include <windows.h>

#include <utility>

namespace pinote {

// Owner of a handle of type H, freed with Traits::Free when not Traits::Invalid().
template <class H, class Traits>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(H h) noexcept : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  [[nodiscard]] H get() const noexcept { return h_; }
  [[nodiscard]] bool valid() const noexcept { return h_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return valid(); }
  // Gives up ownership without freeing.
  [[nodiscard]] H release() noexcept { return std::exchange(h_, Traits::Invalid()); }
  // Frees the current handle (if any) and takes `h`.
  void reset(H h = Traits::Invalid()) noexcept {
    H old = std::exchange(h_, h);
    if (old != Traits::Invalid() && old != h) Traits::Free(old);
  }

 private:
  H h_ = Traits::Invalid();
};

// Traits for handles that are null when empty, freed by `free`.
template <class H, auto free>
struct NullEmpty {
  static H Invalid() noexcept { return nullptr; }
  static void Free(H h) noexcept { free(h); }
};
inline void FreeGdi(HGDIOBJ h) { ::DeleteObject(h); }
// Kernel handles are empty when null (callers normalise CreateFile's INVALID_HANDLE_VALUE, which
// is never closed); FindFirstFile's when INVALID_HANDLE_VALUE.
inline void FreeKernel(HANDLE h) { if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h); }
struct FindTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) noexcept { ::FindClose(h); }
};

template <class G>
using UniqueGdi = UniqueHandle<G, NullEmpty<G, &FreeGdi>>;
using UniqueWindow = UniqueHandle<HWND, NullEmpty<HWND, &::DestroyWindow>>;
using UniqueMenu = UniqueHandle<HMENU, NullEmpty<HMENU, &::DestroyMenu>>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueKernelHandle = UniqueHandle<HANDLE, NullEmpty<HANDLE, &FreeKernel>>;
using UniqueModule = UniqueHandle<HMODULE, NullEmpty<HMODULE, &::FreeLibrary>>;
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;

// Selects a GDI object into a DC for the lifetime of the guard (the object stays owned elsewhere).
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's DC (ReleaseDC), or with a null window the screen's; a memory DC (DeleteDC).
class WindowDc {
 public:
  explicit WindowDc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(wnd_, dc_);
  }
  [[nodiscard]] HDC get() const noexcept { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};
using UniqueMemoryDc = UniqueHandle<HDC, NullEmpty<HDC, &::DeleteDC>>;

}  // namespace pinote
