#include "aolsim/companion.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <QFileInfo>
#include <csignal>
#include <cstdio>

namespace aolsim {

Companion::Companion(QStringList command, const QString& logFile, QObject* parent)
    : QObject(parent), command_(std::move(command)) {
  process_.setStandardInputFile(QProcess::nullDevice());
  if (logFile.isEmpty()) {
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
  } else {
    process_.setStandardOutputFile(logFile, QIODevice::Append);
    process_.setStandardErrorFile(logFile, QIODevice::Append);
  }
  // A session of its own: the terminal's Ctrl-C and hang-up reach the client alone, which
  // then ends the program once and waits for it. Should the client die without that, the
  // program is told by SIGTERM all the same.
  process_.setChildProcessModifier([] {
    ::setsid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  });
  grace_.setSingleShot(true);
  connect(&grace_, &QTimer::timeout, this, [this] {
    std::fprintf(stderr, "aolsim: %s did not end in time; killed\n", qPrintable(Name()));
    process_.kill();
    if (!process_.waitForFinished(1000)) emit stopped();
  });
  connect(&process_, &QProcess::finished, this, &Companion::Finished);
}

Companion::~Companion() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(1000);
  }
}

QString Companion::Name() const {
  return QFileInfo(command_.first()).fileName();
}

bool Companion::Start() {
  process_.start(command_.first(), command_.mid(1));
  if (process_.waitForStarted(5000)) return true;
  std::fprintf(stderr, "aolsim: cannot start %s: %s\n", qPrintable(command_.first()),
               qPrintable(process_.errorString()));
  return false;
}

void Companion::Stop(int graceMs) {
  if (stopping_) return;
  stopping_ = true;
  if (process_.state() == QProcess::NotRunning) {
    QTimer::singleShot(0, this, &Companion::stopped);
    return;
  }
  process_.terminate();
  grace_.start(graceMs);
}

void Companion::Finished() {
  grace_.stop();
  if (stopping_) {
    emit stopped();
  } else {
    std::fprintf(stderr, "aolsim: %s ended (exit code %d); /quit leaves\n", qPrintable(Name()),
                 process_.exitCode());
  }
}

}  // namespace aolsim
