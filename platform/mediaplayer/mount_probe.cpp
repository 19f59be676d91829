#include "platform/mediaplayer/mount_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct AddressListCloser {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Waits for `events` on the socket until the deadline; false when they did not come.
bool WaitFor(const Socket& socket, short events, Clock::time_point deadline) {
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd entry{socket.fd(), events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace

std::optional<bool> MountHasSource(const IcecastUrl& url, std::chrono::milliseconds bound) {
  const Clock::time_point deadline = Clock::now() + bound;
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(url.host.c_str(), std::to_string(url.port).c_str(), &hints, &found) != 0) {
    return std::nullopt;
  }
  const std::unique_ptr<addrinfo, AddressListCloser> addresses(found);
  const Socket socket(::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                               found->ai_protocol));
  if (socket.fd() < 0) return std::nullopt;
  if (connect(socket.fd(), found->ai_addr, found->ai_addrlen) != 0 && errno != EINPROGRESS) {
    return std::nullopt;
  }
  if (!WaitFor(socket, POLLOUT, deadline)) return std::nullopt;
  int fault = 0;
  socklen_t size = sizeof fault;
  if (getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &fault, &size) != 0 || fault != 0) {
    return std::nullopt;
  }
  const std::string request = "GET " + url.mount + " HTTP/1.0\r\nHost: " + url.host +
                              "\r\nUser-Agent: spin.deck\r\nIcy-MetaData: 0\r\n\r\n";
  if (send(socket.fd(), request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    return std::nullopt;
  }
  // Only the status line matters: "HTTP/1.0 200 OK".
  std::string answer;
  while (answer.find('\n') == std::string::npos && answer.size() < 256) {
    if (!WaitFor(socket, POLLIN, deadline)) return std::nullopt;
    char buffer[256];
    const ssize_t got = recv(socket.fd(), buffer, sizeof buffer, 0);
    if (got <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  if (answer.rfind("HTTP/", 0) != 0) return std::nullopt;
  const auto space = answer.find(' ');
  return space != std::string::npos && answer.compare(space + 1, 3, "200") == 0;
}

}  // namespace platform
