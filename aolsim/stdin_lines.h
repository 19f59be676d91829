#pragma once
// Reads standard input line by line on the event loop and hands each line (UTF-8 converted
// to Windows-1252, without its CR LF) to a handler. The end of the input, or a handler that
// returns false, calls the end handler (by default: quit the application) once.
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <string>

namespace aolsim {

class StdinLines : public QObject {
  Q_OBJECT
 public:
  using Handler = std::function<bool(const std::string& line)>;
  explicit StdinLines(Handler handler, std::function<void()> onEnd = {}, QObject* parent = nullptr);

 private:
  void Read();
  void Finish();

  Handler handler_;
  std::function<void()> onEnd_;
  QSocketNotifier notifier_;
  std::string pending_;
  bool finished_ = false;
};

}  // namespace aolsim
