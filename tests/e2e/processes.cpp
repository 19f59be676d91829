#include "tests/e2e/processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <csignal>

#ifndef AOLSIM_EXE
#define AOLSIM_EXE "aolsim"  // not built yet: the client never becomes ready
#endif

namespace spindeck::e2e {

void Spin(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

AolSim::AolSim(const QString& desktop) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SPINDECK_DESKTOP", desktop);
  process_.setProcessEnvironment(env);
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { ReadEvents(); });
  process_.start(AOLSIM_EXE, {"--script"});
  ready_ = WaitFor([](const Event& e) { return !e.empty() && e[0] == "ready"; }, 10000);
}

AolSim::~AolSim() {
  Kill();
}

void AolSim::Kill() {
  if (process_.state() == QProcess::NotRunning) return;
  ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);
  process_.kill();
  process_.waitForFinished(3000);
}

void AolSim::Command(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  line += "\n";
  process_.write(line.data(), static_cast<qint64>(line.size()));
  process_.waitForBytesWritten(1000);
}

void AolSim::ReadEvents() {
  pending_ += process_.readAllStandardOutput().toStdString();
  std::size_t nl;
  while ((nl = pending_.find('\n')) != std::string::npos) {
    const std::string line = pending_.substr(0, nl);
    pending_.erase(0, nl + 1);
    Event event;
    std::size_t start = 0;
    while (true) {
      const std::size_t tab = line.find('\t', start);
      event.push_back(
          line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    events_.push_back(std::move(event));
  }
}

bool AolSim::WaitFor(const std::function<bool(const Event&)>& test, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (true) {
    ReadEvents();
    while (consumed_ < events_.size()) {
      if (test(events_[consumed_++])) return true;
    }
    if (clock.elapsed() >= timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    process_.waitForReadyRead(10);
  }
}

std::string AolSim::WaitForLine(const std::string& sender, int timeoutMs) {
  std::string text = "<no line>";
  WaitFor(
      [&](const Event& e) {
        if (e.size() >= 4 && e[0] == "line" && e[2] == sender) {
          text = e[3];
          return true;
        }
        return false;
      },
      timeoutMs);
  return text;
}

Spindeck::Spindeck(const QString& desktop, const QString& programFolder,
                   const QProcessEnvironment& extra) {
  QDir().mkpath(programFolder);
  const QString exe = programFolder + "/spindeck";
  QFile::remove(exe);
  QFile::copy(SPINDECK_EXE, exe);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SPINDECK_DESKTOP", desktop);
  env.insert("SPINDECK_AUDIO", "null");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert(extra);
  process_.setProcessEnvironment(env);
  process_.start(exe, {});
  process_.waitForStarted(5000);
}

Spindeck::~Spindeck() {
  Terminate();
}

void Spindeck::Terminate() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}

}  // namespace spindeck::e2e
