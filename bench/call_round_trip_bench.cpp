// The round trip of a window call to an owner in the same process against a plain round trip
// of the same bytes over a Unix socket pair to an echoing thread: the ratio is what the
// desktop's framing, connection handling and dispatch add to the socket itself.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/win32/desktop_host.h"
#include "platform/win32/desktop_protocol.h"
#include "platform/win32/win32.h"

namespace {

void WindowCall(benchmark::State& st) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("desk/desktop").toStdString();
  setenv("SPINDECK_DESKTOP", path.c_str(), 1);
  win32::WindowTree tree;
  const win32::HWND window = tree.Create(0, "Edit", "a caption of some length");
  win32::DesktopThread host(tree, path);
  if (!host.listening()) st.SkipWithError("the desktop does not listen");
  for (auto _ : st) {
    benchmark::DoNotOptimize(win32::SendMessageA(window, win32::WM_GETTEXTLENGTH, 0, 0));
  }
}

bool Exchange(int fd, std::string& buffer, std::size_t receive) {
  buffer.resize(receive);
  std::size_t got = 0;
  while (got < receive) {
    const ssize_t n = ::read(fd, buffer.data() + got, receive - got);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

void SocketPairEcho(benchmark::State& st) {
  // The same sizes as the window call's request and reply.
  win32::protocol::Request request;
  request.op = win32::protocol::Op::kSendMessage;
  const std::string question = win32::protocol::EncodeRequest(request);
  const std::string answer = win32::protocol::EncodeReply({});
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
    st.SkipWithError("no socket pair");
    return;
  }
  std::thread echo([&] {
    std::string buffer;
    while (Exchange(fds[1], buffer, question.size())) {
      if (::write(fds[1], answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) {
        break;
      }
    }
  });
  std::string buffer;
  for (auto _ : st) {
    if (::write(fds[0], question.data(), question.size()) !=
            static_cast<ssize_t>(question.size()) ||
        !Exchange(fds[0], buffer, answer.size())) {
      st.SkipWithError("the echo broke off");
      break;
    }
  }
  ::shutdown(fds[0], SHUT_RDWR);
  echo.join();
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace

BENCHMARK(WindowCall)->Name("CallRoundTrip/spindeck_window_call")->UseRealTime();
BENCHMARK(SocketPairEcho)->Name("CallRoundTrip/baseline_socketpair_echo")->UseRealTime();
