// The chat line's HTML as IRC text and back.
#include "aolsim/irc/formatting.h"

#include <gtest/gtest.h>

#include "platform/text/cp1252.h"
#include "platform/text/html_text.h"
#include "src/state/runtime_state.h"
#include "src/output/styled_message.h"

namespace aolsim::irc {
namespace {

using Pieces = std::vector<std::string>;

// A reply as the program sends it, in the colours of its default style.
std::string ComposedReply(const std::string& reply) {
  spindeck::RuntimeState state;
  state.lblacolor = "#6C7A89";
  state.lblafont = "Verdana";
  state.lblfcolor = "#1F3A93";
  state.lblfont = "Verdana";
  state.lblfascii = "\xAB(";
  state.lblbascii = ")\xBB";
  return spindeck::ComposeStyled(state, reply);
}

// The pieces' text as a receiver shows it, one piece a line joined by blanks.
std::string JoinedPlainText(const Pieces& pieces) {
  std::string joined;
  for (const std::string& piece : pieces) {
    if (!joined.empty()) joined += ' ';
    joined += IrcPlainText(piece);
  }
  return joined;
}

TEST(HtmlToIrc, WritesAComposedReplyWithItsColoursAndNoStrayCodes) {
  const std::string html = ComposedReply("playing: <b>05</b>. madonna - vogue");
  // Grey decoration (14), dark blue text (02), a bold number; the white font at the end has
  // no text to colour.
  EXPECT_EQ(HtmlToIrc(html, 400), Pieces{"\x03"
                                         "14\xC2\xAB( \x03"
                                         "02playing: \x02"
                                         "05\x02. "
                                         "madonna - vogue \x03"
                                         "14)\xC2\xBB"});
  EXPECT_EQ(JoinedPlainText(HtmlToIrc(html, 400)),
            platform::Cp1252ToUtf8(platform::RenderHtml(html)));
}

TEST(HtmlToIrc, WritesOnlyTheCodesAVisibleCharacterNeeds) {
  EXPECT_EQ(HtmlToIrc("</i></u></b><b>x</b>", 400), Pieces{"\x02x"});
  EXPECT_EQ(HtmlToIrc("<b></b><i> </i>x<u></u>", 400), Pieces{"x"});
  EXPECT_EQ(HtmlToIrc("<b>a</b><B>b</b><b><b>c</b>d</b>e", 400), Pieces{"\x02"
                                                                        "abcd\x02"
                                                                        "e"});
  EXPECT_EQ(HtmlToIrc("<u>a</u> <i>b</i>", 400), Pieces{"\x1F"
                                                        "a \x1D\x1F"
                                                        "b"});
  EXPECT_EQ(HtmlToIrc("<font color=red></font> <br> ", 400), Pieces{});
  EXPECT_EQ(HtmlToIrc("&lt;b&gt; &amp;&#2;&nbsp;", 400), Pieces{"<b> &?\xC2\xA0"});
}

TEST(HtmlToIrc, MapsFontColoursToTheNearestPaletteColourAndRestoresTheOuterOne) {
  EXPECT_EQ(HtmlToIrc("<font color=\"#FF8000\">a</font>", 400), Pieces{"\x03"
                                                                       "07a"});
  EXPECT_EQ(HtmlToIrc("<font color=lime>a<font color='ffffff'>b</font>c", 400), Pieces{"\x03"
                                                                                       "09a\x03"
                                                                                       "00b\x03"
                                                                                       "09c"});
  // A face alone keeps the colour; an empty or unknown one is the client's default.
  EXPECT_EQ(HtmlToIrc("<font color=red><font face=Arial>a<font color=bogus>b</font>c", 400),
            Pieces{"\x03"
                   "04a\x03"
                   "b\x03"
                   "04c"});
  // A digit after the colour stays text: two-digit codes, and a full reset before a digit
  // where "\x03" alone would take it in.
  EXPECT_EQ(HtmlToIrc("<font color=red>1</font>2", 400), Pieces{"\x03"
                                                                "041\x0F"
                                                                "2"});
  EXPECT_EQ(HtmlToIrc("<u><font color=red>1</font>,2", 400), Pieces{"\x03"
                                                                    "04\x1F"
                                                                    "1\x0F\x1F,2"});
  EXPECT_EQ(HtmlToIrc("<font color=navy>,5</font>", 400), Pieces{"\x03"
                                                                 "02\x02\x02,5"});
}

TEST(HtmlToIrc, SplitsLongLinesAtBlanksAndCarriesTheFormattingOn) {
  std::string reply;
  for (int i = 0; i < 30; ++i) reply += "<b>song</b> n\xFAmero " + std::to_string(i) + ", ";
  const std::string html = ComposedReply(reply);
  const Pieces pieces = HtmlToIrc(html, 60);
  ASSERT_GT(pieces.size(), 5u);
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const std::string& piece = pieces[k];
    const std::string plain = IrcPlainText(piece);
    EXPECT_LE(piece.size(), 60u);
    EXPECT_NE(plain.front(), ' ');
    EXPECT_NE(plain.back(), ' ');
    // Each piece opens in the colour of its text, the decoration's or the reply's, and bold
    // when it opens with a bold word.
    const bool decoration = k == 0 || plain.rfind(")\xC2\xBB", 0) == 0;
    EXPECT_EQ(piece.substr(0, 3), decoration ? "\x03"
                                               "14"
                                             : "\x03"
                                               "02")
        << piece;
    if (plain.rfind("song", 0) == 0) {
      EXPECT_EQ(piece[3], '\x02') << piece;
    }
  }
  EXPECT_EQ(JoinedPlainText(pieces), platform::Cp1252ToUtf8(platform::RenderHtml(html)));
  EXPECT_EQ(HtmlToIrc("a <b>bold words</b> z", 9), (Pieces{"a \x02"
                                                           "bold",
                                                           "\x02words \x02"
                                                           "z"}));
}

TEST(HtmlToIrc, CutsAWordLongerThanAPieceBetweenCharacters) {
  const std::string word(41, '\xE9');  // two bytes each in UTF-8
  const Pieces pieces = HtmlToIrc("x <i>" + word + "</i> y", 15);
  std::string whole;
  for (const std::string& piece : pieces) {
    EXPECT_LE(piece.size(), 15u);
    EXPECT_EQ(platform::Cp1252ToUtf8(platform::Utf8ToCp1252(piece)), piece);  // whole sequences
    whole += IrcPlainText(piece);
  }
  EXPECT_EQ(pieces.front(), "x");
  EXPECT_EQ(pieces[1].substr(0, 1), "\x1D");
  EXPECT_EQ(whole, "x" + platform::Cp1252ToUtf8(word) + "y");
}

TEST(IrcToHtml, TurnsCodesIntoNestedTags) {
  EXPECT_EQ(IrcToHtml("\x02"
                      "b\x02 \x1Di\x1D \x1Fu\x1F"),
            "<b>b</b> <i>i</i> <u>u</u>");
  EXPECT_EQ(IrcToHtml("\x03"
                      "4red\x03 \x03"
                      "12,01blue\x03"
                      "99x \x03"
                      "4,zz"),
            "<font color=\"#ff0000\">red</font> <font color=\"#0000fc\">blue</font>x "
            "<font color=\"#ff0000\">,zz</font>");
  EXPECT_EQ(IrcToHtml("\x02"
                      "a\x1D"
                      "b\x0F"
                      "c\x04"
                      "FF8000,000000d\x04"
                      "e"),
            "<b>a</b><b><i>b</i></b>c<font color=\"#ff8000\">d</font>e");
  EXPECT_EQ(IrcToHtml("\x02\x1F\x03"
                      "3"),
            "");
  EXPECT_EQ(IrcToHtml(std::string("\x16r\x1Es\x11m a\x01\x7F\0z\tq", 14)), "rsm az q");
}

TEST(IrcToHtml, EscapesMarkupSoAChatterCannotInjectIt) {
  EXPECT_EQ(IrcToHtml("<b>hi</b> & \"<font color=red>\""),
            "&lt;b&gt;hi&lt;/b&gt; &amp; &quot;&lt;font color=red&gt;&quot;");
  // An overlong form of "<" is no UTF-8: its bytes are Windows-1252 letters.
  EXPECT_EQ(IrcToHtml("\xC0\xBC"
                      "b>"),
            "\xC0\xBC"
            "b&gt;");
}

TEST(IrcToHtml, ReadsUtf8AndFallsBackToWindows1252) {
  EXPECT_EQ(IrcToHtml("caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5 \xF0\x9F\x8E\xB5"),
            "caf\xE9 \x80 ? ?");
  EXPECT_EQ(IrcToHtml("caf\xE9 \x80"), "caf\xE9 \x80");
  EXPECT_EQ(IrcToHtml("\xC3\xA9 \xE9"), "\xC3\xA9 \xE9");  // one bad byte: all Windows-1252
  EXPECT_EQ(IrcToHtml("\xED\xA0\x80"), "\xED\xA0\x80");    // a surrogate is no UTF-8
}

TEST(IrcPlainText, RemovesEveryCode) {
  EXPECT_EQ(IrcPlainText("\x03"
                         "04,12a\x02"
                         "b\x04"
                         "FF0000c\x0F\x16\x1E\x11\x1D\x1F"
                         "d"),
            "abcd");
  EXPECT_EQ(IrcPlainText("\x03,5 \x03"
                         "123 \x04"
                         "12345g"),
            ",5 3 12345g");
}

// What HtmlToIrc writes, IrcToHtml reads back to the same text.
TEST(IrcToHtml, ReadsBackWhatHtmlToIrcWrote) {
  const std::string html = ComposedReply("vol <b>50</b>, <u>7 &amp; 8</u> \x93ok\x94");
  for (const std::string& piece : HtmlToIrc(html, 400)) {
    EXPECT_EQ(platform::RenderHtml(IrcToHtml(piece)), platform::RenderHtml(html));
  }
}

}  // namespace
}  // namespace aolsim::irc
