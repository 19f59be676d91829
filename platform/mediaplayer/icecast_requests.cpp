#include "platform/mediaplayer/icecast_requests.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
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

// Sends `request` and reads the status code of the answer ("HTTP/1.0 200 OK" gives 200).
std::optional<int> StatusOf(const IcecastUrl& url, const std::string& request,
                            Clock::time_point deadline) {
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
  // A request this small goes out at once into an empty socket.
  if (send(socket.fd(), request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    return std::nullopt;
  }
  std::string answer;
  while (answer.find('\n') == std::string::npos && answer.size() < 256) {
    if (!WaitFor(socket, POLLIN, deadline)) return std::nullopt;
    char buffer[256];
    const ssize_t got = recv(socket.fd(), buffer, sizeof buffer, 0);
    if (got <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  const auto space = answer.find(' ');
  if (answer.rfind("HTTP/", 0) != 0 || space == std::string::npos) return std::nullopt;
  int status = 0;
  const char* digits = answer.data() + space + 1;
  const auto [end, error] = std::from_chars(digits, digits + 3, status);
  if (error != std::errc() || end != digits + 3) return std::nullopt;
  return status;
}

std::string HostHeader(const IcecastUrl& url) {
  const bool ipv6 = url.host.find(':') != std::string::npos;
  return (ipv6 ? "[" + url.host + "]" : url.host) + ":" + std::to_string(url.port);
}

// Every byte but letters, digits and -._~ as %XX.
std::string PercentEncoded(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group <<= 8;
      if (k < count) group |= static_cast<unsigned char>(bytes[i + k]);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= count ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
  }
  return out;
}

}  // namespace

std::optional<bool> MountHasSource(const IcecastUrl& url, std::chrono::milliseconds bound) {
  const std::optional<int> status =
      StatusOf(url,
               "GET " + url.mount + " HTTP/1.0\r\nHost: " + HostHeader(url) +
                   "\r\nUser-Agent: spin.deck\r\nIcy-MetaData: 0\r\n\r\n",
               Clock::now() + bound);
  if (!status) return std::nullopt;
  return *status == 200;
}

bool SendTitle(const IcecastUrl& url, const std::string& password, const std::string& utf8,
               std::chrono::milliseconds bound) {
  const std::string target = "/admin/metadata?mode=updinfo&mount=" + PercentEncoded(url.mount) +
                             "&song=" + PercentEncoded(utf8) + "&charset=UTF-8";
  const std::optional<int> status =
      StatusOf(url,
               "GET " + target + " HTTP/1.0\r\nHost: " + HostHeader(url) +
                   "\r\nUser-Agent: spin.deck\r\nAuthorization: Basic " +
                   Base64(url.user + ":" + password) + "\r\n\r\n",
               Clock::now() + bound);
  return status == 200;
}

}  // namespace platform
