#include "tests/support/stop_process.h"

#include <QEventLoop>
#include <QTimer>

namespace spindeck::testing {

void StopProcess(QProcess& process) {
  const auto running = [&process] { return process.state() != QProcess::NotRunning; };
  if (!running()) return;
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  process.terminate();
  if (running()) loop.exec();
  if (running()) {
    process.kill();
    process.waitForFinished(3000);
  }
}

}  // namespace spindeck::testing
