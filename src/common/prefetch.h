// Asking the memory for data a little before it is read: a large table or file image is mostly
// not in the cache, and several misses asked for at once are waited for together.
#pragma once

namespace pinote {

#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE__)
// The i686 build targets the Pentium Pro, which has no prefetch instruction, so GCC drops
// __builtin_prefetch there. Every processor since the Pentium III has one; the check for it is
// made once.
[[nodiscard]] inline bool HasPrefetchInstruction() noexcept {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse") != 0;
  }();
  return has;
}
#endif

// A hint only: never faults, whatever `p` points at.
inline void PrefetchMemory(const void* p) noexcept {
#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE__)
  if (HasPrefetchInstruction()) {
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
  }
#elif defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

}  // namespace pinote
