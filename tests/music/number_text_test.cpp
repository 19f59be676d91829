#include "src/music/number_text.h"

#include <gtest/gtest.h>

#include "src/core/load_counter.h"
#include "src/music/play_modes.h"
#include "tests/support/comma_locale.h"

namespace spindeck {
namespace {

TEST(NumericValue, TakesWhatTheNumberParserTakes) {
  EXPECT_EQ(NumericValue("5"), 5);
  EXPECT_EQ(NumericValue("  -3 "), -3);
  EXPECT_EQ(NumericValue("+2.5"), 2.5);
  EXPECT_EQ(NumericValue(".5"), 0.5);
  EXPECT_EQ(NumericValue("5."), 5);
  EXPECT_EQ(NumericValue("1e2"), 100);
  for (const char* text :
       {"", " ", "abc", "5a", "1 2", "-", ".", "1e", "inf", "nan", "0x10", "1e999", "--1"}) {
    EXPECT_FALSE(NumericValue(text)) << text;
  }
  // Too small for a double is zero; too large is not numeric, however it is written.
  EXPECT_EQ(NumericValue("-0.001e-999"), 0);
  EXPECT_FALSE(NumericValue("1" + std::string(400, '0') + "e-5"));
}

using NumbersUnderCommaLocale = testing::CommaLocaleTest;

TEST_F(NumbersUnderCommaLocale, ReadAndWriteAsEverywhere) {
  EXPECT_EQ(NumericValue("11.5"), 11.5);
  EXPECT_EQ(NumericValue(" 0.5 "), 0.5);
  EXPECT_EQ(NumericValue("-2.5e1"), -25);
  EXPECT_FALSE(NumericValue("2,5"));
  // No grouping marks either ("1.999" for the count of starts).
  EXPECT_EQ(NextLoadCount("1999"), "2000");
  EXPECT_EQ(MinutesSeconds(7507.4), "125:07");
}

TEST(NumberText, RoundingEchoAndCounts) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(EchoForm("5"), "05");
  EXPECT_EQ(EchoForm("10"), "10");
  EXPECT_EQ(EchoForm("-3"), "-3");
  EXPECT_EQ(TwoDigitCount(0), "00");
  EXPECT_EQ(TwoDigitCount(9), "09");
  EXPECT_EQ(TwoDigitCount(123), "123");
}

TEST(MinutesSeconds, RoundsHalvesToEvenAndKeepsCountingMinutes) {
  EXPECT_EQ(MinutesSeconds(59.5), "01:00");
  EXPECT_EQ(MinutesSeconds(58.5), "00:58");
  EXPECT_EQ(MinutesSeconds(215.4), "03:35");
  EXPECT_EQ(MinutesSeconds(59), "00:59");
  EXPECT_EQ(MinutesSeconds(3600), "60:00");
  EXPECT_EQ(MinutesSeconds(6000), "100:00");
  EXPECT_EQ(MinutesSeconds(7507), "125:07");
  EXPECT_EQ(MinutesSeconds(0), "00:00");
  EXPECT_EQ(MinutesSeconds(std::numeric_limits<double>::quiet_NaN()), "");
  EXPECT_EQ(MinutesSeconds(-1), "");
}

}  // namespace
}  // namespace spindeck
