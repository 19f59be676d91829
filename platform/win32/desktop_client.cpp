#include "platform/win32/desktop_client.h"

#include <poll.h>
#include <sys/socket.h>

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

// The reply to the request `id`; `unasked` tells of bytes that came after it.
std::optional<protocol::Reply> AwaitReply(int fd, std::uint32_t id,
                                          DesktopClock::time_point deadline, bool& unasked) {
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
      return std::nullopt;  // closed by the owner
    }
  }
}

}  // namespace

std::uint32_t NextRequestId() {
  static std::atomic<std::uint32_t> counter{1};
  while (true) {
    const std::uint32_t id = counter++;
    if (id != 0 && id != protocol::kEventMark) return id;
  }
}

std::optional<protocol::Reply> CallDesktop(protocol::Request request) {
  const auto deadline = DesktopClock::now() + std::chrono::milliseconds(kCallTimeoutMs);
  const std::string path = DesktopPath();
  request.id = NextRequestId();
  const std::string frame = protocol::EncodeRequest(request);
  bool reused = StillFit(kept, path);
  if (!reused) kept = KeptConnection{ConnectDesktop(path, deadline), path};
  if (!kept.fd) return std::nullopt;
  if (!SendAll(kept.fd.get(), frame, deadline)) {
    // The owner never got the whole request, so it is safe to send again. A kept connection
    // may have been dropped by an owner that restarted or evicted it since it was checked.
    kept = {};
    if (!reused) return std::nullopt;
    kept = KeptConnection{ConnectDesktop(path, deadline), path};
    if (!kept.fd || !SendAll(kept.fd.get(), frame, deadline)) {
      kept = {};
      return std::nullopt;
    }
  }
  bool unasked = false;
  auto reply = AwaitReply(kept.fd.get(), request.id, deadline, unasked);
  // After an error or a timeout the connection is dropped: a late reply must never be taken
  // for the next call's.
  if (!reply || unasked) kept = {};
  return reply;
}

}  // namespace win32
