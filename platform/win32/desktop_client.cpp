#include "platform/win32/desktop_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "platform/win32/desktop_host.h"

namespace win32 {
namespace {

class Socket {
 public:
  Socket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
  while (true) {
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, MsLeft(deadline));
    if (r > 0) return (p.revents & (events | POLLHUP | POLLERR)) != 0;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

// The socket's folder must be a real folder of this user, closed to others, as the host makes
// it. Under /tmp another user could otherwise prepare the folder and serve windows of their
// own: they would read every line the program types and could feed it commands.
bool TrustedFolder(const std::string& socketPath) {
  const std::string folder = std::filesystem::path(socketPath).parent_path().string();
  struct stat info {};
  if (::lstat(folder.empty() ? "." : folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The owner of the socket must run as this user (or as root).
bool TrustedPeer(int fd) {
  ucred cred{};
  socklen_t size = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0) return false;
  return cred.uid == ::geteuid() || cred.uid == 0;
}

std::uint32_t NextId() {
  static std::atomic<std::uint32_t> counter{1};
  return counter++;
}

}  // namespace

std::optional<protocol::Reply> CallDesktop(protocol::Request request) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kCallTimeoutMs);
  const std::string path = DesktopPath();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path || !TrustedFolder(path)) return std::nullopt;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

  Socket socket;
  if (socket.fd() < 0) return std::nullopt;
  if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    // A full backlog (an owner that stopped accepting) refuses at once rather than blocking.
    if (errno != EINPROGRESS || !WaitFor(socket.fd(), POLLOUT, deadline)) return std::nullopt;
  }
  if (!TrustedPeer(socket.fd())) return std::nullopt;
  request.id = NextId();
  const std::string frame = protocol::EncodeRequest(request);
  std::size_t sent = 0;
  while (sent < frame.size()) {
    const ssize_t n = ::send(socket.fd(), frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitFor(socket.fd(), POLLOUT, deadline)) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  std::string buffer;
  char chunk[65536];
  while (true) {
    bool bad = false;
    if (auto payload = protocol::TakeFrame(buffer, bad)) {
      auto reply = protocol::DecodeReply(*payload);
      if (!reply || reply->id != request.id) return std::nullopt;
      return reply;
    }
    if (bad) return std::nullopt;
    const ssize_t n = ::recv(socket.fd(), chunk, sizeof chunk, 0);
    if (n > 0) {
      buffer.append(chunk, static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitFor(socket.fd(), POLLIN, deadline)) return std::nullopt;
    } else {
      return std::nullopt;  // closed by the owner
    }
  }
}

}  // namespace win32
