#pragma once
// One window call over the desktop socket: send the request, wait for the reply. The calls of
// a thread share one kept connection, opened again after any error or timeout, when the owner
// hung up, or when the desktop's path changed. No event loop is turned.
#include <optional>

#include "platform/win32/desktop_protocol.h"

namespace win32 {

// How long a call waits for the window owner's answer.
constexpr int kCallTimeoutMs = 2000;

// The reply, or nullopt when nobody listens, the owner does not answer in time or answers
// nonsense.
// timeoutMs shortens the wait (never beyond kCallTimeoutMs).
std::optional<protocol::Reply> CallDesktop(protocol::Request request,
                                           int timeoutMs = kCallTimeoutMs);

// A request id for this process: never 0 and never protocol::kEventMark.
std::uint32_t NextRequestId();

}  // namespace win32
