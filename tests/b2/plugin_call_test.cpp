// The stand-in host's checked call into plug-ins: arguments and results pass through on both
// targets; on i686 a callee that does not remove exactly its own arguments is measured and
// reported under the call's name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin_call.h"

namespace b2 {

std::vector<std::string>& Faults() {
  static std::vector<std::string> faults;
  return faults;
}

void ReportStackFault(const std::string& call, int32_t stack_error) {
  Faults().push_back(call + " " + std::to_string(stack_error));
}

namespace {

int WINAPI Digits3(int a, int b, int c) { return a * 100 + b * 10 + c; }
int WINAPI Seven() { return 7; }
LPCSTR WINAPI Text() { return "text"; }
HWND seen_window = nullptr;
LPARAM seen_param = 0;
void WINAPI Command(HWND window, LPARAM param) {
  seen_window = window;
  seen_param = param;
}

TEST(CheckedCall, PassesArgumentsInOrderAndTheResultBack) {
  int32_t stack_error = -1;
  EXPECT_EQ(CallChecked(&Digits3, &stack_error, 1, 2, 3), 123);
  EXPECT_EQ(stack_error, 0);
  EXPECT_EQ(CallChecked(&Digits3, &stack_error, -1, 0, 0), -100);
  EXPECT_EQ(CallChecked(&Seven, &stack_error), 7);
  EXPECT_STREQ(CallChecked(&Text, &stack_error), "text");
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  CallChecked(&Command, &stack_error, window, -5);
  EXPECT_EQ(seen_window, window);
  EXPECT_EQ(seen_param, -5);
  EXPECT_EQ(stack_error, 0);
}

#if defined(__i386__)
int __cdecl Digits3Cdecl(int a, int b, int c) { return a * 100 + b * 10 + c; }
int WINAPI Digits2(int a, int b) { return a * 10 + b; }
void __cdecl CommandCdecl(HWND window, LPARAM param) { Command(window, param); }

using Three = int(WINAPI*)(int, int, int);
using Two = int(WINAPI*)(int, int);
template <class To, class From>
To As(From* fn) {
  return reinterpret_cast<To>(reinterpret_cast<void*>(fn));
}

TEST(CheckedCall, MeasuresWhatTheCalleeLeftOnTheStack) {
  struct Case {
    const char* name;
    Three fn;
    int result;
    int32_t left;
  };
  const Case cases[] = {
      {"stdcall as declared", &Digits3, 123, 0},
      {"cdecl leaves its three arguments", As<Three>(&Digits3Cdecl), 123, 12},
      {"stdcall of two removes two of three", As<Three>(&Digits2), 12, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t stack_error = -99;
    EXPECT_EQ(CallChecked(c.fn, &stack_error, 1, 2, 3), c.result);
    EXPECT_EQ(stack_error, c.left);
  }
  int32_t stack_error = 0;
  CallChecked(As<Two>(&Digits3), &stack_error, 1, 2);
  EXPECT_EQ(stack_error, -4) << "stdcall of three removes one more than the two given";
}

TEST(CheckedCall, HostReportsAFaultUnderTheCallsNameOnlyWhenTheStackIsOff) {
  Faults().clear();
  EXPECT_EQ(CallPlugin("BKC_OnMenuInit", &Digits3, 4, 5, 6), 456);
  EXPECT_TRUE(Faults().empty());
  EXPECT_EQ(CallPlugin("BKC_OnMenuInit", As<Three>(&Digits3Cdecl), 4, 5, 6), 456);
  CallPlugin("command id=0x8000", As<void(WINAPI*)(HWND, LPARAM)>(&CommandCdecl), nullptr, 7);
  EXPECT_EQ(seen_param, 7);
  EXPECT_EQ(Faults(), (std::vector<std::string>{"BKC_OnMenuInit 12", "command id=0x8000 8"}));
}
#endif

}  // namespace
}  // namespace b2
