// Chat HTML as a browser shows it: tags dropped, references decoded, blanks folded.
#include "platform/text/html_text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(RenderHtml, RemovesTagsAndKeepsTheirText) {
  // A styled reply line of the program.
  EXPECT_EQ(RenderHtml("</i></u></b><font color=#00ff00><font face=\"Arial\">-=<font "
                       "color=#ff0000><font face=\"Tahoma\"> hi <font color=#00ff00>"
                       "<font face=\"Arial\">=-<font color=#ffffff>"),
            "-= hi =-");
  EXPECT_EQ(RenderHtml("<font color=\"#FF0000\"><b>shuffle</b> mode: on</font>"),
            "shuffle mode: on");
  EXPECT_EQ(RenderHtml("<B>loud</B><I>quiet</I>"), "loudquiet");
  EXPECT_EQ(RenderHtml("a<br>b<BR/>c"), "a b c");
  EXPECT_EQ(RenderHtml("x<!-- note -->y"), "xy");
}

TEST(RenderHtml, KeepsALessThanThatOpensNoTag) {
  EXPECT_EQ(RenderHtml("i <3 you"), "i <3 you");
  EXPECT_EQ(RenderHtml("a < b"), "a < b");
  EXPECT_EQ(RenderHtml("<"), "<");
  EXPECT_EQ(RenderHtml("cut <b"), "cut");  // an unfinished tag hides the rest
}

TEST(RenderHtml, DecodesEntities) {
  EXPECT_EQ(RenderHtml("&lt;b&gt; &amp; &quot;q&quot; &apos;"), "<b> & \"q\" '");
  EXPECT_EQ(RenderHtml("&#225;&#xE9;&#8364;"), "\xE1\xE9\x80");
  EXPECT_EQ(RenderHtml("a&nbsp;b"),
            "a\xA0"
            "b");
  EXPECT_EQ(RenderHtml("&amp;lt;"), "&lt;");  // decoded once only
}

TEST(RenderHtml, LeavesUnknownOrBrokenEntitiesAlone) {
  EXPECT_EQ(RenderHtml("&bogus; & &#; &#xZZ; &amp"), "&bogus; & &#; &#xZZ; &amp");
  EXPECT_EQ(RenderHtml("&#99999999;"), "&#99999999;");
  EXPECT_EQ(RenderHtml("&#1114112;"), "?");  // beyond Unicode
}

TEST(RenderHtml, CollapsesAndTrimsBlanks) {
  EXPECT_EQ(RenderHtml("  a \t\r\n  b  "), "a b");
  EXPECT_EQ(RenderHtml("<b> </b>a<i> </i> <u>b</u> "), "a b");
  EXPECT_EQ(RenderHtml(" \t "), "");
  // Blanks written as character references fold like literal ones.
  EXPECT_EQ(RenderHtml("a &#32;b&#9;&#x0A; c &#32;"), "a b c");
  EXPECT_EQ(RenderHtml(""), "");
}

}  // namespace
}  // namespace platform
