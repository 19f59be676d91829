#include "bench/playback_cpu.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/child_process.h"

namespace spindeck::bench {
namespace {

bool Ran(const char* what, const ChildRun& run) {
  if (run.started && run.exitCode == 0) return true;
  std::printf("  %-30s not measured: %s\n", what,
              run.started ? "it failed" : "it could not be started");
  return false;
}

}  // namespace

bool MeasurePlaybackCpu(const std::string& song, double songSeconds) {
  std::printf(
      "\nPlayback into a PulseAudio null sink, whole-process CPU seconds per minute of "
      "audio (a %.0f s song):\n",
      songSeconds);
  if (std::getenv("PULSE_SERVER") == nullptr) {
    std::printf(
        "  not measured: PULSE_SERVER is not set (scripts/bench runs this through "
        "scripts/with-pulse)\n");
    return false;
  }
  setenv("SPINDECK_AUDIO", "pulse", 1);
  const ChildRun ours = RunChild({SPINDECK_PLAY_HARNESS, song}, ChildOutput::kCapture);
  const ChildRun mpg123 = RunChild({"mpg123", "-q", "-o", "pulse", song}, ChildOutput::kKeep);
  const ChildRun decode = RunChild({"mpg123", "-q", "-t", song}, ChildOutput::kKeep);

  bool ok = Ran("baseline mpg123 -o pulse", mpg123);
  ok = Ran("spindeck media player", ours) && ok;
  ok = Ran("mpg123 -t (decoding only)", decode) && ok;
  if (ours.started && ours.output != "pulse\n") {
    std::printf("  the media player played into \"%s\", not pulse\n", ours.output.c_str());
    ok = false;
  }
  if (!ok) return false;

  const double minutes = songSeconds / 60;
  const double base = mpg123.cpuSeconds / minutes;
  std::printf("  %-30s %7.3f CPU-s/min (took %.1f s)\n", "baseline mpg123 -o pulse", base,
              mpg123.wallSeconds);
  for (const auto& [name, run] : {std::pair{"spindeck media player", &ours},
                                  std::pair{"mpg123 -t (decoding only)", &decode}}) {
    const double perMinute = run->cpuSeconds / minutes;
    if (base > 0) {
      std::printf("  %-30s %7.2f x baseline (%.3f CPU-s/min, took %.1f s)\n", name,
                  perMinute / base, perMinute, run->wallSeconds);
    } else {
      std::printf("  %-30s %.3f CPU-s/min, took %.1f s (the baseline used none)\n", name, perMinute,
                  run->wallSeconds);
    }
  }
  return true;
}

bool MeasureFormatPlaybackCpu(const std::string& song, double songSeconds,
                              const std::string& format) {
  std::printf(
      "\nPlayback of %s into a PulseAudio null sink, whole-process CPU seconds per minute of "
      "audio (a %.0f s song):\n",
      format.c_str(), songSeconds);
  if (std::getenv("PULSE_SERVER") == nullptr) {
    std::printf("  not measured: PULSE_SERVER is not set\n");
    return false;
  }
  setenv("SPINDECK_AUDIO", "pulse", 1);
  // Both play at once into the same sink, so that they share the sink's pace and the load of
  // the machine.
  const std::vector<ChildRun> runs =
      RunChildrenTogether({{{SPINDECK_PLAY_HARNESS, song}, ChildOutput::kCapture},
                           {{"paplay", song}, ChildOutput::kKeep}});
  const ChildRun& ours = runs[0];
  const ChildRun& paplay = runs[1];
  bool ok = Ran("baseline paplay", paplay);
  ok = Ran("spindeck media player", ours) && ok;
  if (ours.started && ours.output != "pulse\n") {
    std::printf("  the media player played into \"%s\", not pulse\n", ours.output.c_str());
    ok = false;
  }
  if (!ok) return false;
  const double minutes = songSeconds / 60;
  const double base = paplay.cpuSeconds / minutes;
  const double perMinute = ours.cpuSeconds / minutes;
  std::printf("  %-30s %7.3f CPU-s/min (took %.1f s)\n", "baseline paplay", base,
              paplay.wallSeconds);
  if (base > 0) {
    std::printf("  %-30s %7.2f x baseline (%.3f CPU-s/min, took %.1f s)\n", "spindeck media player",
                perMinute / base, perMinute, ours.wallSeconds);
  } else {
    std::printf("  %-30s %.3f CPU-s/min, took %.1f s (the baseline used none)\n",
                "spindeck media player", perMinute, ours.wallSeconds);
  }
  return true;
}

}  // namespace spindeck::bench
