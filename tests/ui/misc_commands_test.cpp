// The miscellaneous commands that need no chat client: the DJ name, the window's visibility,
// the character map, and the argument rules of all of them.
#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>

#include "tests/support/command_test.h"

namespace spindeck::testing {
namespace {

using MiscCommandsTest = CommandTest;

TEST_F(MiscCommandsTest, DjNameIsSetAsTypedAndTold) {
  EXPECT_TRUE(say("dj").empty());
  EXPECT_EQ(say("dj Sam <i>Smith</i>"), replies({"new handle set to <u>Sam <i>Smith</i></u>"}));
  EXPECT_EQ(state.lblhandle, "Sam <i>Smith</i>");
  EXPECT_EQ(say("dj?"), replies({"you are deejay <u>Sam <i>Smith</i></u>"}));
  for (const char* line : {"dj? me", "hide now", "show now", "end now", "charmap x", "temp x"}) {
    EXPECT_TRUE(say(line).empty()) << line;
  }
}

TEST_F(MiscCommandsTest, HideAndShowActOnTheWindowAndAnswerEitherWay) {
  EXPECT_EQ(say("hide"), replies({"main form hidden"}));
  QWidget window, other;
  state.mainForm = &window;
  window.show();
  other.show();
  EXPECT_EQ(say("hide"), replies({"main form hidden"}));
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(other.isVisible());
  EXPECT_EQ(say("show"), replies({"main form shown"}));
  EXPECT_TRUE(window.isVisible());
}

TEST_F(MiscCommandsTest, CharmapSaysWhenNoProgramCanBeStarted) {
  const std::string old = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", path("").c_str(), 1);
  EXPECT_EQ(say("charmap"), replies({"error: no character map program found"}));
  put(path("charmap"), "#!/bin/sh\n");
  std::filesystem::permissions(path("charmap"), std::filesystem::perms::owner_all);
  EXPECT_EQ(say("charmap"), replies({"character map loaded"}));
  setenv("PATH", old.c_str(), 1);
}

}  // namespace
}  // namespace spindeck::testing
