#include "common/integer_list.h"

#include <gtest/gtest.h>

namespace pinote {
namespace {

TEST(IntegerList, GetNeverFails) {
  IntegerList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Get(0), 0);
  list.Add(5);
  list.Add(-7);
  list.Add(INT32_MIN);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(0), 5);
  EXPECT_EQ(list.Get(1), -7);
  EXPECT_EQ(list.Get(2), INT32_MIN);
  EXPECT_EQ(list.Get(-1), 0);
  EXPECT_EQ(list.Get(list.Count()), 0);
  EXPECT_EQ(list.Get(INT32_MIN), 0);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Get(0), 0);
}

}  // namespace
}  // namespace pinote
