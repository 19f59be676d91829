#pragma once
// Child processes for the benchmarks: run a program to its end and learn what it cost, or read
// what a running process has cost so far.
#include <spawn.h>

#include <string>
#include <utility>
#include <vector>

namespace spindeck::bench {

struct ChildRun {
  bool started = false;
  int exitCode = -1;       // -1 when it did not end by itself (a signal, or it never started)
  double cpuSeconds = 0;   // user + system time of the child, all its threads
  double wallSeconds = 0;  // from the start to the end
  std::string output;      // its standard output, when asked for
};

// posix_spawn's file-action object, destroyed at the end of the scope.
class SpawnSetup {
 public:
  SpawnSetup() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnSetup() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  posix_spawn_file_actions_t* actions() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

enum class ChildOutput { kKeep, kCapture };

// Runs `argv` (the program searched on PATH) with standard input from /dev/null and waits for
// its end. Standard output is captured through a pipe or left as this process's.
ChildRun RunChild(const std::vector<std::string>& argv, ChildOutput output);

// Runs the programs side by side, all started before any is waited for, so that they share one
// window of time (and the same load of the machine); each as RunChild runs it.
std::vector<ChildRun> RunChildrenTogether(
    const std::vector<std::pair<std::vector<std::string>, ChildOutput>>& children);

// The user + system CPU seconds that a running process (all its threads, living and ended)
// has used so far, from /proc/<pid>/stat; negative when that cannot be read.
double ProcessCpuSeconds(long pid);

}  // namespace spindeck::bench
