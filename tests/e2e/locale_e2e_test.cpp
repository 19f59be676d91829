// The program run under a user's locale whose decimal mark is a comma: numbers typed in the
// chat still read with "." as the decimal mark.
#include <gtest/gtest.h>

#include "tests/support/comma_locale.h"
#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

TEST(LocaleE2E, NumbersKeepTheirDecimalPointUnderACommaLocale) {
  SPINDECK_NEED_COMMA_LOCALE();
  QProcessEnvironment environment;
  environment.insert("LANG", testing::kCommaLocale);
  environment.insert("LC_ALL", testing::kCommaLocale);
  Jukebox deck(environment);
  ASSERT_TRUE(deck.started());
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
    ASSERT_TRUE(deck.MakeSong(name, {"--seconds", "8"}));
  }
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>003</b> files"));
  // 2.5 - 1 rounds to the even 2: the third song. Read as 2, it would be the second.
  EXPECT_EQ(deck.Ask("p 2.5"), Line("playing: <b>03</b>. c"));
}

}  // namespace
}  // namespace spindeck::e2e
