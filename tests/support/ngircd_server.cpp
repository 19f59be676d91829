#include "tests/support/ngircd_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "tests/support/irc_server_process.h"
#include "tests/support/run_tool.h"
#include "tests/support/stop_process.h"

namespace spindeck::testing {
namespace {

constexpr char kLinkPassword[] = "spindeck-link";

std::string ConfigLine(const std::string& name, const std::string& value) {
  return name + " = " + value + "\n";
}

std::string Number(int value) {
  return std::to_string(value);
}

}  // namespace

NgircdServer::NgircdServer(NgircdOptions options) : options_(std::move(options)) {
  process_.setProcessChannelMode(QProcess::MergedChannels);
  reading_ = QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { ReadLog(); });
}

NgircdServer::~NgircdServer() {
  Stop();
  // The log is gone before the process object: nothing may reach it any more.
  QObject::disconnect(reading_);
}

std::string NgircdServer::log() {
  ReadLog();
  return log_;
}

void NgircdServer::ReadLog() {
  if (!process_.isOpen()) return;  // not started yet, or ended and read to its end
  log_ += process_.readAllStandardOutput().toStdString();
}

bool NgircdServer::PickPorts() {
  if (port_ != 0) return true;
  // All listen at once, so that they differ; ngircd binds them again with SO_REUSEADDR.
  std::vector<std::unique_ptr<QTcpServer>> listeners;
  for (int i = 0; i < (options_.tls ? 3 : 2); ++i) {
    listeners.push_back(std::make_unique<QTcpServer>());
    if (!listeners.back()->listen(QHostAddress::LocalHost, 0)) return false;
  }
  port_ = listeners[0]->serverPort();
  serverPort_ = listeners[1]->serverPort();
  if (options_.tls) tlsPort_ = listeners[2]->serverPort();
  return true;
}

bool NgircdServer::WriteConfig() {
  const std::string folder = folder_.path().toStdString();
  // An include folder of its own and empty: the default one is the system server's.
  if (!QDir(folder_.path()).mkpath("conf.d")) return false;
  std::string config =
      "[Global]\n" + ConfigLine("Name", options_.name) +
      ConfigLine("Info", "spin.deck test server") + ConfigLine("AdminInfo1", "spin.deck tests") +
      ConfigLine("AdminInfo2", "loopback") + ConfigLine("AdminEMail", "tests@localhost") +
      ConfigLine("Listen", "127.0.0.1") +
      ConfigLine("Ports", Number(port_) + "," + Number(serverPort_)) +
      ConfigLine("MotdPhrase", "spin.deck test network") +
      (options_.password.empty() ? "" : ConfigLine("Password", options_.password));
  if (!options_.shippedLimits) {
    config += "[Limits]\n" + ConfigLine("MaxConnections", "0") +
              ConfigLine("MaxConnectionsIP", "0") + ConfigLine("MaxJoins", "0") +
              ConfigLine("MaxNickLength", "30") + ConfigLine("MaxPenaltyTime", "0") +
              ConfigLine("PingTimeout", "600") + ConfigLine("PongTimeout", "600") +
              ConfigLine("ConnectRetry", "5");
  }
  config += "[Options]\n" + ConfigLine("PAM", "no") + ConfigLine("Ident", "no") +
            ConfigLine("DNS", "no") + ConfigLine("IncludeDir", folder + "/conf.d");
  if (options_.tls) {
    const QString dhFile = folder_.filePath("dh.pem");
    if (!QFile::exists(dhFile) &&
        !RunTool("openssl", {"genpkey", "-genparam", "-algorithm", "DH", "-pkeyopt",
                             "group:ffdhe2048", "-out", dhFile})) {
      return false;
    }
    config += "[SSL]\n" + ConfigLine("Ports", Number(tlsPort_)) +
              ConfigLine("CertFile", options_.certFile.toStdString()) +
              ConfigLine("KeyFile", options_.keyFile.toStdString()) +
              ConfigLine("DHFile", dhFile.toStdString());
  }
  if (!options_.linkName.empty()) {
    config += "[Server]\n" + ConfigLine("Name", options_.linkName) +
              ConfigLine("Host", "127.0.0.1") + ConfigLine("MyPassword", kLinkPassword) +
              ConfigLine("PeerPassword", kLinkPassword);
    if (options_.linkPort != 0) config += ConfigLine("Port", Number(options_.linkPort));
    if (!options_.connectToLink) config += ConfigLine("Passive", "yes");
  }
  QFile file(folder_.filePath("ngircd.conf"));
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         file.write(config.data(), static_cast<qint64>(config.size())) ==
             static_cast<qint64>(config.size());
}

bool NgircdServer::Start(int timeoutMs) {
  if (running()) return true;
  if (!folder_.isValid()) {
    Fail("no temporary folder for its configuration");
    return false;
  }
  // A port found free may be taken by another process before the server binds it. Until the
  // server has once started, a start that could not bind is tried again on other ports; after
  // that the ports are kept, since a restart must come back where its clients and peers dial.
  for (int attempt = 1;; ++attempt) {
    if (!PickPorts()) {
      Fail("no free loopback port");
      return false;
    }
    if (!WriteConfig()) {
      Fail("its configuration could not be written");
      return false;
    }
    ReadLog();
    runStart_ = log_.size();
    process_.start("ngircd", {"-n", "-f", folder_.filePath("ngircd.conf")});
    const bool mayRetry = !everStarted_ && attempt < 3;
    const bool bound = WaitForListening(timeoutMs, !mayRetry);
    if (bound) {
      everStarted_ = true;
      return true;
    }
    // Every failure but a port taken has been told, and the server stopped.
    if (!mayRetry || !running()) return false;
    StopProcess(process_);
    port_ = 0;
  }
}

bool NgircdServer::WaitForListening(int timeoutMs, bool reportTakenPort) {
  // ngircd logs its readiness after it has set up every listening socket.
  const bool ready = WaitForLog(
      [this] { return log_.find(") ready.", runStart_) != std::string::npos; }, timeoutMs);
  if (!running()) {
    Fail(process_.error() == QProcess::FailedToStart ? "ngircd cannot be run (not installed?)"
                                                     : "it ended");
    return false;
  }
  if (!ready) {
    Fail("it did not get ready in time");
    return false;
  }
  if (log_.find("Can't bind", runStart_) != std::string::npos) {
    if (reportTakenPort) Fail("a port was taken");
    return false;
  }
  for (const int port : {port_, serverPort_, tlsPort_}) {
    if (port != 0 && !AcceptsConnections(port, 5000)) {
      Fail("port " + Number(port) + " does not accept connections");
      return false;
    }
  }
  return true;
}

void NgircdServer::Fail(const std::string& reason) {
  std::fprintf(stderr, "ngircd %s did not start: %s\n%s\n", options_.name.c_str(), reason.c_str(),
               log().substr(runStart_).c_str());
  Stop();
}

void NgircdServer::Stop() {
  StopProcess(process_, "ngircd " + options_.name, [this] { return log(); });
  ReadLog();
}

bool NgircdServer::LinkedTo(const std::string& peerName) {
  ReadLog();
  if (!running()) return false;
  const std::size_t synced =
      log_.rfind("Synchronization with \"" + peerName + "\" done", std::string::npos);
  const std::size_t lost = log_.rfind("Server \"" + peerName + "\" unregistered");
  return synced != std::string::npos && synced >= runStart_ &&
         (lost == std::string::npos || lost < synced);
}

bool NgircdServer::WaitForLog(const std::function<bool()>& done, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (true) {
    ReadLog();
    if (done()) return true;
    if (!running()) return false;
    const qint64 left = deadline.remainingTime();
    if (left <= 0) return false;
    QEventLoop loop;
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
    QObject::connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process_, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(static_cast<int>(left), &loop, &QEventLoop::quit);
    loop.exec();
  }
}

}  // namespace spindeck::testing
