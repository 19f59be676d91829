// Chat styles through the stand-in chat client: loading, changing and saving a style.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/support/jukebox.h"
#include "tests/support/test_songs.h"

namespace spindeck::e2e {
namespace {

// The style "cool" of these tests, as its file holds it.
constexpr char kCoolFile[] =
    "[cool]\r\nfont=Arial\r\nfcolor=#ff0000\r\nfascii=~*\r\nbascii=*~\r\nacolor=#00ff00\r\n"
    "afont=Tahoma\r\nauthor=Ann\r\nmascii=|\r\n";

// The chat line of a reply in the style "cool", with the front decoration given.
std::string CoolLine(const std::string& text, const std::string& front = "~*") {
  return "</i></u></b><font color=#00ff00><font face=\"Tahoma\">" + front +
         "<font color=#ff0000><font face=\"Arial\"> " + text +
         " <font color=#00ff00><font face=\"Tahoma\">*~<font color=#ffffff>";
}

TEST(StylesE2E, StyleLoadsChangesAndSaves) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  const QString styles = deck.programFolder() + "/styles";
  ASSERT_TRUE(QDir().mkpath(styles));
  testing::WriteFile(styles + "/cool.dll", kCoolFile);

  EXPECT_EQ(deck.Ask("style nope"), Line("<u>nope</u> isnt a valid style"));
  deck.Say("style");
  EXPECT_TRUE(deck.NothingBefore());
  EXPECT_EQ(deck.Ask("style cool"), CoolLine("style changed to: <u>cool</u>"));
  EXPECT_TRUE(ReadAll(deck.programFolder() + "/config.dll").contains("STYLE=cool\r\n"));

  // An empty front decoration: "default" keeps the rest of cool and is no valid style.
  EXPECT_EQ(deck.Ask("fa"), CoolLine("new front ascii set", ""));
  EXPECT_EQ(ReadAll(styles + "/default.dll"), "[default]\r\nFASCII=\r\n");
  EXPECT_EQ(deck.Ask("style default"), CoolLine("<u>default</u> isnt a valid style", ""));

  EXPECT_EQ(deck.Ask("sstyle mine"), CoolLine("style saved as <u>mine</u>", ""));
  const QByteArray mine = ReadAll(styles + "/mine.dll");
  EXPECT_TRUE(
      mine.startsWith("[mine]\r\nFONT=Arial\r\nFCOLOR=#ff0000\r\nAFONT=Tahoma\r\n"
                      "ACOLOR=#00ff00\r\nMASCII=|\r\nBASCII=*~\r\nFASCII=\r\nAUTHOR="))
      << mine.toStdString();
  EXPECT_TRUE(mine.endsWith("\r\n") && mine.count('\n') == 9) << mine.toStdString();
  EXPECT_TRUE(ReadAll(deck.programFolder() + "/config.dll").contains("STYLE=mine\r\n"));
  EXPECT_EQ(deck.Ask("sinfo"), CoolLine("style name: mine, author: Ann", ""));
}

}  // namespace
}  // namespace spindeck::e2e
