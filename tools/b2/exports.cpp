// The 52 "BKA_" entry points that B2.exe exports to its plug-ins (see b2.def). The ones that
// plug-ins here rely on do the real work; every other one answers with a neutral value, as a
// host without that feature would. None lets an exception reach the plug-in.
#include <cstring>
#include <string>

#include "b2.h"

namespace {

using namespace b2;

template <class R, class F>
R Safe(R fallback, F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    Log("error export threw");
    return fallback;
  }
}

// Copies at most `size` bytes of `value` and a terminating zero (the buffer holds size + 1).
LPSTR CopyOut(const std::string& value, LPSTR buffer, int size) {
  if (!buffer || size < 0) return buffer;
  size_t n = std::min(value.size(), static_cast<size_t>(size));
  memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return buffer;
}

const Mail* CurrentMail() {
  const Host& h = H();
  if (h.current_folder < 0 || h.current_mail < 0) return nullptr;
  const Folder& f = Folders()[static_cast<size_t>(h.current_folder)];
  if (h.current_mail >= static_cast<int>(f.mails.size())) return nullptr;
  return &f.mails[static_cast<size_t>(h.current_mail)];
}

std::string Text(LPCSTR s) { return s ? std::string(s) : std::string(); }

}  // namespace

extern "C" {

// ---- the entry points with behaviour ----

int WINAPI BKA_RegisterCommand(LPCSTR comment, int target, pinote::CommandCallback callback) {
  return Safe(0, [&] { return RegisterCommand(Text(comment), target, callback); });
}

int WINAPI BKA_Command(HWND window, LPCSTR command) {
  return Safe(0, [&] {
    std::string cmd = Text(command);
    HWND edit = nullptr;
    if (window == H().view || window == H().main) edit = H().view;
    else if (IsComposer(window)) edit = ComposerEditor(window);
    else if (IsComposer(GetParent(window))) edit = window;
    Log("bka Command " + Quote(cmd) + " window=" + Quote(Utf8(ClassOf(window))));
    if (cmd == "EditCopy" && edit) {
      SendMessageW(edit, WM_COPY, 0, 0);
      return 1;
    }
    return 0;
  });
}

BOOL WINAPI BKA_GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view) {
  if (main) *main = H().main;
  if (tree) *tree = H().tree;
  if (list) *list = H().list;
  if (view) *view = H().view;
  return TRUE;
}

LPCSTR WINAPI BKA_GetCurrentFolder() {
  Log("bka GetCurrentFolder -> " + Quote(AnsiToUtf8(H().current_folder_text)));
  return H().current_folder_text.c_str();
}

LPSTR WINAPI BKA_GetSpecifiedHeader(LPCSTR header, LPSTR buffer, int size) {
  return Safe(buffer, [&] {
    const Mail* m = CurrentMail();
    std::string value = m ? m->Header(Text(header)) : std::string();
    Log("bka GetSpecifiedHeader " + Quote(Text(header)) + " size=" + std::to_string(size) +
        " -> " + Quote(AnsiToUtf8(value)));
    return CopyOut(value, buffer, size);
  });
}

LPSTR WINAPI BKA_CompGetSpecifiedHeader(HWND composer, LPCSTR header, LPSTR buffer, int size) {
  return Safe(buffer, [&] {
    std::string value = IsComposer(composer) ? ComposerHeader(composer, Text(header)) : "";
    Log("bka CompGetSpecifiedHeader " + Quote(Text(header)) + " size=" + std::to_string(size) +
        " -> " + Quote(AnsiToUtf8(value)));
    return CopyOut(value, buffer, size);
  });
}

BOOL WINAPI BKA_CompSetSpecifiedHeader(HWND composer, LPCSTR header, LPCSTR value) {
  return Safe(FALSE, [&] {
    if (!IsComposer(composer) || !header) return FALSE;
    Log("bka CompSetSpecifiedHeader " + Quote(Text(header)) + " " + Quote(AnsiToUtf8(Text(value))));
    SetComposerHeader(composer, Text(header), Text(value));
    return TRUE;
  });
}

LPCSTR WINAPI BKA_GetDataFolder() {
  static std::string folder;
  folder = Utf8ToAnsi(Utf8(Opt().data_folder));
  return folder.c_str();
}

// ---- the rest: neutral answers ----

int WINAPI BKA_GetVersion() { return 0; }
LPCSTR WINAPI BKA_GetTempFolder() { return nullptr; }
LPSTR WINAPI BKA_GetTempFileName(LPCSTR) { return nullptr; }
void WINAPI BKA_SetMessageText(HWND, LPCSTR) {}
LPCSTR WINAPI BKA_GetCurrentMailBox() { return nullptr; }
void WINAPI BKA_SetCurrentMailBox(LPCSTR) {}
void WINAPI BKA_SetCurrentFolder(LPCSTR) {}
LPCSTR WINAPI BKA_GetFolderDisplayName(LPCSTR) { return nullptr; }
LPCSTR WINAPI BKA_GetCurrentMail() { return nullptr; }
void WINAPI BKA_SetCurrentMail(LPCSTR) {}
int WINAPI BKA_GetNextMail(int, LPSTR, int, int*, BOOL) { return -1; }
void WINAPI BKA_SetSel(LPCSTR, BOOL) {}
BOOL WINAPI BKA_AppendMessage(LPCSTR, LPCSTR) { return FALSE; }
BOOL WINAPI BKA_MoveSelectedMessages(LPCSTR, BOOL) { return FALSE; }
DWORD WINAPI BKA_GetStatus(LPCSTR) { return 0; }
LPSTR WINAPI BKA_GetCharSet(LPCSTR, LPSTR, int) { return nullptr; }
LPSTR WINAPI BKA_GetSource(LPCSTR) { return nullptr; }
void WINAPI BKA_SetSource(LPCSTR, LPCSTR) {}
LPSTR WINAPI BKA_GetHeader(LPCSTR) { return nullptr; }
void WINAPI BKA_SetSpecifiedHeader(LPCSTR, LPCSTR) {}
LPSTR WINAPI BKA_GetText(LPSTR, int) { return nullptr; }
int WINAPI BKA_SetText(int, LPCSTR) { return 0; }
HWND WINAPI BKA_ComposeMail(LPCSTR) { return nullptr; }
int WINAPI BKA_CompGetCharSet(HWND, LPSTR, int) { return 0; }
LPSTR WINAPI BKA_CompGetSource(HWND) { return nullptr; }
void WINAPI BKA_CompSetSource(HWND, LPCSTR) {}
LPSTR WINAPI BKA_CompGetHeader(HWND) { return nullptr; }
LPSTR WINAPI BKA_CompGetText(HWND, LPSTR, int) { return nullptr; }
void WINAPI BKA_CompSetText(HWND, int, LPCSTR) {}
void WINAPI BKA_CompAttachFile(HWND, LPCSTR, LPCSTR) {}
LPVOID WINAPI BKA_Alloc(DWORD) { return nullptr; }
LPVOID WINAPI BKA_ReAlloc(LPVOID, DWORD) { return nullptr; }
void WINAPI BKA_Free(LPVOID) {}
BOOL WINAPI BKA_ISO_2022_JP(LPCSTR, LPSTR, BOOL) { return FALSE; }
BOOL WINAPI BKA_ISO_2022_KR(LPCSTR, LPSTR, BOOL) { return FALSE; }
BOOL WINAPI BKA_HZ_GB2312(LPCSTR, LPSTR, BOOL) { return FALSE; }
BOOL WINAPI BKA_ISO_8859_2(LPCSTR, LPSTR, BOOL) { return FALSE; }
BOOL WINAPI BKA_EUC_JP(LPCSTR, LPSTR, BOOL) { return FALSE; }
BOOL WINAPI BKA_UTF_7(LPCSTR, LPSTR, BOOL) { return FALSE; }
BOOL WINAPI BKA_UTF_8(LPCSTR, LPSTR, BOOL) { return FALSE; }
int WINAPI BKA_B64Convert(LPCSTR, LPCSTR, BOOL) { return 0; }
int WINAPI BKA_QPConvert(LPCSTR, LPCSTR, BOOL) { return 0; }
LPSTR WINAPI BKA_MIMEHeader(LPCSTR, LPSTR, int, BOOL) { return nullptr; }
LPSTR WINAPI BKA_SerializeRcpts(LPCSTR) { return nullptr; }

}  // extern "C"

// The entry points a plug-in calls must keep the types the plug-in was built against.
#define B2_CHECK_TYPE(name)                                                                  \
  static_assert(std::is_same_v<decltype(&BKA_##name), pinote::BKA_##name##_t>, #name);
B2_CHECK_TYPE(RegisterCommand)
B2_CHECK_TYPE(Command)
B2_CHECK_TYPE(GetWindowHandles)
B2_CHECK_TYPE(GetCurrentFolder)
B2_CHECK_TYPE(GetSpecifiedHeader)
B2_CHECK_TYPE(CompGetSpecifiedHeader)
B2_CHECK_TYPE(CompSetSpecifiedHeader)
B2_CHECK_TYPE(GetDataFolder)
#undef B2_CHECK_TYPE
