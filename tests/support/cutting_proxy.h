#pragma once
// A TCP proxy on loopback for tests: each connection to it is passed on, both ways, to a
// server on loopback. CutClients resets the clients' side of every connection and keeps the
// server's side open, as a network fault near the client leaves a server that has not noticed
// yet. Runs on the event loop.
#include <QTcpServer>
#include <QTcpSocket>
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

 private:
  struct Pair {
    std::unique_ptr<QTcpSocket> client;
    std::unique_ptr<QTcpSocket> server;
  };
  void Accept();

  const int serverPort_;
  QTcpServer listener_;
  std::vector<Pair> pairs_;
};

}  // namespace spindeck::testing
