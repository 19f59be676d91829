#include "platform/process/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace platform {
namespace {

constexpr std::array kQuitSignals = {SIGTERM, SIGINT, SIGHUP};

// A signal handler has no way to reach an object, so the pipe's write end is the one piece of
// state it sees; only write(2), which is async-signal-safe, touches it.
volatile std::sig_atomic_t signalPipe = -1;

void NoteSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up; losing this byte loses nothing.
  [[maybe_unused]] const auto written = ::write(signalPipe, &byte, 1);
  errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_ = fds[0];
  writeEnd_ = fds[1];
  signalPipe = writeEnd_;
  notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    char bytes[64];
    bool any = false;
    while (::read(readEnd_, bytes, sizeof bytes) > 0) any = true;
    if (any && onSignal_) onSignal_();
  });
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kQuitSignals) ::sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals() {
  if (notifier_ == nullptr) return;
  for (const int signal : kQuitSignals) std::signal(signal, SIG_DFL);
  signalPipe = -1;
  notifier_.reset();
  ::close(readEnd_);
  ::close(writeEnd_);
}

}  // namespace platform
