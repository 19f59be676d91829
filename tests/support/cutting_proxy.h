#pragma once
// A TCP proxy on loopback for tests: each connection to it is passed on, both ways, to a
// server on loopback. CutClients resets the clients' side of every connection and keeps the
// server's side open, as a network fault near the client leaves a server that has not noticed
// yet. LimitUplink passes what the clients send on no faster than a slow uplink would, and
// holds the rest back where TCP makes the client wait for it. Runs on the event loop.
#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <vector>

namespace spindeck::testing {

class CuttingProxy {
 public:
  explicit CuttingProxy(int serverPort);
  CuttingProxy(const CuttingProxy&) = delete;
  CuttingProxy& operator=(const CuttingProxy&) = delete;

  int port() const { return listener_.serverPort(); }
  void CutClients();
  // At most `bytesPerSecond` from the clients to the server from now on; 0 lifts the limit.
  void LimitUplink(int bytesPerSecond);
  // All that the latest client sent and the proxy passed on to the server.
  const QByteArray& lastUplink() const { return lastUplink_; }

 private:
  struct Pair {
    std::unique_ptr<QTcpSocket> client;
    std::unique_ptr<QTcpSocket> server;
  };
  void Accept();
  // Passes on what the clients sent, as far as the limit allows.
  void Forward();

  const int serverPort_;
  QTcpServer listener_;
  std::vector<Pair> pairs_;
  int limit_ = 0;
  double allowance_ = 0.0;  // bytes that may go now under the limit
  QTimer tick_;
  QByteArray lastUplink_;
};

}  // namespace spindeck::testing
