#include "tests/support/irc_server_process.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "tests/support/stop_process.h"

namespace spindeck::testing {

bool AcceptsConnections(int port, int timeoutMs) {
  QTcpSocket probe;
  QEventLoop loop;
  QObject::connect(&probe, &QTcpSocket::connected, &loop, &QEventLoop::quit);
  QObject::connect(&probe, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
  if (probe.state() != QAbstractSocket::ConnectedState) loop.exec();
  const bool connected = probe.state() == QAbstractSocket::ConnectedState;
  probe.abort();
  return connected;
}

int FreeLoopbackPort() {
  QTcpServer listener;
  return listener.listen(QHostAddress::LocalHost, 0) ? listener.serverPort() : 0;
}

IrcServerProcess::IrcServerProcess(std::string name, Prepare prepare, bool neverAsRoot,
                                   int exitCode)
    : name_(std::move(name)),
      prepare_(std::move(prepare)),
      neverAsRoot_(neverAsRoot),
      exitCode_(exitCode) {
  path_ = dir_.path();
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.setWorkingDirectory(path_);
  if (neverAsRoot_ && geteuid() == 0) {
    // The server runs as "nobody": it must read its configuration and write its logs here.
    QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                     QFileDevice::WriteOther | QFileDevice::ExeOther);
  }
}

IrcServerProcess::~IrcServerProcess() {
  Stop();
}

std::string IrcServerProcess::output() {
  if (process_.isOpen()) output_ += process_.readAll().toStdString();
  return output_;
}

bool IrcServerProcess::Start(int timeoutMs) {
  if (running()) return true;
  if (!dir_.isValid()) {
    Fail("no temporary folder for its configuration");
    return false;
  }
  for (int attempt = 1;; ++attempt) {
    if (port_ == 0) port_ = FreeLoopbackPort();
    if (port_ == 0) {
      Fail("no free loopback port");
      return false;
    }
    std::optional<IrcServerCommand> command = prepare_(port_, path_);
    if (!command) {
      Fail("its configuration could not be written");
      return false;
    }
    if (neverAsRoot_ && geteuid() == 0) {
      command->args =
          QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", command->program} +
          command->args;
      command->program = "setpriv";
    }
    process_.start(command->program, command->args);
    if (WaitUntilListening(timeoutMs)) {
      everStarted_ = true;
      return true;
    }
    const bool mayRetry =
        !everStarted_ && attempt < 3 && process_.error() != QProcess::FailedToStart;
    if (!mayRetry) {
      Fail(process_.error() == QProcess::FailedToStart ? "it cannot be run (not installed?)"
                                                       : "it did not take connections in time");
      return false;
    }
    StopProcess(process_);
    port_ = 0;
  }
}

bool IrcServerProcess::WaitUntilListening(int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (running() && !deadline.hasExpired()) {
    if (AcceptsConnections(port_, 2000)) return running();
    // Not listening yet: look again shortly, or as soon as the server ends.
    QEventLoop loop;
    QObject::connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return false;
}

void IrcServerProcess::Fail(const std::string& reason) {
  std::fprintf(stderr, "%s did not start: %s\n%s\n", name_.c_str(), reason.c_str(),
               output().c_str());
  Stop();
}

void IrcServerProcess::Stop() {
  StopProcess(
      process_, name_, [this] { return output(); }, exitCode_);
  output();
}

}  // namespace spindeck::testing
