// Plug-in libraries from the PlugIns folder beside B2.exe, driven like the real host: every
// callback is optional, each call is logged with its result.
#include <algorithm>
#include <cwctype>

#include "b2.h"
#include "measure.h"
#include "plugin_call.h"

namespace b2 {
namespace {

template <class Fn>
Fn Get(HMODULE m, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

std::string Field(const char* f, size_t size) {
  return AnsiToUtf8(std::string(f, strnlen(f, size)));
}

// Calls `call` and logs "call WHAT plugin="X.dll" -> RESULT us=DURATION"; the duration is also
// a sample under "KEY@X.dll".
template <class Call>
void CallAndLog(const Plugin& p, const std::string& what, const std::string& key, Call call) {
  Stopwatch watch;
  const int result = call();
  const double us = watch.Micros();
  RecordSample(key + "@" + p.name(), us);
  Log("call " + what + " plugin=" + Quote(p.name()) + " -> " + std::to_string(result) +
      " us=" + Micros(us));
}

// "BKC_OnStart plugin="Pinote.dll"": a call's name in a stack fault line.
std::string Called(const Plugin& p, const char* entry) {
  return std::string(entry) + " plugin=" + Quote(p.name());
}

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

}  // namespace

std::string Plugin::name() const { return Utf8(file.substr(file.find_last_of(L'\\') + 1)); }

std::vector<Plugin>& Plugins() {
  static std::vector<Plugin> plugins;
  return plugins;
}

void LoadPlugins() {
  std::wstring dir = Opt().exe_folder + L"PlugIns\\";
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"*.dll").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  // A fixed order, whatever the file system lists first.
  std::sort(files.begin(), files.end(),
            [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
  for (const std::wstring& f : files) {
    Plugin p;
    p.file = dir + f;
    Log("plugin-loading " + Quote(p.name()));
    p.module = LoadLibraryW(p.file.c_str());
    if (!p.module) {
      Log("plugin-load-failed " + Quote(p.name()) + " error=" + std::to_string(GetLastError()));
      continue;
    }
    if (Opt().fake_shell) FakeShellFor(p.module);
    p.on_start = Get<pinote::BKC_OnStart_t>(p.module, "BKC_OnStart");
    p.on_exit = Get<pinote::BKC_OnExit_t>(p.module, "BKC_OnExit");
    p.on_menu_init = Get<pinote::BKC_OnMenuInit_t>(p.module, "BKC_OnMenuInit");
    p.on_open_mail = Get<pinote::BKC_OnOpenMail_t>(p.module, "BKC_OnOpenMail");
    p.on_outgoing = Get<pinote::BKC_OnOutgoing_t>(p.module, "BKC_OnOutgoing");
    p.on_setup = Get<pinote::BKC_OnPlugInSetup_t>(p.module, "BKC_OnPlugInSetup");
    p.on_info = Get<pinote::BKC_OnPlugInInfo_t>(p.module, "BKC_OnPlugInInfo");
    p.never_precede = Get<pinote::NeverPrecede_t>(p.module, "NeverPrecede");
    p.never_follow = Get<pinote::NeverFollow_t>(p.module, "NeverFollow");
    Log("plugin-loaded " + Quote(p.name()));
    Plugins().push_back(std::move(p));
  }
}

void CallMenuInit(HWND window, HMENU menu, int type) {
  for (const Plugin& p : Plugins())
    if (p.on_menu_init)
      CallAndLog(p, "BKC_OnMenuInit type=" + std::to_string(type),
                 "BKC_OnMenuInit(" + std::to_string(type) + ")", [&] {
                   return CallPlugin(Called(p, "BKC_OnMenuInit"), p.on_menu_init, window, menu,
                                     type);
                 });
}

void CallStart() {
  for (const Plugin& p : Plugins())
    if (p.on_start)
      CallAndLog(p, "BKC_OnStart", "BKC_OnStart",
                 [&] { return CallPlugin(Called(p, "BKC_OnStart"), p.on_start); });
}

void CallOpenMail(const std::string& mail_id) {
  for (const Plugin& p : Plugins())
    if (p.on_open_mail)
      CallAndLog(p, "BKC_OnOpenMail", "BKC_OnOpenMail", [&] {
        return CallPlugin(Called(p, "BKC_OnOpenMail"), p.on_open_mail, mail_id.c_str());
      });
}

void CallOutgoing(HWND composer) {
  for (const Plugin& p : Plugins())
    if (p.on_outgoing)
      CallAndLog(p, "BKC_OnOutgoing mode=0", "BKC_OnOutgoing", [&] {
        return CallPlugin(Called(p, "BKC_OnOutgoing"), p.on_outgoing, composer, 0);
      });
}

void CallSetup(HWND window) {
  for (const Plugin& p : Plugins())
    if (p.on_setup)
      CallAndLog(p, "BKC_OnPlugInSetup", "BKC_OnPlugInSetup",
                 [&] { return CallPlugin(Called(p, "BKC_OnPlugInSetup"), p.on_setup, window); });
}

// The record is pre-filled with a marker so that the log also shows whether a plug-in wrote
// past the end of a field's text (it must leave the rest as the caller had it).
void CallInfo() {
  for (const Plugin& p : Plugins()) {
    if (p.on_info) {
      pinote::PluginInfoRecord rec;
      memset(&rec, '#', sizeof rec);
      int r = CallPlugin(Called(p, "BKC_OnPlugInInfo"), p.on_info, &rec);
      auto tail_kept = [](const char* f, size_t size) {
        size_t n = strnlen(f, size);
        for (size_t i = n + 1; i < size; ++i)
          if (f[i] != '#') return false;
        return n < size;
      };
      bool kept = tail_kept(rec.name, 80) && tail_kept(rec.vendor, 80) &&
                  tail_kept(rec.version, 80) && tail_kept(rec.description, 256);
      Log("info plugin=" + Quote(p.name()) + " result=" + std::to_string(r) +
          " name=" + Quote(Field(rec.name, 80)) + " vendor=" + Quote(Field(rec.vendor, 80)) +
          " version=" + Quote(Field(rec.version, 80)) +
          " description=" + Quote(Field(rec.description, 256)) +
          " tails-kept=" + (kept ? "1" : "0"));
    }
    for (auto [label, fn] : {std::pair{"NeverPrecede", p.never_precede},
                             std::pair{"NeverFollow", p.never_follow}}) {
      if (!fn) continue;
      const char* a = CallPlugin(Called(p, label), fn);
      const char* b = CallPlugin(Called(p, label), fn);
      Log(std::string("info-") + label + " plugin=" + Quote(p.name()) +
          " null=" + (a ? "0" : "1") + " same=" + (a == b ? "1" : "0") +
          " text=" + (a ? Quote(AnsiToUtf8(a)) : std::string("\"\"")));
    }
  }
}

void CallExit() {
  for (const Plugin& p : Plugins())
    if (p.on_exit)
      CallAndLog(p, "BKC_OnExit", "BKC_OnExit",
                 [&] { return CallPlugin(Called(p, "BKC_OnExit"), p.on_exit); });
}

void ReportStackFault(const std::string& call, int32_t stack_error) {
  Log("fault stack call=" + call + " bytes-left=" + std::to_string(stack_error));
}

void UnloadPlugins() {
  for (Plugin& p : Plugins()) {
    if (p.module) FreeLibrary(p.module);
    p.module = nullptr;
    Log("plugin-unloaded " + Quote(p.name()));
  }
  Plugins().clear();
}

}  // namespace b2
