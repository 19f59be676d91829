#include "tests/support/irc_test_client.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <set>

namespace spindeck::testing {
namespace {

using aolsim::irc::IrcLower;
using aolsim::irc::Message;
using aolsim::irc::NickOf;

int Remaining(const QDeadlineTimer& deadline) {
  return static_cast<int>(deadline.remainingTime());
}

bool SameName(const std::string& a, const std::string& b) {
  return IrcLower(a) == IrcLower(b);
}

// Replies by which a server refuses a JOIN; the channel is their second parameter.
bool IsJoinRefusal(const Message& m) {
  static const std::set<std::string> kRefusals{"403", "405", "437", "471", "473",
                                               "474", "475", "476", "477"};
  return kRefusals.count(m.command) > 0 && m.params.size() >= 2;
}

}  // namespace

IrcTestClient::IrcTestClient() = default;

IrcTestClient::~IrcTestClient() {
  Disconnect();
}

bool IrcTestClient::Connect(const std::string& host, int port, const std::string& nick,
                            const TlsOptions* tls, int timeoutMs) {
  Disconnect();
  const QDeadlineTimer deadline(timeoutMs);
  received_.clear();
  taken_ = 0;
  partial_.clear();
  sslErrors_.clear();
  nick_ = nick;
  socket_ = std::make_unique<QSslSocket>();
  // Read as soon as anything comes, so that PINGs are answered while a test waits elsewhere.
  reading_ = QObject::connect(socket_.get(), &QSslSocket::readyRead, [this] { ReadLines(); });
  const QString hostName = QString::fromStdString(host);
  if (tls != nullptr) {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setCaCertificates(QSslCertificate::fromPath(tls->caFile));
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    socket_->setSslConfiguration(config);
    socket_->connectToHostEncrypted(hostName, static_cast<quint16>(port),
                                    tls->peerName.isEmpty() ? hostName : tls->peerName);
  } else {
    socket_->connectToHost(hostName, static_cast<quint16>(port));
  }
  if (!AwaitConnection(tls != nullptr, Remaining(deadline))) {
    sslErrors_ = socket_->sslHandshakeErrors();
    socket_->abort();
    return false;
  }
  Send(aolsim::irc::FormatLine("NICK", {nick}));
  Send(aolsim::irc::FormatLine("USER", {nick, "0", "*", "spin.deck test user " + nick}));
  const auto welcome = WaitFor(
      [](const Message& m) {
        return m.command == "001" || m.command == "432" || m.command == "433" ||
               m.command == "ERROR";
      },
      Remaining(deadline));
  registered_ = welcome && welcome->command == "001";
  if (registered_ && !welcome->params.empty()) nick_ = welcome->params[0];
  return registered_;
}

bool IrcTestClient::AwaitConnection(bool tls, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (true) {
    if (tls ? socket_->isEncrypted() : socket_->state() == QAbstractSocket::ConnectedState) {
      return true;
    }
    if (socket_->state() == QAbstractSocket::UnconnectedState || deadline.hasExpired()) {
      return false;
    }
    QEventLoop loop;
    QObject::connect(socket_.get(), &QSslSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(socket_.get(), &QSslSocket::encrypted, &loop, &QEventLoop::quit);
    QObject::connect(socket_.get(), &QSslSocket::stateChanged, &loop, &QEventLoop::quit);
    QObject::connect(socket_.get(), &QSslSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(Remaining(deadline), &loop, &QEventLoop::quit);
    loop.exec();
  }
}

void IrcTestClient::Send(const std::string& rawLine) {
  if (!socket_) return;
  const std::string line = rawLine + "\r\n";
  socket_->write(line.data(), static_cast<qint64>(line.size()));
}

void IrcTestClient::Say(const std::string& target, const std::string& utf8Text) {
  Send(aolsim::irc::FormatLine("PRIVMSG", {target, utf8Text}));
}

bool IrcTestClient::Join(const std::string& channel, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  Send(aolsim::irc::FormatLine("JOIN", {channel}));
  const auto joined = WaitFor(
      [&](const Message& m) {
        if (IsJoinRefusal(m)) return SameName(m.params[1], channel);
        return m.command == "JOIN" && !m.params.empty() && SameName(m.params[0], channel) &&
               SameName(NickOf(m.prefix), nick_);
      },
      Remaining(deadline));
  if (!joined || joined->command != "JOIN") return false;
  return WaitFor(
             [&](const Message& m) {
               return m.command == "366" && m.params.size() >= 2 && SameName(m.params[1], channel);
             },
             Remaining(deadline))
      .has_value();
}

void IrcTestClient::ReadLines() {
  if (!socket_ || !socket_->isOpen()) return;
  partial_ += socket_->readAll().toStdString();
  std::size_t newline;
  while ((newline = partial_.find('\n')) != std::string::npos) {
    const auto message = aolsim::irc::ParseMessage(std::string_view(partial_).substr(0, newline));
    partial_.erase(0, newline + 1);
    if (!message) continue;
    if (message->command == "PING") {
      Send(
          aolsim::irc::FormatLine("PONG", {message->params.empty() ? "" : message->params.back()}));
    }
    received_.push_back(*message);
  }
}

bool IrcTestClient::AwaitInput(int remainingMs) {
  if (!socket_) return false;
  if (socket_->bytesAvailable() > 0) return true;
  if (socket_->state() == QAbstractSocket::UnconnectedState || remainingMs <= 0) return false;
  QEventLoop loop;
  QObject::connect(socket_.get(), &QSslSocket::readyRead, &loop, &QEventLoop::quit);
  QObject::connect(socket_.get(), &QSslSocket::disconnected, &loop, &QEventLoop::quit);
  QObject::connect(socket_.get(), &QSslSocket::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(remainingMs, &loop, &QEventLoop::quit);
  loop.exec();
  return true;
}

std::optional<Message> IrcTestClient::WaitFor(const std::function<bool(const Message&)>& test,
                                              int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (true) {
    ReadLines();
    while (taken_ < received_.size()) {
      // A copy: a test that turns the event loop may let more messages in.
      const Message message = received_[taken_++];
      if (test(message)) return message;
    }
    if (!AwaitInput(Remaining(deadline))) return std::nullopt;
  }
}

std::optional<std::string> IrcTestClient::WaitForPrivmsg(const std::string& fromNick,
                                                         const std::string& target, int timeoutMs) {
  const auto message = WaitFor(
      [&](const Message& m) {
        return m.command == "PRIVMSG" && m.params.size() >= 2 &&
               SameName(NickOf(m.prefix), fromNick) && SameName(m.params[0], target);
      },
      timeoutMs);
  if (!message) return std::nullopt;
  return message->params[1];
}

bool IrcTestClient::connected() const {
  return registered_ && socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

void IrcTestClient::Disconnect() {
  registered_ = false;
  if (!socket_) return;
  if (socket_->state() == QAbstractSocket::ConnectedState) {
    Send("QUIT :done");
    QEventLoop loop;
    QObject::connect(socket_.get(), &QSslSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    socket_->disconnectFromHost();
    if (socket_->state() != QAbstractSocket::UnconnectedState) loop.exec();
  }
  ReadLines();
  // The socket goes before the rest of the client, and nothing of it reaches the client again.
  QObject::disconnect(reading_);
  socket_->abort();
  socket_.reset();
}

}  // namespace spindeck::testing
