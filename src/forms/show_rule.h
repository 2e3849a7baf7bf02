// Whether opening a mail makes the memo window appear or disappear.
#pragma once

namespace pinote {

struct ShowDecision {
  bool appear = false;
  bool disappear = false;
};

// showRule: 0 always, 1 memo or name text, 2 important memo, 3 never; hideRule: 0 never,
// 1 neither memo nor name text, 2 no memo or not important, 3 always. Other values: neither.
// Appear wins: disappear is false whenever appear is true.
[[nodiscard]] ShowDecision DecideVisibility(int showRule, int hideRule, bool hasMemo,
                                            bool hasName, bool important) noexcept;

}  // namespace pinote
