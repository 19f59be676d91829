#include "platform/mediaplayer/icecast_requests.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/unique_fd.h"
#include "platform/mediaplayer/tls_session.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct AddressListCloser {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
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

// A connected socket to the first of the host's addresses that takes the connection before
// the deadline; each is tried in turn.
std::optional<Socket> ConnectTo(const IcecastUrl& url, Clock::time_point deadline) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(url.host.c_str(), std::to_string(url.port).c_str(), &hints, &found) != 0) {
    return std::nullopt;
  }
  const std::unique_ptr<addrinfo, AddressListCloser> addresses(found);
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    Socket socket(::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                           address->ai_protocol));
    if (socket.fd() < 0) continue;
    if (connect(socket.fd(), address->ai_addr, address->ai_addrlen) != 0 && errno != EINPROGRESS) {
      continue;
    }
    if (!WaitFor(socket, POLLOUT, deadline)) continue;
    int fault = 0;
    socklen_t size = sizeof fault;
    if (getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &fault, &size) != 0 || fault != 0) continue;
    return socket;
  }
  return std::nullopt;
}

struct Answer {
  int status = 0;
  std::string body;  // its start, at most kMaxAnswer bytes in all
};
constexpr std::size_t kMaxAnswer = 8192;

// Sends `request` and reads the answer until the server closes (HTTP/1.0) or the deadline.
std::optional<Answer> Ask(const IcecastUrl& url, const std::string& request,
                          Clock::time_point deadline) {
  const std::optional<Socket> socket = ConnectTo(url, deadline);
  if (!socket) return std::nullopt;
  std::string answer;
  if (url.tls) {
    // The same request inside TLS, to a server whose certificate names the host.
    TlsSession tls(socket->fd(), url.host, url.caFile, deadline);
    if (!tls.Write(request, deadline)) return std::nullopt;
    char buffer[1024];
    while (answer.size() < kMaxAnswer) {
      const std::size_t got = tls.Read(buffer, sizeof buffer, deadline);
      if (got == 0) break;
      answer.append(buffer, got);
    }
  } else {
    // A request this small goes out at once into an empty socket.
    if (send(socket->fd(), request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size())) {
      return std::nullopt;
    }
    while (answer.size() < kMaxAnswer) {
      if (!WaitFor(*socket, POLLIN, deadline)) break;
      char buffer[1024];
      const ssize_t got = recv(socket->fd(), buffer, sizeof buffer, 0);
      if (got <= 0) break;
      answer.append(buffer, static_cast<std::size_t>(got));
    }
  }
  const auto space = answer.find(' ');
  if (answer.rfind("HTTP/", 0) != 0 || space == std::string::npos || space + 4 > answer.size()) {
    return std::nullopt;
  }
  Answer result;
  const char* digits = answer.data() + space + 1;
  const auto [end, error] = std::from_chars(digits, digits + 3, result.status);
  if (error != std::errc() || end != digits + 3) return std::nullopt;
  if (const auto blank = answer.find("\r\n\r\n"); blank != std::string::npos) {
    result.body = answer.substr(blank + 4);
  }
  return result;
}

std::string HostHeader(const IcecastUrl& url) {
  const bool ipv6 = url.host.find(':') != std::string::npos;
  return (ipv6 ? "[" + url.host + "]" : url.host) + ":" + std::to_string(url.port);
}

// Every byte but the ASCII letters, digits and -._~ as %XX, by byte value whatever the locale.
std::string PercentEncoded(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
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

std::optional<Refusal> WhyRefused(const IcecastUrl& url, const std::string& password,
                                  std::chrono::milliseconds bound) {
  // The title command without its parameters: refused for a bad login, and otherwise
  // answered "Source does not exist" for a free mount, "Missing parameter" for one in use.
  const std::optional<Answer> answer =
      Ask(url,
          "GET /admin/metadata?mount=" + PercentEncoded(url.mount) + " HTTP/1.0\r\nHost: " +
              HostHeader(url) + "\r\nUser-Agent: spin.deck\r\nAuthorization: Basic " +
              Base64(url.user + ":" + password) + "\r\n\r\n",
          Clock::now() + bound);
  if (!answer) return std::nullopt;
  if (answer->status == 401) return Refusal::kPassword;
  if (answer->body.find("Source does not exist") != std::string::npos) {
    return Refusal::kServerLimit;
  }
  return Refusal::kMountInUse;
}

bool SendTitle(const IcecastUrl& url, const std::string& password, const std::string& utf8,
               std::chrono::milliseconds bound) {
  const std::string target = "/admin/metadata?mode=updinfo&mount=" + PercentEncoded(url.mount) +
                             "&song=" + PercentEncoded(utf8) + "&charset=UTF-8";
  const std::optional<Answer> answer =
      Ask(url,
          "GET " + target + " HTTP/1.0\r\nHost: " + HostHeader(url) +
              "\r\nUser-Agent: spin.deck\r\nAuthorization: Basic " +
              Base64(url.user + ":" + password) + "\r\n\r\n",
          Clock::now() + bound);
  // Icecast answers a refused update with 200 too, and says so in the body.
  return answer && answer->status == 200 &&
         answer->body.find("<return>1</return>") != std::string::npos;
}

}  // namespace platform
