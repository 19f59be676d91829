// The chat scanner over an in-test client: every new line once, in order; none of the
// program's own lines; lines handled inside a pause.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/text/html_text.h"
#include "src/aol/aol_chat_port.h"
#include "src/core/dispatch.h"
#include "src/output/pause.h"
#include "tests/aol/test_desktop.h"

namespace spindeck {
namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

class ScannerTest : public ::testing::Test {
 protected:
  struct ChatRoom {
    win32::HWND window = 0;
    win32::HWND transcript = 0;
  };

  void SetUp() override {
    desktop.Welcome("Me");
    lobby = Open("lobby");
    desktop.Serve();
    ConnectChatClient(state);
    state.scan->setLineHandler(
        [this](const std::string& s, const std::string& t) { seen.emplace_back(s, t); });
  }

  // A room on top whose transcript holds the lines said in it.
  ChatRoom Open(const std::string& name) {
    std::lock_guard guard(desktop.tree.lock());
    ChatRoom room;
    room.window = desktop.Room(name);
    room.transcript = desktop.tree.FindChild(room.window, 0, "RICHCNTLREADONLY", nullptr);
    desktop.tree.SetProc(room.transcript,
                         [this](win32::HWND self, const win32::Message& m,
                                win32::MessageResult& r) { return Answer(lines[self], m, r); });
    // The input box says the line in the room, as the client does on Enter.
    const auto input = desktop.tree.FindChild(room.window, 0, "RICHCNTL", nullptr);
    desktop.tree.SetProc(
        input, [this, room](win32::HWND self, const win32::Message& m, win32::MessageResult&) {
          if (m.msg != win32::WM_CHAR || m.wParam != 13) return false;
          SayIn(room, "Me", platform::RenderHtml(desktop.tree.Caption(self)));
          return true;
        });
    return room;
  }

  void BringToTop(const ChatRoom& room) { desktop.tree.BringToTop(room.window); }

  void SayIn(const ChatRoom& room, const std::string& sender, const std::string& text) {
    std::lock_guard guard(desktop.tree.lock());
    auto& shown = lines[room.transcript];
    shown.push_back(sender + ":\t" + text);
    if (shown.size() > 500) shown.erase(shown.begin());
  }
  void Say(const std::string& sender, const std::string& text) { SayIn(lobby, sender, text); }

  static bool Answer(const std::vector<std::string>& shown, const win32::Message& m,
                     win32::MessageResult& r) {
    std::string all;
    for (std::size_t i = 0; i < shown.size(); ++i) all += (i ? "\r\n" : "") + shown[i];
    switch (m.msg) {
      case win32::WM_GETTEXTLENGTH:
        r.result = static_cast<win32::LRESULT>(all.size());
        return true;
      case win32::WM_GETTEXT:
        r.text = all;
        return true;
      case win32::EM_GETLINECOUNT:
        r.result = std::max<win32::LRESULT>(1, static_cast<win32::LRESULT>(shown.size()));
        return true;
      case win32::EM_GETLINE:
        if (m.wParam < shown.size()) r.text = shown[m.wParam];
        r.result = static_cast<win32::LRESULT>(r.text.size());
        return true;
      default:
        return false;
    }
  }

  // Polls until the handler has seen n lines or the time is up.
  void WaitFor(std::size_t n, int ms = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (seen.size() < n && clock.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }

  testing::TestDesktop desktop;
  ChatRoom lobby;
  std::map<win32::HWND, std::vector<std::string>> lines;  // each transcript's lines
  RuntimeState state;
  Lines seen;
};

TEST_F(ScannerTest, ReportsEachNewLineOnceAcrossTheTrim) {
  for (int i = 0; i < 498; ++i) Say("Bob", "old " + std::to_string(i));
  state.scan->start();
  Say("Bob", "one");
  Say("Ann", "two");
  Say("Bob", "three");  // the transcript is full from here on
  WaitFor(3);
  Say("Bob", "three");  // the same text again is a new line
  state.scan->poll();
  Say("Ann", "four");
  WaitFor(5);
  EXPECT_EQ(
      seen,
      (Lines{{"Bob", "one"}, {"Ann", "two"}, {"Bob", "three"}, {"Bob", "three"}, {"Ann", "four"}}));
  QCoreApplication::processEvents();
  state.scan->stop();
  Say("Bob", "after stop");
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(seen.size(), 5u);
}

// Polls run only inside WaitFor and where a test calls poll(): each step below is seen at once.
TEST_F(ScannerTest, ARoomReportsOnlyTheLinesThatCameAfterTheScannerFirstSawIt) {
  state.scan->start();
  const ChatRoom jams = Open("jams");
  SayIn(jams, "Me", "del");
  SayIn(jams, "Me", "end");
  state.scan->poll();  // first seen: taken as read
  SayIn(jams, "Me", "one");
  WaitFor(1);
  // Back in the lobby, while jams talks behind it; then jams comes back on top.
  BringToTop(lobby);
  state.scan->poll();
  SayIn(jams, "Bob", "behind");
  Say("Ann", "in the lobby");
  WaitFor(2);
  BringToTop(jams);
  WaitFor(3);
  EXPECT_EQ(seen, (Lines{{"Me", "one"}, {"Ann", "in the lobby"}, {"Bob", "behind"}}));
  // What either room got while the scanner was stopped is never reported.
  state.scan->stop();
  SayIn(jams, "Me", "while stopped");
  BringToTop(lobby);
  Say("Me", "while stopped too");
  state.scan->start();
  BringToTop(jams);
  state.scan->poll();
  SayIn(jams, "Me", "after the start");
  WaitFor(4);
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen.back(), (std::pair<std::string, std::string>{"Me", "after the start"}));
}

TEST_F(ScannerTest, ARoomThatLostItsPlaceBehindTheTopStartsAfresh) {
  state.scan->start();
  const ChatRoom jams = Open("jams");
  state.scan->poll();
  SayIn(jams, "Bob", "read");
  WaitFor(1);
  BringToTop(lobby);
  state.scan->poll();
  // More lines than the transcript holds: the last one read is gone.
  for (int i = 0; i < 501; ++i) SayIn(jams, "Me", "end");
  BringToTop(jams);
  state.scan->poll();
  SayIn(jams, "Bob", "fresh");
  WaitFor(2);
  EXPECT_EQ(seen, (Lines{{"Bob", "read"}, {"Bob", "fresh"}}));
  // The room on top whose transcript is cleared between two polls: all it shows is new.
  {
    std::lock_guard guard(desktop.tree.lock());
    lines[jams.transcript].clear();
  }
  SayIn(jams, "Bob", "after the clear");
  WaitFor(3);
  EXPECT_EQ(seen.back(), (std::pair<std::string, std::string>{"Bob", "after the clear"}));
}

TEST_F(ScannerTest, AQuietRoomIsReadLessOftenUntilItTalksAgain) {
  using platform::ChatScanner;
  state.scan->start();
  EXPECT_EQ(state.scan->pollInterval(), ChatScanner::kPollMs);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ChatScanner::kQuietAfterMs + 1500) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_GT(state.scan->pollInterval(), ChatScanner::kPollMs);
  EXPECT_LE(state.scan->pollInterval(), ChatScanner::kQuietPollMs);
  // The first line after the quiet is still reported, and the room is read quickly again.
  Say("Bob", "back");
  WaitFor(1);
  EXPECT_EQ(seen, (Lines{{"Bob", "back"}}));
  EXPECT_EQ(state.scan->pollInterval(), ChatScanner::kPollMs);
}

TEST_F(ScannerTest, TheProgramsOwnLinesNeverComeBack) {
  state.scan->start();
  // Empty decorations: the reply's shown text begins with a command word.
  state.chat->ChatSend("<b>eliteoff</b>");
  state.chat->ChatSend("shuffle mode: on");
  Say("Me", "eliteoff");  // typed by the user: reported
  WaitFor(1);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(seen, (Lines{{"Me", "eliteoff"}}));
}

TEST_F(ScannerTest, ALineDuringAThreeSecondPauseIsHandledInsideIt) {
  state.scan->start();
  std::vector<std::string> order;
  state.scan->setLineHandler([&](const std::string&, const std::string& text) {
    order.push_back("begin " + text);
    if (text == "first") {
      QTimer::singleShot(300, [this] { Say("Me", "second"); });
      Pause(3.0);
    }
    order.push_back("end " + text);
  });
  Say("Me", "first");
  QElapsedTimer clock;
  clock.start();
  while (order.size() < 4 && clock.elapsed() < 8000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"begin first", "begin second", "end second", "end first"}));
}

}  // namespace
}  // namespace spindeck
