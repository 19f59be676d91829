#pragma once
// One window call over the desktop socket: connect, send the request, wait for the reply,
// close. Nothing is kept between calls, and no event loop is turned.
#include <optional>

#include "platform/win32/desktop_protocol.h"

namespace win32 {

// How long a call waits for the window owner's answer.
constexpr int kCallTimeoutMs = 2000;

// The reply, or nullopt when nobody listens, the owner does not answer in time or answers
// nonsense.
std::optional<protocol::Reply> CallDesktop(protocol::Request request);

}  // namespace win32
