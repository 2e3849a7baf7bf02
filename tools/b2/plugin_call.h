// Calls into plug-ins with the stack checked. Every plug-in entry point and command callback is
// stdcall: the callee removes its own arguments. A callee built as cdecl (or with another
// argument list) leaves the stack off by some bytes, which the real 32-bit host does not survive
// for long; on i686 the stand-in host measures ESP around each call and reports the difference
// instead of crashing somewhere later. x86_64 has a single calling convention: a plain call.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace b2 {

// Calls the stdcall function `fn` with `count` 4-byte arguments (first argument first) and
// returns EAX. *stack_error gets the bytes the callee left on the stack (positive, e.g. a cdecl
// callee) or removed beyond its arguments (negative); 0 when it cleaned up exactly. i686 only.
uint32_t CallStdcallChecked(const void* fn, const uint32_t* args, uint32_t count,
                            int32_t* stack_error);

// Logs a "fault stack" line for a call that left `stack_error` bytes on the stack (B2 only).
void ReportStackFault(const std::string& call, int32_t stack_error);

namespace detail {
template <class T>
struct Same {
  using type = T;
};
template <class T>
uint32_t ToWord(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
  } else {
    return static_cast<uint32_t>(value);
  }
}
template <class R>
R FromWord(uint32_t word) {
  if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<R>(static_cast<uintptr_t>(word));
  } else {
    return static_cast<R>(word);
  }
}
}  // namespace detail

// Calls `fn(args...)`; *stack_error as for CallStdcallChecked, always 0 on x86_64.
template <class R, class... A>
R CallChecked(R(WINAPI* fn)(A...), int32_t* stack_error, typename detail::Same<A>::type... args) {
#if defined(__i386__)
  static_assert(((sizeof(A) == 4) && ...), "plug-in calls pass one stack slot per argument");
  static_assert(sizeof(std::conditional_t<std::is_void_v<R>, int, R>) == 4,
                "plug-in calls return in EAX");
  const uint32_t words[sizeof...(A) + 1] = {detail::ToWord<A>(args)..., 0};
  const uint32_t result = CallStdcallChecked(reinterpret_cast<const void*>(fn), words,
                                             static_cast<uint32_t>(sizeof...(A)), stack_error);
  if constexpr (!std::is_void_v<R>) return detail::FromWord<R>(result);
#else
  *stack_error = 0;
  return fn(args...);
#endif
}

// CallChecked for the host: a stack fault is logged under the name `call`.
template <class R, class... A>
R CallPlugin(const std::string& call, R(WINAPI* fn)(A...),
             typename detail::Same<A>::type... args) {
  int32_t stack_error = 0;
  if constexpr (std::is_void_v<R>) {
    CallChecked(fn, &stack_error, args...);
    if (stack_error != 0) ReportStackFault(call, stack_error);
  } else {
    R result = CallChecked(fn, &stack_error, args...);
    if (stack_error != 0) ReportStackFault(call, stack_error);
    return result;
  }
}

}  // namespace b2
