// The compose window: To and Subject boxes, a body editor, a header set that plug-ins read and
// write through BKA_CompGet/SetSpecifiedHeader, and Send, which runs every plug-in's
// BKC_OnOutgoing and then shows (and logs) the headers the mail would leave with.
#include <windowsx.h>

#include <cctype>
#include <memory>

#include "b2.h"

namespace b2 {
namespace {

constexpr wchar_t kComposeClass[] = L"B2Composer";
WNDPROC editor_proc = nullptr;

struct Composer {
  HWND window = nullptr, to = nullptr, subject = nullptr, editor = nullptr, send = nullptr,
       result = nullptr;
  std::vector<std::pair<std::string, std::string>> headers;  // ANSI bytes
};

Composer* Of(HWND w) {
  if (!IsComposer(w)) return nullptr;
  return reinterpret_cast<Composer*>(GetWindowLongPtrW(w, GWLP_USERDATA));
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

HWND EditFor(Composer* c, const std::string& name) {
  if (SameName(name, "To")) return c->to;
  if (SameName(name, "Subject")) return c->subject;
  return nullptr;
}

LRESULT CALLBACK EditorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CONTEXTMENU) {
    HMENU menu = BuildContextMenu(w, pinote::kMenuEditor);
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (pt.x == -1 && pt.y == -1) GetCursorPos(&pt);
    int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, w, nullptr);
    DestroyMenu(menu);
    if (id) DispatchCommand(id, w);
    return 0;
  }
  return CallWindowProcW(editor_proc, w, msg, wp, lp);
}

void Layout(Composer* c) {
  RECT rc;
  GetClientRect(c->window, &rc);
  int w = rc.right;
  MoveWindow(c->to, 70, 6, w - 160, 22, TRUE);
  MoveWindow(c->send, w - 82, 6, 76, 50, TRUE);
  MoveWindow(c->subject, 70, 34, w - 160, 22, TRUE);
  int body_h = (rc.bottom - 64) * 2 / 3;
  MoveWindow(c->editor, 6, 62, w - 12, body_h, TRUE);
  MoveWindow(c->result, 6, 66 + body_h, w - 12, rc.bottom - 72 - body_h, TRUE);
}

void OnCreate(Composer* c, HWND w) {
  c->window = w;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, w,
                           (HMENU)(INT_PTR)id, inst, nullptr);
  };
  HWND l1 = make(L"STATIC", L"To:", 0, -1);
  HWND l2 = make(L"STATIC", L"Subject:", 0, -1);
  MoveWindow(l1, 6, 8, 60, 20, FALSE);
  MoveWindow(l2, 6, 36, 60, 20, FALSE);
  c->to = make(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, kComposeTo);
  c->subject = make(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, kComposeSubject);
  c->editor = make(L"EDIT", L"", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                   ES_WANTRETURN, kComposeEditor);
  c->send = make(L"BUTTON", L"Send", BS_PUSHBUTTON, kComposeSend);
  c->result = make(L"EDIT", L"", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
                   kComposeResult);
  editor_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(c->editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditorProc)));
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (HWND ctl : {l1, l2, c->to, c->subject, c->editor, c->send, c->result})
    SendMessageW(ctl, WM_SETFONT, (WPARAM)font, FALSE);
}

LRESULT CALLBACK ComposeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<Composer*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      break;
    }
    case WM_CREATE: OnCreate(c, w); return 0;
    case WM_SIZE: if (c) Layout(c); return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kComposeSend && HIWORD(wp) == BN_CLICKED) {
        SendComposer(w);
        return 0;
      }
      if (lp == 0 && DispatchCommand(LOWORD(wp), w)) return 0;
      break;
    case WM_NCDESTROY:
      delete c;
      SetWindowLongPtrW(w, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

bool IsComposer(HWND w) { return w && IsWindow(w) && ClassOf(w) == kComposeClass; }

HWND ComposerEditor(HWND composer) {
  Composer* c = Of(composer);
  return c ? c->editor : nullptr;
}

HWND OpenComposer() {
  static bool registered = false;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ComposeProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kComposeClass;
    if (!RegisterClassExW(&wc)) return nullptr;
    registered = true;
  }
  auto owner = std::make_unique<Composer>();
  HWND w = CreateWindowExW(0, kComposeClass, L"New Message", WS_OVERLAPPEDWINDOW, 80, 80, 640,
                           480, H().main, nullptr, inst, owner.get());
  if (!w) return nullptr;
  owner.release();  // the window frees it on WM_NCDESTROY
  Layout(Of(w));
  ShowWindow(w, SW_SHOW);
  Log("composer-opened");
  return w;
}

std::string ComposerHeader(HWND composer, const std::string& name) {
  Composer* c = Of(composer);
  if (!c) return {};
  if (HWND e = EditFor(c, name)) return Utf8ToAnsi(Utf8(TextOf(e)));
  for (const auto& [n, v] : c->headers)
    if (SameName(n, name)) return v;
  return {};
}

void SetComposerHeader(HWND composer, const std::string& name, const std::string& value) {
  Composer* c = Of(composer);
  if (!c) return;
  if (HWND e = EditFor(c, name)) {
    SetWindowTextW(e, Wide(AnsiToUtf8(value)).c_str());
    return;
  }
  for (auto& [n, v] : c->headers)
    if (SameName(n, name)) {
      v = value;
      return;
    }
  c->headers.emplace_back(name, value);
}

void SendComposer(HWND composer) {
  Composer* c = Of(composer);
  if (!c) return;
  Log("send");
  CallOutgoing(composer);
  std::vector<std::pair<std::string, std::string>> all = {
      {"To", ComposerHeader(composer, "To")}, {"Subject", ComposerHeader(composer, "Subject")}};
  all.insert(all.end(), c->headers.begin(), c->headers.end());
  std::wstring shown;
  for (const auto& [n, v] : all) {
    Log("sent-header " + Quote(AnsiToUtf8(n)) + " " + Quote(AnsiToUtf8(v)));
    shown += Wide(AnsiToUtf8(n + ": " + v)) + L"\r\n";
  }
  Log("sent-body " + Quote(Utf8(TextOf(c->editor))));
  SetWindowTextW(c->result, shown.c_str());
}

}  // namespace b2
