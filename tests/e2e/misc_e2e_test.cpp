// The miscellaneous commands through the stand-in chat client.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "tests/support/jukebox.h"
#include "tests/support/wait_for_file.h"

namespace spindeck::e2e {
namespace {

TEST(MiscE2E, NameWindowAdvertTemperatureAndPrivateRoom) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("dj?"), Line("you are deejay <u></u>"));
  EXPECT_EQ(deck.Ask("dj Sam Smith"), Line("new handle set to <u>Sam Smith</u>"));
  EXPECT_EQ(deck.Ask("dj?"), Line("you are deejay <u>Sam Smith</u>"));
  EXPECT_EQ(deck.Ask("hide"), Line("main form hidden"));
  EXPECT_EQ(deck.Ask("show"), Line("main form shown"));

  deck.client().Command({"version", "7"});
  EXPECT_EQ(deck.Ask("adv anything"), Line(std::string("spin.<font color=><b>deck</b>") + kMiddle +
                                           "by quill" + kMiddle + "advertise"));
  EXPECT_EQ(deck.NextReply(),
            Line("exclusive user <b><font color=>Sam Smith<font color=></b> usin aol 7"));

  deck.client().Command({"temp", "72F, fair"});
  // The chat client prints its events in UTF-8: the degree sign is two bytes there.
  EXPECT_EQ(deck.Ask("temp"), Line("local temperature: 72\xC2\xB0, fair"));

  // The reply goes to the room on top after the wait: the new private room.
  deck.Say("pr jams");
  EXPECT_TRUE(deck.client().WaitFor([](const Event& e) {
    return e == Event{"keyword", "aol://2719:2-2-jams"};
  }));
  const std::string blasted = Line("<b>Sam Smith</b> blasted into <b>jams</b>");
  EXPECT_TRUE(deck.client().WaitFor([&](const Event& e) {
    return e.size() == 4 && e[0] == "line" && e[1] == "jams" && e[2] == kUser && e[3] == blasted;
  }));
}

TEST(MiscE2E, CharmapStartsTheDesktopsCharacterMapAndEndEndsTheProgram) {
  QTemporaryDir bin;
  const QString marker = bin.filePath("started");
  QFile program(bin.filePath("kcharselect"));
  ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  program.write(("#!/bin/sh\n: > '" + marker + "'\n").toUtf8());
  program.close();
  program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QProcessEnvironment env;
  env.insert("PATH", bin.path());
  Jukebox deck(env);
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("charmap"), Line("character map loaded"));
  EXPECT_TRUE(testing::WaitForFileToExist(marker));

  deck.Say("end");
  EXPECT_TRUE(deck.program().WaitForExit(30000));
}

}  // namespace
}  // namespace spindeck::e2e
