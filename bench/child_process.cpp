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

ChildRun RunChild(const std::vector<std::string>& argv, ChildOutput output) {
  ChildRun run;
  if (argv.empty()) return run;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  SpawnSetup setup;
  posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  platform::UniqueFd readEnd;
  platform::UniqueFd writeEnd;
  if (output == ChildOutput::kCapture) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return run;
    readEnd = platform::UniqueFd(fds[0]);
    writeEnd = platform::UniqueFd(fds[1]);
    posix_spawn_file_actions_adddup2(setup.actions(), writeEnd.get(), STDOUT_FILENO);
  }

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], setup.actions(), nullptr, args.data(), environ) != 0) {
    return run;
  }
  run.started = true;
  writeEnd.close();
  if (readEnd.valid()) {
    char buffer[65536];
    while (true) {
      const ssize_t n = read(readEnd.get(), buffer, sizeof buffer);
      if (n > 0) {
        run.output.append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        break;
      }
    }
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
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
