#include "aolsim/irc/irc_connection.h"

#include <QByteArray>
#include <algorithm>
#include <utility>

#include "aolsim/irc/tls_trust.h"

namespace aolsim::irc {
namespace {

constexpr int kSilenceMs = 120000;  // a connection this quiet is probed with a PING
constexpr int kProbeMs = 30000;     // and dropped when the probe gets no answer
constexpr int kConnectMs = 30000;   // to connect and finish the TLS handshake
constexpr int kLongestRetryMs = 60000;

// What another client sees before our text: ":nick!user@host ", at the longest the server
// allows for the user (10) and host (63) parts.
constexpr std::size_t kLongestPrefix = 1 + kMaxNickLength + 1 + 10 + 1 + 63 + 1;

SessionSettings SettingsOf(const ServerAddress& server) {
  SessionSettings settings;
  settings.sasl = server.sasl;
  settings.saslOptional = server.saslOptional;
  settings.saslAccount = server.saslAccount;
  settings.password = server.password;
  return settings;
}

}  // namespace

IrcConnection::IrcConnection(ServerAddress server, Handlers handlers, QObject* parent)
    : QObject(parent),
      server_(std::move(server)),
      handlers_(std::move(handlers)),
      session_(SettingsOf(server_)) {
  clock_.start();
  tickTimer_.setSingleShot(true);
  silenceTimer_.setSingleShot(true);
  retryTimer_.setSingleShot(true);
  connect(&tickTimer_, &QTimer::timeout, this, [this] {
    session_.Tick(clock_.elapsed());
    Act();
  });
  connect(&silenceTimer_, &QTimer::timeout, this, [this] { OnSilence(); });
  connect(&retryTimer_, &QTimer::timeout, this, [this] { Connect(); });
}

IrcConnection::~IrcConnection() {
  if (!socket_) return;
  socket_->disconnect(this);
  // A connection that ends with the client says goodbye, as far as it goes without waiting.
  if (session_.registered()) {
    Write("QUIT :signed off");
    socket_->flush();
  }
  socket_->abort();
}

void IrcConnection::Start(const std::string& nick) {
  stopping_ = false;
  session_.WantNick(nick);
  if (!socket_ && !retryTimer_.isActive()) Connect();
  Act();
}

void IrcConnection::Stop(const std::string& reason) {
  stopping_ = true;
  retryTimer_.stop();
  tickTimer_.stop();
  if (!socket_) return;
  if (session_.registered()) Write(FormatLine("QUIT", {reason.empty() ? "signed off" : reason}));
  session_.Disconnected();
  socket_->flush();
  socket_->disconnectFromHost();  // sends what is written first, then closes
}

void IrcConnection::WhenDrained(std::function<void()> done) {
  if (!session_.registered() || session_.queued() == 0) {
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
    if (lostReason_.empty()) {
      // The server's ERROR line says more than "the remote host closed the connection".
      lostReason_ = session_.serverError().empty() ? socket->errorString().toStdString()
                                                   : session_.serverError();
    }
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
  std::string problem;
  socket->setSslConfiguration(TlsSettings(server_.caFile, problem));
  if (!problem.empty()) Problem(problem);
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
  silenceTimer_.start(kSilenceMs);
  session_.Connected(clock_.elapsed());
  Act();
}

void IrcConnection::OnReadable() {
  if (!socket_) return;
  const QByteArray data = socket_->readAll();
  input_.Append(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
  probing_ = false;
  silenceTimer_.start(kSilenceMs);
  // What the session asks for may drop the connection; then the rest of what came is of no use.
  QSslSocket* const socket = socket_.get();
  while (socket_.get() == socket) {
    const std::optional<std::string> line = input_.Next();
    if (!line) break;
    session_.Received(*line, clock_.elapsed());
    Act();
  }
}

void IrcConnection::Act() {
  for (IrcSession::Event& event : session_.TakeEvents()) {
    switch (event.kind) {
      case IrcSession::Event::Kind::kSend:
        Write(event.text);
        break;
      case IrcSession::Event::Kind::kRegistered:
        retryMs_ = 1000;
        lastProblem_.clear();
        if (handlers_.registered) handlers_.registered(event.text);
        break;
      case IrcSession::Event::Kind::kMessage:
        if (handlers_.message) handlers_.message(event.message);
        break;
      case IrcSession::Event::Kind::kProblem:
        Problem(event.text);
        break;
      case IrcSession::Event::Kind::kDrop:
        Drop(event.text);
        break;
      case IrcSession::Event::Kind::kStop:
        Stop();
        break;
    }
    // A handler may have stopped or dropped the connection; later events then come again
    // from the session when it is up, or are of no use.
    if (!socket_ && event.kind != IrcSession::Event::Kind::kSend) {
      session_.TakeEvents();
      break;
    }
  }
  if (socket_ && socket_->bytesToWrite() > kMostUnsent) {
    Drop("the server does not take what is sent to it");
    return;
  }
  if (session_.queued() == 0 && drained_) std::exchange(drained_, nullptr)();
  ArmTick();
}

void IrcConnection::ArmTick() {
  const std::int64_t now = clock_.elapsed();
  const std::int64_t next = socket_ ? session_.NextTickMs(now) : -1;
  if (next < 0) {
    tickTimer_.stop();
  } else {
    tickTimer_.start(static_cast<int>(std::clamp<std::int64_t>(next - now, 0, 3600000)));
  }
}

void IrcConnection::SendNow(const std::string& command, const std::vector<std::string>& params) {
  session_.SendNow(FormatLine(command, params));
  Act();
}

bool IrcConnection::Queue(const std::string& command, const std::vector<std::string>& params) {
  if (!session_.Queue(FormatLine(command, params), clock_.elapsed())) return false;
  Act();
  return true;
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
  if (lostReason_.empty()) lostReason_ = session_.serverError();
  session_.Disconnected();
  session_.TakeEvents();
  silenceTimer_.stop();
  tickTimer_.stop();
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
