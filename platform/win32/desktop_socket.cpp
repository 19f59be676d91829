#include "platform/win32/desktop_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace win32 {
namespace {

int MsLeft(DesktopClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - DesktopClock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// The owner of the socket must run as this user (or as root).
bool TrustedPeer(int fd) {
  ucred cred{};
  socklen_t size = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0) return false;
  return cred.uid == ::geteuid() || cred.uid == 0;
}

}  // namespace

bool TrustedFolder(const std::string& socketPath) {
  const std::string folder = std::filesystem::path(socketPath).parent_path().string();
  struct stat info {};
  if (::lstat(folder.empty() ? "." : folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

bool WaitForFd(int fd, short events, DesktopClock::time_point deadline) {
  while (true) {
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, MsLeft(deadline));
    if (r > 0) return (p.revents & (events | POLLHUP | POLLERR)) != 0;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

UniqueFd ConnectDesktop(const std::string& path, DesktopClock::time_point deadline) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path || !TrustedFolder(path)) return {};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd) return {};
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    // A full backlog (an owner that stopped accepting) refuses at once rather than blocking.
    if (errno != EINPROGRESS || !WaitForFd(fd.get(), POLLOUT, deadline)) return {};
  }
  if (!TrustedPeer(fd.get())) return {};
  return fd;
}

bool SendAll(int fd, const std::string& bytes, DesktopClock::time_point deadline) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitForFd(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace win32
