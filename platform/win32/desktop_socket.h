#pragma once
// Opening a connection to the desktop socket, with the checks that keep another user's
// windows out: calls and event connections open theirs the same way.
#include <chrono>
#include <string>

#include "platform/files/unique_fd.h"

namespace win32 {

using platform::UniqueFd;

using DesktopClock = std::chrono::steady_clock;

// The socket's folder must be a real folder of this user, closed to others, as the host makes
// it. Under /tmp another user could otherwise prepare the folder and serve windows of their
// own: they would read every line the program types and could feed it commands. Looked at
// before every call, also on a kept connection.
bool TrustedFolder(const std::string& socketPath);

// Waits until fd is ready for `events` (or hung up) or the deadline passes.
bool WaitForFd(int fd, short events, DesktopClock::time_point deadline);

// A non-blocking connection to the desktop socket at `path`, or an empty one when the socket's
// folder or its owner cannot be trusted, nobody listens, or the owner's backlog is full.
UniqueFd ConnectDesktop(const std::string& path, DesktopClock::time_point deadline);

// Sends all of `bytes` before the deadline; false on any error.
bool SendAll(int fd, const std::string& bytes, DesktopClock::time_point deadline);

}  // namespace win32
