#pragma once
// Ends a server the tests started: asks it to end (SIGTERM) and waits up to 5 s with the event
// loop turning, so that clients in the test process see it go; then kills it. The server must
// end by itself and cleanly; a crash, another exit code, a kill, or an earlier end by a crash
// fails the test with the server's output (`output` gives it).
#include <QProcess>
#include <functional>
#include <string>

namespace spindeck::testing {

void StopProcess(QProcess& process, const std::string& name,
                 const std::function<std::string()>& output, int expectedCode = 0);

// The same without judging the end: for a server being replaced after a failed start, whose
// failure has been dealt with already.
void StopProcess(QProcess& process);

}  // namespace spindeck::testing
