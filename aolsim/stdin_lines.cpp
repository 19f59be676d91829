#include "aolsim/stdin_lines.h"

#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>

#include "platform/text/cp1252.h"

namespace aolsim {

StdinLines::StdinLines(Handler handler, std::function<void()> onEnd, QObject* parent)
    : QObject(parent),
      handler_(std::move(handler)),
      onEnd_(std::move(onEnd)),
      notifier_(STDIN_FILENO, QSocketNotifier::Read) {
  connect(&notifier_, &QSocketNotifier::activated, this, &StdinLines::Read);
}

void StdinLines::Read() {
  if (finished_) return;
  // One read takes what a busy script wrote meanwhile: hundreds of lines at a time.
  char buffer[65536];
  const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (n <= 0) {
    Finish();  // end of input, or input that cannot be read
    return;
  }
  pending_.append(buffer, static_cast<std::size_t>(n));
  // The lines are taken from the front and the rest kept in one move at the end, not line by
  // line, which would shift the whole of what was read once per line.
  std::size_t start = 0;
  std::size_t newline;
  while (!finished_ && (newline = pending_.find('\n', start)) != std::string::npos) {
    std::string line = pending_.substr(start, newline - start);
    start = newline + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!handler_(platform::Utf8ToCp1252(line))) Finish();
  }
  pending_.erase(0, start);
}

void StdinLines::Finish() {
  finished_ = true;
  notifier_.setEnabled(false);
  if (onEnd_) {
    onEnd_();
  } else {
    QCoreApplication::quit();
  }
}

}  // namespace aolsim
