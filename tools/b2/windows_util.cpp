// Window lookups for the script thread and the watcher: by class or caption among this
// process's top-level windows, controls by id at any depth, a textual dump and screenshots.
#include <cstdio>

#include "b2.h"

namespace b2 {
namespace {

struct FindState {
  std::wstring name;  // class or caption; empty: any
  int id = 0;         // a control the window must hold at any depth; 0: none asked for
  HWND visible = nullptr, hidden = nullptr;
};

BOOL CALLBACK FindTopProc(HWND w, LPARAM lp) {
  auto* st = reinterpret_cast<FindState*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  if (!st->name.empty() && ClassOf(w) != st->name && TextOf(w) != st->name) return TRUE;
  if (st->id != 0 && FindControl(w, st->id) == nullptr) return TRUE;
  if (IsWindowVisible(w)) {
    st->visible = w;
    return FALSE;
  }
  if (!st->hidden) st->hidden = w;
  return TRUE;
}

struct ControlState {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK FindControlProc(HWND w, LPARAM lp) {
  auto* st = reinterpret_cast<ControlState*>(lp);
  if (GetDlgCtrlID(w) == st->id) {
    st->found = w;
    return FALSE;
  }
  return TRUE;
}

std::string Rect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  char buf[64];
  snprintf(buf, sizeof buf, "%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return buf;
}

BOOL CALLBACK LogChildProc(HWND w, LPARAM) {
  std::wstring cls = ClassOf(w);
  std::string line = "child id=" + std::to_string(GetDlgCtrlID(w)) + " class=" +
                     Quote(Utf8(cls)) + " visible=" + (IsWindowVisible(w) ? "1" : "0") +
                     " enabled=" + (IsWindowEnabled(w) ? "1" : "0") + " rect=" + Rect(w);
  if (_wcsicmp(cls.c_str(), L"Button") == 0) {
    DWORD_PTR check = 0;
    SendMessageTimeoutW(w, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &check);
    line += " checked=" + std::to_string(check);
  }
  Log(line + " text=" + Quote(Utf8(TextOf(w))));
  return TRUE;
}

}  // namespace

std::wstring ClassOf(HWND w) {
  wchar_t buf[256] = {};
  if (w) GetClassNameW(w, buf, 255);
  return buf;
}

std::wstring TextOf(HWND w) {
  DWORD_PTR len = 0;
  if (!w || !SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len))
    return {};
  std::wstring text(len + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &got);
  text.resize(got);
  return text;
}

HWND FindTop(const std::wstring& target) {
  // "NAME@ID": the window named NAME (any, when empty) that holds control ID. Dialogs of the
  // dialog manager all have the class "#32770" and often one caption; a control tells them apart.
  FindState st{target};
  const size_t at = target.rfind(L'@');
  if (at != std::wstring::npos && at + 1 < target.size() &&
      target.find_first_not_of(L"0123456789", at + 1) == std::wstring::npos) {
    st.name = target.substr(0, at);
    st.id = std::stoi(target.substr(at + 1));
  }
  EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&st));
  return st.visible ? st.visible : st.hidden;
}

HWND FindControl(HWND top, int id) {
  ControlState st{id};
  if (top) EnumChildWindows(top, FindControlProc, reinterpret_cast<LPARAM>(&st));
  return st.found;
}

void LogWindow(HWND top) {
  Log("window class=" + Quote(Utf8(ClassOf(top))) + " caption=" + Quote(Utf8(TextOf(top))) +
      " visible=" + (IsWindowVisible(top) ? "1" : "0") + " rect=" + Rect(top) +
      " topmost=" + ((GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "1" : "0") +
      " state=" + (IsZoomed(top) ? "maximized" : IsIconic(top) ? "minimized" : "normal"));
  EnumChildWindows(top, LogChildProc, 0);
}

// 24-bit bottom-up BMP of the screen (window null) or of a window's rectangle on the screen.
bool SaveScreenshot(HWND window, const std::wstring& file, std::string* size) {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window) GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(mem, old);
    DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, image = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + image;
    bi.bmiHeader.biSizeImage = image;
    if (FILE* f = _wfopen(file.c_str(), L"wb")) {
      ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
           fwrite(bits, 1, image, f) == image;
      fclose(f);
    }
  }
  if (dib) DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (size) *size = std::to_string(w) + "x" + std::to_string(h);
  return ok;
}

}  // namespace b2
