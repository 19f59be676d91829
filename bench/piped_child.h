#pragma once
// A child process for the chat benchmarks: text written to its standard input without ever
// blocking the bench, and its standard output read back line by line, each line with the time
// it arrived. Standard error (and, for a child that is not piped, standard output too) goes to
// a file. The child is ended when this object ends.
#include <sys/types.h>

#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "platform/files/unique_fd.h"

namespace spindeck::bench {

using Clock = std::chrono::steady_clock;

struct TimedLine {
  std::string text;  // without its newline
  Clock::time_point at;
};

enum class ChildPipes { kNone, kStdio };

class PipedChild {
 public:
  // Starts `argv` (the program searched on PATH). Each "NAME=value" of `environment` is added to
  // this process's own environment or replaces the variable there.
  PipedChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             const std::string& logFile, ChildPipes pipes);
  ~PipedChild();
  PipedChild(const PipedChild&) = delete;
  PipedChild& operator=(const PipedChild&) = delete;

  bool started() const { return pid_ > 0; }
  long pid() const { return static_cast<long>(pid_); }
  // Whether it has not ended yet (reaps it when it has).
  bool running();

  // Queues text for its standard input and writes what the pipe takes now; the rest is written
  // while the bench waits for lines.
  void Write(const std::string& text);
  // Bytes queued that the child has not taken yet.
  std::size_t unwritten() const { return input_.size(); }

  // The next whole line of its output, waiting up to `until` (writing queued input meanwhile);
  // false when none came in time or the output ended.
  bool NextLine(TimedLine& line, Clock::time_point until);

  // Ends the child: SIGTERM, and SIGKILL when it has not ended after `graceMs`.
  void Stop(int graceMs);

 private:
  // Waits up to `timeoutMs` for output or room in the input pipe, and moves what it can.
  void Pump(int timeoutMs);
  void ReadOutput();
  void WriteInput();

  pid_t pid_ = -1;
  bool reaped_ = false;
  platform::UniqueFd in_;
  platform::UniqueFd out_;
  std::string input_;
  std::string partial_;
  std::deque<TimedLine> lines_;
};

}  // namespace spindeck::bench
