#pragma once
// The console report of Google Benchmark, followed by each figure as a ratio against the
// baseline measured beside it in the same run. Benchmarks are named "GROUP/NAME"; in each
// group the one whose NAME begins with "baseline" is the yardstick of the others.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace spindeck::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  struct Figure {
    std::string group;
    std::string name;
    double seconds = 0;  // real time of one iteration
    std::string error;
  };
  std::vector<Figure> figures_;
};

}  // namespace spindeck::bench
