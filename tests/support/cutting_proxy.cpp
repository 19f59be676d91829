#include "tests/support/cutting_proxy.h"

#include <sys/socket.h>

#include <QHostAddress>
#include <algorithm>

namespace spindeck::testing {
namespace {

// How often a limited uplink passes on its share, and the most a client may hold back in the
// proxy: the rest stays in the client's own socket, so that its writes wait.
constexpr int kTickMs = 20;
constexpr qint64 kHeldBytes = 4096;
constexpr qint64 kFreeBytes = 256 * 1024;

}  // namespace

CuttingProxy::CuttingProxy(int serverPort) : serverPort_(serverPort) {
  listener_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&listener_, &QTcpServer::newConnection, [this] { Accept(); });
  QObject::connect(&tick_, &QTimer::timeout, [this] {
    allowance_ = std::min(allowance_ + limit_ * kTickMs / 1000.0, limit_ / 10.0);
    Forward();
  });
}

void CuttingProxy::LimitUplink(int bytesPerSecond) {
  limit_ = bytesPerSecond;
  allowance_ = 0.0;
  for (Pair& pair : pairs_) {
    if (!pair.client) continue;
    pair.client->setReadBufferSize(limit_ > 0 ? kHeldBytes : 0);
    pair.client->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                 limit_ > 0 ? kHeldBytes : kFreeBytes);
  }
  if (limit_ > 0) {
    tick_.start(kTickMs);
  } else {
    tick_.stop();
    Forward();
  }
}

void CuttingProxy::Forward() {
  for (std::size_t i = 0; i < pairs_.size(); ++i) {
    Pair& pair = pairs_[i];
    if (!pair.client || pair.server->state() != QAbstractSocket::ConnectedState) continue;
    qint64 take = pair.client->bytesAvailable();
    if (limit_ > 0) take = std::min(take, static_cast<qint64>(allowance_));
    if (take <= 0) continue;
    const QByteArray bytes = pair.client->read(take);
    if (limit_ > 0) allowance_ -= static_cast<double>(bytes.size());
    if (i + 1 == pairs_.size()) lastUplink_ += bytes;
    pair.server->write(bytes);
  }
}

void CuttingProxy::Accept() {
  while (QTcpSocket* accepted = listener_.nextPendingConnection()) {
    accepted->setParent(nullptr);
    Pair pair{std::unique_ptr<QTcpSocket>(accepted), std::make_unique<QTcpSocket>()};
    QTcpSocket* client = pair.client.get();
    QTcpSocket* server = pair.server.get();
    // What the client sends before the server's side is up waits in the client socket; so
    // does what a limited uplink does not pass on yet, in the kernel's buffers beyond a little.
    if (limit_ > 0) client->setReadBufferSize(kHeldBytes);
    if (limit_ > 0)
      client->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kHeldBytes);
    QObject::connect(client, &QTcpSocket::readyRead, [this] { Forward(); });
    QObject::connect(server, &QTcpSocket::connected, [this] { Forward(); });
    QObject::connect(server, &QTcpSocket::readyRead,
                     [client, server] { client->write(server->readAll()); });
    QObject::connect(server, &QTcpSocket::disconnected, [client] { client->disconnectFromHost(); });
    QObject::connect(client, &QTcpSocket::disconnected, [server] { server->disconnectFromHost(); });
    server->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(serverPort_));
    pairs_.push_back(std::move(pair));
    lastUplink_.clear();
  }
}

void CuttingProxy::CutClients() {
  for (Pair& pair : pairs_) {
    if (!pair.client) continue;
    // Only the client's side goes: the server's stays open, silent.
    pair.client->disconnect();
    pair.server->disconnect();
    // A reset rather than an orderly close: the client's next write fails at once.
    const linger reset{1, 0};
    setsockopt(static_cast<int>(pair.client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
               sizeof reset);
    pair.client->abort();
    pair.client.reset();
  }
}

}  // namespace spindeck::testing
