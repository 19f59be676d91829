// Matching a text against a full playlist (32,767 entries) against the plainest possible
// search: std::string::find over the same entries already in lower case.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "src/music/library.h"
#include "src/music/matching.h"
#include "src/state/runtime_state.h"

namespace {

// Upper case, so that the text has to be lowered too; one artist in 40 carries it.
const std::string kText = "MADONNA";
const std::string kLowerText = "madonna";

// The playlist entry and full path of song `i`: "00042. artist - title" as the scan lists
// them (lower case, some Windows-1252 letters), the path in its case on disk.
std::pair<std::string, std::string> Song(int i) {
  static const char* const kArtists[] = {"madonna", "the beatles",  "caf\xE9 tacuba",
                                         "abba",    "led zeppelin", "sigur r\xF3s",
                                         "queen",   "nirvana"};
  const char* artist = i % 40 == 0 ? kArtists[0] : kArtists[1 + i % 7];
  char entry[96];
  std::snprintf(entry, sizeof entry, "%05d. %s - song title %d", i + 1, artist, i);
  char path[128];
  std::snprintf(path, sizeof path, "/home/dj/Music/Folder %03d/%s - Song Title %d.mp3", i % 100,
                artist, i);
  return {entry, path};
}

void FindMatches(benchmark::State& st) {
  spindeck::RuntimeState state;
  for (int i = 0; i < spindeck::kMaxSongs; ++i) {
    auto [entry, path] = Song(i);
    state.lstpl.append(entry);
    state.lstmultidir.append(path);
  }
  for (auto _ : st) {
    spindeck::FindMatches(state, kText);
    benchmark::DoNotOptimize(state.lstfound1.count());
  }
  if (state.lstfound1.count() == 0) st.SkipWithError("nothing matched");
  st.counters["found"] = state.lstfound1.count();
}

void FindLoopBaseline(benchmark::State& st) {
  std::vector<std::string> entries;
  for (int i = 0; i < spindeck::kMaxSongs; ++i) entries.push_back(Song(i).first);
  long found = 0;
  for (auto _ : st) {
    found = 0;
    for (const std::string& entry : entries) {
      if (entry.find(kLowerText) != std::string::npos) ++found;
    }
    benchmark::DoNotOptimize(found);
  }
  st.counters["found"] = static_cast<double>(found);
}

}  // namespace

BENCHMARK(FindMatches)->Name("Matching/spindeck")->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FindLoopBaseline)
    ->Name("Matching/baseline_find_loop")
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
