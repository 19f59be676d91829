#include "tests/support/processes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcessEnvironment>
#include <QTimer>

#include "tests/support/process_exit.h"

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
  testing::AbortOnSanitizerReport(env);
  env.insert(extra);
  process_.setProcessEnvironment(env);
  QObject::connect(&process_, &QProcess::readyReadStandardError, [this] { ReadErrors(); });
  process_.start(exe, {});
  process_.waitForStarted(5000);
}

Spindeck::~Spindeck() {
  Terminate();
  if (!reported_) testing::ShowWhenFailed("the program", errors_.toStdString());
}

void Spindeck::ReadErrors() {
  errors_ += process_.readAllStandardError();
}

QString Spindeck::output() {
  ReadErrors();
  const QString text = QString::fromUtf8(errors_.mid(errorsTaken_));
  errorsTaken_ = errors_.size();
  return text;
}

void Spindeck::CheckEnd() {
  if (checked_) return;
  checked_ = true;
  ReadErrors();
  reported_ = !testing::CheckExit("The program", process_, errors_.toStdString());
}

bool Spindeck::WaitForExit(int timeoutMs) {
  if (!testing::WaitForEnd(process_, timeoutMs)) return false;
  CheckEnd();
  return true;
}

void Spindeck::Terminate() {
  if (process_.state() == QProcess::NotRunning) {
    CheckEnd();  // it ended before: by itself, or by a crash
    return;
  }
  process_.terminate();
  if (testing::WaitForEnd(process_, 15000)) {
    CheckEnd();
    return;
  }
  process_.kill();
  process_.waitForFinished(3000);
  checked_ = reported_ = true;
  ReadErrors();
  ADD_FAILURE() << "The program did not end within 15 s of SIGTERM and was killed\n"
                << errors_.toStdString();
}

}  // namespace spindeck::e2e
