#pragma once
// A real Icecast server for tests: icecast2 on a free loopback port, with a configuration
// written for the test in a private folder. Never the system's own server, nor its port 8000.
//
// What icecast2 (2.4) does here:
// - Started as root it refuses to run unless told to change its owner: the configuration here
//   makes it drop to nobody/nogroup, which must be able to write its log folder (and reach it:
//   the private folder is opened to others for that, and holds nothing secret). As an ordinary
//   user it runs as that user, without <changeowner>.
// - It stays in the foreground (no -b) and logs to error.log in its log folder.
// - A source with a wrong password gets "401 Authentication Required"; a source for a mount that
//   already has one gets "403 Forbidden" ("Mountpoint in use").
// - status-json.xsl lists the mounts that have a source under "source": one object for a single
//   source, an array for more.
// - A relay (<relay>, not on demand) reads another server's mount as a listener and serves it,
//   titles included, as a mount of its own. While the other side has no source it tries again
//   at each check of its master: every two minutes by default, every second or two here.
#include <QProcess>
#include <QTemporaryDir>
#include <optional>
#include <string>

namespace spindeck::testing {

struct IcecastOptions {
  std::string sourcePassword = "hackme";
  std::string mount = "/spindeck.mp3";
  // Listeners of `mount` are moved to this mount while `mount` has no source (none when empty).
  std::string fallbackMount = "";
  // A PEM file holding a server certificate and its key: the server also listens with TLS, on
  // tlsPort(). None when empty.
  std::string tlsCertificate = "";
  // A relay of another server's mount: that server's port on loopback and its mount, served
  // here under the same mount name. No relay while relayPort is 0.
  int relayPort = 0;
  std::string relayMount;
  // How long the server keeps a mount whose source sends nothing, and so how long a test of a
  // silent or lost source waits for the server to notice.
  int sourceTimeoutSeconds = 10;
};

class IcecastServer {
 public:
  explicit IcecastServer(IcecastOptions options = {});
  ~IcecastServer();
  IcecastServer(const IcecastServer&) = delete;
  IcecastServer& operator=(const IcecastServer&) = delete;

  // Writes the configuration, picks a free loopback port (once: a restart comes back on the
  // same one), starts icecast2 and waits, the event loop turning, until it answers HTTP. False,
  // with the reason and the server's log on stderr, when it does not come up in time.
  bool Start(int timeoutMs = 30000);
  // Ends the server: SIGTERM, a bounded wait, then SIGKILL.
  void Stop();

  int port() const { return port_; }
  // The TLS listening port, with options().tlsCertificate (0 without).
  int tlsPort() const { return tlsPort_; }
  bool running() const { return process_.state() != QProcess::NotRunning; }
  // The server's process id, to stop it (SIGSTOP) as a stalled server; 0 when not running.
  qint64 pid() const { return process_.processId(); }
  const IcecastOptions& options() const { return options_; }
  // The server's error log (of its last start).
  std::string log();

  // The mount's title from status-json.xsl (UTF-8): empty when its source set none; nothing
  // when the mount has no source (or the server does not answer).
  std::optional<std::string> Title(const std::string& mount);
  bool HasSource(const std::string& mount);
  // A field of the mount's entry in status-json.xsl as text (UTF-8), as "server_name" or
  // "genre"; empty when the mount has no source or no such field.
  std::string SourceField(const std::string& mount, const std::string& field);
  // http://127.0.0.1:PORT/MOUNT
  std::string ListenUrl(const std::string& mount) const;

 private:
  bool PickPort();
  bool WriteConfig();
  // True once the server answers. A server that ended is told on standard error only when
  // `reportEnd`; every other failure always is.
  bool WaitForAnswer(int timeoutMs, bool reportEnd);
  void Fail(const std::string& reason);

  IcecastOptions options_;
  QTemporaryDir folder_;
  QProcess process_;
  int port_ = 0;
  int tlsPort_ = 0;
  bool everStarted_ = false;
};

}  // namespace spindeck::testing
