// Start-up and shutdown in the order that matters: chat lines held until the greeting has
// begun, and a request to end that comes while the program is still starting.
#include "src/core/lifecycle.h"

#include <gtest/gtest.h>

#include <QTimer>

#include "tests/support/command_test.h"

namespace spindeck {
namespace {

class LifecycleTest : public testing::CommandTest {
 protected:
  LifecycleTest() { state.lblElitemode = "0"; }  // as at every start
  MainWindow window{state};
};

TEST_F(LifecycleTest, LinesHeardWhileStartingAreDispatchedOnlyAfterTheFirstGreetingLine) {
  ChatLineArrived(state, {"DjSam", "eliteoff"});
  ChatLineArrived(state, {"DjSam", "dj?"});
  EXPECT_TRUE(chat.sent.empty());
  LoadMainForm(state, window);
  ASSERT_EQ(chat.sent.size(), 4u);
  EXPECT_NE(chat.sent[0].find("\xE1"
                              "ctiv\xE1ted"),
            std::string::npos);  // still elite
  EXPECT_EQ(chat.sent[1], testing::PlainLine("elite text: off"));
  EXPECT_EQ(chat.sent[2], testing::PlainLine("you are deejay <u></u>"));
  EXPECT_NE(chat.sent[3].find("welcome: "), std::string::npos);
  EXPECT_TRUE(state.heldChatLines.empty());
}

TEST_F(LifecycleTest, ALineThatComesWhileHeldLinesWaitFollowsThem) {
  ChatLineArrived(state, {"DjSam", "eliteoff"});
  ChatLineArrived(state, {"DjSam", "dj?"});
  // Reported by a call that was already queued when start-up let the held lines go.
  QTimer::singleShot(0, [this] { ChatLineArrived(state, {"DjSam", "dj Zed"}); });
  LoadMainForm(state, window);
  ASSERT_EQ(chat.sent.size(), 5u);
  EXPECT_EQ(chat.sent[1], testing::PlainLine("elite text: off"));
  EXPECT_EQ(chat.sent[2], testing::PlainLine("you are deejay <u></u>"));
  EXPECT_EQ(chat.sent[3], testing::PlainLine("new handle set to <u>Zed</u>"));
  EXPECT_TRUE(state.heldChatLines.empty());
}

TEST_F(LifecycleTest, AnEndRequestedWhileStartingComesAfterTheFirstLineAndOnlyOnce) {
  // A directory list makes start-up turn the event loop while it reads the list.
  writeDirs(path("music").string() + "\r\n");
  QTimer::singleShot(0, [this] { UnloadMainForm(state); });
  LoadMainForm(state, window);
  UnloadMainForm(state);
  ASSERT_EQ(chat.sent.size(), 3u);
  EXPECT_NE(chat.sent[0].find("\xE1"
                              "ctiv\xE1ted"),
            std::string::npos);
  EXPECT_EQ(chat.sent[0].find("de\xE1"
                              "ctiv"),
            std::string::npos);
  EXPECT_NE(chat.sent[1].find("de\xE1"
                              "ctiv\xE1ted"),
            std::string::npos);
  EXPECT_NE(chat.sent[2].find("g\xF8"
                              "\xF8"
                              "dbye: "),
            std::string::npos);
  EXPECT_TRUE(state.formUnloaded);
}

}  // namespace
}  // namespace spindeck
