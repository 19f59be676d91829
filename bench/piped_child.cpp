#include "bench/piped_child.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#include "bench/child_process.h"

extern char** environ;

namespace spindeck::bench {
namespace {

// This process's environment with `changes` ("NAME=value") added or replacing.
std::vector<std::string> Environment(const std::vector<std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& change : changes) {
      replaced = replaced || change.substr(0, change.find('=')) == name;
    }
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), changes.begin(), changes.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& t : texts) pointers.push_back(t.data());
  pointers.push_back(nullptr);
  return pointers;
}

bool MakePipe(platform::UniqueFd& readEnd, platform::UniqueFd& writeEnd) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  readEnd = platform::UniqueFd(fds[0]);
  writeEnd = platform::UniqueFd(fds[1]);
  return true;
}

}  // namespace

PipedChild::PipedChild(const std::vector<std::string>& argv,
                       const std::vector<std::string>& environment, const std::string& logFile,
                       ChildPipes pipes) {
  if (argv.empty()) return;
  std::vector<std::string> args = argv;
  std::vector<std::string> env = Environment(environment);
  SpawnSetup setup;
  platform::UniqueFd childIn;
  platform::UniqueFd childOut;
  const int logFlags = O_WRONLY | O_CREAT | O_APPEND;
  if (pipes == ChildPipes::kStdio) {
    if (!MakePipe(childIn, in_) || !MakePipe(out_, childOut)) return;
    fcntl(in_.get(), F_SETFL, O_NONBLOCK);
    fcntl(out_.get(), F_SETFL, O_NONBLOCK);
    posix_spawn_file_actions_adddup2(setup.actions(), childIn.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(setup.actions(), childOut.get(), STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(setup.actions(), STDOUT_FILENO, logFile.c_str(), logFlags,
                                     0600);
  }
  posix_spawn_file_actions_addopen(setup.actions(), STDERR_FILENO, logFile.c_str(), logFlags, 0600);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0].c_str(), setup.actions(), nullptr, Pointers(args).data(),
                   Pointers(env).data()) == 0) {
    pid_ = pid;
  }
}

PipedChild::~PipedChild() {
  Stop(3000);
}

bool PipedChild::running() {
  if (pid_ <= 0 || reaped_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

void PipedChild::Stop(int graceMs) {
  if (!running()) return;
  in_.close();  // a client in script mode ends at the end of its input
  kill(pid_, SIGTERM);
  const auto deadline = Clock::now() + std::chrono::milliseconds(graceMs);
  // Polled: a process's end is only observable through waitpid, and the wait is bounded.
  while (running() && Clock::now() < deadline) {
    ReadOutput();  // a child blocked on a full output pipe must get to its end
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (running()) {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
  }
}

void PipedChild::Write(const std::string& text) {
  input_ += text;
  WriteInput();
}

void PipedChild::WriteInput() {
  while (!input_.empty() && in_.valid()) {
    const ssize_t n = write(in_.get(), input_.data(), input_.size());
    if (n > 0) {
      input_.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // the pipe is full (or broken): the rest waits
    }
  }
}

void PipedChild::ReadOutput() {
  if (!out_.valid()) return;
  char buffer[65536];
  while (true) {
    const ssize_t n = read(out_.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) out_.close();
    if (n <= 0) break;
    const auto now = Clock::now();
    partial_.append(buffer, static_cast<std::size_t>(n));
    std::size_t start = 0;
    std::size_t newline;
    while ((newline = partial_.find('\n', start)) != std::string::npos) {
      lines_.push_back({partial_.substr(start, newline - start), now});
      start = newline + 1;
    }
    partial_.erase(0, start);
  }
}

void PipedChild::Pump(int timeoutMs) {
  pollfd fds[2] = {};
  nfds_t count = 0;
  if (out_.valid()) fds[count++] = {out_.get(), POLLIN, 0};
  if (in_.valid() && !input_.empty()) fds[count++] = {in_.get(), POLLOUT, 0};
  if (count == 0) return;
  if (poll(fds, count, timeoutMs) <= 0) return;
  ReadOutput();
  WriteInput();
}

bool PipedChild::NextLine(TimedLine& line, Clock::time_point until) {
  while (lines_.empty()) {
    ReadOutput();
    if (!lines_.empty()) break;
    if (!out_.valid()) return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return false;
    Pump(static_cast<int>(left));
  }
  line = std::move(lines_.front());
  lines_.pop_front();
  return true;
}

}  // namespace spindeck::bench
