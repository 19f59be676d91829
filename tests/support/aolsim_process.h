#pragma once
// The stand-in chat client aolsim in script mode, as a process of its own: a test sends it
// commands and reads back its events, one line each. Every wait blocks on the client's output
// up to a deadline, and keeps this process's event loop turning meanwhile (so other processes
// a test runs are served too).
//
// Unless the test kills it, the client must end cleanly: at the end of the test (or of the
// object) its input is closed and it must exit with code 0 by itself. A crash, a sanitizer's
// report, another exit code or a hang fails the test, with the client's standard error.
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace spindeck::testing {

// One event line of the client, split at its tabs (UTF-8, as printed).
using AolsimEvent = std::vector<std::string>;

// Whether the event is a line of the client's own (OnlineHost) that holds `piece`.
bool SystemLineHolding(const AolsimEvent& e, const std::string& piece);

class AolsimProcess {
 public:
  // Starts `aolsim --script` followed by `extraArgs` on the desktop socket `desktop`, and
  // waits for its "ready". Without a desktop the client gets a private one, and this
  // process's window calls are pointed at it, so a test drives its windows as the program does.
  explicit AolsimProcess(const QStringList& extraArgs = {}, const QString& desktop = {});
  ~AolsimProcess();
  AolsimProcess(const AolsimProcess&) = delete;
  AolsimProcess& operator=(const AolsimProcess&) = delete;

  // Whether the client started and said "ready".
  bool started() const { return started_; }
  bool ready() const { return started_; }
  qint64 pid() const { return process_.processId(); }

  // Sends one command; the fields are joined by tabs (UTF-8).
  void Command(const std::vector<std::string>& fields);

  // The next event not yet taken, as printed (without its newline); "" when none comes within
  // the time or the client has ended.
  std::string NextEvent(int timeoutMs = 5000);
  // Takes events until one satisfies the test; false when none does within the time.
  bool WaitFor(const std::function<bool(const AolsimEvent&)>& test, int timeoutMs = 5000);
  // Takes events up to a "line" from the sender in any room, and gives its text ("<no line>"
  // when none comes).
  std::string WaitForLine(const std::string& sender, int timeoutMs = 5000);
  // Sends "echo" and takes events until it comes back, so every command sent before it is
  // done. Gives the events taken before it, as printed.
  std::vector<std::string> Sync(int timeoutMs = 5000);
  // Every event so far, taken or not.
  const std::vector<AolsimEvent>& events() const { return events_; }

  void CloseInput();
  // Closes standard input and waits for the exit; the exit code, or -1.
  int CloseInputAndWait();
  // Waits for the exit; the exit code, or -1 (also after a crash or when it does not end).
  int WaitForExit(int timeoutMs);
  // Kills the client, stopped or not: an end the test wants, which is not checked.
  void Kill();
  // What the client wrote to its standard error so far.
  const std::string& errors();

 private:
  // Reads what the client printed into whole event lines.
  void ReadEvents();
  // Blocks until the client prints, ends, or the time runs out; false when nothing can come.
  bool AwaitOutput(int remainingMs);
  // Closes the input of a client still running and checks how it ends (once).
  void End();
  void CheckEnd();

  std::unique_ptr<QTemporaryDir> privateDesktop_;
  QProcess process_;
  std::string partial_;
  std::vector<std::string> lines_;
  std::vector<AolsimEvent> events_;
  std::size_t taken_ = 0;
  int echoes_ = 0;
  bool started_ = false;
  std::string errors_;
  bool checked_ = false;   // its end was checked, or the test killed it
  bool reported_ = false;  // its errors were shown with a failure of the end
};

}  // namespace spindeck::testing
