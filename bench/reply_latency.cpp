#include "bench/reply_latency.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/chat_stage.h"

namespace spindeck::bench {
namespace {

constexpr int kSamples = 15;
constexpr int kQuietMs = 5000;         // since the room's last line
constexpr int kChatterPeriodMs = 100;  // in the talking room
constexpr int kAnswerTimeoutMs = 5000;
// Goals, in milliseconds.
constexpr double kQuietMedianGoal = 60;
constexpr double kQuietWorstGoal = 150;
constexpr double kTalkingMedianGoal = 30;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Samples {
  std::vector<double> answers;  // command to the program's answer
  std::vector<double> echoes;   // command to the echo of the user's line
  int lost = 0;
};

// Says the command as the user and times the echo and the answer. While it waits, the other
// chatter says a line whenever `nextChatter` is due (never, when it is Clock::time_point::max()).
void Sample(ChatStage& stage, const std::string& command, Clock::time_point& nextChatter,
            int& chatterLines, Samples& samples) {
  const Clock::time_point said = stage.Say(kUser, command);
  const Clock::time_point deadline = said + std::chrono::milliseconds(kAnswerTimeoutMs);
  Clock::time_point echo{};
  while (Clock::now() < deadline) {
    if (Clock::now() >= nextChatter) {
      stage.Say("Ann", "just talking, line " + std::to_string(++chatterLines));
      nextChatter += std::chrono::milliseconds(kChatterPeriodMs);
    }
    const auto line = stage.NextLine(std::min(deadline, nextChatter));
    if (!line || line->sender != kUser) continue;
    if (echo == Clock::time_point{} && line->text == command) {
      echo = line->at;
    } else if (echo != Clock::time_point{}) {
      samples.echoes.push_back(Ms(echo - said));
      samples.answers.push_back(Ms(line->at - said));
      return;
    }
  }
  ++samples.lost;
}

bool Report(const char* room, const Samples& s, double medianGoal, double worstGoal) {
  if (s.answers.empty()) {
    std::printf("  %-13s not measured: no command was answered (%d lost)\n", room, s.lost);
    return false;
  }
  const double median = Median(s.answers);
  const double worst = *std::max_element(s.answers.begin(), s.answers.end());
  const double echo = Median(s.echoes);
  std::printf("  %-13s answer median %6.1f ms, worst %6.1f ms; echo baseline median %5.1f ms", room,
              median, worst, echo);
  // The echo takes a fraction of a millisecond: the difference, not a ratio, is the program's.
  std::printf(" (the program's part: %.1f ms)", median - echo);
  if (s.lost > 0) std::printf("; %d of %d LOST", s.lost, kSamples);
  const bool met = s.lost == 0 && median <= medianGoal && (worstGoal <= 0 || worst <= worstGoal);
  std::printf("\n  %-13s goal: median <= %.0f ms", "", medianGoal);
  if (worstGoal > 0) std::printf(", worst <= %.0f ms", worstGoal);
  std::printf(": %s\n", met ? "met" : "MISSED");
  return true;
}

}  // namespace

bool MeasureReplyLatency(const std::string& songFolder) {
  std::printf(
      "\nReply latency, from the user's command written to the chat client to the program's "
      "answer read back (%d commands, eliteon and eliteoff in turn); baseline the echo of the "
      "user's own line:\n",
      kSamples);
  ChatStage stage(songFolder, "null");
  if (!stage.ready()) {
    std::printf("  not measured: %s\n", stage.problem().c_str());
    return false;
  }
  const char* commands[] = {"eliteon", "eliteoff"};
  int chatterLines = 0;

  Samples quiet;
  Clock::time_point never = Clock::time_point::max();
  for (int i = 0; i < kSamples; ++i) {
    stage.DrainUntilQuiet(kQuietMs, 4 * kQuietMs);  // the room is quiet for 5 s
    Sample(stage, commands[i % 2], never, chatterLines, quiet);
  }
  const bool quietOk = Report("quiet room", quiet, kQuietMedianGoal, kQuietWorstGoal);

  Samples talking;
  stage.Command("join\tAnn\n");
  Clock::time_point nextChatter = Clock::now();
  for (int i = 0; i < kSamples; ++i) {
    // Between commands the chatter goes on; each command falls at another point of its cycle.
    const auto next = Clock::now() + std::chrono::milliseconds(700 + 37 * i);
    while (Clock::now() < next) {
      if (Clock::now() >= nextChatter) {
        stage.Say("Ann", "just talking, line " + std::to_string(++chatterLines));
        nextChatter += std::chrono::milliseconds(kChatterPeriodMs);
      }
      stage.NextLine(std::min(next, nextChatter));
    }
    Sample(stage, commands[i % 2], nextChatter, chatterLines, talking);
  }
  const bool talkingOk = Report("talking room", talking, kTalkingMedianGoal, 0);
  return quietOk && talkingOk;
}

}  // namespace spindeck::bench
