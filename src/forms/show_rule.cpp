#include "forms/show_rule.h"

namespace pinote {

ShowDecision DecideVisibility(int showRule, int hideRule, bool hasMemo, bool hasName,
                              bool important) noexcept {
  ShowDecision d;
  switch (showRule) {
    case 0: d.appear = true; break;
    case 1: d.appear = hasMemo || hasName; break;
    case 2: d.appear = hasMemo && important; break;
    default: break;  // 3 and unknown values: never
  }
  switch (hideRule) {
    case 1: d.disappear = !hasMemo && !hasName; break;
    case 2: d.disappear = !hasMemo || !important; break;
    case 3: d.disappear = true; break;
    default: break;  // 0 and unknown values: never
  }
  if (d.appear) d.disappear = false;  // appear wins when both hold
  return d;
}

}  // namespace pinote
