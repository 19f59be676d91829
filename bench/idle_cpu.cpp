#include "bench/idle_cpu.h"

#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "bench/chat_stage.h"
#include "bench/child_process.h"

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

// Says a command as the user and waits for the program's answer, which must hold `reply`.
// Prints what came instead.
bool Command(ChatStage& stage, const std::string& text, const std::string& reply) {
  const auto answer = stage.Ask(text, 8000);
  if (answer && answer->find(reply) != std::string::npos) return true;
  std::printf("  \"%s\" was answered with: %s\n", text.c_str(),
              answer ? answer->c_str() : "<nothing>");
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
  IdleBaseline baseline;
  if (!baseline.running()) {
    std::printf("  not measured: the idle Qt application did not start\n");
    return false;
  }
  ChatStage stage(songFolder, "null", StageCast::kProgramAlone);
  if (!stage.ready()) {
    std::printf("  not measured: %s\n", stage.problem().c_str());
    return false;
  }
  // Past its start-up. A plain wait, so that this process itself stays idle meanwhile.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const long pid = stage.programPid();
  const long basePid = baseline.pid();
  Print("no chat client", MeasureWindow(pid, basePid, windowSeconds));

  // The program finds the client and answers there.
  if (!stage.AttachClient()) {
    std::printf("  not measured further: %s\n", stage.problem().c_str());
    return false;
  }
  // A quiet room: the scanner reads a room less often once it has been quiet for a while.
  stage.DrainUntilQuiet(kQuietRoomMs, 2 * kQuietRoomMs);
  Print("chat client connected", MeasureWindow(pid, basePid, windowSeconds));

  // The library is read afresh, so that song 1 is the one song of the song folder.
  if (!Command(stage, "ref", "dirs") || !Command(stage, "p 1", "playing")) {
    std::printf("  not measured further: the program did not play song 1\n");
    return false;
  }
  stage.DrainUntilQuiet(2000, 2000);
  if (!Command(stage, "stop", "stopped")) {
    std::printf("  not measured further: the program did not stop the song\n");
    return false;
  }
  stage.DrainUntilQuiet(kQuietRoomMs, 2 * kQuietRoomMs);
  Print("after a song played and stopped", MeasureWindow(pid, basePid, windowSeconds));
  return stage.programRunning();
}

}  // namespace spindeck::bench
