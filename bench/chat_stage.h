#pragma once
// The stage of the chat benchmarks: the stand-in chat client in script mode and the program
// side by side on a private desktop, the user "DjSam" signed on in the room "lobby". The
// executables are the ones built beside the bench, or those that SPINDECK_BENCH_SPINDECK and
// SPINDECK_BENCH_AOLSIM name (to measure an older build).
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>

#include "bench/piped_child.h"

namespace spindeck::bench {

// One "line" event of the client.
struct RoomLine {
  std::string sender;
  std::string text;
  Clock::time_point at;
};

inline constexpr char kUser[] = "DjSam";

// Whether the program runs beside the client, the client alone (to tell its own cost), or
// the program alone until AttachClient().
enum class StageCast { kProgramAndClient, kClientAlone, kProgramAlone };

class ChatStage {
 public:
  // `audio` is the program's SPINDECK_AUDIO; `songFolder` goes into its dirs.txt, and
  // `settings`, when given, is its config.dll.
  ChatStage(const std::string& songFolder, const std::string& audio,
            StageCast cast = StageCast::kProgramAndClient, const std::string& settings = {});
  ChatStage(const ChatStage&) = delete;
  ChatStage& operator=(const ChatStage&) = delete;

  // Whether the processes run and the program (when there is one) answers the user; when
  // not, why.
  bool ready() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }

  // Starts the client beside a program that ran alone, and waits for the program to answer
  // in its room; false when it does not (problem() tells why).
  bool AttachClient();
  bool programRunning();

  long programPid() const { return program_ ? program_->pid() : -1; }
  long clientPid() const { return client_ ? client_->pid() : -1; }

  // Queues "say SENDER TEXT" for the client; the time it was queued.
  Clock::time_point Say(const std::string& sender, const std::string& text);
  // Queues one raw script command (with its newline).
  void Command(const std::string& line);
  std::size_t unwritten() const { return client_->unwritten(); }

  // The next line said in a room, waiting up to `until`; other events are passed over.
  std::optional<RoomLine> NextLine(Clock::time_point until);
  // Takes the room's lines until none came for `quietMs` (or `maxMs` passed).
  void DrainUntilQuiet(int quietMs, int maxMs);
  // Says `command` as the user and waits up to `timeoutMs` for the program's answer after the
  // echo; the answer's text, or nothing.
  std::optional<std::string> Ask(const std::string& command, int timeoutMs);

 private:
  bool Start(const std::string& songFolder, const std::string& audio, StageCast cast,
             const std::string& settings);
  bool StartClient();
  bool StartProgram(const std::string& songFolder, const std::string& audio,
                    const std::string& settings);
  // Says the user's command until the program answers it.
  bool AwaitAnswer();

  QTemporaryDir folder_;
  std::unique_ptr<PipedChild> client_;
  std::unique_ptr<PipedChild> program_;
  std::string desktop_;  // "SPINDECK_DESKTOP=socket path", for both
  std::string problem_;
};

// The executables measured, as the environment or the build names them.
// The program's whole-process CPU seconds per second while it plays song 1, told to it here,
// from its start to a second before its end (`songSeconds` long); negative after a line
// saying why it could not be measured.
double ProgramCpuPlayingSongOne(ChatStage& stage, double songSeconds);

std::string ProgramExecutable();
std::string ClientExecutable();

}  // namespace spindeck::bench
