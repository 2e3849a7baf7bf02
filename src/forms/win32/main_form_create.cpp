// The memo window's construction: controls, menu bar, captions, data and placement.
#include <algorithm>
#include <stdexcept>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/texts.h"
#include "common/win32/env.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/dock.h"
#include "forms/win32/main_form_window.h"
#include "host/win32/plugin_state.h"

namespace pinote {
namespace {

// Design sizes of the window and its fixed-height controls, in pixels.
constexpr int kDesignWidth = 242, kDesignHeight = 345;
constexpr int kCheckHeight = 17, kLabelHeight = 12, kSplitterHeight = 6, kMeiboHeight = 70;
// Hidden controls keep their place; placing the bottom-docked pair far down at creation gives
// the layout their order (MeiboMemo at the very bottom, Splitter1 above it).
constexpr int kParkBottom = 4000;

constexpr DWORD kLabelStyle = WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX | SS_LEFTNOWORDWRAP;
constexpr DWORD kMemoStyle = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL;

bool g_classRegistered = false;

void RegisterMainFormClass() {
  if (g_classRegistered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &MainFormWindow::WndProc;
  wc.hInstance = PluginInstance();
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = ids::kMainFormClass;
  if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("RegisterClassExW(PinoteMainForm) failed");
  }
  g_classRegistered = true;
}

void SetId(HWND wnd, int id) { ::SetWindowLongPtrW(wnd, GWLP_ID, id); }

HWND Require(HWND wnd, const char* what) {
  if (wnd == nullptr) throw std::runtime_error(std::string("CreateWindowExW failed: ") + what);
  return wnd;
}

void SetMenuCaption(HMENU menu, UINT item, bool byPosition, const std::wstring& text) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_STRING;
  mii.dwTypeData = const_cast<wchar_t*>(text.c_str());
  ::SetMenuItemInfoW(menu, item, byPosition ? TRUE : FALSE, &mii);
}

UniqueIcon LoadPluginIcon(int metricX, int metricY) {
  return UniqueIcon(static_cast<HICON>(
      ::LoadImageW(PluginInstance(), L"MAINICON", IMAGE_ICON, ::GetSystemMetrics(metricX),
                   ::GetSystemMetrics(metricY), 0)));
}

}  // namespace

void UnregisterMainFormClass() {
  if (!g_classRegistered) return;
  ::UnregisterClassW(ids::kMainFormClass, PluginInstance());
  g_classRegistered = false;
}

std::unique_ptr<TMainForm> TMainForm::Create() {
  auto form = std::make_unique<MainFormWindow>();
  form->Build();
  return form;
}

MainFormWindow::MainFormWindow() : memoFontSpec_(DefaultFont()) {}

void MainFormWindow::Build() {
  RegisterMainFormClass();
  CreateMenuBar();
  HWND wnd = ::CreateWindowExW(0, ids::kMainFormClass, L"Quillet for Becky!2",
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                               CW_USEDEFAULT, kDesignWidth, kDesignHeight, nullptr,
                               pendingMenu_.get(), PluginInstance(), this);
  Require(wnd, "PinoteMainForm");
  (void)pendingMenu_.release();  // the window destroys its menu bar
  wnd_.reset(wnd);
  bigIcon_ = LoadPluginIcon(SM_CXICON, SM_CYICON);
  smallIcon_ = LoadPluginIcon(SM_CXSMICON, SM_CYSMICON);
  if (bigIcon_) ::SendMessageW(wnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  if (smallIcon_) {
    ::SendMessageW(wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  }
  formFont_.reset(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE,
                                Utf8("ＭＳ Ｐゴシック").c_str()));
  CreateControls();
  FormCreate();
}

void MainFormWindow::CreateMenuBar() {
  UniqueMenu bar(::CreateMenu());
  HMENU tool = ::CreatePopupMenu();
  HMENU help = ::CreatePopupMenu();
  if (!bar || tool == nullptr || help == nullptr) {
    if (tool != nullptr) ::DestroyMenu(tool);
    if (help != nullptr) ::DestroyMenu(help);
    throw std::runtime_error("CreateMenu failed");
  }
  auto add = [](HMENU m, int id, const char* caption) {
    ::AppendMenuW(m, MF_STRING, static_cast<UINT_PTR>(id), Utf8(caption).c_str());
  };
  add(tool, ids::kLook1, "指定したデータを見る (&Look) ...");
  ::AppendMenuW(tool, MF_SEPARATOR, 0, nullptr);
  add(tool, ids::kUnify1, "他のアドレスと統合する (&Unify) ...");
  add(tool, ids::kSeparate1, "他のアドレスと分離する (&Separate) ...");
  ::AppendMenuW(tool, MF_SEPARATOR, 0, nullptr);
  add(tool, ids::kHide1, "このウィンドウを隠す (&Hide)");
  ::AppendMenuW(tool, MF_SEPARATOR, 0, nullptr);
  add(tool, ids::kOption1, "オプション (&Option) ...");
  add(help, ids::kContents1, "目次 (&Contents)");
  ::AppendMenuW(help, MF_SEPARATOR, 0, nullptr);
  add(help, ids::kVersion1, "バージョン情報 (&Version) ...");
  ::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(tool),
                Utf8("ツール(&T)").c_str());
  ::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(help),
                Utf8("ヘルプ(&H)").c_str());
  toolMenu_ = tool;
  pendingMenu_ = std::move(bar);
}

int MainFormWindow::LineHeight() const {
  WindowDc dc(wnd_.get());
  SelectGuard select(dc.get(), formFont_.get());
  TEXTMETRICW tm{};
  if (!::GetTextMetricsW(dc.get(), &tm)) return kLabelHeight;
  return std::max<int>(kLabelHeight, tm.tmHeight);
}

void MainFormWindow::CreateControls() {
  HWND form = wnd_.get();
  RECT rc{};
  ::GetClientRect(form, &rc);
  const int w = rc.right, h = rc.bottom, line = LineHeight();
  importanceCheck_ = Require(
      CreateDocked(form, L"BUTTON", Utf8("重要").c_str(),
                   WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, ids::kImportanceCheck, 0, 0, w,
                   kCheckHeight, Align::Top),
      "ImportanceCheck");
  panel0_ = Require(CreatePanel(form, 0, kCheckHeight, w, h, Align::Client), "Panel0");
  SetId(panel0_, ids::kPanel0);
  senderLabel_ = Require(CreateDocked(panel0_, L"STATIC", Utf8("差出人").c_str(), kLabelStyle,
                                      ids::kSenderLabel, 0, 0, w, line, Align::Top),
                         "SenderLabel");
  panel1_ = Require(CreatePanel(panel0_, 0, line, w, h, Align::Client), "Panel1");
  SetId(panel1_, ids::kPanel1);
  addressLabel_ = Require(
      CreateDocked(panel1_, L"STATIC", Utf8("差出人のアドレス").c_str(), kLabelStyle,
                   ids::kAddressLabel, 0, 0, w, line, Align::Top),
      "AddressLabel");
  panel2_ = Require(CreatePanel(panel1_, 0, line, w, h, Align::Client), "Panel2");
  SetId(panel2_, ids::kPanel2);
  otherAddressLabel_ = Require(
      CreateDocked(panel2_, L"STATIC", Utf8("差出人の他のアドレス").c_str(),
                   WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX | SS_LEFT, ids::kOtherAddressLabel, 0, 0,
                   w, line, Align::Top),
      "OtherAddressLabel");
  memoMemo_ = Require(CreateDocked(panel2_, L"EDIT", L"", kMemoStyle | WS_DISABLED,
                                   ids::kMemoMemo, 0, line, w, h, Align::Client,
                                   WS_EX_CLIENTEDGE),
                      "MemoMemo");
  meiboMemo_ = Require(CreateDocked(panel2_, L"EDIT", L"", kMemoStyle | ES_READONLY,
                                    ids::kMeiboMemo, 0, kParkBottom - kMeiboHeight, w,
                                    kMeiboHeight, Align::Bottom, WS_EX_CLIENTEDGE),
                       "MeiboMemo");
  splitter1_ = Require(CreateSplitter(panel2_, ids::kSplitter1, 0,
                                      kParkBottom - kMeiboHeight - kSplitterHeight, w,
                                      kSplitterHeight, Align::Bottom),
                       "Splitter1");
  for (HWND c : {senderLabel_, addressLabel_, otherAddressLabel_, memoMemo_, meiboMemo_}) {
    InstallMouseSubclass(c, this);
  }
  // Both memo boxes hold whole data files' worth of text, beyond the edit control's default.
  ::SendMessageW(memoMemo_, EM_SETLIMITTEXT, 0, 0);
  ::SendMessageW(meiboMemo_, EM_SETLIMITTEXT, 0, 0);
  for (HWND c : {importanceCheck_, senderLabel_, addressLabel_, otherAddressLabel_, meiboMemo_}) {
    ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
  }
}

void MainFormWindow::SetEnglishCaptions() {
  HMENU bar = ::GetMenu(wnd_.get());
  HMENU help = ::GetSubMenu(bar, 1);
  SetMenuCaption(bar, 0, true, L"&Tool");
  SetMenuCaption(bar, 1, true, L"&Help");
  SetMenuCaption(toolMenu_, ids::kLook1, false, L"&Look");
  SetMenuCaption(toolMenu_, ids::kUnify1, false, L"&Unify");
  SetMenuCaption(toolMenu_, ids::kSeparate1, false, L"&Separate");
  SetMenuCaption(toolMenu_, ids::kHide1, false, L"&Hide");
  SetMenuCaption(toolMenu_, ids::kOption1, false, L"&Option");
  SetMenuCaption(help, ids::kContents1, false, L"&Contents");
  SetMenuCaption(help, ids::kVersion1, false, L"&Version");
  ::DrawMenuBar(wnd_.get());
  ::SetWindowTextW(addressLabel_, L"Sender Address");
  ::SetWindowTextW(otherAddressLabel_, L"Other Address");
  ::SetWindowTextW(senderLabel_, L"Sender");
  ::SetWindowTextW(importanceCheck_, L"Important");
}

// Moves an older data file without the dot ("Pinotedat") to its ".dat" name, then loads the
// store and merges the name list.
void MainFormWindow::LoadData() {
  const std::string& library = PluginFileName();
  if (library.empty()) return;  // no known home: nothing to read, and no stray relative file
  FileSystem& fs = SystemFileSystem();
  const std::string dataPath = DataPathFor(library);
  const std::string legacyPath = LegacyDataPathFor(library);
  try {
    if (!fs.Exists(dataPath) && fs.Exists(legacyPath)) fs.Rename(legacyPath, dataPath);
  } catch (const FileError&) {
    // A failed move leaves the old file where it is; the store then starts empty.
  }
  Guarded(wnd_.get(), [&] { data_.Load(dataPath); });
  Guarded(wnd_.get(), [&] { data_.LoadNameList(Settings().ReadString("Meibo", "Path", "")); });
}

void MainFormWindow::PlaceWindow() {
  RECT r{};
  ::GetWindowRect(wnd_.get(), &r);
  const int width = r.right - r.left;
  const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
  ::SetWindowPos(wnd_.get(), nullptr, screenW - width, 0, width, screenH,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  LoadFormPlacement(wnd_.get(), "MainForm", true);
}

void MainFormWindow::SetMeiboHeight(int height) {
  RECT r{};
  ::GetWindowRect(meiboMemo_, &r);
  ::MapWindowPoints(HWND_DESKTOP, panel2_, reinterpret_cast<POINT*>(&r), 2);
  const int h = std::max(height, 0);
  ::SetWindowPos(meiboMemo_, nullptr, r.left, r.bottom - h, r.right - r.left, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  DockSplitterAboveMeibo();
}

// Puts Splitter1 directly on top of MeiboMemo, so the layout keeps it there: the docking
// layer orders bottom-docked controls by their bottom edges.
void MainFormWindow::DockSplitterAboveMeibo() {
  RECT m{}, s{};
  ::GetWindowRect(meiboMemo_, &m);
  ::GetWindowRect(splitter1_, &s);
  ::MapWindowPoints(HWND_DESKTOP, panel2_, reinterpret_cast<POINT*>(&m), 2);
  const int h = s.bottom - s.top;
  ::SetWindowPos(splitter1_, nullptr, m.left, m.top - h, m.right - m.left, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainFormWindow::FormCreate() {
  if (!IsJapanese()) SetEnglishCaptions();
  LoadData();
  PlaceWindow();
  SetMeiboHeight(Settings().ReadInt("Meibo", "Height", kMeiboHeight));
  ::SendMessageW(importanceCheck_, BM_SETCHECK, BST_UNCHECKED, 0);
  loading_ = false;
  ApplySettings();
}

}  // namespace pinote
