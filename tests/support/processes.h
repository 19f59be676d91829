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
//
// The program must end as the test expects: by itself with exit code 0 after WaitForExit, or
// after SIGTERM from Terminate (which the destructor sends when it still runs). A crash, a
// sanitizer's report, another exit code or a hang at the end fails the test, with everything
// the program wrote to its standard error.
class Spindeck {
 public:
  explicit Spindeck(const QString& desktop, const QString& programFolder,
                    const QProcessEnvironment& extra = {});
  ~Spindeck();
  Spindeck(const Spindeck&) = delete;
  Spindeck& operator=(const Spindeck&) = delete;
  bool running() const { return process_.state() == QProcess::Running; }
  // What the program wrote to its standard error since the last call.
  QString output();
  qint64 pid() const { return process_.processId(); }
  // Waits for the program to end by itself; false when it still runs after the time.
  bool WaitForExit(int timeoutMs);
  // Ends the program with SIGTERM, and kills it if it has not ended 15 s later.
  void Terminate();

 private:
  void ReadErrors();
  // Checks the end once the program has ended (once).
  void CheckEnd();

  QProcess process_;
  QByteArray errors_;
  qsizetype errorsTaken_ = 0;
  bool checked_ = false;
  bool reported_ = false;  // its errors were shown with a failure of the end
};

// A desktop socket path inside a fresh temporary folder.
struct TestDesktop {
  QTemporaryDir dir;
  QString path() const { return dir.path() + "/desktop/socket"; }
};

// Runs the event loop for a while: for checks that something does not happen in that time.
void Spin(int ms);

}  // namespace spindeck::e2e
