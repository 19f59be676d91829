#include "src/core/dispatch.h"

#include <gtest/gtest.h>

#include "src/core/help_list.h"
#include "tests/support/fake_chat.h"

namespace spindeck {
namespace {

using testing::FakeChat;
using testing::InstallFakeChat;

TEST(SplitChatText, WordIsLowerCasedAndArgumentKeptAsTyped) {
  EXPECT_EQ(SplitChatText("P Madonna").word, "p");
  EXPECT_EQ(SplitChatText("P Madonna").argument, "Madonna");
  EXPECT_EQ(SplitChatText("p  madonna").argument, " madonna");
  EXPECT_EQ(SplitChatText("p").argument, "");
  EXPECT_EQ(SplitChatText("p ").argument, "");
  EXPECT_EQ(SplitChatText("").word, "");
  EXPECT_EQ(SplitChatText("DJ?").word, "dj?");
  EXPECT_EQ(SplitChatText("\xC9LITE x").word, "\xE9lite");
}

// A table of the program's words and rules whose handlers record what they were given.
struct RecordingTable {
  CommandTable table = DefaultCommandTable();
  std::vector<std::pair<std::string, std::string>> calls;  // the row's word, the argument
  ReplyFragments lastFragments;

  RecordingTable() {
    for (CommandRow& row : table) {
      row.handler = [this, word = row.word](RuntimeState&, const std::string& arg,
                                            const ReplyFragments& f) {
        calls.emplace_back(word, arg);
        lastFragments = f;
      };
    }
  }
};

class DispatchTest : public ::testing::Test {
 protected:
  RuntimeState state;
  FakeChat& chat = InstallFakeChat(state, "DjSam");
  RecordingTable rec;

  void Say(const std::string& sender, const std::string& text) {
    DispatchChatLine(state, rec.table, {sender, text});
  }
};

TEST_F(DispatchTest, RowsAreTestedInOrderByWholeWord) {
  Say("DjSam", "dj?");
  Say("DjSam", "xidle");
  Say("DjSam", "X bob");
  Say("DjSam", "re lunch");
  ASSERT_EQ(rec.calls.size(), 4u);
  using Call = std::pair<std::string, std::string>;
  // "x" and "xidle", "re" and "r", are told apart by the whole word.
  EXPECT_EQ(rec.calls,
            (std::vector<Call>{{"dj?", ""}, {"xidle", ""}, {"x", "bob"}, {"re", "lunch"}}));
}

TEST_F(DispatchTest, ArgumentRulesSilentlyDropLines) {
  Say("DjSam", "stop now");  // none
  Say("DjSam", "p");         // required
  Say("DjSam", "eliteon x");
  EXPECT_TRUE(rec.calls.empty());
  Say("DjSam", "fa");  // any: dispatched with an empty argument
  Say("DjSam", "r");   // optional, both forms
  Say("DjSam", "r abc");
  Say("DjSam", "dirs whatever");
  using Call = std::pair<std::string, std::string>;
  EXPECT_EQ(rec.calls,
            (std::vector<Call>{{"fa", ""}, {"r", ""}, {"r", "abc"}, {"dirs", "whatever"}}));
  EXPECT_TRUE(chat.sent.empty());
}

TEST_F(DispatchTest, OnlyTheUsersOwnKnownCommandsRun) {
  Say("Bob", "p madonna");
  Say("djsam", "p madonna");  // the sender test is case-sensitive
  Say("DjSam", ".p madonna");
  Say("DjSam", "");
  Say("DjSam", "scroll");
  EXPECT_TRUE(rec.calls.empty());
  chat.screenName_ = "";  // no Welcome window: nobody is the user
  Say("", "p madonna");
  EXPECT_TRUE(rec.calls.empty());
}

TEST_F(DispatchTest, HandlersGetTheFragmentsOfTheCurrentStyle) {
  state.lblacolor = "#00ff00";
  state.lblfcolor = "#ff0000";
  state.lblmascii = "::";
  Say("DjSam", "dj?");
  EXPECT_EQ(rec.lastFragments.asciiColorTag, "<font color=#00ff00>");
  EXPECT_EQ(rec.lastFragments.textColorTag, "<font color=#ff0000>");
  EXPECT_EQ(rec.lastFragments.middleSeparator, " <font color=#00ff00>::<font color=#ff0000> ");
}

TEST_F(DispatchTest, EliteCommandsSwitchTheFilterAndAnswer) {
  DispatchChatLine(state, {"DjSam", "eliteon"});
  DispatchChatLine(state, {"DjSam", "eliteoff"});
  DispatchChatLine(state, {"DjSam", "eliteoff please"});
  DispatchChatLine(state, {"Bob", "eliteon"});
  ASSERT_EQ(chat.sent.size(), 2u);
  EXPECT_EQ(chat.sent[0], testing::PlainLine("elite text: \xF8n"));
  EXPECT_EQ(chat.sent[1], testing::PlainLine("elite text: off"));
  EXPECT_EQ(state.lblElitemode, "1");
}

TEST(HelpList, EveryCommandButReHasHelpAndTheListHas56Lines) {
  StateList list;
  list.append("stale");
  FillHelpList(list);
  ASSERT_EQ(list.count(), 56);
  EXPECT_EQ(list.entryAt(0), "idle * - goes idle with * reason");
  EXPECT_EQ(list.entryAt(54), "temp - gets local temperature from welcome screen");
  EXPECT_EQ(list.entryAt(55), "listen - tells where to hear the music");
  for (const CommandRow& row : DefaultCommandTable()) {
    int found = 0;
    for (const auto& line : list.entries()) {
      if (line.rfind(row.word + " ", 0) == 0) ++found;
    }
    const int expected = row.word == "re" ? 0 : (row.word == "r" || row.word == "shuffle") ? 2 : 1;
    EXPECT_EQ(found, expected) << row.word;
  }
}

}  // namespace
}  // namespace spindeck
