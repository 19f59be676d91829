// Logging in: a server password from the password file, and SASL PLAIN with a server that
// offers it. The password never appears on the command line.
#include <gtest/gtest.h>

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include "tests/support/aolsim_process.h"
#include "tests/support/ngircd_server.h"

namespace spindeck::testing {
namespace {

bool SystemLineHolding(const AolsimEvent& e, const std::string& piece) {
  return e.size() >= 4 && e[0] == "line" && e[2] == "OnlineHost" &&
         e[3].find(piece) != std::string::npos;
}

QString PasswordFile(const QTemporaryDir& dir, const char* name, const QByteArray& text) {
  const QString path = dir.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
  return path;
}

TEST(AolsimLogin, TheServerPasswordComesFromThePasswordFile) {
  NgircdOptions options;
  options.password = "s3cret";
  NgircdServer server(options);
  ASSERT_TRUE(server.Start());
  QTemporaryDir dir;
  const QString address = QString("127.0.0.1:%1").arg(server.port());
  {
    AolsimProcess client(
        {"--irc", address, "--password-file", PasswordFile(dir, "wrong", "not it\n")});
    client.Command({"room", "lobby"});
    client.Command({"signon", "DjSam"});
    EXPECT_TRUE(client.WaitFor([](const AolsimEvent& e) { return SystemLineHolding(e, "lost"); }));
    for (const AolsimEvent& e : client.events()) EXPECT_FALSE(SystemLineHolding(e, "Connected"));
  }
  AolsimProcess client(
      {"--irc", address, "--password-file", PasswordFile(dir, "right", "s3cret\r\n")});
  client.Command({"room", "lobby"});
  client.Command({"signon", "DjSam"});
  EXPECT_TRUE(
      client.WaitFor([](const AolsimEvent& e) { return SystemLineHolding(e, "Connected"); }));
}

// A server that speaks just enough IRC to take a SASL PLAIN login, and notes what it got.
class SaslServer {
 public:
  SaslServer() {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      socket_ = server_.nextPendingConnection();
      QObject::connect(socket_, &QTcpSocket::readyRead, [this] {
        while (socket_->canReadLine()) OnLine(socket_->readLine().trimmed().toStdString());
      });
    });
  }
  int port() const { return server_.serverPort(); }
  std::vector<std::string> lines;
  std::string credentials;

 private:
  void Send(const std::string& line) { socket_->write((line + "\r\n").c_str()); }
  void OnLine(const std::string& line) {
    lines.push_back(line);
    if (line == "CAP LS 302") {
      Send(":sasl.test CAP * LS :multi-prefix sasl=PLAIN");
    } else if (line == "CAP REQ :sasl") {
      Send(":sasl.test CAP * ACK :sasl");
    } else if (line == "AUTHENTICATE PLAIN") {
      Send("AUTHENTICATE +");
    } else if (line.starts_with("AUTHENTICATE ")) {
      credentials =
          QByteArray::fromBase64(QByteArray::fromStdString(line.substr(13))).toStdString();
      Send(":sasl.test 900 DjSam DjSam!u@h DjSam :You are now logged in as DjSam");
      Send(":sasl.test 903 DjSam :SASL authentication successful");
    } else if (line == "CAP END") {
      Send(":sasl.test 001 DjSam :Welcome");
    }
  }
  QTcpServer server_;
  QTcpSocket* socket_ = nullptr;  // owned by the server
};

TEST(AolsimLogin, SaslPlainLogsInAsTheNickBeforeRegistering) {
  SaslServer server;
  QTemporaryDir dir;
  AolsimProcess client({"--irc", QString("127.0.0.1:%1").arg(server.port()), "--sasl",
                        "--password-file", PasswordFile(dir, "pw", "open sesame\n")});
  client.Command({"room", "lobby"});
  client.Command({"signon", "DjSam"});
  ASSERT_TRUE(
      client.WaitFor([](const AolsimEvent& e) { return SystemLineHolding(e, "Connected"); }));
  EXPECT_EQ(server.credentials, std::string("DjSam\0DjSam\0open sesame", 23));
  EXPECT_EQ(std::count_if(server.lines.begin(), server.lines.end(),
                          [](const std::string& l) { return l.starts_with("PASS"); }),
            0);
  EXPECT_NE(std::find(server.lines.begin(), server.lines.end(), "CAP END"), server.lines.end());
}

// A server that welcomes the client, never reads, and keeps sending PINGs: the client's
// answers pile up. It gives up the connection once 1 MiB waits, rather than grow without end.
TEST(AolsimLogin, AServerThatNeverReadsIsDroppedOnceAMebibyteWaits) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  QTcpSocket* peer = nullptr;
  qint64 sent = 0;
  constexpr qint64 kMostSent = 64 << 20;  // the kernel's buffers hold a few MiB besides
  const std::string ping = "PING :" + std::string(400, 'p') + "\r\n";
  QTimer pinger;
  QObject::connect(&pinger, &QTimer::timeout, [&] {
    if (peer == nullptr || peer->state() != QAbstractSocket::ConnectedState || sent > kMostSent ||
        peer->bytesToWrite() > (1 << 20)) {
      return;
    }
    for (int i = 0; i < 256; ++i)
      sent += peer->write(ping.data(), static_cast<qint64>(ping.size()));
  });
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    peer = server.nextPendingConnection();
    peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    peer->write(":deaf.test 001 DjSam :Welcome\r\n");
    pinger.start(0);
  });
  AolsimProcess client({"--irc", QString("127.0.0.1:%1").arg(server.serverPort())});
  client.Command({"room", "lobby"});
  client.Command({"signon", "DjSam"});
  EXPECT_TRUE(client.WaitFor(
      [](const AolsimEvent& e) { return SystemLineHolding(e, "does not take what is sent"); },
      60000))
      << sent << " bytes of PING sent";
}

}  // namespace
}  // namespace spindeck::testing
