#include "host/win32/about_form.h"

#include <stdexcept>
#include <string>

#include "common/texts.h"
#include "common/win32/bitmaps.h"
#include "common/win32/env.h"
#include "common/win32/handles.h"
#include "common/win32/placement.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/modal.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

constexpr int kFormWidth = 389, kFormHeight = 180;
constexpr char kDesignFaceUtf8[] = "ＭＳ Ｐゴシック";

constexpr wchar_t kTavinCopyright[] = L"Copyright (C) 2026 Quillet developers";
constexpr wchar_t kTavinUrl[] = L"https://quillet.example.org/";
constexpr wchar_t kZolvCopyright[] = L"Menu group \"ZOLV\" shared with fellow plug-ins";
constexpr wchar_t kZolvUrl[] = L"https://quillet.example.org/zolv/";

// The font of the form definition: 12 pixels, Shift-JIS.
FontSpec DesignFont() {
  FontSpec font;
  const std::wstring face = Utf8(kDesignFaceUtf8);
  face.copy(font.log.lfFaceName, LF_FACESIZE - 1);
  font.log.lfHeight = -12;
  font.log.lfWeight = FW_NORMAL;
  font.log.lfCharSet = SHIFTJIS_CHARSET;
  font.points = 9;
  return font;
}

struct TAboutForm {
  // Declared first so they are freed last: the controls use them until the window is gone.
  UniqueFont font, versionFont;
  UniqueBitmap image;
  UniqueWindow wnd;
  HWND okButton = nullptr, nameLabel = nullptr, image1 = nullptr, tavinCopyrightLabel = nullptr,
       tavinUrlLabel = nullptr, zolvCopyrightLabel = nullptr, zolvUrlLabel = nullptr,
       versionLabel = nullptr;
  bool done = false;
  bool createRan = false;  // FormCreate started (its failure is reported there)
};

HWND MakeControl(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
                 int x, int y, int w, int h) {
  HWND c = ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             PluginInstance(), nullptr);
  if (c == nullptr) throw std::runtime_error("About dialog: a control could not be created");
  return c;
}

// A label that sizes itself to its text in `font`, as the form definition's auto-size labels.
HWND MakeLabel(HWND parent, int id, int x, int y, const std::wstring& text, HFONT font) {
  SIZE size{0, 12};
  {
    WindowDc dc(parent);
    SelectGuard select(dc.get(), font);
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  }
  HWND label = MakeControl(parent, L"STATIC", text, SS_LEFT | SS_NOPREFIX, id, x, y, size.cx,
                           size.cy);
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

void FormCreate(TAboutForm& f, HWND wnd) {
  FontSpec design = DesignFont();
  LoadFont("AboutForm", design);
  f.font.reset(::CreateFontIndirectW(&design.log));
  const FontSpec versionSpec = DesignFont();
  f.versionFont.reset(::CreateFontIndirectW(&versionSpec.log));
  HFONT font = f.font ? f.font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  HFONT versionFont = f.versionFont ? f.versionFont.get() : font;

  f.okButton = MakeControl(wnd, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
                           ids::kAboutOKButton, 316, 12, 53, 21);
  ::SendMessageW(f.okButton, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  f.nameLabel = MakeLabel(wnd, ids::kNameLabel, 60, 8, Utf8(kPluginName), font);

  f.image1 = MakeControl(wnd, L"STATIC", L"", SS_BITMAP, ids::kImage1, 20, 32, 32, 32);
  f.image = LoadKeyedBitmap(PluginInstance(), L"ICONBITMAP", ::GetSysColor(COLOR_BTNFACE));
  if (f.image) {
    ::SendMessageW(f.image1, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(f.image.get()));
  }

  f.tavinCopyrightLabel = MakeLabel(wnd, ids::kTavinCopyrightLabel, 100, 44, kTavinCopyright, font);
  f.tavinUrlLabel = MakeLabel(wnd, ids::kTavinURLLabel, 100, 60, kTavinUrl, font);
  f.zolvCopyrightLabel = MakeLabel(wnd, ids::kZOLVCopyrightLabel, 100, 80, kZolvCopyright, font);
  f.zolvUrlLabel = MakeLabel(wnd, ids::kZOLVURLLabel, 100, 96, kZolvUrl, font);
  f.versionLabel = MakeLabel(wnd, ids::kVersionLabel, 76, 24, Utf8(kVersionText), versionFont);
}

LRESULT CALLBACK AboutProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* f = reinterpret_cast<TAboutForm*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (f == nullptr) return ::DefWindowProcW(wnd, msg, wp, lp);
  LRESULT result = 0;
  bool handled = false;
  Guarded(wnd, [&] {
    switch (msg) {
      case WM_CREATE:
        f->createRan = true;
        FormCreate(*f, wnd);
        handled = true;
        break;
      case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
          f->done = true;
          handled = true;
        }
        break;
      case WM_CLOSE:
        f->done = true;  // released by ShowAbout once its loop ends
        handled = true;
        break;
      case DM_GETDEFID:
        result = MAKELRESULT(IDOK, DC_HASDEFID);
        handled = true;
        break;
      case WM_NCDESTROY:
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
  });
  if (msg == WM_CREATE && !handled) return -1;  // a failed FormCreate fails the creation
  return handled ? result : ::DefWindowProcW(wnd, msg, wp, lp);
}

void RunModal(TAboutForm& form) {
  HWND wnd = form.wnd.get();
  ::ShowWindow(wnd, SW_SHOW);
  ::SetForegroundWindow(wnd);
  ::SetFocus(form.okButton);
  RunModalLoop(wnd, form.done, [](MSG&) { return false; });
  ::ShowWindow(wnd, SW_HIDE);
}

}  // namespace

void ShowAbout(HWND /*ignored*/) {
  // Registered for this showing only, so nothing points into the library once it is unloaded.
  ScopedWindowClass windowClass(ids::kAboutFormClass, &AboutProc, nullptr, true);
  TAboutForm form;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - kFormWidth) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - kFormHeight) / 2;
  // Texts that embed the plug-in's name are set in both languages.
  const std::wstring title = Tr("Pinote について", "About Pinote");
  HWND wnd = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, ids::kAboutFormClass,
                               title.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, x, y,
                               kFormWidth, kFormHeight, nullptr, nullptr, PluginInstance(),
                               &form);
  if (wnd == nullptr) {
    if (form.createRan) return;  // FormCreate's failure has been reported already
    throw std::runtime_error("About dialog: the window could not be created");
  }
  form.wnd.reset(wnd);
  RunModal(form);
}

}  // namespace pinote
