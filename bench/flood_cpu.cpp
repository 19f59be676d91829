#include "bench/flood_cpu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/chat_stage.h"
#include "bench/child_process.h"

namespace spindeck::bench {
namespace {

constexpr int kFloodMs = 10000;
constexpr int kTickMs = 10;  // the lines of one tick are written at once
constexpr int kCommands = 40;
constexpr int kAnswerGraceMs = 10000;  // after the flood, for answers still on their way
constexpr double kCpuGoalPercent = 50;

struct FloodResult {
  int answered = 0;
  double programPercent = -1;
  double clientPercent = -1;
  double worstEchoMs = 0;  // how far the client fell behind: a command to its echo
  std::size_t mostUnwritten = 0;
};

double Share(double before, double after, Clock::duration wall) {
  if (before < 0 || after < 0) return -1;
  return (after - before) / std::chrono::duration<double>(wall).count() * 100;
}

// Floods the room with the user's commands among the lines; waits for the answers when a
// program is there to give them.
FloodResult Flood(ChatStage& stage, int rate, bool answers) {
  FloodResult result;
  stage.Command("join\tAnn\njoin\tBob\n");
  stage.DrainUntilQuiet(500, 2000);
  const char* commands[] = {"eliteon", "eliteoff"};
  const char* chatters[] = {"Ann", "Bob"};
  std::vector<Clock::time_point> commandSaid;
  int echoes = 0;
  long linesSaid = 0;
  const bool verbose = std::getenv("SPINDECK_BENCH_VERBOSE") != nullptr;
  auto take = [&](Clock::time_point until) {
    while (const auto line = stage.NextLine(until)) {
      if (line->sender != kUser) continue;
      if (verbose) std::fprintf(stderr, "flood: %s\n", line->text.c_str());
      const bool echo =
          echoes < static_cast<int>(commandSaid.size()) && line->text == commands[echoes % 2];
      if (echo) {
        const double ms =
            std::chrono::duration<double, std::milli>(line->at - commandSaid[echoes]).count();
        result.worstEchoMs = std::max(result.worstEchoMs, ms);
        ++echoes;
      } else {
        ++result.answered;
      }
    }
  };

  const double program0 = ProcessCpuSeconds(stage.programPid());
  const double client0 = ProcessCpuSeconds(stage.clientPid());
  const Clock::time_point start = Clock::now();
  const auto flood = std::chrono::milliseconds(kFloodMs);
  for (auto tick = start; tick < start + flood; tick += std::chrono::milliseconds(kTickMs)) {
    take(tick);  // reads the client's output until the tick is due
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::string batch;
    const long due =
        std::min(static_cast<long>(elapsed * rate), static_cast<long>(rate) * kFloodMs / 1000);
    for (; linesSaid < due; ++linesSaid) {
      batch += "say\t";
      batch += chatters[linesSaid % 2];
      batch += "\tflood line " + std::to_string(linesSaid) + " of the room, just talking\n";
    }
    // The commands fall evenly over the flood, in the middle of their slots.
    const int commandsDue = std::min(
        kCommands,
        static_cast<int>((elapsed * 1000 + kFloodMs / kCommands / 2) * kCommands / kFloodMs));
    const bool command = static_cast<int>(commandSaid.size()) < commandsDue;
    if (command)
      batch += std::string("say\t") + kUser + "\t" + commands[commandSaid.size() % 2] + "\n";
    stage.Command(batch);
    if (command) commandSaid.push_back(Clock::now());
    result.mostUnwritten = std::max(result.mostUnwritten, stage.unwritten());
  }
  const Clock::duration wall = Clock::now() - start;
  result.programPercent = Share(program0, ProcessCpuSeconds(stage.programPid()), wall);
  result.clientPercent = Share(client0, ProcessCpuSeconds(stage.clientPid()), wall);

  const auto graceEnd = Clock::now() + std::chrono::milliseconds(kAnswerGraceMs);
  while (answers && result.answered < kCommands && Clock::now() < graceEnd) take(graceEnd);
  stage.DrainUntilQuiet(300, 1000);
  return result;
}

}  // namespace

bool MeasureFlood(const std::string& songFolder, const std::vector<int>& linesPerSecond) {
  std::printf(
      "\nFlood: two chatters at N lines/s for %d s with %d of the user's commands among them; "
      "CPU as %% of a core over the flood (goal: every command answered, each process <= %.0f "
      "%%):\n",
      kFloodMs / 1000, kCommands, kCpuGoalPercent);
  bool ok = true;
  for (int rate : linesPerSecond) {
    // The client's own cost, without the program's calls: the baseline of its share below.
    ChatStage alone(songFolder, "null", StageCast::kClientAlone);
    const FloodResult a = alone.ready() ? Flood(alone, rate, false) : FloodResult{};
    ChatStage stage(songFolder, "null");
    if (!stage.ready()) {
      std::printf("  %5d lines/s: not measured: %s\n", rate, stage.problem().c_str());
      ok = false;
      continue;
    }
    const FloodResult r = Flood(stage, rate, true);
    const bool met = r.answered >= kCommands && r.programPercent <= kCpuGoalPercent &&
                     r.clientPercent <= kCpuGoalPercent && r.programPercent >= 0 &&
                     r.clientPercent >= 0;
    std::printf(
        "  %5d lines/s: %2d of %d answered; spindeck %5.1f %%, aolsim %5.1f %% of a core; "
        "client behind its input by up to %.0f ms%s: %s\n",
        rate, r.answered, kCommands, r.programPercent, r.clientPercent, r.worstEchoMs,
        r.mostUnwritten > 0 ? " (its input pipe was full)" : "", met ? "met" : "MISSED");
    std::printf(
        "  %5s          the client alone (no program): %5.1f %% of a core, behind by up to "
        "%.0f ms%s\n",
        "", a.clientPercent, a.worstEchoMs, a.mostUnwritten > 0 ? " (input pipe full)" : "");
  }
  return ok;
}

}  // namespace spindeck::bench
