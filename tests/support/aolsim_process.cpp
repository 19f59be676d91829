#include "tests/support/aolsim_process.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcessEnvironment>
#include <QTimer>
#include <csignal>
#include <cstdlib>

#include "tests/support/process_exit.h"

#ifndef AOLSIM_EXE
#define AOLSIM_EXE "aolsim"  // not built: the client never becomes ready
#endif

namespace spindeck::testing {
namespace {

constexpr int kClientStartMs = 10000;

AolsimEvent SplitTabs(const std::string& line) {
  AolsimEvent fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

bool SystemLineHolding(const AolsimEvent& e, const std::string& piece) {
  return e.size() >= 4 && e[0] == "line" && e[2] == "OnlineHost" &&
         e[3].find(piece) != std::string::npos;
}

AolsimProcess::AolsimProcess(const QStringList& extraArgs, const QString& desktop) {
  QString socket = desktop;
  if (socket.isEmpty()) {
    privateDesktop_ = std::make_unique<QTemporaryDir>();
    socket = privateDesktop_->filePath("desktop");
    setenv("SPINDECK_DESKTOP", socket.toUtf8().constData(), 1);
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SPINDECK_DESKTOP", socket);
  AbortOnSanitizerReport(env);
  process_.setProcessEnvironment(env);
  QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                   [this] { errors_ += process_.readAllStandardError().toStdString(); });
  process_.start(AOLSIM_EXE, QStringList{"--script"} + extraArgs);
  started_ = process_.waitForStarted(kClientStartMs) && NextEvent(kClientStartMs) == "ready";
}

AolsimProcess::~AolsimProcess() {
  End();
  if (!reported_) ShowWhenFailed("aolsim", errors());
}

const std::string& AolsimProcess::errors() {
  errors_ += process_.readAllStandardError().toStdString();
  return errors_;
}

void AolsimProcess::End() {
  if (process_.state() != QProcess::NotRunning) {
    ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);  // a stopped client ends too
    CloseInput();
    // On a network the client sends what is still waiting first, for up to 10 s.
    if (!WaitForEnd(process_, 15000)) {
      Kill();
      reported_ = true;
      ADD_FAILURE() << "aolsim did not end within 15 s of the end of its input and was killed\n"
                    << errors();
      return;
    }
  }
  CheckEnd();
}

void AolsimProcess::CheckEnd() {
  if (checked_) return;
  checked_ = true;
  reported_ = !CheckExit("aolsim", process_, errors());
}

void AolsimProcess::Command(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += fields[i];
  }
  line += '\n';
  process_.write(line.data(), static_cast<qint64>(line.size()));
  process_.waitForBytesWritten(1000);
}

void AolsimProcess::ReadEvents() {
  partial_ += process_.readAllStandardOutput().toStdString();
  std::size_t newline;
  while ((newline = partial_.find('\n')) != std::string::npos) {
    lines_.push_back(partial_.substr(0, newline));
    partial_.erase(0, newline + 1);
    events_.push_back(SplitTabs(lines_.back()));
  }
}

bool AolsimProcess::AwaitOutput(int remainingMs) {
  if (process_.bytesAvailable() > 0) return true;
  if (remainingMs <= 0 || process_.state() == QProcess::NotRunning) return false;
  // An event loop of its own rather than waitForReadyRead, so that the output of other
  // processes (the program) is drained meanwhile and their pipes never fill.
  QEventLoop loop;
  QObject::connect(&process_, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
  QObject::connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit);
  QTimer::singleShot(remainingMs, &loop, &QEventLoop::quit);
  loop.exec();
  return true;
}

std::string AolsimProcess::NextEvent(int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (true) {
    ReadEvents();
    if (taken_ < lines_.size()) return lines_[taken_++];
    if (!AwaitOutput(static_cast<int>(deadline.remainingTime()))) return "";
  }
}

bool AolsimProcess::WaitFor(const std::function<bool(const AolsimEvent&)>& test, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (true) {
    ReadEvents();
    while (taken_ < events_.size()) {
      if (test(events_[taken_++])) return true;
    }
    if (!AwaitOutput(static_cast<int>(deadline.remainingTime()))) return false;
  }
}

std::string AolsimProcess::WaitForLine(const std::string& sender, int timeoutMs) {
  std::string text = "<no line>";
  WaitFor(
      [&](const AolsimEvent& e) {
        if (e.size() >= 4 && e[0] == "line" && e[2] == sender) {
          text = e[3];
          return true;
        }
        return false;
      },
      timeoutMs);
  return text;
}

std::vector<std::string> AolsimProcess::Sync(int timeoutMs) {
  // A mark of its own, so that the echo of an earlier sync that timed out is not taken for it.
  const std::string mark = "sync " + std::to_string(++echoes_);
  Command({"echo", mark});
  const std::string expected = "echo\t" + mark;
  const QDeadlineTimer deadline(timeoutMs);
  std::vector<std::string> taken;
  while (true) {
    const std::string event = NextEvent(static_cast<int>(deadline.remainingTime()));
    if (event.empty() || event == expected) return taken;
    taken.push_back(event);
  }
}

void AolsimProcess::CloseInput() {
  process_.closeWriteChannel();
}

int AolsimProcess::CloseInputAndWait() {
  CloseInput();
  return WaitForExit(5000);
}

int AolsimProcess::WaitForExit(int timeoutMs) {
  if (process_.error() == QProcess::FailedToStart) return -1;
  if (!WaitForEnd(process_, timeoutMs)) return -1;
  CheckEnd();
  return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

void AolsimProcess::Kill() {
  if (process_.state() == QProcess::NotRunning) return;
  checked_ = true;
  ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);  // a stopped client dies too
  process_.kill();
  process_.waitForFinished(3000);
}

}  // namespace spindeck::testing
