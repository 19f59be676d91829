// The benchmarks of whole processes: the media player's and the whole program's playback into
// a PulseAudio null sink against mpg123, playing and streaming to Icecast against ffmpeg and
// mpg123, the program's idle CPU, how fast it answers in the
// chat room, and a room flooded by other chatters. Run by scripts/bench, inside
// scripts/with-pulse.
//   spindeck_cpu_bench [playback] [formats] [idle] [reply] [flood] [program-playback] [stream]
//   (all when none is named)
// SPINDECK_BENCH_SPINDECK and SPINDECK_BENCH_AOLSIM name other executables of the program and
// the chat client for the chat benchmarks, e.g. an older build's; SPINDECK_BENCH_FLOOD_RATES
// other rates for the flood; SPINDECK_BENCH_VERBOSE=1 shows the user's lines of the flood.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/chat_stage.h"
#include "bench/child_process.h"
#include "bench/flood_cpu.h"
#include "bench/idle_cpu.h"
#include "bench/playback_cpu.h"
#include "bench/program_playback_cpu.h"
#include "bench/reply_latency.h"
#include "bench/stream_cpu.h"

namespace {

constexpr double kSongSeconds = 20;
constexpr double kStreamSongSeconds = 30;
constexpr int kIdleWindowSeconds = 20;

bool Wants(int argc, char** argv, const char* what) {
  if (argc < 2) return true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], what) == 0) return true;
  }
  return false;
}

// The flood's rates in lines a second: SPINDECK_BENCH_FLOOD_RATES (e.g. "2000" or
// "500,1000"), or the ladder.
std::vector<int> FloodRates() {
  std::vector<int> rates;
  const char* text = std::getenv("SPINDECK_BENCH_FLOOD_RATES");
  for (const char* p = text; p != nullptr && *p != '\0';) {
    char* end = nullptr;
    const long rate = std::strtol(p, &end, 10);
    if (end == p) break;
    if (rate > 0 && rate <= 100000) rates.push_back(static_cast<int>(rate));
    p = *end == ',' ? end + 1 : end;
  }
  return rates.empty() ? std::vector<int>{500, 1000, 2000} : rates;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as it comes, also into a file
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
  std::printf("Chat benchmarks run %s\n  beside %s\n", spindeck::bench::ProgramExecutable().c_str(),
              spindeck::bench::ClientExecutable().c_str());
  bool ok = true;
  if (Wants(argc, argv, "playback")) {
    ok = spindeck::bench::MeasurePlaybackCpu(song, kSongSeconds) && ok;
  }
  if (Wants(argc, argv, "formats")) {
    // The same song as FLAC and as Opus, made from the MP3's decoded audio.
    const std::string wav = work.filePath("formats.wav").toStdString();
    const std::string flac = work.filePath("bench song.flac").toStdString();
    const std::string opus = work.filePath("bench song.opus").toStdString();
    const bool converted =
        spindeck::bench::RunChild({"mpg123", "-q", "-w", wav, song},
                                  spindeck::bench::ChildOutput::kKeep)
                .exitCode == 0 &&
        spindeck::bench::RunChild({"flac", "--silent", "--force", "-o", flac, wav},
                                  spindeck::bench::ChildOutput::kKeep)
                .exitCode == 0 &&
        spindeck::bench::RunChild({"opusenc", "--quiet", wav, opus},
                                  spindeck::bench::ChildOutput::kKeep)
                .exitCode == 0;
    if (!converted) {
      std::printf("\nPlayback of FLAC and Opus: not measured, the songs could not be made\n");
      ok = false;
    } else {
      ok = spindeck::bench::MeasureFormatPlaybackCpu(flac, kSongSeconds, "FLAC") && ok;
      ok = spindeck::bench::MeasureFormatPlaybackCpu(opus, kSongSeconds, "Opus") && ok;
    }
  }
  if (Wants(argc, argv, "program-playback")) {
    ok = spindeck::bench::MeasureProgramPlaybackCpu(songFolder, song, kSongSeconds) && ok;
  }
  if (Wants(argc, argv, "stream")) {
    ok = spindeck::bench::MeasureStreamCpu(work.path().toStdString(), kStreamSongSeconds) && ok;
  }
  if (Wants(argc, argv, "idle")) {
    ok = spindeck::bench::MeasureIdleCpu(songFolder, kIdleWindowSeconds) && ok;
  }
  if (Wants(argc, argv, "reply")) {
    ok = spindeck::bench::MeasureReplyLatency(songFolder) && ok;
  }
  if (Wants(argc, argv, "flood")) {
    ok = spindeck::bench::MeasureFlood(songFolder, FloodRates()) && ok;
  }
  return ok ? 0 : 1;
}
