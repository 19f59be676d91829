#pragma once
// A real IRC server for tests: ngircd on free loopback ports, with a configuration written for
// the test in a private folder. Never the system's own server, nor its port 6667.
//
// What ngircd does here (ngIRCd 26 as Debian ships it, built with GnuTLS):
// - Started as root it will not stay root: without a ServerUID it drops to "nobody"/"nogroup"
//   after reading its configuration and TLS files and binding its ports ("ServerUID must not
//   be root(0), using "nobody" instead"), so those files may stay private to root. As an
//   ordinary user it runs as that user. No chroot is used either way.
// - Flood throttling: every command costs a client penalty time; past a short burst ngircd
//   reads about three lines a second from it (20 PRIVMSGs in a row take 6 s, 200 over a
//   minute). MaxPenaltyTime = 0 switches this off, and then thousands of lines pass at once;
//   that is the default here, but for `shippedLimits`.
// - A port that cannot be bound is only logged ("Can't bind socket"); the server runs on with
//   the others, so Start checks every port.
// - It dials a linked server about a second after starting, and after a lost link again every
//   ConnectRetry seconds, which it raises to at least 5.
// - Users are registered as "~user" (no Ident), with their numeric host (no DNS). Nicks may
//   have up to 30 characters here (ngircd's default is 9, kept with `shippedLimits`; linked
//   servers must agree), any
//   number of users may come from 127.0.0.1 and join any number of channels, and the server
//   pings an idle client only after 600 s, so no test loses a client to a ping it missed.
// - Without a DH parameter file a GnuTLS build spends seconds making one at every start; the
//   TLS port here gets the fixed ffdhe2048 group.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <string>

namespace spindeck::testing {

struct NgircdOptions {
  std::string name = "irc.test";  // the server's name on the network; needs a dot
  bool tls = false;               // a TLS port besides the plain one
  QString certFile, keyFile;      // PEM, for the TLS port
  // A link to a peer server: written when linkName is set. This side dials 127.0.0.1:linkPort
  // (the peer's serverPort()) when connectToLink is set and linkPort is not 0; otherwise it
  // waits for the peer to dial in. Both sides use the same link password.
  int linkPort = 0;
  std::string linkName;
  bool connectToLink = true;
  std::string password;  // the server password clients must give; empty for none
  // ngircd's own limits as it ships: nicks of at most 9 characters, 5 connections from one
  // address, 10 channels a user, flood throttling, pings after 120 s.
  bool shippedLimits = false;
};

class NgircdServer {
 public:
  explicit NgircdServer(NgircdOptions options = {});
  ~NgircdServer();
  NgircdServer(const NgircdServer&) = delete;
  NgircdServer& operator=(const NgircdServer&) = delete;

  // Writes the configuration, picks free loopback ports (once: a restart comes back on the
  // same ones), starts `ngircd -n` and waits until it listens on all of them. False, with the
  // reason and the server's output on stderr, when it does not come up in time.
  bool Start(int timeoutMs = 30000);
  // Ends the server: SIGTERM, a bounded wait, then SIGKILL.
  void Stop();

  int port() const { return port_; }              // plain IRC for clients
  int tlsPort() const { return tlsPort_; }        // 0 without tls
  int serverPort() const { return serverPort_; }  // where a linked peer dials in
  const std::string& name() const { return options_.name; }
  bool running() const { return process_.state() != QProcess::NotRunning; }
  // Everything the server logged, over all its starts.
  std::string log();

  // Whether the link to the peer named `peerName` is up: since the last start, the server
  // logged its synchronisation with the peer done, and no loss of it after that.
  bool LinkedTo(const std::string& peerName);
  // Waits until `done` holds, checking it at once and after each line the server logs.
  bool WaitForLog(const std::function<bool()>& done, int timeoutMs);

 private:
  bool PickPorts();
  bool WriteConfig();
  // With reportTakenPort false, a port that could not be bound is not told, and the server
  // is left running for the caller to stop and start elsewhere.
  bool WaitForListening(int timeoutMs, bool reportTakenPort);
  void ReadLog();
  void Fail(const std::string& reason);

  NgircdOptions options_;
  QTemporaryDir folder_;
  QProcess process_;
  QMetaObject::Connection reading_;
  std::string log_;
  std::size_t runStart_ = 0;  // where the current run's log begins
  int port_ = 0;
  int tlsPort_ = 0;
  int serverPort_ = 0;
  bool everStarted_ = false;
};

}  // namespace spindeck::testing
