#include "platform/timer/timer_control.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace platform {
namespace {

int TicksWithin(TimerControl& timer, int ms) {
  int ticks = 0;
  const auto counting = QObject::connect(&timer, &TimerControl::timeout, [&] { ++ticks; });
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  // The count lives only for this call: later ticks must not reach it.
  QObject::disconnect(counting);
  return ticks;
}

// Counts ticks in a stretch of time, so it runs alone.
TEST(TimerControlTimed, ShortIntervalsTickAtTheSystemResolution) {
  TimerControl timer(1);
  EXPECT_EQ(timer.interval(), 1);
  EXPECT_EQ(timer.period(), TimerControl::kResolution);
  EXPECT_FALSE(timer.isActive());
  timer.start();
  const int ticks = TicksWithin(timer, 500);
  // 500 ms hold 32 periods of 15.625 ms; a literal 1 ms timer would tick hundreds of times.
  EXPECT_GE(ticks, 5);
  EXPECT_LE(ticks, 40);
}

TEST(TimerControl, LongIntervalsAreKeptAndStopEndsTicks) {
  TimerControl timer(60000);
  EXPECT_EQ(timer.period(), std::chrono::milliseconds(60000));
  timer.setInterval(-5);
  EXPECT_EQ(timer.interval(), 0);
  timer.setInterval(20);
  timer.start();
  timer.stop();
  EXPECT_FALSE(timer.isActive());
  EXPECT_EQ(TicksWithin(timer, 100), 0);
}

TEST(TimerControl, AHandlerMayStopTheTimer) {
  TimerControl timer(1);
  int ticks = 0;
  QObject::connect(&timer, &TimerControl::timeout, [&] {
    ++ticks;
    timer.stop();
  });
  timer.start();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 150) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  EXPECT_EQ(ticks, 1);
}

TEST(TimerControl, AHeldTimerStaysActiveWithoutTicksUntilReleased) {
  TimerControl timer(1);
  timer.start();
  timer.hold();
  EXPECT_TRUE(timer.isActive());
  EXPECT_TRUE(timer.held());
  EXPECT_EQ(TicksWithin(timer, 100), 0);
  int ticks = 0;
  QObject::connect(&timer, &TimerControl::timeout, [&] { ++ticks; });
  timer.release();
  EXPECT_FALSE(timer.held());
  QElapsedTimer clock;
  clock.start();
  while (ticks == 0 && clock.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  EXPECT_GE(ticks, 1);
  // Holding a stopped timer does nothing; a start clears a hold.
  timer.stop();
  timer.hold();
  EXPECT_FALSE(timer.held());
  timer.start();
  EXPECT_FALSE(timer.held());
}

TEST(TimerControl, FireInReplacesThePeriodForOneTick) {
  using std::chrono::hours;
  using std::chrono::microseconds;
  TimerControl timer(1);
  timer.fireIn(microseconds(0));
  EXPECT_FALSE(timer.isActive());
  EXPECT_EQ(TicksWithin(timer, 50), 0);
  // A far tick keeps an active timer from ticking meanwhile, and ends a hold.
  timer.start();
  timer.hold();
  timer.fireIn(hours(1));
  EXPECT_TRUE(timer.isActive());
  EXPECT_FALSE(timer.held());
  EXPECT_EQ(TicksWithin(timer, 100), 0);
  // A tick at once, after which the period goes on.
  int ticks = 0;
  QObject::connect(&timer, &TimerControl::timeout, [&] { ++ticks; });
  timer.fireIn(microseconds(0));
  QElapsedTimer clock;
  clock.start();
  while (ticks < 3 && clock.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  EXPECT_EQ(ticks, 3);
}

// Counts ticks in a stretch of time, so it runs alone. Only an upper bound: a slow machine
// gives fewer ticks, never more.
TEST(TimerControlTimed, RetriesInARowBackOff) {
  TimerControl timer(60000);
  QObject::connect(&timer, &TimerControl::timeout,
                   [&] { timer.retryIn(std::chrono::microseconds(0)); });
  timer.start();
  timer.fireIn(std::chrono::microseconds(0));
  // Waits of 1, 2, 4, ... 128 ms: at most nine ticks in 250 ms, where a fixed 1 ms floor
  // would give hundreds.
  EXPECT_LE(TicksWithin(timer, 250), 9);
}

}  // namespace
}  // namespace platform
