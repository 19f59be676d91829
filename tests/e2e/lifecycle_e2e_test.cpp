// Start-up and shutdown of the real program: the greeting with its load counter, the settings
// and the style saved at the end, and the farewell, whether the program is ended by "end" or
// from outside.
#include <gtest/gtest.h>

#include <QFile>

#include "src/settings/settings_store.h"
#include "tests/support/jukebox.h"
#include "tests/support/test_songs.h"

namespace spindeck::e2e {
namespace {

// The greeting's or farewell's first line, the elite filter on or off, in the empty style.
std::string ProgramLine(const std::string& word) {
  return Line(std::string("spin.<font color=><b>deck</b>") + kMiddle + "by quill" + kMiddle + word);
}

// Its second line: the DJ name and the count in bold, between the empty style's colour tags.
std::string CountLine(const std::string& greeting, const std::string& name, const std::string& word,
                      const std::string& count) {
  return Line(greeting + "<font color=><b>" + name + "</b><font color=>! " + word +
              " <b><font color=>" + count + "<font color=></b> times");
}

std::string Setting(const QString& folder, const std::string& key) {
  return ReadIni("spin.deck", key, (folder + "/config.dll").toStdString());
}

// A program folder with a settings file, and a styles folder holding the given files.
auto Folder(const QByteArray& settings, const std::vector<std::pair<QString, QByteArray>>& styles) {
  return [=](const QString& folder) {
    testing::WriteFile(folder + "/config.dll", settings);
    for (const auto& [name, bytes] : styles) testing::WriteFile(folder + "/styles/" + name, bytes);
  };
}

TEST(LifecycleE2E, AFirstStartGreetsWithTheEliteLookAndCountsOne) {
  Jukebox deck;
  ASSERT_EQ(deck.greeting().size(), 2u);
  // The elite filter is on at every start: "\xC3\xA1" and "\xC3\xB8" are its "a" and "o".
  EXPECT_EQ(deck.greeting()[0], ProgramLine("\xC3\xA1"
                                            "ctiv\xC3\xA1ted"));
  EXPECT_EQ(deck.greeting()[1], CountLine("welc\xC3\xB8me: ", "",
                                          "\xC3\xA1"
                                          "ctiv\xC3\xA1ted",
                                          "001"));
  EXPECT_TRUE(ReadAll(deck.programFolder() + "/config.dll").contains("LOADS=1\r\n"));
  EXPECT_FALSE(QFile::exists(deck.programFolder() + "/styles"));
}

TEST(LifecycleE2E, TheThousandthStartShowsFourDigitsAndTheStoredName) {
  Jukebox deck({}, Folder("[spin.deck]\r\nid=djsam\r\nloads=999\r\n", {}));
  ASSERT_EQ(deck.greeting().size(), 2u);
  EXPECT_EQ(deck.greeting()[1], CountLine("welc\xC3\xB8me: ", "djs\xC3\xA1m",
                                          "\xC3\xA1"
                                          "ctiv\xC3\xA1ted",
                                          "1000"));
  EXPECT_EQ(Setting(deck.programFolder(), "loads"), "1000");
}

TEST(LifecycleE2E, EndSaysGoodbyeWithTheSameCountAndEndsTheProgram) {
  Jukebox deck({}, Folder("[spin.deck]\r\nloads=41\r\n", {}));
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("dj DjSam"), Line("new handle set to <u>DjSam</u>"));
  deck.Say("end");
  EXPECT_EQ(deck.NextReply(), ProgramLine("deactivated"));
  EXPECT_EQ(deck.NextReply(), CountLine("goodbye: ", "DjSam", "deactivated", "042"));
  EXPECT_TRUE(deck.program().WaitForExit(30000));
  EXPECT_EQ(Setting(deck.programFolder(), "id"), "DjSam");
  EXPECT_EQ(Setting(deck.programFolder(), "loads"), "42");
}

TEST(LifecycleE2E, EndedFromOutsideItSavesTheDefaultStyleWithTheDjNameAsAuthor) {
  Jukebox deck({},
               Folder("[spin.deck]\r\nstyle=default\r\n",
                      {{"default.dll", "[default]\r\nfascii=~\r\nfont=Arial\r\nauthor=Ann\r\n"}}));
  ASSERT_TRUE(deck.started());
  EXPECT_NE(deck.Ask("sinfo").find("style name: default, author: Ann"), std::string::npos);
  deck.Say("dj Quill");
  deck.NextReply();
  deck.program().Terminate();  // SIGTERM
  EXPECT_NE(deck.NextReply().find("deactivated"), std::string::npos);
  EXPECT_NE(deck.NextReply().find("goodbye: "), std::string::npos);
  const auto file = (deck.programFolder() + "/styles/default.dll").toStdString();
  EXPECT_EQ(ReadIni("default", "author", file), "Quill");
  EXPECT_EQ(ReadIni("default", "font", file), "Arial");
  EXPECT_EQ(ReadIni("default", "fascii", file), "~");
  EXPECT_EQ(Setting(deck.programFolder(), "id"), "Quill");
  EXPECT_EQ(Setting(deck.programFolder(), "style"), "default");
}

TEST(LifecycleE2E, AnotherCurrentStyleKeepsItsFileAndUpperCaseEndingsAreListed) {
  const QByteArray cool = "[cool]\r\nfascii=*\r\nauthor=Ann\r\n";
  Jukebox deck({}, Folder("[spin.deck]\r\nstyle=cool\r\n", {{"cool.dll", cool}}));
  ASSERT_TRUE(deck.started());
  deck.program().Terminate();
  EXPECT_NE(deck.NextReply().find("deactivated"), std::string::npos);
  EXPECT_EQ(ReadAll(deck.programFolder() + "/styles/cool.dll"), cool);
  EXPECT_FALSE(QFile::exists(deck.programFolder() + "/styles/default.dll"));
  EXPECT_EQ(Setting(deck.programFolder(), "style"), "cool");

  // Only the exact ".dll" is taken off a style's file name when the styles are listed.
  Jukebox again({}, Folder("", {{"Neon.DLL", "[Neon.DLL]\r\n"}}));
  ASSERT_TRUE(again.started());
  EXPECT_EQ(again.Ask("rstyle"), Line("random style set: <u>Neon.DLL</u>"));
}

}  // namespace
}  // namespace spindeck::e2e
