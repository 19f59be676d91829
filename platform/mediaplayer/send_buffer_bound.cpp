#include "platform/mediaplayer/send_buffer_bound.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// The port of the socket's peer; 0 when it is no connected IP socket.
std::uint16_t PeerPort(int fd) {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return 0;
  if (peer.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(peer).sin_port);
  if (peer.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<const sockaddr_in6&>(peer).sin6_port);
  return 0;
}

}  // namespace

bool BoundSendBuffersTo(std::uint16_t peerPort, int bytes) {
  const std::unique_ptr<DIR, DirCloser> dir(opendir("/proc/self/fd"));
  if (!dir) return false;
  const int own = dirfd(dir.get());
  bool found = false;
  while (const dirent* entry = readdir(dir.get())) {
    char* end = nullptr;
    const long number = std::strtol(entry->d_name, &end, 10);
    const auto fd = static_cast<int>(number);
    if (end == entry->d_name || *end != '\0' || fd == own) continue;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISSOCK(status.st_mode)) continue;
    int protocol = 0;
    socklen_t length = sizeof protocol;
    if (getsockopt(fd, SOL_SOCKET, SO_PROTOCOL, &protocol, &length) != 0 ||
        protocol != IPPROTO_TCP || PeerPort(fd) != peerPort) {
      continue;
    }
    found = setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) == 0 || found;
  }
  return found;
}

}  // namespace platform
