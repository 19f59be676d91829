#include "tests/support/process_exit.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <array>
#include <cstdio>
#include <cstring>

namespace spindeck::testing {

std::string ExitFault(QProcess::ExitStatus status, int exitCode, const std::string& errors,
                      int expectedCode) {
  if (status == QProcess::CrashExit) {
    // Qt gives the signal's number as the exit code of a process a signal ended.
    return "it was ended by signal " + std::to_string(exitCode) + " (" + strsignal(exitCode) + ")";
  }
  if (exitCode != expectedCode) {
    return "it exited with " + std::to_string(exitCode) + " instead of " +
           std::to_string(expectedCode);
  }
  // A sanitizer that does not abort reports and lets the process exit as usual.
  constexpr std::array kReports = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                                   "WARNING: ThreadSanitizer", "runtime error:"};
  for (const char* report : kReports) {
    if (errors.find(report) != std::string::npos)
      return std::string("a sanitizer reported \"") + report + "\"";
  }
  return "";
}

bool CheckExit(const std::string& name, const QProcess& process, const std::string& errors,
               int expectedCode) {
  if (process.error() == QProcess::FailedToStart) return true;  // the test sees it did not start
  const std::string fault =
      ExitFault(process.exitStatus(), process.exitCode(), errors, expectedCode);
  if (fault.empty()) return true;
  ADD_FAILURE() << name << " ended badly: " << fault << "\n--- its standard error ---\n"
                << errors << "\n--- end of its standard error ---";
  return false;
}

void AbortOnSanitizerReport(QProcessEnvironment& environment) {
  const QString options = environment.value("ASAN_OPTIONS");
  if (options.contains("abort_on_error")) return;
  environment.insert("ASAN_OPTIONS", options + (options.isEmpty() ? "" : ":") + "abort_on_error=1");
}

void ShowWhenFailed(const std::string& name, const std::string& errors) {
  if (!::testing::Test::HasFailure() || errors.empty()) return;
  constexpr std::size_t kShown = 8000;
  const std::size_t from = errors.size() > kShown ? errors.size() - kShown : 0;
  std::fprintf(stderr, "--- standard error of %s%s ---\n%s\n--- end ---\n", name.c_str(),
               from > 0 ? " (its end)" : "", errors.substr(from).c_str());
}

bool WaitForEnd(QProcess& process, int timeoutMs) {
  const auto running = [&process] { return process.state() != QProcess::NotRunning; };
  if (!running()) return true;
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  loop.exec();
  return !running();
}

}  // namespace spindeck::testing
