// The Becky! 2 plug-in interface as this plug-in uses it: the host's "BKA_" entry points, the
// command-callback type and the plug-in's own exports. Shared by Pinote.dll and the stand-in
// host, so both sides are declared from one place. Every function uses WINAPI (__stdcall): on
// i686 a mismatch is a type error with -Werror.
#pragma once

#include <windows.h>

#include <string>

namespace pinote {

using CommandCallback = void(WINAPI*)(HWND window, LPARAM param);

#pragma pack(push, 1)
struct PluginInfoRecord {
  char name[80];
  char vendor[80];
  char version[80];
  char description[256];
};
#pragma pack(pop)
static_assert(sizeof(PluginInfoRecord) == 496, "the host reads 496 bytes");

// Entry points that the plug-in calls.
using BKA_RegisterCommand_t = int(WINAPI*)(LPCSTR comment, int target, CommandCallback callback);
using BKA_Command_t = int(WINAPI*)(HWND window, LPCSTR command);
using BKA_GetWindowHandles_t = BOOL(WINAPI*)(HWND* main, HWND* tree, HWND* list, HWND* view);
using BKA_GetCurrentFolder_t = LPCSTR(WINAPI*)();
using BKA_GetSpecifiedHeader_t = LPSTR(WINAPI*)(LPCSTR header, LPSTR buffer, int size);
using BKA_CompGetSpecifiedHeader_t = LPSTR(WINAPI*)(HWND composer, LPCSTR header, LPSTR buffer,
                                                    int size);
using BKA_CompSetSpecifiedHeader_t = BOOL(WINAPI*)(HWND composer, LPCSTR header, LPCSTR value);
using BKA_GetDataFolder_t = LPCSTR(WINAPI*)();

// The 52 entry points in binding order; X(name) for each.
#define PINOTE_HOST_API(X)                                                                    \
  X(GetVersion) X(Command) X(GetWindowHandles) X(RegisterCommand) X(GetDataFolder)            \
  X(GetTempFolder) X(GetTempFileName) X(SetMessageText) X(GetCurrentMailBox)                  \
  X(SetCurrentMailBox) X(GetCurrentFolder) X(SetCurrentFolder) X(GetFolderDisplayName)        \
  X(GetCurrentMail) X(SetCurrentMail) X(GetNextMail) X(SetSel) X(AppendMessage)               \
  X(MoveSelectedMessages) X(GetStatus) X(GetCharSet) X(GetSource) X(SetSource) X(GetHeader)   \
  X(GetSpecifiedHeader) X(SetSpecifiedHeader) X(GetText) X(SetText) X(ComposeMail)           \
  X(CompGetCharSet) X(CompGetSource) X(CompSetSource) X(CompGetHeader)                        \
  X(CompGetSpecifiedHeader) X(CompSetSpecifiedHeader) X(CompGetText) X(CompSetText)           \
  X(CompAttachFile) X(Alloc) X(ReAlloc) X(Free) X(ISO_2022_JP) X(ISO_2022_KR) X(HZ_GB2312)    \
  X(ISO_8859_2) X(EUC_JP) X(UTF_7) X(UTF_8) X(B64Convert) X(QPConvert) X(MIMEHeader)          \
  X(SerializeRcpts)

// The plug-in's exports, as the host calls them.
using BKC_OnStart_t = int(WINAPI*)();
using BKC_OnExit_t = int(WINAPI*)();
using BKC_OnMenuInit_t = int(WINAPI*)(HWND window, HMENU menu, int type);
using BKC_OnOpenMail_t = int(WINAPI*)(LPCSTR mailId);
using BKC_OnOutgoing_t = int(WINAPI*)(HWND composer, int mode);
using BKC_OnPlugInSetup_t = int(WINAPI*)(HWND window);
using BKC_OnPlugInInfo_t = int(WINAPI*)(PluginInfoRecord* info);
using NeverPrecede_t = LPCSTR(WINAPI*)();
using NeverFollow_t = LPCSTR(WINAPI*)();

// Menu types passed to BKC_OnMenuInit.
inline constexpr int kMenuMain = 0, kMenuMessageView = 3, kMenuEditor = 4;

// The bound entry points, null until bound.
struct HostApiTable {
#define PINOTE_HOST_FIELD(name) FARPROC name = nullptr;
  PINOTE_HOST_API(PINOTE_HOST_FIELD)
#undef PINOTE_HOST_FIELD
};
[[nodiscard]] HostApiTable& HostApi();
// Whether all 52 entry points were found.
[[nodiscard]] bool HostApiBound();
// Binds the 52 entry points of the running executable when it is "B2.exe". A process whose own
// program is not "B2.exe" is no host: nothing is bound. Shows nothing: it runs inside the loader
// lock, where a message box would stall every other thread that loads a library.
bool BindHostApi();
// The version-mismatch message, when BindHostApi found a "B2.exe" lacking an entry point: shown
// by the first entry point the host calls after loading, once; later calls do nothing.
void TellVersionMismatchOnce() noexcept;

// The plug-in's file found by its name among the host's plug-ins: the first library in
// PlugIns\*.DLL under the host program's folder, then under the host's data folder, whose
// BKC_OnPlugInInfo reports "Quillet for Becky!2"; "" when none does. Loads each candidate.
[[nodiscard]] std::string SearchHostPluginFolders();

// Typed access to the entry points the plug-in calls (only valid when HostApiBound()).
template <class Fn>
[[nodiscard]] Fn HostFn(FARPROC p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

}  // namespace pinote
