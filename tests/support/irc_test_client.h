#pragma once
// A real IRC user for tests, on a TCP or TLS socket: it registers, joins, talks, and keeps
// everything the server sent in order, so that a test can wait for what it expects. Lines are
// UTF-8 on the wire. It answers the server's PINGs whenever the event loop turns (also while
// another client or process is being waited for), and every wait is bounded.
#include <QSslError>
#include <QSslSocket>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "aolsim/irc/message.h"

namespace spindeck::testing {

struct TlsOptions {
  QString caFile;    // the only certificate authority trusted (PEM)
  QString peerName;  // the name the server's certificate must hold; the host when empty
};

class IrcTestClient {
 public:
  IrcTestClient();
  ~IrcTestClient();
  IrcTestClient(const IrcTestClient&) = delete;
  IrcTestClient& operator=(const IrcTestClient&) = delete;

  // Connects (through TLS when `tls` is given), registers as `nick` and waits for the
  // welcome (001). False when the connection, the TLS handshake or the registration fails or
  // the time runs out; the messages taken on the way are taken.
  bool Connect(const std::string& host, int port, const std::string& nick,
               const TlsOptions* tls = nullptr, int timeoutMs = 10000);
  // Sends one raw line (without CR LF).
  void Send(const std::string& rawLine);
  // Joins and waits for its own JOIN and the end of the channel's names (366). False on a
  // refusal or when the time runs out.
  bool Join(const std::string& channel, int timeoutMs = 10000);
  void Say(const std::string& target, const std::string& utf8Text);

  // Takes messages in order, up to and including the first that satisfies the test, and gives
  // it; nothing when none comes within the time or the connection ends first.
  std::optional<aolsim::irc::Message> WaitFor(
      const std::function<bool(const aolsim::irc::Message&)>& test, int timeoutMs = 10000);
  // The text of the next PRIVMSG from `fromNick` to `target` (a channel, or this client's own
  // nick for a private one).
  std::optional<std::string> WaitForPrivmsg(const std::string& fromNick, const std::string& target,
                                            int timeoutMs = 10000);

  // Every message received so far, taken or not.
  std::vector<aolsim::irc::Message> received() const { return received_; }
  // The TLS errors of the last handshake (a refused certificate shows why here).
  const QList<QSslError>& sslErrors() const { return sslErrors_; }
  const std::string& nick() const { return nick_; }
  // Registered and still connected.
  bool connected() const;
  // Quits and closes the connection (bounded).
  void Disconnect();

 private:
  void ReadLines();
  // Turns the event loop until the socket has news or the time runs out; false when nothing
  // more can come.
  bool AwaitInput(int remainingMs);
  bool AwaitConnection(bool tls, int timeoutMs);

  std::unique_ptr<QSslSocket> socket_;
  QMetaObject::Connection reading_;
  std::string partial_;
  std::vector<aolsim::irc::Message> received_;
  std::size_t taken_ = 0;
  std::string nick_;
  bool registered_ = false;
  QList<QSslError> sslErrors_;
};

}  // namespace spindeck::testing
