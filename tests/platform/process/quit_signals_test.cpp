// Signals that ask the program to end arrive as calls on the event loop.
#include "platform/process/quit_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>

namespace platform {
namespace {

// Raises the signal and turns the event loop until the call comes (at most 2 s).
int CallsAfter(int signal, const int& calls) {
  ::raise(signal);
  EXPECT_EQ(calls, 0) << "called inside the signal handler, not on the event loop";
  QElapsedTimer clock;
  clock.start();
  while (calls == 0 && clock.elapsed() < 2000) QCoreApplication::processEvents();
  return calls;
}

TEST(QuitSignals, EachSignalBecomesOneCallOnTheEventLoop) {
  int calls = 0;
  QuitSignals quit([&] { ++calls; });
  ASSERT_TRUE(quit.active());
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    calls = 0;
    EXPECT_EQ(CallsAfter(signal, calls), 1) << signal;
  }
}

TEST(QuitSignals, GivesTheSignalsBackTheirDefaultAction) {
  {
    QuitSignals quit([] {});
  }
  struct sigaction current {};
  ::sigaction(SIGTERM, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace platform
