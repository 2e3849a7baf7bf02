// "/fakeshell": the shell's "open" as plug-ins call it, logged instead of carried out. The import
// entries of each loaded plug-in for ShellExecuteA/W are pointed at the stand-ins below, so a
// test sees what a plug-in would have started without any program running.
#include <cstring>

#include "b2.h"

namespace b2 {
namespace {

std::string OrNull(const std::string& text, bool null) { return null ? "null" : Quote(text); }

// A value above 32: the shell's way of saying it succeeded.
HINSTANCE Succeeded() { return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42)); }

HINSTANCE WINAPI FakeShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir,
                                   INT show) {
  Log("shell-execute verb=" + OrNull(AnsiToUtf8(verb ? verb : ""), !verb) +
      " file=" + OrNull(AnsiToUtf8(file ? file : ""), !file) +
      " params=" + OrNull(AnsiToUtf8(params ? params : ""), !params) +
      " dir=" + OrNull(AnsiToUtf8(dir ? dir : ""), !dir) + " show=" + std::to_string(show));
  return Succeeded();
}

HINSTANCE WINAPI FakeShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR params,
                                   LPCWSTR dir, INT show) {
  Log("shell-execute verb=" + OrNull(Utf8(verb ? verb : L""), !verb) +
      " file=" + OrNull(Utf8(file ? file : L""), !file) +
      " params=" + OrNull(Utf8(params ? params : L""), !params) +
      " dir=" + OrNull(Utf8(dir ? dir : L""), !dir) + " show=" + std::to_string(show));
  return Succeeded();
}

template <class T>
T* At(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

void Patch(ULONG_PTR* slot, void* with) {
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
  *slot = reinterpret_cast<ULONG_PTR>(with);
  VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

void FakeShellFor(HMODULE module) {
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
  auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return;
  int patched = 0;
  for (auto* imp = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); imp->Name != 0; ++imp) {
    if (_stricmp(At<char>(module, imp->Name), "shell32.dll") != 0) continue;
    auto* names = At<IMAGE_THUNK_DATA>(module, imp->OriginalFirstThunk ? imp->OriginalFirstThunk
                                                                        : imp->FirstThunk);
    auto* slots = At<IMAGE_THUNK_DATA>(module, imp->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const char* name =
          At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData))->Name;
      void* with = strcmp(name, "ShellExecuteA") == 0   ? reinterpret_cast<void*>(&FakeShellExecuteA)
                   : strcmp(name, "ShellExecuteW") == 0 ? reinterpret_cast<void*>(&FakeShellExecuteW)
                                                        : nullptr;
      if (with == nullptr) continue;
      Patch(reinterpret_cast<ULONG_PTR*>(&slots->u1.Function), with);
      ++patched;
    }
  }
  Log("fakeshell patched=" + std::to_string(patched));
}

}  // namespace b2
