#pragma once
// Turns SIGINT, SIGTERM and SIGHUP (Ctrl-C, kill, a closed terminal) into a call on the event
// loop, so the client can end its companion before it goes. One instance at a time; its end
// gives the signals their default actions back.
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace aolsim {

class QuitSignals : public QObject {
  Q_OBJECT
 public:
  explicit QuitSignals(std::function<void()> handler, QObject* parent = nullptr);
  ~QuitSignals() override;

 private:
  void Drain();

  std::function<void()> handler_;
  int fds_[2] = {-1, -1};  // written by the signal handler, read on the event loop
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace aolsim
