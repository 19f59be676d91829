#include "platform/win32/desktop_client.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>

#include "platform/win32/desktop_host.h"
#include "platform/win32/desktop_socket.h"

namespace win32 {
namespace {

// The connection that the calls of this thread keep, and the desktop it leads to.
struct KeptConnection {
  UniqueFd fd;
  std::string path;
};

thread_local KeptConnection kept;

// A kept connection is fit for the next call when it still leads to the current desktop and
// the owner has neither hung up nor sent anything unasked (a late reply would be taken for the
// next call's).
bool StillFit(const KeptConnection& c, const std::string& path) {
  if (!c.fd || c.path != path) return false;
  pollfd p{c.fd.get(), POLLIN, 0};
  const int r = ::poll(&p, 1, 0);
  return r == 0;
}

// The reply to the request `id`; `unasked` tells of bytes that came after it, `unanswered` of
// an owner that closed the connection before answering anything.
std::optional<protocol::Reply> AwaitReply(int fd, std::uint32_t id,
                                          DesktopClock::time_point deadline, bool& unasked,
                                          bool& unanswered) {
  std::string buffer;
  char chunk[65536];
  while (true) {
    bool bad = false;
    if (auto payload = protocol::TakeFrame(buffer, bad)) {
      auto reply = protocol::DecodeReply(*payload);
      if (!reply || reply->id != id) return std::nullopt;
      unasked = !buffer.empty();
      return reply;
    }
    if (bad) return std::nullopt;
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n > 0) {
      buffer.append(chunk, static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitForFd(fd, POLLIN, deadline)) return std::nullopt;
    } else {
      // Closed by the owner: cleanly, or reset with the request unread (ECONNRESET), which
      // it then never acted on either.
      unanswered = buffer.empty() && (n == 0 || errno == ECONNRESET);
      return std::nullopt;
    }
  }
}

// Sends the request on the kept connection and waits for the reply. `retry` tells that the
// owner certainly did not act on it: it hung up before taking it whole, or closed the
// connection without an answer (an owner serves every request it has taken before it looks at
// anything else, and what it has answered reaches the caller even when it closes next).
std::optional<protocol::Reply> CallOnce(const std::string& frame, std::uint32_t id,
                                        DesktopClock::time_point deadline, bool& retry) {
  retry = false;
  if (!SendAll(kept.fd.get(), frame, deadline)) {
    kept = {};
    retry = true;
    return std::nullopt;
  }
  bool unasked = false;
  auto reply = AwaitReply(kept.fd.get(), id, deadline, unasked, retry);
  // After an error or a timeout the connection is dropped: a late reply must never be taken
  // for the next call's.
  if (!reply || unasked) kept = {};
  return reply;
}

}  // namespace

std::uint32_t NextRequestId() {
  static std::atomic<std::uint32_t> counter{1};
  while (true) {
    const std::uint32_t id = counter++;
    if (id != 0 && id != protocol::kEventMark) return id;
  }
}

std::optional<protocol::Reply> CallDesktop(protocol::Request request, int timeoutMs) {
  const auto deadline =
      DesktopClock::now() + std::chrono::milliseconds(std::clamp(timeoutMs, 0, kCallTimeoutMs));
  const std::string path = DesktopPath();
  if (!TrustedFolder(path)) {
    kept = {};
    return std::nullopt;
  }
  request.id = NextRequestId();
  const std::string frame = protocol::EncodeRequest(request);
  const bool reused = StillFit(kept, path);
  if (!reused) kept = KeptConnection{ConnectDesktop(path, deadline), path};
  if (!kept.fd) return std::nullopt;
  bool retry = false;
  auto reply = CallOnce(frame, request.id, deadline, retry);
  // A kept connection may have been dropped by an owner that restarted, or that closed it as
  // the oldest of too many, after it was checked: a new one is tried once.
  if (!reply && retry && reused) {
    kept = KeptConnection{ConnectDesktop(path, deadline), path};
    if (!kept.fd) return std::nullopt;
    reply = CallOnce(frame, request.id, deadline, retry);
  }
  return reply;
}

}  // namespace win32
