// The host's main window: folder tree, mail list and read-only message view, the way plug-ins
// see them through BKA_GetWindowHandles.
#include <windowsx.h>

#include <memory>

#include "b2.h"

#include <commctrl.h>

namespace b2 {
namespace {

constexpr wchar_t kMainClass[] = L"B2MainWnd";
constexpr int kTreeId = 10, kListId = 11, kViewId = 12;
WNDPROC view_proc = nullptr;

struct Task {
  std::function<void()> fn;
  HANDLE done = nullptr;
};

// The view's right click builds the context menu (type 3) as the real host does, so plug-ins
// can add to it, and dispatches the chosen item with the view as the origin window.
LRESULT CALLBACK ViewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CONTEXTMENU) {
    HMENU menu = BuildContextMenu(w, pinote::kMenuMessageView);
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (pt.x == -1 && pt.y == -1) GetCursorPos(&pt);
    int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, H().main,
                            nullptr);
    DestroyMenu(menu);
    if (id) DispatchCommand(id, w);
    return 0;
  }
  return CallWindowProcW(view_proc, w, msg, wp, lp);
}

void FillTree() {
  HTREEITEM parents[2] = {TVI_ROOT, TVI_ROOT};
  auto& folders = Folders();
  for (size_t i = 0; i < folders.size(); ++i) {
    TVINSERTSTRUCTW ins{};
    ins.hParent = i == 0 ? TVI_ROOT : (i == 1 ? parents[0] : parents[1]);
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = const_cast<wchar_t*>(folders[i].label.c_str());
    ins.item.lParam = static_cast<LPARAM>(i);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(H().tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    H().tree_items.push_back(item);
    if (i < 2) parents[i] = item;
  }
  for (HTREEITEM p : parents) SendMessageW(H().tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)p);
}

void FillList() {
  ListView_DeleteAllItems(H().list);
  const Folder& f = Folders()[static_cast<size_t>(H().current_folder)];
  for (size_t i = 0; i < f.mails.size(); ++i) {
    const Mail& m = f.mails[i];
    std::wstring from = DecodeHeaderForDisplay(m.Header("From"), m.CodePage());
    std::wstring subject = DecodeHeaderForDisplay(m.Header("Subject"), m.CodePage());
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(subject.c_str());
    int at = static_cast<int>(SendMessageW(H().list, LVM_INSERTITEMW, 0, (LPARAM)&item));
    item.iItem = at;
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(from.c_str());
    SendMessageW(H().list, LVM_SETITEMTEXTW, at, (LPARAM)&item);
  }
}

void OnNotify(NMHDR* n) {
  if (n->idFrom == kTreeId && n->code == TVN_SELCHANGEDW) {
    auto* tv = reinterpret_cast<NMTREEVIEWW*>(n);
    SelectFolder(static_cast<int>(tv->itemNew.lParam));
  } else if (n->idFrom == kListId && n->code == NM_DBLCLK) {
    auto* ia = reinterpret_cast<NMITEMACTIVATE*>(n);
    if (ia->iItem >= 0) OpenMail(ia->iItem);
  } else if (n->idFrom == kListId && n->code == LVN_ITEMCHANGED) {
    auto* lv = reinterpret_cast<NMLISTVIEW*>(n);
    if ((lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED) &&
        lv->iItem != H().current_mail)
      OpenMail(lv->iItem);
  }
}

void OnClose() {
  CallExit();
  // The plug-ins release their windows on the next pass of the message loop; let that happen
  // while every window still exists.
  MSG msg;
  for (int i = 0; i < 20; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  DestroyWindow(H().main);
}

LRESULT CALLBACK MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE: LayoutMain(); return 0;
    case WM_NOTIFY: OnNotify(reinterpret_cast<NMHDR*>(lp)); return 0;
    case WM_COMMAND:
      if (lp == 0 && DispatchCommand(LOWORD(wp), w)) return 0;
      break;
    case kRunMessage: {
      std::unique_ptr<Task> task(reinterpret_cast<Task*>(lp));
      try {
        task->fn();
      } catch (...) {
        Log("error ui-task threw");
      }
      if (task->done) SetEvent(task->done);
      return 0;
    }
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

Host& H() {
  static Host h;
  return h;
}

void LayoutMain() {
  RECT rc;
  GetClientRect(H().main, &rc);
  int tree_w = 200, list_h = (rc.bottom - rc.top) * 2 / 5;
  MoveWindow(H().tree, 0, 0, tree_w, rc.bottom, TRUE);
  MoveWindow(H().list, tree_w + 2, 0, rc.right - tree_w - 2, list_h, TRUE);
  MoveWindow(H().view, tree_w + 2, list_h + 2, rc.right - tree_w - 2, rc.bottom - list_h - 2,
             TRUE);
}

bool CreateMainWindow(HINSTANCE inst) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kMainClass;
  if (!RegisterClassExW(&wc)) return false;
  Host& h = H();
  h.main = CreateWindowExW(0, kMainClass, L"Becky! Ver.2 (B2 stand-in)", WS_OVERLAPPEDWINDOW,
                           20, 20, 900, 640, nullptr, nullptr, inst, nullptr);
  if (!h.main) return false;
  DWORD child = WS_CHILD | WS_VISIBLE | WS_BORDER;
  h.tree = CreateWindowExW(0, WC_TREEVIEWW, L"", child | TVS_HASLINES | TVS_HASBUTTONS |
                           TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0, 10, 10, h.main,
                           (HMENU)(INT_PTR)kTreeId, inst, nullptr);
  h.list = CreateWindowExW(0, WC_LISTVIEWW, L"", child | LVS_REPORT | LVS_SINGLESEL |
                           LVS_SHOWSELALWAYS, 0, 0, 10, 10, h.main, (HMENU)(INT_PTR)kListId,
                           inst, nullptr);
  h.view = CreateWindowExW(0, L"EDIT", L"", child | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                           ES_AUTOVSCROLL, 0, 0, 10, 10, h.main, (HMENU)(INT_PTR)kViewId, inst,
                           nullptr);
  if (!h.tree || !h.list || !h.view) return false;
  ListView_SetExtendedListViewStyle(h.list, LVS_EX_FULLROWSELECT);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 380;
  col.pszText = const_cast<wchar_t*>(L"Subject");
  SendMessageW(h.list, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
  col.cx = 260;
  col.pszText = const_cast<wchar_t*>(L"From");
  SendMessageW(h.list, LVM_INSERTCOLUMNW, 1, (LPARAM)&col);
  view_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(h.view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ViewProc)));
  FillTree();
  LayoutMain();
  return true;
}

void SelectFolder(int index) {
  if (index < 0 || index >= static_cast<int>(Folders().size())) return;
  Host& h = H();
  if (h.current_folder == index && !h.current_folder_text.empty()) return;
  h.current_folder = index;
  h.current_folder_text = Folders()[static_cast<size_t>(index)].id;
  h.current_mail = -1;
  SetWindowTextW(h.view, L"");
  FillList();
  Log("folder " + Quote(AnsiToUtf8(h.current_folder_text)) + " mails=" +
      std::to_string(Folders()[static_cast<size_t>(index)].mails.size()));
}

bool OpenMail(int index) {
  Host& h = H();
  const Folder& f = Folders()[static_cast<size_t>(h.current_folder)];
  if (index < 0 || index >= static_cast<int>(f.mails.size())) return false;
  const Mail& m = f.mails[static_cast<size_t>(index)];
  h.current_mail = index;
  ListView_SetItemState(h.list, index, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  SetWindowTextW(h.view, m.Display().c_str());
  std::wstring file = m.file.substr(m.file.find_last_of(L'\\') + 1);
  UINT cp = m.CodePage();
  Log("open-mail " + std::to_string(index) + " file=" + Quote(Utf8(file)) + " from=" +
      Quote(Utf8(DecodeHeaderForDisplay(m.Header("From"), cp))));
  CallOpenMail(h.current_folder_text + Utf8ToAnsi(Utf8(file)));
  return true;
}

bool RunOnUi(std::function<void()> fn, DWORD wait_ms) {
  auto* task = new Task{std::move(fn), nullptr};
  HANDLE done = wait_ms ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
  task->done = done;
  if (!PostMessageW(H().main, kRunMessage, 0, reinterpret_cast<LPARAM>(task))) {
    delete task;
    if (done) CloseHandle(done);
    return false;
  }
  if (!done) return true;
  bool ok = WaitForSingleObject(done, wait_ms) == WAIT_OBJECT_0;
  // On a time-out the task still holds the event; it is left open rather than freed under it.
  if (ok) CloseHandle(done);
  return ok;
}

}  // namespace b2
