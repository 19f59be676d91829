#include "bench/bench_icecast.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/files/unique_fd.h"

namespace spindeck::bench {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A loopback port that nothing listens on now (the kernel's pick); 0 when none is given.
int FreePort() {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

// A connection to the port, with sends and reads bounded to two seconds; invalid when refused.
platform::UniqueFd Connect(int port) {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
  if (!fd.valid()) return fd;
  const timeval bound{2, 0};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
  ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
  const sockaddr_in address = Loopback(port);
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return platform::UniqueFd();
  }
  return fd;
}

// The whole answer to an HTTP GET of `path`; empty when there is none.
std::string HttpGet(int port, const std::string& path) {
  const platform::UniqueFd fd = Connect(port);
  if (!fd.valid()) return {};
  const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
  if (::send(fd.get(), request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    return {};
  }
  std::string answer;
  char buffer[4096];
  for (ssize_t n;
       (n = ::recv(fd.get(), buffer, sizeof buffer, 0)) > 0 && answer.size() < 1 << 20;) {
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  return answer;
}

}  // namespace

BenchIcecast::BenchIcecast(const std::string& folder, const std::string& password) {
  namespace fs = std::filesystem;
  const fs::path logs = fs::path(folder) / "icecast-logs";
  std::error_code error;
  fs::create_directories(logs, error);
  // As root Icecast hands its rights to nobody, who must be able to reach and write its logs.
  std::string owner;
  if (::geteuid() == 0) {
    owner = "<changeowner><user>nobody</user><group>nogroup</group></changeowner>";
    fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add, error);
    if (::chown(logs.c_str(), 65534, 65534) != 0) {
      problem_ = "the log folder could not be given to nobody";
      return;
    }
  }
  port_ = FreePort();
  const fs::path config = fs::path(folder) / "icecast.xml";
  std::ofstream(config)
      << "<icecast><location>bench</location><admin>nobody@localhost</admin>"
         "<limits><clients>100</clients><sources>10</sources></limits>"
         "<authentication><source-password>"
      << password << "</source-password><admin-password>" << password
      << "</admin-password></authentication><hostname>127.0.0.1</hostname>"
         "<listen-socket><port>"
      << port_
      << "</port><bind-address>127.0.0.1</bind-address></listen-socket>"
         "<paths><basedir>/usr/share/icecast2</basedir><logdir>"
      << logs.string()
      << "</logdir><webroot>/usr/share/icecast2/web</webroot>"
         "<adminroot>/usr/share/icecast2/admin</adminroot></paths>"
         "<logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog>"
         "<loglevel>2</loglevel></logging><security><chroot>0</chroot>"
      << owner << "</security></icecast>\n";
  server_ = std::make_unique<PipedChild>(
      std::vector<std::string>{"icecast2", "-c", config.string()}, std::vector<std::string>{},
      (fs::path(folder) / "icecast.out").string(), ChildPipes::kNone);
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < deadline && server_->running()) {
    if (HttpGet(port_, "/status-json.xsl").find("icestats") != std::string::npos) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  problem_ = "icecast2 did not start (see " + (fs::path(folder) / "icecast.out").string() + ")";
}

bool BenchIcecast::HasSource(const std::string& mount) const {
  return HttpGet(port_, "/status-json.xsl").find(":" + std::to_string(port_) + mount + "\"") !=
         std::string::npos;
}

}  // namespace spindeck::bench
