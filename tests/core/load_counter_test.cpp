#include "src/core/load_counter.h"

#include <gtest/gtest.h>

namespace spindeck {
namespace {

TEST(LoadCounter, CountsOnAndTreatsNonsenseAsZero) {
  EXPECT_EQ(NextLoadCount(""), "1");
  EXPECT_EQ(NextLoadCount("4"), "5");
  EXPECT_EQ(NextLoadCount("999"), "1000");
  EXPECT_EQ(NextLoadCount("12abc"), "1");
  EXPECT_EQ(NextLoadCount("-3"), "1");
  EXPECT_EQ(NextLoadCount(" 7"), "1");
  EXPECT_EQ(NextLoadCount("99999999999999999999999"), "1");
}

}  // namespace
}  // namespace spindeck
