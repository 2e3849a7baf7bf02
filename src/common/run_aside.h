// Work started on a thread of its own, its result (or what it threw) taken by the future's get.
#pragma once

#include <future>
#include <system_error>
#include <utility>

namespace pinote {

// Runs `f` on a new thread; where none can be started, on the first wait for its result. The
// future waits for the thread as it goes.
template <typename F>
[[nodiscard]] auto RunAside(F&& f) {
  try {
    return std::async(std::launch::async, std::forward<F>(f));
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, std::forward<F>(f));
  }
}

}  // namespace pinote
