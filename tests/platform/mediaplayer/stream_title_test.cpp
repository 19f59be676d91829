// Titles against a stand-in Icecast server that refuses a title update the way Icecast does:
// "200 OK" with <return>0</return> in its body.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <chrono>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "platform/mediaplayer/icecast_requests.h"
#include "platform/mediaplayer/icecast_stream.h"
#include "tests/platform/mediaplayer/controlled_resolver.h"

namespace {

// Takes a source, and answers title updates: the first `refusals` with <return>0</return>,
// the rest with <return>1</return>. Keeps the titles asked for, in order, as sent (encoded).
class RefusingTitleServer {
 public:
  explicit RefusingTitleServer(int refusals) : refusals_(refusals) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* client = server_.nextPendingConnection()) {
        QObject::connect(client, &QTcpSocket::readyRead, [this, client] { Read(client); });
      }
    });
  }
  int port() const { return server_.serverPort(); }
  const std::vector<std::string>& titles() const { return titles_; }

 private:
  void Read(QTcpSocket* client) {
    QByteArray& request = requests_[client];
    request += client->readAll();
    if (client == source_ || !request.contains("\r\n\r\n")) return;
    if (request.startsWith("PUT ") || request.startsWith("SOURCE ")) {
      source_ = client;
      client->write("HTTP/1.0 200 OK\r\n\r\n");
      return;
    }
    const QByteArray line = request.left(request.indexOf("\r\n"));
    const qsizetype song = line.indexOf("&song=");
    if (line.startsWith("GET /admin/metadata?") && song >= 0) {
      const QByteArray value = line.mid(song + 6).split('&').front().split(' ').front();
      titles_.push_back(value.toStdString());
      const bool refused = static_cast<int>(titles_.size()) <= refusals_;
      client->write(QByteArray("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n"
                               "<?xml version=\"1.0\"?>\n<iceresponse><message>") +
                    (refused ? "Mountpoint will not accept this URL update"
                             : "Metadata update "
                               "successful") +
                    "</message><return>" + (refused ? "0" : "1") + "</return></iceresponse>\n");
    }
    client->disconnectFromHost();
  }

  const int refusals_;
  QTcpServer server_;
  std::map<QTcpSocket*, QByteArray> requests_;
  QTcpSocket* source_ = nullptr;
  std::vector<std::string> titles_;
};

TEST(StreamTitle, ATitleTheServerRefusedInItsAnswersBodyIsSentAgain) {
  RefusingTitleServer server(1);
  platform::IcecastStream stream(
      platform::IcecastUrl{"source", "127.0.0.1", server.port(), "/t.mp3"}, "hackme");
  // ASCII letters, digits and -._~ as they are, every other byte as %XX of its value.
  stream.SetTitle("caf\xC3\xA1 & 5 ~ a-b");
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.titles().size() >= 2; }, 20000))
      << server.titles().size();
  EXPECT_EQ(server.titles()[0], "caf%C3%A1%20%26%205%20~%20a-b");
  EXPECT_EQ(server.titles()[1], server.titles()[0]);
}

TEST(StreamTitle, EveryAddressOfTheHostIsTriedInTurn) {
  RefusingTitleServer server(0);
  const platform::IcecastUrl url{"source", spindeck::testing::kTwoAddressHost, server.port(),
                                 "/t.mp3"};
  // The request waits on this thread's event loop, where the server answers.
  auto sent = std::async(std::launch::async, [&] {
    return platform::SendTitle(url, "hackme", "second address", std::chrono::seconds(5));
  });
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
  EXPECT_TRUE(sent.get());
  ASSERT_EQ(server.titles().size(), 1U);
  EXPECT_EQ(server.titles()[0], "second%20address");
}

}  // namespace
