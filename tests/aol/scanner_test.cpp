// The chat scanner over an in-test client: every new line once, in order; none of the
// program's own lines; lines handled inside a pause. Each test runs woken by window events
// over a transcript that numbers its lines, and polling, over transcripts with and without
// line numbers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>

#include "platform/text/html_text.h"
#include "src/aol/aol_chat_port.h"
#include "src/core/dispatch.h"
#include "src/output/pause.h"
#include "tests/aol/test_desktop.h"

namespace spindeck {
namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

struct ScanMode {
  bool events;   // window events wake the scanner; otherwise it polls
  bool serials;  // the transcripts number their lines
};

class ScannerTest : public ::testing::TestWithParam<ScanMode> {
 protected:
  struct ChatRoom {
    win32::HWND window = 0;
    win32::HWND transcript = 0;
  };

  void SetUp() override {
    if (!GetParam().events) setenv("SPINDECK_WINEVENTS", "0", 1);
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

  void TearDown() override { unsetenv("SPINDECK_WINEVENTS"); }

  void SayIn(const ChatRoom& room, const std::string& sender, const std::string& text) {
    std::lock_guard guard(desktop.tree.lock());
    Shown& shown = lines[room.transcript];
    shown.lines.push_back(sender + ":\t" + text);
    ++shown.next;
    if (shown.lines.size() > 500) shown.lines.pop_front();
    desktop.tree.NotifyWinEvent(win32::EVENT_OBJECT_VALUECHANGE, room.transcript);
  }
  void Say(const std::string& sender, const std::string& text) { SayIn(lobby, sender, text); }

  struct Shown {
    std::deque<std::string> lines;
    std::uint64_t next = 1;  // the serial of the next line
  };

  bool Answer(const Shown& shown, const win32::Message& m, win32::MessageResult& r) {
    ++reads;
    const std::vector<std::string> held(shown.lines.begin(), shown.lines.end());
    const std::uint64_t first = shown.next - held.size();
    std::string all;
    for (std::size_t i = 0; i < held.size(); ++i) all += (i ? "\r\n" : "") + held[i];
    switch (m.msg) {
      case win32::WM_GETTEXTLENGTH:
        r.result = static_cast<win32::LRESULT>(all.size());
        return true;
      case win32::WM_GETTEXT:
        r.text = all;
        return true;
      case win32::EM_GETLINECOUNT:
        r.result = std::max<win32::LRESULT>(1, static_cast<win32::LRESULT>(held.size()));
        return true;
      case win32::EM_GETLINE:
        if (m.wParam < held.size()) r.text = held[m.wParam];
        r.result = static_cast<win32::LRESULT>(r.text.size());
        return true;
      case win32::EM_GETNEXTLINESERIAL:
        r.result = GetParam().serials ? static_cast<win32::LRESULT>(shown.next) : 0;
        return true;
      case win32::EM_GETLINEBYSERIAL:
        if (GetParam().serials && m.wParam >= first && m.wParam < shown.next) {
          r.text = held[m.wParam - first];
        }
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
  std::map<win32::HWND, Shown> lines;  // each transcript's lines
  int reads = 0;                       // messages the transcripts answered
  RuntimeState state;
  Lines seen;
};

TEST_P(ScannerTest, ReportsEachNewLineOnceAcrossTheTrim) {
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
TEST_P(ScannerTest, ARoomReportsOnlyTheLinesThatCameAfterTheScannerFirstSawIt) {
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

TEST_P(ScannerTest, ARoomThatLostItsPlaceBehindTheTopStartsAfresh) {
  state.scan->start();
  const ChatRoom jams = Open("jams");
  state.scan->poll();
  SayIn(jams, "Bob", "read");
  WaitFor(1);
  BringToTop(lobby);
  state.scan->poll();
  // More lines than the transcript holds: the last one read is gone.
  for (int i = 0; i < 501; ++i) SayIn(jams, "Me", std::to_string(i));
  BringToTop(jams);
  state.scan->poll();
  SayIn(jams, "Bob", "fresh");
  if (GetParam().serials) {
    // Numbered lines tell exactly which came after the last one read: those still held.
    WaitFor(502);
    ASSERT_EQ(seen.size(), 502u);
    EXPECT_EQ(seen[1], (std::pair<std::string, std::string>{"Me", "1"}));
    EXPECT_EQ(seen[500], (std::pair<std::string, std::string>{"Me", "500"}));
  } else {
    // Without numbers the whole transcript could be old: nothing of it is reported.
    WaitFor(2);
    EXPECT_EQ(seen, (Lines{{"Bob", "read"}, {"Bob", "fresh"}}));
  }
  EXPECT_EQ(seen.back(), (std::pair<std::string, std::string>{"Bob", "fresh"}));
  // The room on top whose transcript is cleared between two polls: all it shows is new.
  {
    std::lock_guard guard(desktop.tree.lock());
    lines[jams.transcript].lines.clear();
  }
  const std::size_t before = seen.size();
  SayIn(jams, "Bob", "after the clear");
  WaitFor(before + 1);
  EXPECT_EQ(seen.back(), (std::pair<std::string, std::string>{"Bob", "after the clear"}));
}

TEST_P(ScannerTest, AQuietRoomIsReadLessOftenUntilItTalksAgain) {
  using platform::ChatScanner;
  if (GetParam().events) GTEST_SKIP() << "woken by events, a quiet room is never read";
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

TEST_P(ScannerTest, WokenByEventsAQuietRoomIsNeverRead) {
  if (!GetParam().events) GTEST_SKIP() << "polled, a quiet room is read less often";
  state.scan->start();
  ASSERT_TRUE(state.scan->eventDriven());
  Say("Bob", "hello");
  WaitFor(1);
  const int readsBefore = reads;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 1500) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(reads, readsBefore);
  Say("Bob", "again");
  WaitFor(2);
  EXPECT_EQ(seen, (Lines{{"Bob", "hello"}, {"Bob", "again"}}));
}

// A flood of lines, many of them alike, read while it goes on: none lost, none twice.
TEST_P(ScannerTest, AFloodOfLikeLinesArrivesWhole) {
  if (!GetParam().serials) GTEST_SKIP() << "whole transcripts are matched by their texts";
  state.scan->start();
  Lines said;
  for (int burst = 0; burst < 40; ++burst) {
    // The reader may lag, but never by more than the transcript holds.
    WaitFor(said.size() < 400 ? 0 : said.size() - 400, 20000);
    for (int i = 0; i < 50; ++i) {
      said.emplace_back(i % 2 ? "Ann" : "Bob", i % 10 == 0 ? "p " + std::to_string(burst) : "lol");
      Say(said.back().first, said.back().second);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  WaitFor(said.size(), 20000);
  EXPECT_EQ(seen, said);
}

// The client stops and starts again: lines said after it is back are reported.
TEST_P(ScannerTest, LinesAreReportedAgainOnceTheClientIsBack) {
  state.scan->start();
  Say("Bob", "before");
  WaitFor(1);
  desktop.Restart();
  Say("Bob", "after");
  WaitFor(2, 8000);
  EXPECT_EQ(seen, (Lines{{"Bob", "before"}, {"Bob", "after"}}));
}

TEST_P(ScannerTest, TheProgramsOwnLinesNeverComeBack) {
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

TEST_P(ScannerTest, ALineDuringAThreeSecondPauseIsHandledInsideIt) {
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

INSTANTIATE_TEST_SUITE_P(Modes, ScannerTest,
                         ::testing::Values(ScanMode{true, true}, ScanMode{false, true},
                                           ScanMode{false, false}),
                         [](const ::testing::TestParamInfo<ScanMode>& info) {
                           if (info.param.events) return std::string("Events");
                           return std::string(info.param.serials ? "PollingByNumber"
                                                                 : "PollingWholeText");
                         });

}  // namespace
}  // namespace spindeck
