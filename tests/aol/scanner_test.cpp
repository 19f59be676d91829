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
  void SetUp() override {
    desktop.Welcome("Me");
    room = desktop.Room("lobby");
    transcript = desktop.tree.FindChild(room, 0, "RICHCNTLREADONLY", nullptr);
    desktop.tree.SetProc(transcript, [this](win32::HWND, const win32::Message& m,
                                            win32::MessageResult& r) { return Answer(m, r); });
    // The input box says the line in the room, as the client does on Enter.
    const auto input = desktop.tree.FindChild(room, 0, "RICHCNTL", nullptr);
    desktop.tree.SetProc(input,
                         [this](win32::HWND self, const win32::Message& m, win32::MessageResult&) {
                           if (m.msg != win32::WM_CHAR || m.wParam != 13) return false;
                           Say("Me", platform::RenderHtml(desktop.tree.Caption(self)));
                           return true;
                         });
    desktop.Serve();
    ConnectChatClient(state);
    state.scan->setLineHandler(
        [this](const std::string& s, const std::string& t) { seen.emplace_back(s, t); });
  }

  void Say(const std::string& sender, const std::string& text) {
    std::lock_guard guard(desktop.tree.lock());
    lines.push_back(sender + ":\t" + text);
    if (lines.size() > 500) lines.erase(lines.begin());
  }

  bool Answer(const win32::Message& m, win32::MessageResult& r) {
    std::string all;
    for (std::size_t i = 0; i < lines.size(); ++i) all += (i ? "\r\n" : "") + lines[i];
    switch (m.msg) {
      case win32::WM_GETTEXTLENGTH:
        r.result = static_cast<win32::LRESULT>(all.size());
        return true;
      case win32::WM_GETTEXT:
        r.text = all;
        return true;
      case win32::EM_GETLINECOUNT:
        r.result = std::max<win32::LRESULT>(1, static_cast<win32::LRESULT>(lines.size()));
        return true;
      case win32::EM_GETLINE:
        if (m.wParam < lines.size()) r.text = lines[m.wParam];
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
  win32::HWND room = 0, transcript = 0;
  std::vector<std::string> lines;
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
