#include "tests/support/cutting_proxy.h"

#include <sys/socket.h>

#include <QHostAddress>

namespace spindeck::testing {

CuttingProxy::CuttingProxy(int serverPort) : serverPort_(serverPort) {
  listener_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&listener_, &QTcpServer::newConnection, [this] { Accept(); });
}

void CuttingProxy::Accept() {
  while (QTcpSocket* accepted = listener_.nextPendingConnection()) {
    accepted->setParent(nullptr);
    Pair pair{std::unique_ptr<QTcpSocket>(accepted), std::make_unique<QTcpSocket>()};
    QTcpSocket* client = pair.client.get();
    QTcpSocket* server = pair.server.get();
    // What the client sends before the server's side is up waits in the client socket.
    QObject::connect(client, &QTcpSocket::readyRead, [client, server] {
      if (server->state() == QAbstractSocket::ConnectedState) server->write(client->readAll());
    });
    QObject::connect(server, &QTcpSocket::connected,
                     [client, server] { server->write(client->readAll()); });
    QObject::connect(server, &QTcpSocket::readyRead,
                     [client, server] { client->write(server->readAll()); });
    QObject::connect(server, &QTcpSocket::disconnected, [client] { client->disconnectFromHost(); });
    QObject::connect(client, &QTcpSocket::disconnected, [server] { server->disconnectFromHost(); });
    server->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(serverPort_));
    pairs_.push_back(std::move(pair));
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
