#pragma once
// A program run beside the client (the jukebox, in the demo). It is started once the desktop
// is served and ends with the client: Stop() sends it SIGTERM and waits, while the client
// goes on serving its windows and showing lines, until it exits or the grace time has passed;
// then it is killed. stopped() follows either way.
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

namespace aolsim {

class Companion : public QObject {
  Q_OBJECT
 public:
  // command: the program and its arguments. Its output goes to logFile when one is given
  // (appended), else where the client's own goes; its standard input is empty.
  Companion(QStringList command, const QString& logFile, QObject* parent = nullptr);
  ~Companion() override;

  // False, with the reason on standard error, when the program cannot be started.
  bool Start();
  // Asks the program to end. Later calls change nothing.
  void Stop(int graceMs = 5000);

 signals:
  void stopped();

 private:
  void Finished();
  QString Name() const;  // the program's file name, for messages

  QStringList command_;
  QProcess process_;
  QTimer grace_;
  bool stopping_ = false;
};

}  // namespace aolsim
