#pragma once
// A timer control like the one the program's timers ran on: an interval in milliseconds, and a
// tick no more often than the system timer's resolution of 1/64 s. An interval below 15.625 ms
// therefore ticks every 15.625 ms, as the original did, instead of burning a core on a 1 ms
// wake-up. Ticks are delivered on the event loop of the thread that made the timer.
//
// A caller that knows when its next tick will have work to do can say so (fireIn, retryIn, hold):
// the timer then wakes the process only then, and stays active all the while.
#include <QObject>
#include <QTimer>
#include <chrono>

namespace platform {

class TimerControl : public QObject {
  Q_OBJECT

 public:
  // The system timer's resolution: 64 ticks a second.
  static constexpr std::chrono::microseconds kResolution{15625};
  // The shortest wait of a retry (see retryIn).
  static constexpr std::chrono::microseconds kMinRetry{1000};

  explicit TimerControl(int intervalMs = 0, QObject* parent = nullptr);

  // The interval as set, in milliseconds; the tick period is at least kResolution.
  void setInterval(int ms);
  int interval() const { return intervalMs_; }
  std::chrono::microseconds period() const;

  // Starting a running timer restarts its period from now.
  void start();
  void stop();
  bool isActive() const { return active_; }

  // A held timer stays active but stops waking the process, for a caller that knows its ticks
  // would change nothing for a while; release() ticks at once and goes on as before. Holding
  // an idle program's timer keeps its CPU use near zero.
  void hold();
  void release();
  bool held() const { return held_; }

  // The next tick of an active timer comes `wait` from now (0: at once) instead of after a
  // period; a hold ends. Later ticks keep the period again unless they are asked for anew.
  // Ignored while the timer is stopped.
  void fireIn(std::chrono::microseconds wait);
  // As fireIn, for a tick that came before its work was ready (what it waits for lags behind
  // the clock): the wait is at least kMinRetry, doubling with every retry in a row up to one
  // period, so waiting on something that has stalled never wakes the process more often than
  // the timer's own period would.
  void retryIn(std::chrono::microseconds wait);

 signals:
  void timeout();

 private:
  void ScheduleNext();
  void Fire();

  int intervalMs_ = 0;
  bool active_ = false;
  bool held_ = false;
  int retries_ = 0;  // retries in a row
  std::chrono::steady_clock::time_point next_;
  QTimer wake_;
};

}  // namespace platform
