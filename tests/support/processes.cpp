#include "tests/support/processes.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcessEnvironment>
#include <QTimer>

namespace spindeck::e2e {

void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

Spindeck::Spindeck(const QString& desktop, const QString& programFolder,
                   const QProcessEnvironment& extra) {
  QDir().mkpath(programFolder);
  const QString exe = programFolder + "/spindeck";
  QFile::remove(exe);
  QFile::copy(SPINDECK_EXE, exe);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SPINDECK_DESKTOP", desktop);
  env.insert("SPINDECK_AUDIO", "null");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert(extra);
  process_.setProcessEnvironment(env);
  process_.start(exe, {});
  process_.waitForStarted(5000);
}

Spindeck::~Spindeck() {
  Terminate();
}

bool Spindeck::WaitForExit(int timeoutMs) {
  return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
}

void Spindeck::Terminate() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}

}  // namespace spindeck::e2e
