#pragma once
// Waiting for what another process does to a file, without polling: the wait wakes whenever
// the file or its folder changes.
#include <QString>
#include <functional>

namespace spindeck::testing {

// Waits until `done` holds, checking it at once and after every change to the file at `path`
// (or to its folder: the file appearing or going). False when the time runs out first. This
// process's event loop turns meanwhile.
bool WaitForFile(const QString& path, const std::function<bool()>& done, int timeoutMs = 30000);

// Waits until the file at `path` exists.
bool WaitForFileToExist(const QString& path, int timeoutMs = 30000);

}  // namespace spindeck::testing
