#pragma once
// An IRC server program the tests start on a free loopback port, with a configuration the test
// writes for that port. A port found free may be taken by another process before the server
// binds it: until the server has once started, a start that does not come up is tried again
// on another port; after that the port is kept, since a restart must come back where its
// clients dial. Programs that will not run as root (ircd-hybrid) are run as "nobody" when the
// tests run as root, so their folder is open to that user.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <string>

namespace spindeck::testing {

struct IrcServerCommand {
  QString program;
  QStringList args;
};

class IrcServerProcess {
 public:
  // `prepare` writes the configuration for the port into the folder and gives the command.
  using Prepare = std::function<std::optional<IrcServerCommand>(int port, const QString& folder)>;

  // `exitCode` is how the server exits when asked to end (InspIRCd gives 10 for SIGTERM).
  IrcServerProcess(std::string name, Prepare prepare, bool neverAsRoot = false, int exitCode = 0);
  ~IrcServerProcess();
  IrcServerProcess(const IrcServerProcess&) = delete;
  IrcServerProcess& operator=(const IrcServerProcess&) = delete;

  // Starts the server and waits until it takes connections. False, with the reason and the
  // server's output on stderr, when it does not come up in time.
  bool Start(int timeoutMs = 30000);
  // Ends the server: SIGTERM, a bounded wait, then SIGKILL.
  void Stop();
  int port() const { return port_; }
  bool running() const { return process_.state() != QProcess::NotRunning; }
  const QString& folder() const { return path_; }
  std::string output();

 private:
  bool WaitUntilListening(int timeoutMs);
  void Fail(const std::string& reason);

  std::string name_;
  Prepare prepare_;
  bool neverAsRoot_;
  int exitCode_;
  QTemporaryDir dir_;
  QString path_;
  QProcess process_;
  std::string output_;
  int port_ = 0;
  bool everStarted_ = false;
};

// Whether a client can connect to the loopback port now.
bool AcceptsConnections(int port, int timeoutMs);

// A loopback port free now; 0 when none could be found.
int FreeLoopbackPort();

}  // namespace spindeck::testing
