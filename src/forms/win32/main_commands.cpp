// The memo window's menu commands and mouse actions: look up any stored memo, unify and
// separate addresses, hide, options, help, About, copy a label, open what a memo line names.
#include "forms/win32/main_commands.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "common/mbtext.h"
#include "common/win32/env.h"
#include "common/win32/help.h"
#include "forms/memo_link.h"
#include "forms/win32/control_ids.h"
#include "forms/win32/main_form.h"
#include "forms/win32/modal.h"
#include "forms/win32/setup_form.h"
#include "forms/win32/unify_form.h"
#include "host/win32/about_form.h"
#include "store/record_operations.h"

namespace pinote {
namespace {

void Warn(HWND owner, const char* titleJa, const char* titleEn, const char* textJa,
          const char* textEn) {
  ::MessageBoxW(owner, Tr(textJa, textEn).c_str(), Tr(titleJa, titleEn).c_str(),
                MB_OK | MB_ICONWARNING);
}

void Look1Click(TMainForm& form) {
  const UnifyResult r = ShowUnifyForm(form.Handle(), form.Data(), Tr("見る", "See"));
  if (!r.ok) return;
  const std::optional<std::string> picked = PickedAddress(form.Data(), r.record, r.address);
  if (!picked) return;
  form.ShowMemo(form.Handle(), *picked, "", true);
}

void Unify1Click(TMainForm& form) {
  if (!form.IsAddressShown()) return;
  const UnifyResult r = ShowUnifyForm(form.Handle(), form.Data(), Tr("統合する", "Unify"));
  if (!r.ok) return;
  const std::string cur = form.AddressText();
  switch (Unify(form.Data(), cur, r.record, r.address)) {
    case UnifyOutcome::kUnified:
      form.ShowMemo(form.Handle(), cur, form.SenderText(), true);
      break;
    case UnifyOutcome::kSameAddress:
      Warn(form.Handle(), "同一アドレス", "Same Address", "同じアドレスに統合することはできません。",
           "Can't unify with the same address.");
      break;
    case UnifyOutcome::kAlreadyUnified:
      Warn(form.Handle(), "統合済み", "Unified", "既に統合されています。",
           "These addresses have already been unified.");
      break;
    case UnifyOutcome::kNothingPicked:
    case UnifyOutcome::kAddressNotStored:  // refused: nothing changed
      break;
  }
}

void Separate1Click(TMainForm& form) {
  if (!form.IsAddressShown()) return;
  const std::string cur = form.AddressText();
  if (Separate(form.Data(), cur, form.MemoText(), form.IsImportantChecked()) ==
      SeparateOutcome::kSeparated) {
    form.ShowMemo(form.Handle(), cur, form.SenderText(), true);
  }
}

HICON FormIcon(HWND wnd) {
  auto icon = reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_BIG, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(wnd, GCLP_HICON));
  return icon;
}

void Option1Click(TMainForm& form) {
  HICON icon = nullptr;
  {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    struct Restore {
      HCURSOR cursor;
      ~Restore() { ::SetCursor(cursor); }
    } restore{previous};
    icon = FormIcon(form.Handle());
  }
  const std::string oldPath = Settings().ReadString("Meibo", "Path", "");
  if (!ShowSetupForm(nullptr, icon)) return;
  form.ApplySettings();
  const std::string newPath = Settings().ReadString("Meibo", "Path", "");
  if (newPath != oldPath) form.ReloadData(newPath);
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!::OpenClipboard(owner)) return false;
  struct Close {
    ~Close() { ::CloseClipboard(); }
  } close;
  ::EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (mem == nullptr) return false;
  if (void* p = ::GlobalLock(mem)) {
    std::memcpy(p, text.c_str(), bytes);
    ::GlobalUnlock(mem);
  }
  if (::SetClipboardData(CF_UNICODETEXT, mem) == nullptr) {
    ::GlobalFree(mem);  // still ours when the clipboard did not take it
    return false;
  }
  return true;
}

void CopyLabel(TMainForm& form, int labelId) {
  if (!form.IsAddressShown()) return;
  HWND label = form.Control(labelId);
  if (label == nullptr) return;
  const std::wstring text = WindowText(label);
  if (text.empty()) return;
  const std::wstring question = Tr("クリップボードに入れますか？", "Copy to the Clipboard?");
  const std::wstring title = Tr("差出人", "Sender");
  if (::MessageBoxW(form.Handle(), (question + L"\r\r" + text).c_str(), title.c_str(),
                    MB_YESNO) != IDYES) {
    return;
  }
  PutOnClipboard(form.Handle(), text);
}

// The line of `edit` that holds the caret (the start of the selection); false when none.
bool CaretLine(HWND edit, std::wstring& line) {
  DWORD start = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  const auto n = ::SendMessageW(edit, EM_LINEFROMCHAR, start, 0);
  const auto count = ::SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
  if (n < 0 || n >= count) return false;
  const auto first = ::SendMessageW(edit, EM_LINEINDEX, n, 0);
  if (first < 0) return false;
  const auto length = ::SendMessageW(edit, EM_LINELENGTH, first, 0);
  // EM_GETLINE reads the buffer size from the buffer's first word and writes no terminator.
  line.assign(static_cast<size_t>(std::max<LRESULT>(length, 1)) + 1, L'\0');
  line[0] = static_cast<wchar_t>(line.size() - 1);
  const auto got = ::SendMessageW(edit, EM_GETLINE, n, reinterpret_cast<LPARAM>(line.data()));
  line.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
  return true;
}

void OpenMemoLine(TMainForm& form, int memoId) {
  if (!form.IsAddressShown()) return;
  HWND edit = form.Control(memoId);
  if (edit == nullptr) return;
  std::wstring line;
  if (!CaretLine(edit, line)) return;
  const auto link = ParseMemoLink(Narrow(line));
  if (!link) return;
  // The shell's answer is not shown: a target that cannot be opened simply does nothing.
  ::ShellExecuteA(form.Handle(), "open", link->target.c_str(),
                  link->parameters.empty() ? nullptr : link->parameters.c_str(), nullptr,
                  SW_SHOW);
}

}  // namespace

void OnMainMenuCommand(TMainForm& form, int id) {
  Guarded(form.Handle(), [&] {
    switch (id) {
      case ids::kLook1:
        Look1Click(form);
        break;
      case ids::kUnify1:
        Unify1Click(form);
        break;
      case ids::kSeparate1:
        Separate1Click(form);
        break;
      case ids::kHide1:
        form.Hide();
        break;
      case ids::kOption1:
        Option1Click(form);
        break;
      case ids::kContents1:
        ShowHelp(form.Handle());
        break;
      case ids::kVersion1:
        ShowAbout(form.Handle());
        break;
      default:
        break;
    }
  });
}

void OnToolMenuOpening(TMainForm& form, HMENU toolMenu) {
  Guarded(form.Handle(), [&] {
    const MemoStore& data = form.Data();
    auto enable = [&](int id, bool on) {
      ::EnableMenuItem(toolMenu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(ids::kLook1, data.Count() > 0);
    enable(ids::kUnify1, data.Count() > 1);
    const Person* shown =
        form.IsAddressShown() ? data.Get(data.IndexOfAddress(form.AddressText())) : nullptr;
    enable(ids::kSeparate1, shown != nullptr && shown->Addresses.size() > 1);
  });
}

void OnLabelDoubleClick(TMainForm& form, int labelId) {
  Guarded(form.Handle(), [&] { CopyLabel(form, labelId); });
}

void OnLabelRightClick(TMainForm& form, int labelId) {
  Guarded(form.Handle(), [&] { CopyLabel(form, labelId); });
}

void OnMemoDoubleClick(TMainForm& form, int memoId) {
  Guarded(form.Handle(), [&] { OpenMemoLine(form, memoId); });
}

}  // namespace pinote
