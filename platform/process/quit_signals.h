#pragma once
// The signals that ask a program to end from outside (SIGTERM, SIGINT, SIGHUP), turned into a
// call on the event loop, so that the program can end as if its window had been closed.
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace platform {

class QuitSignals {
 public:
  // From now on the three signals no longer end the process; each one that arrives calls
  // `onSignal` on the event loop (signals arriving before the loop runs are kept until then).
  // One instance at a time per process.
  explicit QuitSignals(std::function<void()> onSignal);
  // Gives the three signals back their default action.
  ~QuitSignals();
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

  // False when the signals could not be caught (no pipe); they then keep their default action.
  bool active() const { return notifier_ != nullptr; }

 private:
  int readEnd_ = -1;
  int writeEnd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void()> onSignal_;
};

}  // namespace platform
