#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "src/core/dispatch.h"
#include "src/output/elite_filter.h"
#include "src/output/pause.h"
#include "src/output/replace_text.h"
#include "src/output/styled_message.h"
#include "tests/support/fake_chat.h"

namespace spindeck {
namespace {

TEST(StyledMessage, ExampleLineByteForByte) {
  RuntimeState state;
  auto& chat = testing::InstallFakeChat(state);
  state.lblacolor = "#00ff00";
  state.lblafont = "Arial";
  state.lblfcolor = "#ff0000";
  state.lblfont = "Tahoma";
  state.lblfascii = "-=";
  state.lblbascii = "=-";
  SendStyled(state, "hi");
  ASSERT_EQ(chat.sent.size(), 1u);
  EXPECT_EQ(chat.sent[0],
            "</i></u></b><font color=#00ff00><font face=\"Arial\">-=<font color=#ff0000>"
            "<font face=\"Tahoma\"> hi <font color=#00ff00><font face=\"Arial\">=-"
            "<font color=#ffffff>");
}

TEST(StyledMessage, EmptyStyleStillCarriesEveryTagAndHtmlPassesUntouched) {
  RuntimeState state;
  EXPECT_EQ(ComposeStyled(state, "playing: <b>07</b>. x"),
            testing::PlainLine("playing: <b>07</b>. x"));
  SendStyled(state, "no chat client installed: nothing happens");
}

TEST(EliteFilter, SubstitutesLowerCaseAAndOOnly) {
  RuntimeState state;
  EXPECT_EQ(EliteText(state, "random: <b>"), "r\xE1nd\xF8m: <b>");
  EXPECT_EQ(EliteText(state, "ABBA OK"), "ABBA OK");
  EXPECT_EQ(EliteText(state, ""), "");
  // The colour-tag opening comes back whole; a closing tag is not protected.
  EXPECT_EQ(EliteText(state, "go <font color=#ff0000>on</font>"),
            "g\xF8 <font color=#ff0000>\xF8n</f\xF8nt>");
  EXPECT_EQ(EliteText(state, "<font color=#a><font color=#b>"),
            "<font color=#\xE1><font color=#b>");
  state.lblElitemode = "1";
  EXPECT_EQ(EliteText(state, "random <font color=#0>"), "random <font color=#0>");
}

TEST(ReplaceText, CaseBlindAndNeverSearchesAReplacementAgain) {
  EXPECT_EQ(ReplaceText("a.b.mp3", ".", "</b>."), "a</b>.b</b>.mp3");
  EXPECT_EQ(ReplaceText("SONG.MP3", ".mp3", ""), "SONG");
  EXPECT_EQ(ReplaceText("a.mp3.mp3", ".mp3", ""), "a");
  EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceText("aAa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceText("07</b>. mr</b>. blue", "</B>.", "."), "07. mr. blue");
  EXPECT_EQ(ReplaceText("", "x", "y"), "");
}

TEST(Pause, WaitsAtLeastItsTimeAndRefusesNonsense) {
  QElapsedTimer clock;
  clock.start();
  Pause(0.2);
  EXPECT_GE(clock.elapsed(), 200);
  // Nonsense does not pause: above all it does not wait for ever (NaN seconds, or a negative
  // count taken as a huge one). The bound is generous; it only catches a pause that hangs.
  clock.restart();
  Pause(-1);
  Pause(std::nan(""));
  EXPECT_LT(clock.elapsed(), 10000);
}

// A chat line that arrives while a handler pauses is dispatched inside the pause, so its reply
// comes before the paused handler's own.
TEST(Pause, ALineArrivingDuringAPauseIsAnsweredFirst) {
  RuntimeState state;
  auto& chat = testing::InstallFakeChat(state);
  CommandTable table = DefaultCommandTable();
  const auto row = [&table](const std::string& word) -> CommandRow& {
    return *std::find_if(table.begin(), table.end(),
                         [&word](const CommandRow& r) { return r.word == word; });
  };
  row("dj?").handler = [](RuntimeState& s, const std::string&, const ReplyFragments&) {
    QTimer::singleShot(50, [&s] { DispatchChatLine(s, {"DjSam", "eliteoff"}); });
    Pause(0.5);
    Reply(s, "first line's reply");
  };
  row("eliteoff").handler = EliteOff;
  QTimer::singleShot(0, [&] { DispatchChatLine(state, table, {"DjSam", "dj?"}); });
  QElapsedTimer clock;
  clock.start();
  while (chat.sent.size() < 2 && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  ASSERT_EQ(chat.sent.size(), 2u);
  EXPECT_EQ(chat.sent[0], testing::PlainLine("elite text: off"));
  EXPECT_EQ(chat.sent[1], testing::PlainLine("first line's reply"));
}

}  // namespace
}  // namespace spindeck
