#include "bench/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>

#include "platform/files/unique_fd.h"

extern char** environ;

namespace spindeck::bench {
namespace {

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

namespace {

// A started child whose end is still to be waited for.
struct StartedChild {
  ChildRun run;
  pid_t pid = 0;
  platform::UniqueFd output;  // the read end of its standard output, when captured
  std::chrono::steady_clock::time_point start;
};

StartedChild StartChild(const std::vector<std::string>& argv, ChildOutput output) {
  StartedChild child;
  if (argv.empty()) return child;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  SpawnSetup setup;
  posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  platform::UniqueFd writeEnd;
  if (output == ChildOutput::kCapture) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return child;
    child.output = platform::UniqueFd(fds[0]);
    writeEnd = platform::UniqueFd(fds[1]);
    posix_spawn_file_actions_adddup2(setup.actions(), writeEnd.get(), STDOUT_FILENO);
  }
  child.start = std::chrono::steady_clock::now();
  if (posix_spawnp(&child.pid, args[0], setup.actions(), nullptr, args.data(), environ) != 0) {
    child.output.close();
    return child;
  }
  child.run.started = true;
  return child;
}

ChildRun FinishChild(StartedChild child) {
  if (!child.run.started) return child.run;
  ChildRun& run = child.run;
  if (child.output.valid()) {
    char buffer[65536];
    while (true) {
      const ssize_t n = read(child.output.get(), buffer, sizeof buffer);
      if (n > 0) {
        run.output.append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        break;
      }
    }
  }
  int status = 0;
  rusage usage{};
  while (wait4(child.pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  run.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - child.start).count();
  run.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& argv, ChildOutput output) {
  return FinishChild(StartChild(argv, output));
}

std::vector<ChildRun> RunChildrenTogether(
    const std::vector<std::pair<std::vector<std::string>, ChildOutput>>& children) {
  std::vector<StartedChild> started;
  for (const auto& [argv, output] : children) started.push_back(StartChild(argv, output));
  std::vector<ChildRun> runs;
  for (StartedChild& child : started) runs.push_back(FinishChild(std::move(child)));
  return runs;
}

double ProcessCpuSeconds(long pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(file, line)) return -1;
  // The command name in parentheses may hold blanks: the fields are counted after its end.
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(line.substr(close + 1));
  // Fields 3..13 come before utime (14) and stime (15).
  std::string skipped;
  for (int i = 3; i <= 13; ++i) fields >> skipped;
  unsigned long long utime = 0;
  unsigned long long stime = 0;
  if (!(fields >> utime >> stime)) return -1;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace spindeck::bench
