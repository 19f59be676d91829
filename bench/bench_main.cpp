// The benchmarks' entry point: a Qt application exists throughout, as in the program, since
// the runtime state holds Qt objects; the report ends with the ratios against the baselines.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdlib>

#include "bench/ratio_reporter.h"

int main(int argc, char** argv) {
  // The state's player stays silent, and nothing reaches a sound server.
  setenv("SPINDECK_AUDIO", "null", 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  QCoreApplication app(argc, argv);
  spindeck::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
