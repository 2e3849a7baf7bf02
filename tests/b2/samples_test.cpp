// The stand-in host's timing summary and the splitting of a repeated command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "samples.h"

namespace b2 {
namespace {

TEST(Samples, SummaryOfUnsortedDurations) {
  struct Case {
    std::vector<double> samples;
    size_t count;
    double median, min, max;
  };
  const Case cases[] = {
      {{}, 0, 0, 0, 0},
      {{7.5}, 1, 7.5, 7.5, 7.5},
      {{30, 10, 20}, 3, 20, 10, 30},
      {{4, 1, 3, 2}, 4, 2.5, 1, 4},         // even count: the mean of the middle two
      {{5, 5, 900, 5, 6}, 5, 5, 5, 900},    // one slow outlier leaves the median alone
      {{2, 1, 1, 2}, 4, 1.5, 1, 2},
  };
  for (const Case& c : cases) {
    const Summary s = Summarize(c.samples);
    SCOPED_TRACE(testing::PrintToString(c.samples));
    EXPECT_EQ(s.count, c.count);
    EXPECT_DOUBLE_EQ(s.median, c.median);
    EXPECT_DOUBLE_EQ(s.min, c.min);
    EXPECT_DOUBLE_EQ(s.max, c.max);
  }
}

TEST(Samples, MicrosecondsWithOneDecimal) {
  const std::pair<double, const char*> cases[] = {
      {0, "0.0"}, {12.34, "12.3"}, {12.36, "12.4"}, {250593.2, "250593.2"}};
  for (const auto& [us, text] : cases) EXPECT_EQ(Micros(us), text);
}

TEST(Samples, RecordedByKeyUntilTakenOrCleared) {
  ClearSamples();
  RecordSample("type", 3);
  RecordSample("refwrite", 10);
  RecordSample("type", 1);
  auto taken = TakeSamples();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken["type"], (std::vector<double>{3, 1})) << "in the order recorded";
  EXPECT_EQ(taken["refwrite"], std::vector<double>{10});
  EXPECT_TRUE(TakeSamples().empty()) << "taking empties";
  RecordSample("paint", 2);
  ClearSamples();
  EXPECT_TRUE(TakeSamples().empty());
}

TEST(Samples, CommandsSplitAtSpacedSemicolons) {
  struct Case {
    const char* line;
    std::vector<std::string> commands;
  };
  const Case cases[] = {
      {"open 0", {"open 0"}},
      {"open 0 ; reffill PinoteMainForm", {"open 0", "reffill PinoteMainForm"}},
      {"  type W 105 x ;  refwrite a.dat  ", {"type W 105 x", "refwrite a.dat"}},
      {"log a;b ; log c", {"log a;b", "log c"}},  // only " ; " separates
      {"open 0 ;  ; open 1", {"open 0", "open 1"}},
      {" ; ", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommands(c.line), c.commands) << c.line;
}

}  // namespace
}  // namespace b2
