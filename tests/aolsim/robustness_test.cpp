// Messages the client does not expect, sent to every one of its windows, leave it running
// and answering; a peer that asks and never reads cannot make it grow.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/win32/desktop_host.h"
#include "platform/win32/desktop_protocol.h"
#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"

namespace aolsim_test {

using namespace spindeck::testing;

namespace {

using namespace win32;

// Long enough for the busiest machine; a test waits this long only when something is wrong.
constexpr int kGenerousMs = 30000;

// The resident memory of a process, in KiB (from /proc/PID/status), or -1.
long ResidentKib(qint64 pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string field;
  long kib = -1;
  while (status >> field) {
    if (field == "VmRSS:") {
      status >> kib;
      break;
    }
  }
  return kib;
}

// A peer on the desktop socket that speaks the protocol's frames itself, without the window
// services' client, so that it can ask many times and never read an answer.
class RawPeer {
 public:
  RawPeer() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = DesktopPath();
    std::memcpy(address.sun_path, path.c_str(), std::min(path.size(), sizeof address.sun_path - 1));
    connected_ =
        fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawPeer() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawPeer(const RawPeer&) = delete;
  RawPeer& operator=(const RawPeer&) = delete;

  bool connected() const { return connected_; }

  enum class Sent { kAll, kHungUp, kStalled };
  // Writes all the bytes, waiting for room as long as the owner takes them in.
  Sent Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return Sent::kHungUp;
      pollfd writable{fd_, POLLOUT, 0};
      if (::poll(&writable, 1, kGenerousMs) != 1) return Sent::kStalled;
      if ((writable.revents & (POLLERR | POLLHUP)) != 0) return Sent::kHungUp;
    }
    return Sent::kAll;
  }

  // Reads (and throws away) what the owner kept for this peer, up to the owner's hanging up;
  // false when it does not hang up within the time.
  bool DrainUntilHungUp() {
    char chunk[65536];
    pollfd readable{fd_, POLLIN, 0};
    while (::poll(&readable, 1, kGenerousMs) == 1) {
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return true;
    }
    return false;
  }

 private:
  int fd_;
  bool connected_ = false;
};

void CollectWindows(HWND parent, std::vector<HWND>& all) {
  for (HWND w = FindWindowExA(parent, 0, nullptr, nullptr); w != 0;
       w = FindWindowExA(parent, w, nullptr, nullptr)) {
    all.push_back(w);
    CollectWindows(w, all);
  }
}

TEST(Robustness, StrayMessagesToEveryWindowLeaveTheClientAnswering) {
  AolsimProcess client;
  ASSERT_TRUE(client.started());
  client.Command({"signon", "Bob"});
  client.Command({"room", "jams"});
  client.Command({"join", "Ann"});
  client.Command({"say", "Ann", "hello"});
  client.Sync();
  std::vector<HWND> all;
  CollectWindows(0, all);
  ASSERT_GT(all.size(), 10u);
  const WPARAM odd[] = {0, 1, 7, 499, 500, 65535, static_cast<WPARAM>(-1)};
  const UINT messages[] = {
      WM_GETTEXTLENGTH, EM_GETLINECOUNT, LB_GETCOUNT,    LB_GETITEMDATA, LB_SETCURSEL,
      BM_GETCHECK,      WM_LBUTTONUP,    WM_LBUTTONDOWN, 0x188,          0,
      0xFFFF,           0x7FFFFFFF};
  for (HWND w : all) {
    for (UINT m : messages) {
      for (WPARAM p : odd) SendMessageA(w, m, p, -1);
    }
    char small[3] = {};
    SendMessageA(w, WM_GETTEXT, sizeof small, reinterpret_cast<LPARAM>(small));
    EXPECT_LT(std::strlen(small), sizeof small);
    char line[8] = {};
    const WORD size = sizeof line;
    std::memcpy(line, &size, sizeof size);
    SendMessageA(w, EM_GETLINE, 1000000, reinterpret_cast<LPARAM>(line));
    SendMessageA(w, WM_CHAR, 0, 0);
    SendMessageA(w, WM_CHAR, 1000, 0);
    SendMessageA(w, WM_CHAR, 8, 0);
  }
  // A double click on every window; the strays above left no member selected.
  for (HWND w : all) PostMessageA(w, WM_LBUTTONDBLCLK, 0, 0);
  client.Command({"say", "Ann", "still here"});
  const auto events = client.Sync();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "line\tjams\tAnn\tstill here");
  EXPECT_EQ(GetMenuItemCount(GetMenu(Frame())), 6);
  EXPECT_EQ(client.CloseInputAndWait(), 0);
}

// A peer asks for a 50 KB transcript 100,000 times and reads none of the answers. Kept, they
// would take 5 GB; the client hangs up on it instead, its memory stays within 20 MB of where
// it was, and another peer is answered all the while.
TEST(Robustness, APeerThatAsksAndNeverReadsCannotGrowTheClient) {
  AolsimProcess client;
  ASSERT_TRUE(client.started());
  client.Command({"signon", "Bob"});
  client.Command({"room", "jams"});
  client.Command({"join", "Ann"});
  for (int i = 0; i < 500; ++i) {
    client.Command({"say", "Ann", "line " + std::to_string(i) + " " + std::string(90, 'x')});
  }
  client.Sync(kGenerousMs);
  const HWND transcript = Child(RoomWindow("jams"), "RICHCNTLREADONLY");
  const LRESULT length = SendMessageA(transcript, WM_GETTEXTLENGTH, 0, 0);
  ASSERT_GT(length, 48000);
  const long startKib = ResidentKib(client.pid());
  ASSERT_GT(startKib, 0);
  constexpr long kAllowedKib = 20 * 1024;

  RawPeer peer;
  ASSERT_TRUE(peer.connected());
  std::string batch;  // 100 requests: 5 MB of answers
  for (std::uint32_t id = 1; id <= 100; ++id) {
    protocol::Request request;
    request.id = id;
    request.op = protocol::Op::kSendMessage;
    request.a = transcript;
    request.b = WM_GETTEXT;
    request.c = 65536;
    batch += protocol::EncodeRequest(request);
  }
  long peakKib = startKib;
  RawPeer::Sent sent = RawPeer::Sent::kAll;
  for (int batches = 0; batches < 1000 && sent == RawPeer::Sent::kAll; ++batches) {
    sent = peer.Send(batch);
    peakKib = std::max(peakKib, ResidentKib(client.pid()));
    if (peakKib - startKib > kAllowedKib) break;  // failed already: no need to grow it further
    if (batches % 10 == 0) {
      EXPECT_EQ(SendMessageA(transcript, WM_GETTEXTLENGTH, 0, 0), length);
    }
  }
  EXPECT_NE(sent, RawPeer::Sent::kStalled) << "the client stopped taking requests in";
  EXPECT_TRUE(peer.DrainUntilHungUp());
  peakKib = std::max(peakKib, ResidentKib(client.pid()));
  EXPECT_LE(peakKib - startKib, kAllowedKib) << "from " << startKib << " KiB";
  EXPECT_EQ(SendMessageA(transcript, WM_GETTEXTLENGTH, 0, 0), length);
  EXPECT_EQ(client.CloseInputAndWait(), 0);
}

}  // namespace
}  // namespace aolsim_test
