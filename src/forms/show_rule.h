// The appear and disappear rules: whether opening a mail makes the memo window appear or
// disappear, and which disappear choices the options dialog allows under an appear choice.
#pragma once

#include <optional>

#include "common/options.h"

namespace pinote {

struct ShowDecision {
  bool appear = false;
  bool disappear = false;
};

// appear: Always; IfMemo when there is memo or name-list text; IfImportantMemo when there is memo
// text and the mark; Never. disappear: Never; IfNoMemo when there is neither text;
// IfNoImportantMemo when there is no memo text or no mark; Always. Numbers outside 0..3 give
// neither. Appear wins: disappear is false whenever appear is true.
[[nodiscard]] ShowDecision DecideVisibility(AppearRule appear, DisappearRule disappear,
                                            bool hasMemo, bool hasName, bool important) noexcept;

// The disappear rule may never be stricter than the appear rule. Under Always only Never is
// allowed, under IfMemo up to IfNoMemo, under IfImportantMemo up to IfNoImportantMemo, under
// Never or no appear choice all four. `choice` is the disappear choice after the constraint: a
// stricter one than allowed moves to the strictest allowed one (Always forces Never); none
// stays none unless Always forces Never.
struct DisappearChoices {
  DisappearRule strictestAllowed = DisappearRule::Always;
  std::optional<DisappearRule> choice;
};
[[nodiscard]] DisappearChoices ConstrainDisappear(std::optional<AppearRule> appear,
                                                  std::optional<DisappearRule> choice) noexcept;

}  // namespace pinote
