// Opening a song: a one-hour 320 kbit/s MP3 (144 MB) against a two-second one of the same
// kind, neither with a header that counts its frames. Open reads only the start of a file, so
// the ratio stays near 1 whatever the length (goal: at most 2).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/child_process.h"
#include "platform/mediaplayer/media_player.h"

namespace {

namespace fs = std::filesystem;

// Encodes `seconds` of a tone at 320 kbit/s without a Xing/Info frame.
bool Encode(const fs::path& out, int seconds) {
  const std::string command =
      "sox -V1 -R -n -q -r 44100 -c 2 -b 16 -t wav - synth " + std::to_string(seconds) +
      " sine 440 vol 0.3 | lame --quiet -t --cbr -b 320 - '" + out.string() + "'";
  return spindeck::bench::RunChild({"sh", "-c", command}, spindeck::bench::ChildOutput::kKeep)
             .exitCode == 0;
}

// The songs, made once and kept in the build folder: the hour is a ten-second piece 360 times.
struct Songs {
  fs::path shortSong;
  fs::path hourSong;
  bool valid = false;

  Songs() {
    const fs::path folder = fs::path(SPINDECK_BENCH_CACHE) / "media-open";
    shortSong = folder / "two-seconds-320k.mp3";
    hourSong = folder / "one-hour-320k.mp3";
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::exists(shortSong) && !Encode(shortSong, 2)) return;
    if (!fs::exists(hourSong)) {
      const fs::path piece = folder / "piece.mp3";
      const fs::path partial = folder / "one-hour-320k.mp3.part";
      if (!Encode(piece, 10)) return;
      std::ifstream in(piece, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), {});
      std::ofstream hour(partial, std::ios::binary | std::ios::trunc);
      for (int i = 0; i < 360; ++i) hour.write(bytes.data(), static_cast<long>(bytes.size()));
      hour.close();
      if (!hour) return;
      fs::rename(partial, hourSong, error);
      fs::remove(piece, error);
      if (error) return;
    }
    valid = true;
  }
};

const Songs& TheSongs() {
  static const Songs songs;
  return songs;
}

void OpenSong(benchmark::State& st, const fs::path& song) {
  if (!TheSongs().valid) return st.SkipWithError("the songs could not be made (sox, lame)");
  platform::MediaPlayer player;
  const std::string path = song.string();
  for (auto _ : st) {
    player.Open(path);
    if (player.FileName() != path) return st.SkipWithError("the song did not open");
  }
}

void OpenHour(benchmark::State& st) {
  OpenSong(st, TheSongs().hourSong);
}

void OpenTwoSeconds(benchmark::State& st) {
  OpenSong(st, TheSongs().shortSong);
}

}  // namespace

BENCHMARK(OpenHour)->Name("MediaOpen/one_hour_320k")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenTwoSeconds)
    ->Name("MediaOpen/baseline_two_seconds")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
