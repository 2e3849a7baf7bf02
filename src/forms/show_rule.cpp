#include "forms/show_rule.h"

namespace pinote {

ShowDecision DecideVisibility(AppearRule appear, DisappearRule disappear, bool hasMemo,
                              bool hasName, bool important) noexcept {
  ShowDecision d;
  switch (appear) {
    case AppearRule::Always: d.appear = true; break;
    case AppearRule::IfMemo: d.appear = hasMemo || hasName; break;
    case AppearRule::IfImportantMemo: d.appear = hasMemo && important; break;
    default: break;  // Never and unknown numbers
  }
  switch (disappear) {
    case DisappearRule::IfNoMemo: d.disappear = !hasMemo && !hasName; break;
    case DisappearRule::IfNoImportantMemo: d.disappear = !hasMemo || !important; break;
    case DisappearRule::Always: d.disappear = true; break;
    default: break;  // Never and unknown numbers
  }
  if (d.appear) d.disappear = false;
  return d;
}

DisappearChoices ConstrainDisappear(std::optional<AppearRule> appear,
                                    std::optional<DisappearRule> choice) noexcept {
  DisappearChoices c{DisappearRule::Always, choice};
  if (appear == AppearRule::Always) {
    c.strictestAllowed = DisappearRule::Never;
    c.choice = DisappearRule::Never;
    return c;
  }
  if (appear == AppearRule::IfMemo) c.strictestAllowed = DisappearRule::IfNoMemo;
  if (appear == AppearRule::IfImportantMemo) c.strictestAllowed = DisappearRule::IfNoImportantMemo;
  if (choice && *choice > c.strictestAllowed) c.choice = c.strictestAllowed;
  return c;
}

}  // namespace pinote
