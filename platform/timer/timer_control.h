#pragma once
// A timer control like the one the program's timers ran on: an interval in milliseconds, and a
// tick no more often than the system timer's resolution of 1/64 s. An interval below 15.625 ms
// therefore ticks every 15.625 ms, as the original did, instead of burning a core on a 1 ms
// wake-up. Ticks are delivered on the event loop of the thread that made the timer.
#include <QObject>
#include <QTimer>
#include <chrono>

namespace platform {

class TimerControl : public QObject {
  Q_OBJECT

 public:
  // The system timer's resolution: 64 ticks a second.
  static constexpr std::chrono::microseconds kResolution{15625};

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

 signals:
  void timeout();

 private:
  void ScheduleNext();
  void Fire();

  int intervalMs_ = 0;
  bool active_ = false;
  bool held_ = false;
  std::chrono::steady_clock::time_point next_;
  QTimer wake_;
};

}  // namespace platform
