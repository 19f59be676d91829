#include "bench/chat_stage.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/child_process.h"

namespace spindeck::bench {
namespace {

std::string FromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

Clock::time_point After(int ms) {
  return Clock::now() + std::chrono::milliseconds(ms);
}

}  // namespace

std::string ProgramExecutable() {
  return FromEnvironment("SPINDECK_BENCH_SPINDECK", SPINDECK_EXE);
}

std::string ClientExecutable() {
  return FromEnvironment("SPINDECK_BENCH_AOLSIM", AOLSIM_EXE);
}

ChatStage::ChatStage(const std::string& songFolder, const std::string& audio, StageCast cast,
                     const std::string& settings) {
  if (!Start(songFolder, audio, cast, settings) && problem_.empty()) {
    problem_ = "it could not be set up";
  }
}

bool ChatStage::Start(const std::string& songFolder, const std::string& audio, StageCast cast,
                      const std::string& settings) {
  if (!folder_.isValid()) return false;
  const std::filesystem::path root = folder_.path().toStdString();
  desktop_ = "SPINDECK_DESKTOP=" + (root / "desktop" / "socket").string();
  if (cast != StageCast::kProgramAlone && !StartClient()) return false;
  if (cast == StageCast::kClientAlone) return true;
  if (!StartProgram(songFolder, audio, settings)) return false;
  return cast == StageCast::kProgramAlone || AwaitAnswer();
}

bool ChatStage::AttachClient() {
  if (client_) return ready();
  if (!StartClient() || !AwaitAnswer()) return false;
  return true;
}

bool ChatStage::StartClient() {
  const std::filesystem::path root = folder_.path().toStdString();
  client_ = std::make_unique<PipedChild>(std::vector<std::string>{ClientExecutable(), "--script"},
                                         std::vector<std::string>{desktop_},
                                         (root / "aolsim.log").string(), ChildPipes::kStdio);
  TimedLine first;
  if (!client_->started() || !client_->NextLine(first, After(10000)) || first.text != "ready") {
    problem_ = "the chat client (" + ClientExecutable() + ") did not start";
    return false;
  }
  Command("signon\tDjSam\nroom\tlobby\n");
  return true;
}

bool ChatStage::StartProgram(const std::string& songFolder, const std::string& audio,
                             const std::string& settings) {
  namespace fs = std::filesystem;
  // The program runs from a program folder of its own, which holds its dirs.txt.
  const fs::path root = folder_.path().toStdString();
  const fs::path programFolder = root / "program";
  std::error_code error;
  fs::create_directories(programFolder, error);
  const fs::path exe = programFolder / "spindeck";
  fs::copy_file(ProgramExecutable(), exe, error);
  std::ofstream(programFolder / "dirs.txt", std::ios::binary) << songFolder << "\r\n";
  if (!settings.empty()) std::ofstream(programFolder / "config.dll", std::ios::binary) << settings;
  program_ = std::make_unique<PipedChild>(
      std::vector<std::string>{exe.string()},
      std::vector<std::string>{desktop_, "SPINDECK_AUDIO=" + audio, "QT_QPA_PLATFORM=offscreen"},
      (root / "spindeck.log").string(), ChildPipes::kNone);
  if (!program_->started()) {
    problem_ = "the program (" + ProgramExecutable() + ") did not start";
    return false;
  }
  return true;
}

bool ChatStage::AwaitAnswer() {
  // The program finds the client on its own time: the user asks until it answers.
  const auto deadline = After(30000);
  while (Clock::now() < deadline) {
    // Its greeting may come first; the answer to the command is the sign. The elite letters
    // stay off, so that every answer reads as plain words.
    const auto answer = Ask("eliteoff", 2000);
    if (answer && answer->find("elite") != std::string::npos) {
      DrainUntilQuiet(1000, 5000);  // whatever else it says at its start
      return true;
    }
    if (!program_->running()) break;
  }
  problem_ = "the program did not answer in the room";
  return false;
}

bool ChatStage::programRunning() {
  return program_ && program_->running();
}

Clock::time_point ChatStage::Say(const std::string& sender, const std::string& text) {
  client_->Write("say\t" + sender + "\t" + text + "\n");
  return Clock::now();
}

void ChatStage::Command(const std::string& line) {
  client_->Write(line);
}

std::optional<RoomLine> ChatStage::NextLine(Clock::time_point until) {
  TimedLine event;
  while (client_->NextLine(event, until)) {
    // "line ROOM SENDER TEXT"; the text may hold tabs of its own.
    if (event.text.rfind("line\t", 0) != 0) continue;
    const std::size_t room = event.text.find('\t', 5);
    if (room == std::string::npos) continue;
    const std::size_t sender = event.text.find('\t', room + 1);
    if (sender == std::string::npos) continue;
    return RoomLine{event.text.substr(room + 1, sender - room - 1), event.text.substr(sender + 1),
                    event.at};
  }
  return std::nullopt;
}

void ChatStage::DrainUntilQuiet(int quietMs, int maxMs) {
  const auto end = After(maxMs);
  while (Clock::now() < end && NextLine(std::min(end, After(quietMs)))) {
  }
}

std::optional<std::string> ChatStage::Ask(const std::string& command, int timeoutMs) {
  Say(kUser, command);
  const auto deadline = After(timeoutMs);
  bool echoed = false;
  while (const auto line = NextLine(deadline)) {
    if (line->sender != kUser) continue;
    if (!echoed && line->text == command) {
      echoed = true;
    } else if (echoed) {
      return line->text;
    }
  }
  return std::nullopt;
}

double ProgramCpuPlayingSongOne(ChatStage& stage, double songSeconds) {
  // The window ends this long before the song would, so that it holds playback only.
  constexpr double kEndMarginSeconds = 1;
  const auto playing = stage.Ask("p 1", 10000);
  if (!playing || playing->find("playing") == std::string::npos) {
    std::printf("  not measured: the program did not play song 1 (%s)\n",
                playing ? playing->c_str() : "no answer");
    return -1;
  }
  const double cpu0 = ProcessCpuSeconds(stage.programPid());
  const Clock::time_point start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(songSeconds - kEndMarginSeconds));
  while (Clock::now() < end) stage.NextLine(end);
  const double cpu1 = ProcessCpuSeconds(stage.programPid());
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  if (cpu0 < 0 || cpu1 < 0) {
    std::printf("  not measured: the program ended\n");
    return -1;
  }
  return (cpu1 - cpu0) / wall;
}

}  // namespace spindeck::bench
