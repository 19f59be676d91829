#include "tests/support/stop_process.h"

#include <gtest/gtest.h>

#include "tests/support/process_exit.h"

namespace spindeck::testing {

void StopProcess(QProcess& process, const std::string& name,
                 const std::function<std::string()>& output, int expectedCode) {
  if (process.state() == QProcess::NotRunning) {
    // Ended before: by a crash or with an error, unless it never ran or was stopped here.
    CheckExit(name, process, output(), expectedCode);
    return;
  }
  process.terminate();
  if (WaitForEnd(process, 5000)) {
    CheckExit(name, process, output(), expectedCode);
    return;
  }
  process.kill();
  process.waitForFinished(3000);
  ADD_FAILURE() << name << " did not end within 5 s of SIGTERM and was killed\n" << output();
}

void StopProcess(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (WaitForEnd(process, 5000)) return;
  process.kill();
  process.waitForFinished(3000);
}

}  // namespace spindeck::testing
