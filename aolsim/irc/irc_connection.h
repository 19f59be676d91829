#pragma once
// One connection to an IRC server, kept alive. The protocol lives in an IrcSession (nick
// alternatives, the SASL login, the welcome deadline, the send rate); this class carries its
// lines over the socket and keeps its timers. It probes a connection that has been silent for
// two minutes and drops it when no answer comes, drops one whose peer leaves more than
// kMostUnsent bytes unread, and connects again after a loss, waiting 1 s, 2 s, 4 s ... at
// most 60 s. TLS checks the server's certificate against the system's CAs (and one more CA,
// when given) and its host name; nothing turns the check off.
#include <QElapsedTimer>
#include <QObject>
#include <QSslSocket>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "aolsim/irc/irc_session.h"
#include "aolsim/irc/line_buffer.h"
#include "aolsim/irc/message.h"

namespace aolsim::irc {

struct ServerAddress {
  std::string host;
  int port = 6667;
  bool tls = false;
  std::string caFile;         // a CA to trust besides the system's; empty for none
  bool sasl = false;          // log in with SASL PLAIN (the password below) rather than PASS
  bool saslOptional = false;  // go on without the login when it fails
  std::string saslAccount;    // the SASL account; empty for the nick
  std::string password;       // the server password, or the SASL password; empty for none
};

class IrcConnection : public QObject {
  Q_OBJECT
 public:
  // What may wait unsent for a peer that does not read, before the connection is dropped.
  static constexpr qint64 kMostUnsent = 1 << 20;

  struct Handlers {
    std::function<void(const std::string& nick)> registered;  // welcomed (numeric 001)
    std::function<void(const Message&)> message;              // every message after that
    std::function<void(const std::string& why, int retryMs)> lost;
    // Something the user must know (a refused certificate, a failed login): said once each,
    // until the next welcome.
    std::function<void(const std::string& text)> problem;
  };

  IrcConnection(ServerAddress server, Handlers handlers, QObject* parent = nullptr);
  ~IrcConnection() override;

  // Connects (when not connected) and registers with the nick; later, the nick it wants.
  void Start(const std::string& nick);
  // Says QUIT and stays away until the next Start.
  void Stop(const std::string& reason = "");
  // Calls `done` once every queued chat line has left (at once when none waits, or when the
  // connection is not up and the lines could not leave anyway). A later call replaces it.
  void WhenDrained(std::function<void()> done);
  bool registered() const { return session_.registered(); }
  const std::string& nick() const { return session_.nick(); }
  const std::string& wantedNick() const { return session_.wantedNick(); }
  const ServerFeatures& features() const { return session_.features(); }
  const ServerAddress& server() const { return server_; }

  // A line that steers the connection, sent at once; dropped when not registered.
  void SendNow(const std::string& command, const std::vector<std::string>& params);
  // A chat line, sent when the rate allows and the connection is registered (it waits through
  // a reconnection). False when the queue is full.
  bool Queue(const std::string& command, const std::vector<std::string>& params);
  // How many bytes of text one PRIVMSG to the target may carry within the 512-byte line, the
  // prefix that the server puts before it for other clients included.
  std::size_t TextRoom(const std::string& target) const;

 private:
  void Connect();
  void Write(const std::string& line);
  void OnConnected();
  void OnReadable();
  // Carries out what the session asks for.
  void Act();
  void ArmTick();
  void Drop(const std::string& why);
  void OnDisconnected();
  void OnSilence();
  void Problem(const std::string& text);

  ServerAddress server_;
  Handlers handlers_;
  IrcSession session_;
  std::unique_ptr<QSslSocket> socket_;
  LineBuffer input_;
  QElapsedTimer clock_;
  QTimer tickTimer_;
  QTimer silenceTimer_;
  QTimer retryTimer_;
  int retryMs_ = 1000;
  bool stopping_ = false;
  bool probing_ = false;
  std::string lastProblem_;
  std::function<void()> drained_;
  std::string lostReason_;
};

}  // namespace aolsim::irc
