// The library scan of a full library (32,767 songs in 100 folders) against find(1) listing
// the same tree as a child process; and of 32,767 songs of every format in one folder against
// find(1) listing that folder's files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench/child_process.h"
#include "bench/song_tree.h"
#include "src/music/library.h"
#include "src/state/runtime_state.h"

namespace {

constexpr int kFolders = 100;

const spindeck::bench::SongTree& Library() {
  static const spindeck::bench::SongTree tree(spindeck::kMaxSongs, kFolders);
  return tree;
}

// Every format with its extension in several letter cases.
const spindeck::bench::SongTree& MixedFolder() {
  static const spindeck::bench::SongTree tree(
      spindeck::kMaxSongs, 1, {".mp3", ".flac", ".ogg", ".Opus", ".wav", ".oga", ".FLAC", ".MP3"});
  return tree;
}

void ScanOf(benchmark::State& st, const spindeck::bench::SongTree& tree) {
  if (!tree.valid()) return st.SkipWithError("the song tree could not be made");
  spindeck::RuntimeState state;
  state.programFolder = tree.programFolder();
  for (auto _ : st) {
    spindeck::LibraryScan(state);
    benchmark::DoNotOptimize(state.lstpl.count());
  }
  if (state.lstpl.count() != spindeck::kMaxSongs) {
    st.SkipWithError(("the scan found " + std::to_string(state.lstpl.count()) + " songs").c_str());
  }
}

void LibraryScan(benchmark::State& st) {
  ScanOf(st, Library());
}

void MixedScan(benchmark::State& st) {
  ScanOf(st, MixedFolder());
}

void MixedFindBaseline(benchmark::State& st) {
  if (!MixedFolder().valid()) return st.SkipWithError("the song tree could not be made");
  const std::string folder = (MixedFolder().music() / "Artist 000").string();
  long lines = 0;
  for (auto _ : st) {
    const auto run = spindeck::bench::RunChild({"find", folder, "-maxdepth", "1", "-type", "f"},
                                               spindeck::bench::ChildOutput::kCapture);
    if (run.exitCode != 0) return st.SkipWithError("find failed");
    lines = std::count(run.output.begin(), run.output.end(), '\n');
  }
  if (lines != spindeck::kMaxSongs) {
    st.SkipWithError(("find listed " + std::to_string(lines) + " songs").c_str());
  }
}

void FindBaseline(benchmark::State& st) {
  if (!Library().valid()) return st.SkipWithError("the song tree could not be made");
  const std::string music = Library().music().string();
  long lines = 0;
  for (auto _ : st) {
    const auto run = spindeck::bench::RunChild({"find", music, "-maxdepth", "2", "-name", "*.mp3"},
                                               spindeck::bench::ChildOutput::kCapture);
    if (run.exitCode != 0) return st.SkipWithError("find failed");
    lines = std::count(run.output.begin(), run.output.end(), '\n');
  }
  if (lines != spindeck::kMaxSongs) {
    st.SkipWithError(("find listed " + std::to_string(lines) + " songs").c_str());
  }
}

}  // namespace

BENCHMARK(LibraryScan)->Name("LibraryScan/spindeck")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FindBaseline)
    ->Name("LibraryScan/baseline_find")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(MixedScan)
    ->Name("LibraryScanMixed/spindeck")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(MixedFindBaseline)
    ->Name("LibraryScanMixed/baseline_find")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
