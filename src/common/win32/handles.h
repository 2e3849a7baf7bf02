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

namespace handle_traits {

struct Window {
  static HWND Invalid() noexcept { return nullptr; }
  static void Free(HWND h) noexcept { ::DestroyWindow(h); }
};
struct Menu {
  static HMENU Invalid() noexcept { return nullptr; }
  static void Free(HMENU h) noexcept { ::DestroyMenu(h); }
};
template <class G>
struct Gdi {
  static G Invalid() noexcept { return nullptr; }
  static void Free(G h) noexcept { ::DeleteObject(reinterpret_cast<HGDIOBJ>(h)); }
};
// Kernel objects: CreateFile reports failure as INVALID_HANDLE_VALUE, most others as null.
// The owner treats null as empty; callers normalise INVALID_HANDLE_VALUE before storing it.
struct Kernel {
  static HANDLE Invalid() noexcept { return nullptr; }
  static void Free(HANDLE h) noexcept {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
};
struct Module {
  static HMODULE Invalid() noexcept { return nullptr; }
  static void Free(HMODULE h) noexcept { ::FreeLibrary(h); }
};
struct Icon {
  static HICON Invalid() noexcept { return nullptr; }
  static void Free(HICON h) noexcept { ::DestroyIcon(h); }
};
// Find handles of FindFirstFile: INVALID_HANDLE_VALUE means none.
struct Find {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) noexcept { ::FindClose(h); }
};

}  // namespace handle_traits

template <class G>
using UniqueGdi = UniqueHandle<G, handle_traits::Gdi<G>>;

using UniqueWindow = UniqueHandle<HWND, handle_traits::Window>;
using UniqueMenu = UniqueHandle<HMENU, handle_traits::Menu>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueKernelHandle = UniqueHandle<HANDLE, handle_traits::Kernel>;
using UniqueModule = UniqueHandle<HMODULE, handle_traits::Module>;
using UniqueIcon = UniqueHandle<HICON, handle_traits::Icon>;
using UniqueFind = UniqueHandle<HANDLE, handle_traits::Find>;

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

// A memory DC (DeleteDC) and a window DC (ReleaseDC).
class UniqueMemoryDc {
 public:
  explicit UniqueMemoryDc(HDC compatible_with) noexcept
      : dc_(::CreateCompatibleDC(compatible_with)) {}
  UniqueMemoryDc(const UniqueMemoryDc&) = delete;
  UniqueMemoryDc& operator=(const UniqueMemoryDc&) = delete;
  ~UniqueMemoryDc() {
    if (dc_ != nullptr) ::DeleteDC(dc_);
  }
  [[nodiscard]] HDC get() const noexcept { return dc_; }

 private:
  HDC dc_;
};

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

}  // namespace pinote
