#include "aolsim/quit_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace aolsim {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t writeFd = -1;

void OnSignal(int) {
  const char byte = 1;
  if (writeFd >= 0) [[maybe_unused]]
    auto n = ::write(writeFd, &byte, 1);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0) return;
  writeFd = fds_[1];
  notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitSignals::Drain);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

QuitSignals::~QuitSignals() {
  for (int s : kSignals) std::signal(s, SIG_DFL);
  writeFd = -1;
  notifier_.reset();
  for (int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
}

void QuitSignals::Drain() {
  char buffer[64];
  while (::read(fds_[0], buffer, sizeof buffer) > 0) {
  }
  handler_();
}

}  // namespace aolsim
