#pragma once
// Running a command-line tool (openssl and the like) to its end, for test set-up.
#include <QString>
#include <QStringList>
#include <string>

namespace spindeck::testing {

// Runs `program` with `args` and waits for it to end, the event loop turning meanwhile. True
// when it ran and exited with 0; `output` (when given) receives what it printed on both
// channels. A tool that does not end within the time is killed.
bool RunTool(const QString& program, const QStringList& args, int timeoutMs = 30000,
             std::string* output = nullptr);

}  // namespace spindeck::testing
