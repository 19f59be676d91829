#include "src/output/pause.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace spindeck {

void Pause(double seconds) {
  if (!(seconds > 0)) return;  // also refuses NaN
  const qint64 total = static_cast<qint64>(std::llround(std::min(seconds, 86400.0) * 1000.0));
  QElapsedTimer clock;  // monotonic
  clock.start();
  if (QCoreApplication::instance() == nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(total));
    return;
  }
  // A local loop wakes when the timer fires; a nested pause inside it only delays the return.
  while (clock.elapsed() < total) {
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start(static_cast<int>(total - clock.elapsed()));
    // A loop that returns anything but 0 was ended by the application quitting: stop waiting.
    if (loop.exec() != 0) break;
  }
}

}  // namespace spindeck
