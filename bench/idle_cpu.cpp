#include "bench/idle_cpu.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "bench/child_process.h"
#include "tests/e2e/processes.h"

namespace spindeck::bench {
namespace {

// The goal for the program's idle CPU, in percent of a core.
constexpr double kGoalPercent = 0.2;
// How long the room stays silent before a window is measured: past the scanner's back-off.
constexpr int kQuietRoomMs = 6000;

// Waits without turning the event loop, so that this process itself stays idle meanwhile,
// and gives the share of a core that each process used.
struct WindowUse {
  double programPercent = -1;
  double baselinePercent = -1;
};
WindowUse MeasureWindow(long program, long baseline, int seconds) {
  const double program0 = ProcessCpuSeconds(program);
  const double baseline0 = ProcessCpuSeconds(baseline);
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double program1 = ProcessCpuSeconds(program);
  const double baseline1 = ProcessCpuSeconds(baseline);
  WindowUse use;
  if (program0 >= 0 && program1 >= 0) use.programPercent = (program1 - program0) / elapsed * 100;
  if (baseline0 >= 0 && baseline1 >= 0) {
    use.baselinePercent = (baseline1 - baseline0) / elapsed * 100;
  }
  return use;
}

void Print(const char* window, const WindowUse& use) {
  if (use.programPercent < 0 || use.baselinePercent < 0) {
    std::printf("  %-34s not measured: a process ended\n", window);
    return;
  }
  std::printf("  %-34s spindeck %5.2f %% of a core, baseline %5.2f %%", window, use.programPercent,
              use.baselinePercent);
  if (use.baselinePercent > 0) {
    std::printf(" = %.1f x baseline", use.programPercent / use.baselinePercent);
  } else {
    std::printf(" (baseline below one clock tick)");
  }
  // Judged at the precision shown: the clock ticks are coarse.
  const bool met = std::round(use.programPercent * 100) < std::round(kGoalPercent * 100);
  std::printf(", goal < %.1f %%: %s\n", kGoalPercent, met ? "met" : "MISSED");
}

// Says a command as the user and waits for the program's reply, which must hold `reply`: the
// user's own line comes back first, then the reply. Prints what came instead.
bool Command(e2e::AolSim& sim, const std::string& text, const std::string& reply) {
  sim.Command({"say", "DjSam", text});
  const std::string echo = sim.WaitForLine("DjSam", 8000);
  const std::string answer = echo == text ? sim.WaitForLine("DjSam", 8000) : echo;
  if (answer.find(reply) != std::string::npos) return true;
  std::printf("  \"%s\" was answered with: %s\n", text.c_str(), answer.c_str());
  return false;
}

// The idle Qt application, ended when the measurement ends, however it ends.
class IdleBaseline {
 public:
  IdleBaseline() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process_.setProcessEnvironment(env);
    process_.start(SPINDECK_IDLE_HARNESS, {});
    process_.waitForStarted(5000);
  }
  ~IdleBaseline() {
    process_.kill();
    process_.waitForFinished(3000);
  }
  IdleBaseline(const IdleBaseline&) = delete;
  IdleBaseline& operator=(const IdleBaseline&) = delete;
  bool running() const { return process_.state() == QProcess::Running; }
  long pid() const { return static_cast<long>(process_.processId()); }

 private:
  QProcess process_;
};

}  // namespace

bool MeasureIdleCpu(const std::string& songFolder, int windowSeconds) {
  std::printf(
      "\nIdle CPU of the whole program (SPINDECK_AUDIO=null), %d s windows, to %.2f %% (one "
      "clock tick); baseline an idle Qt widgets application:\n",
      windowSeconds, 100.0 / static_cast<double>(sysconf(_SC_CLK_TCK)) / windowSeconds);
  e2e::TestDesktop desktop;
  QTemporaryDir folder;
  const QString programFolder = folder.filePath("program");
  QDir().mkpath(programFolder);
  QFile dirs(programFolder + "/dirs.txt");
  if (!dirs.open(QIODevice::WriteOnly)) {
    std::printf("  not measured: cannot write dirs.txt\n");
    return false;
  }
  dirs.write(QByteArray::fromStdString(songFolder) + "\r\n");
  dirs.close();

  IdleBaseline baseline;
  if (!baseline.running()) {
    std::printf("  not measured: the idle Qt application did not start\n");
    return false;
  }
  e2e::Spindeck program(desktop.path(), programFolder);
  if (!program.running()) {
    std::printf("  not measured: the program did not start\n");
    return false;
  }
  std::this_thread::sleep_for(std::chrono::seconds(3));  // past its start-up
  const long pid = static_cast<long>(program.pid());
  const long basePid = baseline.pid();
  Print("no chat client", MeasureWindow(pid, basePid, windowSeconds));

  e2e::AolSim sim(desktop.path());
  if (!sim.ready()) {
    std::printf("  not measured further: the stand-in chat client did not start\n");
    return false;
  }
  sim.Command({"signon", "DjSam"});
  sim.Command({"room", "lobby"});
  e2e::Spin(1500);  // the program finds the client and takes the room's lines as read
  if (!Command(sim, "eliteoff", "elite")) {
    std::printf("  not measured further: the program did not answer in the room\n");
    return false;
  }
  // A quiet room: the scanner reads a room less often once it has been quiet for a while.
  e2e::Spin(kQuietRoomMs);
  Print("chat client connected", MeasureWindow(pid, basePid, windowSeconds));

  // The library is read afresh, so that song 1 is the one song of the song folder.
  if (!Command(sim, "ref", "dirs") || !Command(sim, "p 1", "playing")) {
    std::printf("  not measured further: the program did not play song 1\n");
    return false;
  }
  e2e::Spin(2000);
  if (!Command(sim, "stop", "stopped")) {
    std::printf("  not measured further: the program did not stop the song\n");
    return false;
  }
  e2e::Spin(kQuietRoomMs);
  Print("after a song played and stopped", MeasureWindow(pid, basePid, windowSeconds));
  return program.running();
}

}  // namespace spindeck::bench
