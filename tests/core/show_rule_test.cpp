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
        const ShowDecision d = DecideVisibility(show, hide, memo, name, important);
        const bool appear = RefAppear(show, memo, name, important);
        EXPECT_EQ(d.appear, appear);
        EXPECT_EQ(d.disappear, !appear && RefDisappear(hide, memo, name, important));
      }
    }
  }
}

TEST(DecideVisibility, NamedCases) {
  struct Case {
    int show, hide;
    bool memo, name, important, appear, disappear;
  } cases[] = {
      {1, 1, true, false, false, true, false},   // defaults, memo text: appears
      {1, 1, false, false, false, false, true},  // defaults, nothing: disappears
      {1, 1, false, true, false, true, false},   // name-list text alone is enough
      {0, 3, false, false, false, true, false},  // appear wins over always-disappear
      {3, 0, true, true, true, false, false},    // never changes visibility
      {2, 2, true, false, false, false, true},   // memo but not important: hides
      {2, 2, true, false, true, true, false},
      {7, 9, true, true, true, false, false},    // unknown values: neither
  };
  for (const auto& c : cases) {
    const ShowDecision d = DecideVisibility(c.show, c.hide, c.memo, c.name, c.important);
    EXPECT_EQ(d.appear, c.appear) << c.show << "/" << c.hide;
    EXPECT_EQ(d.disappear, c.disappear) << c.show << "/" << c.hide;
  }
}

}  // namespace
}  // namespace pinote
