#include "platform/timer/timer_control.h"

#include <algorithm>

namespace platform {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

TimerControl::TimerControl(int intervalMs, QObject* parent)
    : QObject(parent), intervalMs_(std::max(0, intervalMs)) {
  wake_.setSingleShot(true);
  wake_.setTimerType(Qt::PreciseTimer);
  connect(&wake_, &QTimer::timeout, this, &TimerControl::Fire);
}

void TimerControl::setInterval(int ms) {
  intervalMs_ = std::max(0, ms);
  if (active_) start();
}

microseconds TimerControl::period() const {
  return std::max<microseconds>(milliseconds(intervalMs_), kResolution);
}

void TimerControl::start() {
  active_ = true;
  held_ = false;
  retries_ = 0;
  next_ = steady_clock::now() + period();
  ScheduleNext();
}

void TimerControl::stop() {
  active_ = false;
  held_ = false;
  wake_.stop();
}

void TimerControl::hold() {
  if (!active_) return;
  held_ = true;
  retries_ = 0;
  wake_.stop();
}

void TimerControl::release() {
  if (!active_ || !held_) return;
  fireIn(microseconds(0));
}

void TimerControl::fireIn(microseconds wait) {
  if (!active_) return;
  held_ = false;
  retries_ = 0;
  // Limited to what ScheduleNext can wait (about twelve days), so no deadline overflows.
  constexpr microseconds kLongest = milliseconds(1L << 30);
  next_ = steady_clock::now() + std::clamp(wait, microseconds(0), kLongest);
  ScheduleNext();
}

void TimerControl::retryIn(microseconds wait) {
  if (!active_) return;
  const auto floor = std::min(kMinRetry * (1 << std::min(retries_, 16)), period());
  const int retries = retries_ + 1;
  fireIn(std::max(wait, floor));
  retries_ = retries;
}

// Deadlines are kept on the steady clock, not as a chain of whole-millisecond waits, so a
// 15.625 ms period averages out exactly (waits of 15 and 16 ms alternate). The wait is rounded
// up to whole milliseconds: a tick never comes before its deadline.
void TimerControl::ScheduleNext() {
  const auto now = steady_clock::now();
  const auto wait = duration_cast<microseconds>(next_ - now);
  const long ms = std::max<long>(0, static_cast<long>((wait.count() + 999) / 1000));
  wake_.start(static_cast<int>(std::min<long>(ms, 1L << 30)));
}

void TimerControl::Fire() {
  if (!active_ || held_) return;
  next_ += period();
  // A tick that came late (a long command, a busy machine) does not bunch the following ones
  // up: the schedule starts afresh from now.
  const auto now = steady_clock::now();
  if (next_ < now) next_ = now + period();
  ScheduleNext();
  emit timeout();
}

}  // namespace platform
