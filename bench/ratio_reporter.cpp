#include "bench/ratio_reporter.h"

#include <cstdio>
#include <utility>

namespace spindeck::bench {
namespace {

// "GROUP/NAME" split at its first slash; a name without one is its own group.
std::pair<std::string, std::string> SplitBenchmarkName(const std::string& full) {
  const std::size_t slash = full.find('/');
  if (slash == std::string::npos) return {full, full};
  return {full.substr(0, slash), full.substr(slash + 1)};
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.run_type != Run::RT_Iteration) continue;
    auto [group, name] = SplitBenchmarkName(run.run_name.function_name);
    Figure figure{group, name,
                  run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit),
                  run.error_occurred ? run.error_message : ""};
    figures_.push_back(std::move(figure));
  }
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  std::printf("\nRatios (real time against the baseline of the same run; lower is faster):\n");
  for (const Figure& baseline : figures_) {
    if (baseline.name.rfind("baseline", 0) != 0) continue;
    for (const Figure& figure : figures_) {
      if (figure.group != baseline.group || &figure == &baseline) continue;
      if (!figure.error.empty() || !baseline.error.empty()) {
        std::printf("  %-12s %-22s not measured: %s\n", figure.group.c_str(), figure.name.c_str(),
                    (figure.error.empty() ? baseline.error : figure.error).c_str());
      } else if (baseline.seconds > 0) {
        std::printf("  %-12s %-22s %8.2f x %s (%.3f ms against %.3f ms)\n", figure.group.c_str(),
                    figure.name.c_str(), figure.seconds / baseline.seconds, baseline.name.c_str(),
                    figure.seconds * 1e3, baseline.seconds * 1e3);
      }
    }
  }
}

}  // namespace spindeck::bench
