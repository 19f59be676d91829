#include "bench/program_playback_cpu.h"

#include <cstdio>
#include <cstdlib>

#include "bench/chat_stage.h"
#include "bench/child_process.h"

namespace spindeck::bench {
namespace {

constexpr double kGoalRatio = 1.5;
// The window ends this long before the song would, so that it holds playback only.
constexpr double kEndMarginSeconds = 1;

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
  const auto refreshed = stage.Ask("ref", 10000);
  const auto playing = refreshed ? stage.Ask("p 1", 10000) : std::nullopt;
  if (!playing || playing->find("playing") == std::string::npos) {
    std::printf("  not measured: the program did not play song 1 (%s)\n",
                playing ? playing->c_str() : "no answer");
    return false;
  }
  const double cpu0 = ProcessCpuSeconds(stage.programPid());
  const Clock::time_point start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(songSeconds - kEndMarginSeconds));
  while (Clock::now() < end) stage.NextLine(end);
  const double cpu1 = ProcessCpuSeconds(stage.programPid());
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  if (cpu0 < 0 || cpu1 < 0) {
    std::printf("  not measured: the program ended\n");
    return false;
  }
  const double ours = (cpu1 - cpu0) / wall;
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
