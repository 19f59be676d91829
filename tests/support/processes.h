#pragma once
// End-to-end test support: the stand-in chat client in script mode and the program, each a
// process of its own, sharing a private desktop socket.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "tests/support/aolsim_process.h"

namespace spindeck::e2e {

// One event line of the chat client, split at its tabs (UTF-8, as printed).
using Event = testing::AolsimEvent;

// The chat client on the given desktop socket, with more options when given (--irc ...).
class AolSim : public testing::AolsimProcess {
 public:
  explicit AolSim(const QString& desktop, const QStringList& options = {})
      : AolsimProcess(options, desktop) {}
};

// The program, run from a copy in a temporary program folder. It plays into the null output
// unless `extra` names another SPINDECK_AUDIO; every variable of `extra` is added to (or
// replaces one of) the test's own environment.
class Spindeck {
 public:
  explicit Spindeck(const QString& desktop, const QString& programFolder,
                    const QProcessEnvironment& extra = {});
  ~Spindeck();
  Spindeck(const Spindeck&) = delete;
  Spindeck& operator=(const Spindeck&) = delete;
  bool running() const { return process_.state() == QProcess::Running; }
  QString output() { return QString::fromUtf8(process_.readAllStandardError()); }
  qint64 pid() const { return process_.processId(); }
  // Waits for the program to end by itself; false when it still runs after the time.
  bool WaitForExit(int timeoutMs);
  void Terminate();

 private:
  QProcess process_;
};

// A desktop socket path inside a fresh temporary folder.
struct TestDesktop {
  QTemporaryDir dir;
  QString path() const { return dir.path() + "/desktop/socket"; }
};

// Runs the event loop for a while: for checks that something does not happen in that time.
void Spin(int ms);

}  // namespace spindeck::e2e
