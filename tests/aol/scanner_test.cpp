// The chat scanner over an in-test client: every new line once, in order; none of the
// program's own lines; lines handled inside a pause. Each test runs woken by window events
// over a transcript that numbers its lines, and polling, over transcripts with and without
// line numbers.
#include <gtest/gtest.h>
#include <poll.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <deque>
#include <thread>

#include "platform/text/html_text.h"
#include "platform/win32/desktop_protocol.h"
#include "platform/win32/desktop_socket.h"
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
    welcome = desktop.Welcome("Me");
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
    desktop.tree.SetProc(room.transcript, [this](win32::HWND self, const win32::Message& m,
                                                 win32::MessageResult& r) {
      if (beforeAnswer) beforeAnswer(self, m);
      return Answer(lines[self], m, r);
    });
    // The input box says the line in the room, as the client does on Enter.
    const auto input = desktop.tree.FindChild(room.window, 0, "RICHCNTL", nullptr);
    desktop.tree.SetProc(
        input, [this, room](win32::HWND self, const win32::Message& m, win32::MessageResult&) {
          if (m.msg != win32::WM_CHAR || m.wParam != 13) return false;
          SayIn(room, userName, platform::RenderHtml(desktop.tree.Caption(self)));
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

  bool Answer(Shown& shown, const win32::Message& m, win32::MessageResult& r) {
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
      case win32::EM_GETFIRSTLINESERIAL:
        r.result = GetParam().serials ? static_cast<win32::LRESULT>(first) : 0;
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
    WaitUntil([&] { return seen.size() >= n; }, ms);
  }
  template <typename Done>
  bool WaitUntil(Done done, int ms = 8000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
  }
  // Some more turns of the event loop, for lines that must not come.
  void Settle(int ms = 300) {
    WaitUntil([] { return false; }, ms);
  }

  testing::TestDesktop desktop;
  win32::HWND welcome = 0;
  std::string userName = "Me";  // who the input box says lines as
  // Runs on the owner's thread before a transcript answers a message.
  std::function<void(win32::HWND, const win32::Message&)> beforeAnswer;
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
  // The room on top whose transcript is cleared between two polls. Numbered lines tell what
  // is new; a whole text with nothing of the one read before starts afresh.
  {
    std::lock_guard guard(desktop.tree.lock());
    lines[jams.transcript].lines.clear();
  }
  const std::size_t before = seen.size();
  SayIn(jams, "Bob", "after the clear");
  if (!GetParam().serials) {
    state.scan->poll();
    SayIn(jams, "Bob", "next");
  }
  WaitFor(before + 1);
  EXPECT_EQ(seen.size(), before + 1);
  EXPECT_EQ(seen.back().second, GetParam().serials ? "after the clear" : "next");
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
  ASSERT_TRUE(WaitUntil([&] { return state.scan->eventDriven(); }));
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
  // Lines of the new client are new once the scanner has seen its room.
  const int readsBefore = reads;
  ASSERT_TRUE(WaitUntil([&] { return reads > readsBefore; }));
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

// The client is killed and started again with the same windows, and lines are said in its room
// before the scanner looks: they may be old lines played back, and none is reported.
TEST_P(ScannerTest, ARestartedClientsLinesAreTakenAsReadAtFirstSight) {
  state.scan->start();
  Say("Bob", "one");
  Say("Bob", "two");
  WaitFor(2);
  desktop.Restart();
  {
    std::lock_guard guard(desktop.tree.lock());
    lines[lobby.transcript] = Shown{};
  }
  for (int i = 0; i < 5; ++i) Say("Me", "del " + std::to_string(i));
  const int readsBefore = reads;
  ASSERT_TRUE(WaitUntil([&] { return reads > readsBefore; }));
  Say("Bob", "after");
  WaitFor(3, 8000);
  Settle();
  EXPECT_EQ(seen, (Lines{{"Bob", "one"}, {"Bob", "two"}, {"Bob", "after"}}));
}

// The text grows between the length asked and the text read: the line that came is reported
// whole, once, and no old line with it.
TEST_P(ScannerTest, ALineThatGrowsTheTextWhileItIsReadArrivesWhole) {
  if (GetParam().serials) GTEST_SKIP() << "read line by line";
  for (int i = 0; i < 500; ++i) Say("Bob", "old " + std::to_string(i));
  state.scan->start();
  const std::string longer = "!play " + std::string(80, 'o');
  std::atomic<bool> appended = false;
  beforeAnswer = [&](win32::HWND, const win32::Message& m) {
    if (m.msg != win32::WM_GETTEXT || appended) return;
    appended = true;
    Say("Ann", longer);
  };
  Say("Bob", "x");
  WaitFor(2);
  Say("Bob", "y");
  WaitFor(3);
  Settle();
  EXPECT_EQ(seen, (Lines{{"Bob", "x"}, {"Ann", longer}, {"Bob", "y"}}));
}

// The owner does not answer in time: a failed call is neither an empty transcript nor a
// trimmed line. What it was to read is read again, and nothing old comes with it.
TEST_P(ScannerTest, ACallThatTimesOutIsReadAgain) {
  for (int i = 0; i < 500; ++i) Say("Bob", "old " + std::to_string(i));
  state.scan->start();
  const std::uint64_t second = lines[lobby.transcript].next + 1;
  std::atomic<bool> stalled = false;
  beforeAnswer = [&](win32::HWND, const win32::Message& m) {
    const bool target = GetParam().serials
                            ? m.msg == win32::EM_GETLINEBYSERIAL && m.wParam == second
                            : m.msg == win32::WM_GETTEXTLENGTH;
    if (!target || stalled) return;
    stalled = true;
    // An owner held up past the call bound.
    std::this_thread::sleep_for(std::chrono::milliseconds(2300));
  };
  Say("Bob", "1");
  Say("Bob", "2");
  Say("Bob", "3");
  WaitFor(3, 10000);
  Settle();
  EXPECT_TRUE(stalled);
  EXPECT_EQ(seen, (Lines{{"Bob", "1"}, {"Bob", "2"}, {"Bob", "3"}}));
}

// An owner whose subscriber table is full refuses the scanner's events: it polls, and goes
// back to events once a place is free.
TEST_P(ScannerTest, ARefusedSubscriptionIsPolled) {
  if (!GetParam().events) GTEST_SKIP() << "polls anyway";
  state.scan.reset();
  state.scan2.reset();
  state.scan3.reset();
  state.chat.reset();
  Settle(100);  // this thread's event connection closes
  std::vector<win32::UniqueFd> others;
  for (int i = 0; i < 32; ++i) {
    const auto deadline = win32::DesktopClock::now() + std::chrono::seconds(5);
    others.push_back(win32::ConnectDesktop(getenv("SPINDECK_DESKTOP"), deadline));
    ASSERT_TRUE(others.back());
    win32::protocol::Request subscribe;
    subscribe.op = win32::protocol::Op::kSubscribe;
    subscribe.id = 1;
    subscribe.a = win32::EVENT_MIN;
    subscribe.b = win32::EVENT_MAX;
    ASSERT_TRUE(
        win32::SendAll(others.back().get(), win32::protocol::EncodeRequest(subscribe), deadline));
    ASSERT_TRUE(win32::WaitForFd(others.back().get(), POLLIN, deadline));  // the answer
  }
  ConnectChatClient(state);
  state.scan->setLineHandler(
      [this](const std::string& s, const std::string& t) { seen.emplace_back(s, t); });
  state.scan->start();
  Settle(300);
  Say("Bob", "hello");
  WaitFor(1, 5000);
  EXPECT_EQ(seen, (Lines{{"Bob", "hello"}}));
  EXPECT_FALSE(state.scan->eventDriven());
  others.clear();
  ASSERT_TRUE(WaitUntil([&] { return state.scan->eventDriven(); }));
  Say("Bob", "again");
  WaitFor(2);
  EXPECT_EQ(seen, (Lines{{"Bob", "hello"}, {"Bob", "again"}}));
}

// Back on top after 20,000 lines behind: the lines still held are read, and those trimmed
// cost nothing.
TEST_P(ScannerTest, ARoomBackOnTopReadsOnlyTheLinesItHolds) {
  if (!GetParam().serials) GTEST_SKIP() << "read whole";
  state.scan->start();
  const ChatRoom jams = Open("jams");
  state.scan->poll();
  BringToTop(lobby);
  state.scan->poll();
  for (int i = 0; i < 20000; ++i) SayIn(jams, "Bob", std::to_string(i));
  Settle(100);
  reads = 0;
  BringToTop(jams);
  WaitFor(500, 10000);
  EXPECT_LE(reads, 520);
  ASSERT_EQ(seen.size(), 500u);
  EXPECT_EQ(seen.front().second, "19500");
  EXPECT_EQ(seen.back().second, "19999");
}

// The user is renamed just before a line the program sent is read, or the name cannot be
// found at all: that line never reaches the handler.
TEST_P(ScannerTest, TheProgramsOwnLineAfterARenameNeverComesBack) {
  state.scan->start();
  if (GetParam().events) {
    ASSERT_TRUE(WaitUntil([&] { return state.scan->eventDriven(); }));
  }
  ASSERT_EQ(state.chat->GetScreenName(), "Me");
  {
    std::lock_guard guard(desktop.tree.lock());
    desktop.tree.SetCaption(welcome, "Welcome, Me2!");
    userName = "Me2";
  }
  state.chat->ChatSend("!end");
  // Read and delivered before this thread handles the rename's event.
  state.scan->poll();
  QCoreApplication::sendPostedEvents(state.scan.get());
  {
    std::lock_guard guard(desktop.tree.lock());
    desktop.tree.Destroy(welcome);
  }
  state.chat->ChatSend("!del");
  state.scan->poll();
  QCoreApplication::sendPostedEvents(state.scan.get());
  Say("Bob", "!end");  // said by someone else: reported
  WaitFor(1);
  Settle();
  EXPECT_EQ(seen, (Lines{{"Bob", "!end"}}));
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
