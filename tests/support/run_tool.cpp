#include "tests/support/run_tool.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace spindeck::testing {

bool RunTool(const QString& program, const QStringList& args, int timeoutMs, std::string* output) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  process.start(program, args);
  if (process.state() != QProcess::NotRunning) loop.exec();
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished(3000);
  }
  if (output != nullptr) *output = process.readAll().toStdString();
  return process.error() == QProcess::UnknownError &&
         process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace spindeck::testing
