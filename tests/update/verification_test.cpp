#include "update/verification.h"

#include <gtest/gtest.h>

#include <climits>


namespace {

TEST(ChooseQuickRun, SevenDayRuleAndClockSetBack) {
  const int64_t now = 1800000000;
  struct Case {
    bool full;
    size_t entries;
    int64_t verifiedAt;
    bool quick;
  } const cases[] = {
      {false, 5, now - 60, true},
      {false, 5, now, true},
      {false, 5, now - 604800, true},       // exactly seven days
      {false, 5, now - 604801, false},      // a second more
      {false, 5, now - 8 * 86400, false},
      {false, 5, now + 1, false},           // the clock was set back after the last full run
      {false, 5, 0, false},
      {false, 5, -5, false},
      {false, 5, INT64_MIN, false},
      {false, 0, now - 60, false},          // nothing remembered
      {true, 5, now - 60, false},           // forced full
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseQuickRun(c.full, c.entries, c.verifiedAt, now), c.quick)
        << "a quick run within seven days of the last full one; last full run " << c.verifiedAt << ", " << c.entries
        << " files remembered";
  }
}

}  // namespace
