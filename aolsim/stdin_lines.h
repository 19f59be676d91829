#pragma once
// Reads standard input line by line on the event loop and hands each line (UTF-8 converted
// to Windows-1252, without its CR LF) to a handler. The end of the input, or a handler that
// returns false, quits the application.
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <string>

namespace aolsim {

class StdinLines : public QObject {
  Q_OBJECT
 public:
  using Handler = std::function<bool(const std::string& line)>;
  explicit StdinLines(Handler handler, QObject* parent = nullptr);

 private:
  void Read();
  void Finish();

  Handler handler_;
  QSocketNotifier notifier_;
  std::string pending_;
  bool finished_ = false;
};

}  // namespace aolsim
