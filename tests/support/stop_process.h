#pragma once
// Ends a server the tests started: asks it to end (SIGTERM) and waits up to 5 s with the event
// loop turning, so that clients in the test process see it go; then kills it.
#include <QProcess>

namespace spindeck::testing {

void StopProcess(QProcess& process);

}  // namespace spindeck::testing
