#include "platform/text/html_colour.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(HtmlFontColour, ReadsHexAndNamedValuesInAnyForm) {
  EXPECT_EQ(HtmlFontColour("<font color=#ff8000>"), 0xFF8000u);
  EXPECT_EQ(HtmlFontColour("<FONT COLOR=\"00FF00\">"), 0x00FF00u);
  EXPECT_EQ(HtmlFontColour("<font color = 'Navy'>"), 0x000080u);
  EXPECT_EQ(HtmlFontColour("<font face=\"Arial\" color=teal size=2>"), 0x008080u);
  for (const char* tag : {"<font color=>", "<font color=\"\">", "<font color=#12345>",
                          "<font color=#1234567>", "<font color=#zzzzzz>", "<font color=red5>"}) {
    EXPECT_EQ(HtmlFontColour(tag), std::nullopt) << tag;
    EXPECT_TRUE(HtmlHasColourAttribute(tag)) << tag;
  }
  EXPECT_FALSE(HtmlHasColourAttribute("<font face=Arial>"));
}

// Only an attribute named color counts: not a word that holds it, in a value or another name.
TEST(HtmlFontColour, FindsTheColorAttributeItself) {
  EXPECT_EQ(HtmlFontColour("<font face=\"Colorful\" color=red>"), 0xFF0000u);
  EXPECT_EQ(HtmlFontColour("<font face='a color=red' color=blue>"), 0x0000FFu);
  EXPECT_EQ(HtmlFontColour("<font bgcolor=red>"), std::nullopt);
  EXPECT_FALSE(HtmlHasColourAttribute("<font bgcolor=red>"));
  EXPECT_FALSE(HtmlHasColourAttribute("<font face=color>"));
}

}  // namespace
}  // namespace platform
