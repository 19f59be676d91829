#include "bench/program_playback_cpu.h"

#include <cstdio>
#include <cstdlib>

#include "bench/chat_stage.h"
#include "bench/child_process.h"

namespace spindeck::bench {
namespace {

constexpr double kGoalRatio = 1.5;

}  // namespace

bool MeasureProgramPlaybackCpu(const std::string& songFolder, const std::string& song,
                               double songSeconds) {
  std::printf(
      "\nPlayback CPU of the whole program (chat client attached, room quiet), CPU seconds per "
      "second of the song; baseline mpg123 -q -o pulse on the same file and sink:\n");
  if (std::getenv("PULSE_SERVER") == nullptr) {
    std::printf("  not measured: PULSE_SERVER is not set (run it inside scripts/with-pulse)\n");
    return false;
  }
  const ChildRun mpg123 = RunChild({"mpg123", "-q", "-o", "pulse", song}, ChildOutput::kKeep);
  if (!mpg123.started || mpg123.exitCode != 0) {
    std::printf("  not measured: mpg123 failed\n");
    return false;
  }
  ChatStage stage(songFolder, "pulse");
  if (!stage.ready()) {
    std::printf("  not measured: %s\n", stage.problem().c_str());
    return false;
  }
  // The library is read afresh, so that song 1 is the one song of the song folder.
  if (!stage.Ask("ref", 10000)) {
    std::printf("  not measured: the program did not read its library again\n");
    return false;
  }
  const double ours = ProgramCpuPlayingSongOne(stage, songSeconds);
  if (ours < 0) return false;
  const double base = mpg123.cpuSeconds / songSeconds;
  std::printf("  %-28s %.4f CPU-s/s (took %.1f s for the %.0f s song)\n", "baseline mpg123", base,
              mpg123.wallSeconds, songSeconds);
  if (base > 0) {
    const double ratio = ours / base;
    std::printf("  %-28s %.4f CPU-s/s = %.2f x baseline, goal <= %.1f x: %s\n",
                "spindeck, whole process", ours, ratio, kGoalRatio,
                ratio <= kGoalRatio ? "met" : "MISSED");
  } else {
    std::printf("  %-28s %.4f CPU-s/s (the baseline used none)\n", "spindeck, whole process", ours);
  }
  return true;
}

}  // namespace spindeck::bench
