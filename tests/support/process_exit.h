#pragma once
// How a process a test started has ended, checked against what the test expects: a crash, a
// sanitizer's report or another exit code fails the test and shows what the process wrote to
// its standard error.
#include <QProcess>
#include <QProcessEnvironment>
#include <string>

namespace spindeck::testing {

// What is wrong with an end, or "" when the process exited with `expectedCode` and its
// standard error (`errors`) holds no sanitizer report.
std::string ExitFault(QProcess::ExitStatus status, int exitCode, const std::string& errors,
                      int expectedCode = 0);

// Adds a test failure for the ended process `name` when ExitFault finds a fault; false then.
bool CheckExit(const std::string& name, const QProcess& process, const std::string& errors,
               int expectedCode = 0);

// Makes a sanitizer's report end the process with SIGABRT (ASAN_OPTIONS abort_on_error=1,
// unless the environment already says), so that its end shows the report even when the report
// goes to a log file.
void AbortOnSanitizerReport(QProcessEnvironment& environment);

// When the running test has failed, prints the standard error of a process it started (its
// last part), which explains many a failure.
void ShowWhenFailed(const std::string& name, const std::string& errors);

// Waits up to `timeoutMs` for the process to end, with this process's event loop turning (so
// other processes are served meanwhile); false when it still runs.
bool WaitForEnd(QProcess& process, int timeoutMs);

}  // namespace spindeck::testing
