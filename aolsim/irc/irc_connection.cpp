#include "aolsim/irc/irc_connection.h"

#include <QByteArray>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <algorithm>
#include <utility>

namespace aolsim::irc {
namespace {

constexpr int kSilenceMs = 120000;  // a connection this quiet is probed with a PING
constexpr int kProbeMs = 30000;     // and dropped when the probe gets no answer
constexpr int kConnectMs = 30000;   // to connect and finish the TLS handshake
constexpr int kLongestRetryMs = 60000;
constexpr int kReclaimMs = 60000;  // how often a nick in use is asked for again
constexpr int kNickTries = 5;

// What another client sees before our text: ":nick!user@host ", at the longest the server
// allows for the user (10) and host (63) parts.
constexpr std::size_t kLongestPrefix = 1 + kMaxNickLength + 1 + 10 + 1 + 63 + 1;

bool IsNumeric(const Message& m, const char* code) {
  return m.command == code;
}

std::string Param(const Message& m, std::size_t index) {
  return index < m.params.size() ? m.params[index] : std::string();
}

}  // namespace

IrcConnection::IrcConnection(ServerAddress server, Handlers handlers, QObject* parent)
    : QObject(parent), server_(std::move(server)), handlers_(std::move(handlers)) {
  clock_.start();
  sendTimer_.setSingleShot(true);
  silenceTimer_.setSingleShot(true);
  retryTimer_.setSingleShot(true);
  connect(&sendTimer_, &QTimer::timeout, this, [this] { FlushQueue(); });
  connect(&silenceTimer_, &QTimer::timeout, this, [this] { OnSilence(); });
  connect(&retryTimer_, &QTimer::timeout, this, [this] { Connect(); });
  connect(&reclaimTimer_, &QTimer::timeout, this, [this] {
    if (registered_ && nick_ != wanted_) {
      SendNow("NICK", {wanted_});
    } else {
      reclaimTimer_.stop();
    }
  });
}

IrcConnection::~IrcConnection() {
  if (!socket_) return;
  socket_->disconnect(this);
  // A connection that ends with the client says goodbye, as far as it goes without waiting.
  if (registered_) {
    Write("QUIT :signed off");
    socket_->flush();
  }
  socket_->abort();
}

void IrcConnection::Start(const std::string& nick) {
  wanted_ = nick;
  stopping_ = false;
  if (registered_) {
    if (nick_ != wanted_) SendNow("NICK", {wanted_});
  } else if (!socket_ && !retryTimer_.isActive()) {
    Connect();
  }
}

void IrcConnection::Stop(const std::string& reason) {
  stopping_ = true;
  retryTimer_.stop();
  reclaimTimer_.stop();
  if (!socket_) return;
  if (registered_) Write(FormatLine("QUIT", {reason.empty() ? "signed off" : reason}));
  registered_ = false;
  socket_->flush();
  socket_->disconnectFromHost();  // sends what is written first, then closes
}

void IrcConnection::WhenDrained(std::function<void()> done) {
  if (!registered_ || queue_.size() == 0) {
    drained_ = nullptr;
    done();
    return;
  }
  drained_ = std::move(done);
}

void IrcConnection::Connect() {
  if (socket_ || stopping_) return;
  socket_ = std::make_unique<QSslSocket>();
  QSslSocket* const socket = socket_.get();
  input_ = LineBuffer();
  lostReason_.clear();
  probing_ = false;
  connect(socket, &QSslSocket::readyRead, this, [this] { OnReadable(); });
  connect(socket, &QSslSocket::disconnected, this, [this] { OnDisconnected(); });
  connect(socket, &QSslSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError) {
    if (lostReason_.empty()) lostReason_ = socket->errorString().toStdString();
    if (socket->state() != QAbstractSocket::ConnectedState) OnDisconnected();
  });
  silenceTimer_.start(kConnectMs);
  const QString host = QString::fromStdString(server_.host);
  const auto port = static_cast<quint16>(server_.port);
  if (!server_.tls) {
    connect(socket, &QSslSocket::connected, this, [this] { OnConnected(); });
    socket->connectToHost(host, port);
    return;
  }
  QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
  tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
  if (!server_.caFile.empty()) {
    const QList<QSslCertificate> extra =
        QSslCertificate::fromPath(QString::fromStdString(server_.caFile), QSsl::Pem);
    if (extra.isEmpty()) Problem("no CA certificate could be read from " + server_.caFile);
    tls.addCaCertificates(extra);
  }
  socket->setSslConfiguration(tls);
  connect(socket, &QSslSocket::encrypted, this, [this] { OnConnected(); });
  connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
    // The errors are not ignored, so the handshake fails and the connection is dropped.
    std::string text = "the server's certificate is refused:";
    for (const QSslError& error : errors) text += " " + error.errorString().toStdString() + ".";
    lostReason_ = "certificate refused";
    Problem(text);
  });
  socket->connectToHostEncrypted(host, port);
}

void IrcConnection::Write(const std::string& line) {
  if (!socket_) return;
  const std::string wire = line + "\r\n";
  socket_->write(wire.data(), static_cast<qint64>(wire.size()));
}

void IrcConnection::OnConnected() {
  registered_ = false;
  nickTries_ = 0;
  nick_ = wanted_;
  silenceTimer_.start(kSilenceMs);
  if (server_.sasl) {
    Write("CAP LS 302");
  } else if (!server_.password.empty()) {
    Write(FormatLine("PASS", {server_.password}));
  }
  Write(FormatLine("NICK", {nick_}));
  Write(FormatLine("USER", {"aolsim", "0", "*", "aolsim user"}));
}

void IrcConnection::OnReadable() {
  if (!socket_) return;
  const QByteArray data = socket_->readAll();
  input_.Append(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
  probing_ = false;
  silenceTimer_.start(kSilenceMs);
  // A handler may drop the connection; then the rest of what came is of no use.
  QSslSocket* const socket = socket_.get();
  while (socket_.get() == socket) {
    const std::optional<std::string> line = input_.Next();
    if (!line) break;
    OnLine(*line);
  }
}

void IrcConnection::OnLine(const std::string& line) {
  const std::optional<Message> parsed = ParseMessage(line);
  if (!parsed) return;
  const Message& m = *parsed;
  if (m.command == "PING") {
    Write(FormatLine("PONG", {Param(m, 0)}));
    return;
  }
  if (m.command == "ERROR") {
    lostReason_ = Param(m, 0);
    return;
  }
  if (!registered_) {
    OnRegistrationMessage(m);
    return;
  }
  if (m.command == "NICK" && NickOf(m.prefix) == nick_) {
    nick_ = Param(m, 0);
    if (nick_ == wanted_) reclaimTimer_.stop();
  }
  if (handlers_.message) handlers_.message(m);
}

std::string IrcConnection::NextNickToTry() {
  const std::size_t tails = static_cast<std::size_t>(nickTries_);
  return wanted_.substr(0, std::min(wanted_.size(), kMaxNickLength - tails)) +
         std::string(tails, '_');
}

void IrcConnection::OnRegistrationMessage(const Message& m) {
  if (m.command == "CAP" || m.command == "AUTHENTICATE" || m.command == "900" ||
      m.command == "903" || m.command == "902" || m.command == "904" || m.command == "905" ||
      m.command == "906" || m.command == "908") {
    OnSasl(m);
  } else if (IsNumeric(m, "433") || IsNumeric(m, "436")) {
    if (++nickTries_ > kNickTries) {
      Problem("the nick " + wanted_ + " and " + std::to_string(kNickTries) +
              " others like it are taken");
      Drop("no free nick");
      return;
    }
    nick_ = NextNickToTry();
    Write(FormatLine("NICK", {nick_}));
  } else if (IsNumeric(m, "432")) {
    Problem("the server refuses the nick " + nick_ + ": " + Param(m, 2));
    Stop();
  } else if (IsNumeric(m, "464") || IsNumeric(m, "465")) {
    Problem("the server refuses the connection: " + Param(m, 1));
  } else if (IsNumeric(m, "001")) {
    registered_ = true;
    nick_ = Param(m, 0).empty() ? nick_ : Param(m, 0);
    retryMs_ = 1000;
    lastProblem_.clear();
    if (nick_ != wanted_) reclaimTimer_.start(kReclaimMs);
    if (handlers_.registered) handlers_.registered(nick_);
    FlushQueue();
  }
}

void IrcConnection::OnSasl(const Message& m) {
  const std::string sub = Param(m, 1);
  if (m.command == "CAP" && sub == "LS") {
    // "CAP * LS * :more" comes before the last part, which has no "*".
    const std::string caps = m.params.empty() ? std::string() : m.params.back();
    const bool offered = (" " + caps + " ").find(" sasl") != std::string::npos;
    if (offered) {
      Write("CAP REQ :sasl");
    } else if (Param(m, 2) != "*") {
      Problem("the server offers no SASL login; going on without it");
      Write("CAP END");
    }
  } else if (m.command == "CAP" && sub == "ACK") {
    Write("AUTHENTICATE PLAIN");
  } else if (m.command == "CAP" && sub == "NAK") {
    Problem("the server refused SASL; going on without it");
    Write("CAP END");
  } else if (m.command == "AUTHENTICATE" && Param(m, 0) == "+") {
    const std::string credentials = wanted_ + '\0' + wanted_ + '\0' + server_.password;
    const QByteArray encoded =
        QByteArray(credentials.data(), static_cast<qsizetype>(credentials.size())).toBase64();
    // Pieces of 400 bytes; one of exactly 400 is followed by "+".
    for (qsizetype at = 0; at <= encoded.size(); at += 400) {
      const QByteArray piece = encoded.mid(at, 400);
      Write("AUTHENTICATE " + (piece.isEmpty() ? std::string("+") : piece.toStdString()));
      if (piece.size() < 400) break;
    }
  } else if (m.command == "903") {
    Write("CAP END");
  } else if (m.command != "900") {
    Problem("the SASL login failed: " + (m.params.empty() ? m.command : m.params.back()));
    Write("CAP END");
  }
}

void IrcConnection::SendNow(const std::string& command, const std::vector<std::string>& params) {
  if (registered_) Write(FormatLine(command, params));
}

bool IrcConnection::Queue(const std::string& command, const std::vector<std::string>& params) {
  if (!queue_.Push(FormatLine(command, params))) return false;
  FlushQueue();
  return true;
}

void IrcConnection::FlushQueue() {
  if (!registered_) return;
  while (std::optional<std::string> line = queue_.Pop(clock_.elapsed())) Write(*line);
  if (queue_.size() == 0 && drained_) std::exchange(drained_, nullptr)();
  const std::int64_t wait = queue_.WaitMs(clock_.elapsed());
  if (wait > 0 && !sendTimer_.isActive()) sendTimer_.start(static_cast<int>(wait));
}

std::size_t IrcConnection::TextRoom(const std::string& target) const {
  const std::size_t used = 2 + kLongestPrefix + std::string("PRIVMSG ").size() + target.size() + 2;
  return used >= 512 ? 0 : 512 - used;
}

void IrcConnection::OnSilence() {
  if (!socket_) return;
  if (socket_->state() != QAbstractSocket::ConnectedState ||
      (server_.tls && !socket_->isEncrypted())) {
    Drop("no answer from " + server_.host);
  } else if (!probing_) {
    probing_ = true;
    Write("PING :aolsim");
    silenceTimer_.start(kProbeMs);
  } else {
    Drop("the server stopped answering");
  }
}

void IrcConnection::Drop(const std::string& why) {
  if (!socket_) return;
  lostReason_ = why;
  socket_->abort();
  OnDisconnected();
}

void IrcConnection::OnDisconnected() {
  if (!socket_) return;
  // The socket may be inside one of its own signals: it is deleted once that is over.
  socket_->disconnect(this);
  socket_->abort();
  socket_.release()->deleteLater();
  registered_ = false;
  silenceTimer_.stop();
  sendTimer_.stop();
  reclaimTimer_.stop();
  if (drained_) std::exchange(drained_, nullptr)();  // what waits cannot leave now
  if (stopping_) return;
  const int wait = retryMs_;
  retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
  retryTimer_.start(wait);
  if (handlers_.lost) handlers_.lost(lostReason_.empty() ? "connection closed" : lostReason_, wait);
}

void IrcConnection::Problem(const std::string& text) {
  if (text == lastProblem_) return;
  lastProblem_ = text;
  if (handlers_.problem) handlers_.problem(text);
}

}  // namespace aolsim::irc
