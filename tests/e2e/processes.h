#pragma once
// End-to-end test support: the stand-in chat client in script mode and the program, each a
// process of its own, sharing a private desktop socket.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

namespace spindeck::e2e {

// One event line of the chat client, split at its tabs (UTF-8, as printed).
using Event = std::vector<std::string>;

class AolSim {
 public:
  // Starts `aolsim --script` on the desktop socket and waits for "ready".
  explicit AolSim(const QString& desktop);
  ~AolSim();

  bool ready() const { return ready_; }
  // Sends one script command; fields are joined with tabs (UTF-8).
  void Command(const std::vector<std::string>& fields);
  // Waits until an event satisfies the test, handling the event loop meanwhile.
  bool WaitFor(const std::function<bool(const Event&)>& test, int timeoutMs = 5000);
  // Waits for a "line" event in any room from the sender, and returns its text.
  std::string WaitForLine(const std::string& sender, int timeoutMs = 5000);
  // Every event so far.
  const std::vector<Event>& events() const { return events_; }
  qint64 pid() const { return process_.processId(); }
  void Kill();

 private:
  void ReadEvents();

  QProcess process_;
  std::string pending_;
  std::vector<Event> events_;
  std::size_t consumed_ = 0;
  bool ready_ = false;
};

// The program, run from a copy in a temporary program folder. It plays into the null output
// unless `extra` names another SPINDECK_AUDIO; every variable of `extra` is added to (or
// replaces one of) the test's own environment.
class Spindeck {
 public:
  explicit Spindeck(const QString& desktop, const QString& programFolder,
                    const QProcessEnvironment& extra = {});
  ~Spindeck();
  bool running() const { return process_.state() == QProcess::Running; }
  QString output() { return QString::fromUtf8(process_.readAllStandardError()); }
  qint64 pid() const { return process_.processId(); }
  void Terminate();

 private:
  QProcess process_;
};

// A desktop socket path inside a fresh temporary folder.
struct TestDesktop {
  QTemporaryDir dir;
  QString path() const { return dir.path() + "/desktop/socket"; }
};

// Runs the event loop for a while.
void Spin(int ms);

}  // namespace spindeck::e2e
