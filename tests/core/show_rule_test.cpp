#include "forms/show_rule.h"

#include <gtest/gtest.h>

#include <string>

namespace pinote {
namespace {

// The rule table read row by row, for comparison with the switch in the code.
bool RefAppear(int rule, bool memo, bool name, bool important) {
  if (rule == 0) return true;
  if (rule == 1) return memo || name;
  if (rule == 2) return memo && important;
  return false;
}
bool RefDisappear(int rule, bool memo, bool name, bool important) {
  if (rule == 1) return !(memo || name);
  if (rule == 2) return !memo || !important;
  return rule == 3;
}

TEST(DecideVisibility, AllCombinationsFollowTheTable) {
  for (int show = -1; show <= 4; ++show) {
    for (int hide = -1; hide <= 4; ++hide) {
      for (int bits = 0; bits < 8; ++bits) {
        const bool memo = bits & 1, name = bits & 2, important = bits & 4;
        SCOPED_TRACE("show " + std::to_string(show) + " hide " + std::to_string(hide) +
                     " bits " + std::to_string(bits));
        const ShowDecision d = DecideVisibility(static_cast<AppearRule>(show),
                                                static_cast<DisappearRule>(hide), memo, name,
                                                important);
        const bool appear = RefAppear(show, memo, name, important);
        EXPECT_EQ(d.appear, appear);
        EXPECT_EQ(d.disappear, !appear && RefDisappear(hide, memo, name, important));
      }
    }
  }
}

TEST(DecideVisibility, NamedCases) {
  using A = AppearRule;
  using D = DisappearRule;
  struct Case {
    A show;
    D hide;
    bool memo, name, important, appear, disappear;
  } cases[] = {
      {A::IfMemo, D::IfNoMemo, true, false, false, true, false},
      {A::IfMemo, D::IfNoMemo, false, false, false, false, true},
      {A::IfMemo, D::IfNoMemo, false, true, false, true, false},  // name-list text is enough
      {A::Always, D::Always, false, false, false, true, false},   // appear wins
      {A::Never, D::Never, true, true, true, false, false},
      {A::IfImportantMemo, D::IfNoImportantMemo, true, false, false, false, true},
      {A::IfImportantMemo, D::IfNoImportantMemo, true, false, true, true, false},
      {A{7}, D{9}, true, true, true, false, false},  // unknown numbers: neither
  };
  for (const auto& c : cases) {
    const ShowDecision d = DecideVisibility(c.show, c.hide, c.memo, c.name, c.important);
    EXPECT_EQ(d.appear, c.appear) << int(c.show) << "/" << int(c.hide);
    EXPECT_EQ(d.disappear, c.disappear) << int(c.show) << "/" << int(c.hide);
  }
}

TEST(ConstrainDisappear, NeverStricterThanTheAppearChoice) {
  using A = AppearRule;
  using D = DisappearRule;
  const std::optional<D> none;
  struct Case {
    std::optional<A> appear;
    std::optional<D> before;
    D strictest;
    std::optional<D> after;
  } cases[] = {
      {A::Always, D::Always, D::Never, D::Never},
      {A::Always, none, D::Never, D::Never},
      {A::IfMemo, D::Never, D::IfNoMemo, D::Never},
      {A::IfMemo, D::IfNoMemo, D::IfNoMemo, D::IfNoMemo},
      {A::IfMemo, D::IfNoImportantMemo, D::IfNoMemo, D::IfNoMemo},
      {A::IfMemo, D::Always, D::IfNoMemo, D::IfNoMemo},
      {A::IfMemo, none, D::IfNoMemo, none},
      {A::IfImportantMemo, D::Always, D::IfNoImportantMemo, D::IfNoImportantMemo},
      {A::IfImportantMemo, D::IfNoMemo, D::IfNoImportantMemo, D::IfNoMemo},
      {A::Never, D::Always, D::Always, D::Always},
      {A::Never, D::Never, D::Always, D::Never},  // enabled again, the choice kept
      {std::nullopt, D::Always, D::Always, D::Always},
      {std::nullopt, none, D::Always, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.appear ? int(*c.appear) : -1) << " "
                                      << (c.before ? int(*c.before) : -1));
    const DisappearChoices got = ConstrainDisappear(c.appear, c.before);
    EXPECT_EQ(got.strictestAllowed, c.strictest);
    EXPECT_EQ(got.choice, c.after);
  }
}

}  // namespace
}  // namespace pinote
