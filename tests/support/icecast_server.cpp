#include "tests/support/icecast_server.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <utility>

#include "tests/support/stop_process.h"

namespace spindeck::testing {
namespace {

// The body of http://127.0.0.1:PORT/PATH when the server answers 200 within the time.
std::optional<QByteArray> HttpGet(int port, const std::string& path, int timeoutMs) {
  QTcpSocket socket;
  QEventLoop loop;
  QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  const QDeadlineTimer deadline(timeoutMs);
  socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
  bool asked = false;
  QByteArray answer;
  while (!deadline.hasExpired()) {
    if (socket.state() == QAbstractSocket::ConnectedState && !asked) {
      socket.write(QByteArray("GET ") + path.c_str() + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
      asked = true;
    }
    answer += socket.readAll();
    // HTTP/1.0: the server closes the connection after the answer.
    if (socket.state() == QAbstractSocket::UnconnectedState) break;
    timer.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    loop.exec();
  }
  answer += socket.readAll();
  if (!asked || socket.state() != QAbstractSocket::UnconnectedState) return std::nullopt;
  const qsizetype end = answer.indexOf("\r\n\r\n");
  if (end < 0 || (!answer.startsWith("HTTP/1.0 200") && !answer.startsWith("HTTP/1.1 200"))) {
    return std::nullopt;
  }
  return answer.mid(end + 4);
}

// The source entry of `mount` in status-json.xsl; empty when it has none.
QJsonObject SourceOf(int port, const std::string& mount) {
  const std::optional<QByteArray> body = HttpGet(port, "/status-json.xsl", 5000);
  if (!body) return {};
  const QJsonObject stats = QJsonDocument::fromJson(*body).object()["icestats"].toObject();
  const QJsonValue sources = stats["source"];
  QJsonArray list;
  if (sources.isArray()) {
    list = sources.toArray();
  } else if (sources.isObject()) {
    list.append(sources);
  }
  for (const QJsonValue& source : list) {
    const QString path = QUrl(source["listenurl"].toString()).path();
    if (path == QString::fromStdString(mount)) return source.toObject();
  }
  return {};
}

std::string Element(const std::string& name, const std::string& value) {
  return "<" + name + ">" + value + "</" + name + ">";
}

}  // namespace

IcecastServer::IcecastServer(IcecastOptions options) : options_(std::move(options)) {
  process_.setProcessChannelMode(QProcess::MergedChannels);
}

IcecastServer::~IcecastServer() {
  Stop();
}

std::string IcecastServer::log() {
  QFile file(folder_.filePath("log/error.log"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

bool IcecastServer::PickPort() {
  if (port_ != 0) return true;
  QTcpServer listener;
  if (!listener.listen(QHostAddress::LocalHost, 0)) return false;
  QTcpServer tlsListener;
  if (!options_.tlsCertificate.empty() && !tlsListener.listen(QHostAddress::LocalHost, 0))
    return false;
  port_ = listener.serverPort();
  tlsPort_ = tlsListener.serverPort();
  return true;
}

bool IcecastServer::WriteConfig() {
  const bool root = geteuid() == 0;
  const QString logFolder = folder_.filePath("log");
  if (!QDir(folder_.path()).mkpath("log")) return false;
  if (root) {
    // The server drops to nobody before it opens its logs: that user must reach and write them.
    const passwd* nobody = getpwnam("nobody");
    const group* nogroup = getgrnam("nogroup");
    if (nobody == nullptr || nogroup == nullptr ||
        chmod(folder_.path().toLocal8Bit().constData(), 0755) != 0 ||
        chown(logFolder.toLocal8Bit().constData(), nobody->pw_uid, nogroup->gr_gid) != 0) {
      return false;
    }
  }
  const std::string password = options_.sourcePassword;
  std::string config = "<icecast>" + Element("location", "loopback") +
                       Element("admin", "tests@localhost") + Element("hostname", "127.0.0.1");
  config += "<limits>" + Element("clients", "100") + Element("sources", "20") +
            Element("queue-size", "524288") + Element("client-timeout", "30") +
            Element("header-timeout", "15") +
            Element("source-timeout", std::to_string(options_.sourceTimeoutSeconds)) +
            Element("burst-on-connect", "1") + Element("burst-size", "8192") + "</limits>";
  config += "<authentication>" + Element("source-password", password) +
            Element("relay-password", password) + Element("admin-user", "admin") +
            Element("admin-password", password) + "</authentication>";
  config += "<listen-socket>" + Element("port", std::to_string(port_)) +
            Element("bind-address", "127.0.0.1") + "</listen-socket>";
  if (!options_.tlsCertificate.empty()) {
    config += "<listen-socket>" + Element("port", std::to_string(tlsPort_)) +
              Element("bind-address", "127.0.0.1") + Element("ssl", "1") + "</listen-socket>";
  }
  if (options_.relayPort != 0) {
    // A relay that finds no source yet tries again at every check of its master, which is
    // otherwise every two minutes.
    config += Element("master-update-interval", "1");
    config += "<relay>" + Element("server", "127.0.0.1") +
              Element("port", std::to_string(options_.relayPort)) +
              Element("mount", options_.relayMount) + Element("local-mount", options_.relayMount) +
              Element("on-demand", "0") + Element("relay-shoutcast-metadata", "1") + "</relay>";
  }
  // Titles inside MP3 streams go out in UTF-8 (Icecast's default there is ISO-8859-1, which
  // has no room for a dash or a quote mark of Windows-1252), on every mount.
  config += "<mount type=\"default\">" + Element("charset", "UTF-8") + "</mount>";
  if (!options_.fallbackMount.empty()) {
    config += "<mount type=\"normal\">" + Element("mount-name", options_.mount) +
              Element("fallback-mount", options_.fallbackMount) + Element("charset", "UTF-8") +
              "</mount>";
  }
  config += Element("fileserve", "1");
  config +=
      "<paths>" + Element("basedir", "/usr/share/icecast2") +
      Element("logdir", logFolder.toStdString()) + Element("webroot", "/usr/share/icecast2/web") +
      Element("adminroot", "/usr/share/icecast2/admin") +
      (options_.tlsCertificate.empty() ? std::string()
                                       : Element("ssl-certificate", options_.tlsCertificate)) +
      "</paths>";
  config += "<logging>" + Element("accesslog", "access.log") + Element("errorlog", "error.log") +
            Element("loglevel", "3") + "</logging>";
  config += "<security>" + Element("chroot", "0");
  if (root) {
    config += "<changeowner>" + Element("user", "nobody") + Element("group", "nogroup") +
              "</changeowner>";
  }
  config += "</security></icecast>\n";
  QFile file(folder_.filePath("icecast.xml"));
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         file.write(config.data(), static_cast<qint64>(config.size())) ==
             static_cast<qint64>(config.size());
}

bool IcecastServer::Start(int timeoutMs) {
  if (running()) return true;
  if (!folder_.isValid()) {
    Fail("no temporary folder for its configuration");
    return false;
  }
  // A port found free may be taken by another process before the server binds it. Until the
  // server has once started, a start that ends at once is tried again on another port; after
  // that the port is kept, since a restart must come back where its listeners are.
  for (int attempt = 1;; ++attempt) {
    if (!PickPort()) {
      Fail("no free loopback port");
      return false;
    }
    if (!WriteConfig()) {
      Fail("its configuration or log folder could not be written");
      return false;
    }
    QFile::remove(folder_.filePath("log/error.log"));
    process_.start("icecast2", {"-c", folder_.filePath("icecast.xml")});
    const bool mayRetry = !everStarted_ && attempt < 3;
    if (WaitForAnswer(timeoutMs, !mayRetry)) {
      everStarted_ = true;
      return true;
    }
    // Every failure but a silent end has been told, and the server stopped.
    if (!mayRetry || running() || process_.error() == QProcess::FailedToStart) return false;
    port_ = 0;
  }
}

bool IcecastServer::WaitForAnswer(int timeoutMs, bool reportEnd) {
  const QDeadlineTimer deadline(timeoutMs);
  while (running() && !deadline.hasExpired()) {
    if (HttpGet(port_, "/status-json.xsl", 2000)) return true;
    // Not listening yet: look again shortly, or as soon as the server ends.
    QEventLoop loop;
    QObject::connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
  }
  if (!running() && !reportEnd && process_.error() != QProcess::FailedToStart) return false;
  Fail(!running() ? (process_.error() == QProcess::FailedToStart
                         ? "icecast2 cannot be run (not installed?)"
                         : "it ended: " + process_.readAll().toStdString())
                  : "it did not answer in time");
  return false;
}

void IcecastServer::Fail(const std::string& reason) {
  std::fprintf(stderr, "icecast2 on port %d did not start: %s\n%s\n", port_, reason.c_str(),
               log().c_str());
  Stop();
}

void IcecastServer::Stop() {
  StopProcess(process_, "icecast2", [this] { return process_.readAll().toStdString() + log(); });
}

std::optional<std::string> IcecastServer::Title(const std::string& mount) {
  const QJsonObject source = SourceOf(port_, mount);
  if (source.isEmpty()) return std::nullopt;
  return source["title"].toString().toStdString();
}

std::string IcecastServer::SourceField(const std::string& mount, const std::string& field) {
  const QJsonValue value = SourceOf(port_, mount)[QString::fromStdString(field)];
  return value.isString() ? value.toString().toStdString()
                          : value.toVariant().toString().toStdString();
}

bool IcecastServer::HasSource(const std::string& mount) {
  return !SourceOf(port_, mount).isEmpty();
}

std::string IcecastServer::ListenUrl(const std::string& mount) const {
  return "http://127.0.0.1:" + std::to_string(port_) + mount;
}

}  // namespace spindeck::testing
