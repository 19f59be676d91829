// The CPU benchmarks of whole processes: playback into a PulseAudio null sink against mpg123,
// and the program's idle CPU. Run by scripts/bench, inside scripts/with-pulse.
//   spindeck_cpu_bench [playback] [idle]   (both when none is named)
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/child_process.h"
#include "bench/idle_cpu.h"
#include "bench/playback_cpu.h"

namespace {

constexpr double kSongSeconds = 20;
constexpr int kIdleWindowSeconds = 20;

bool Wants(int argc, char** argv, const char* what) {
  if (argc < 2) return true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], what) == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir work;
  const std::string songFolder = work.filePath("songs").toStdString();
  const std::string song = songFolder + "/bench song.mp3";
  const bool made = work.isValid() && QDir().mkpath(QString::fromStdString(songFolder));
  const auto songMade = spindeck::bench::RunChild(
      {SPINDECK_SOURCE_DIR "/scripts/make-test-song", "--seconds",
       std::to_string(static_cast<int>(kSongSeconds)), "--volume", "0.3", song},
      spindeck::bench::ChildOutput::kKeep);
  if (!made || songMade.exitCode != 0) {
    std::fprintf(stderr, "spindeck_cpu_bench: the test song could not be made\n");
    return 1;
  }
  bool ok = true;
  if (Wants(argc, argv, "playback")) {
    ok = spindeck::bench::MeasurePlaybackCpu(song, kSongSeconds) && ok;
  }
  if (Wants(argc, argv, "idle")) {
    ok = spindeck::bench::MeasureIdleCpu(songFolder, kIdleWindowSeconds) && ok;
  }
  return ok ? 0 : 1;
}
