#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/win32/desktop_host.h"
#include "platform/win32/desktop_protocol.h"
#include "platform/win32/win32.h"

namespace win32 {
namespace {

// Long enough for the busiest machine; a test waits this long only when something is wrong.
constexpr std::chrono::milliseconds kGenerous{30000};

// A one-way signal between the window owner's thread and the test.
class Flag {
 public:
  void Set() {
    std::lock_guard lock(mutex_);
    set_ = true;
    changed_.notify_all();
  }
  bool IsSet() {
    std::lock_guard lock(mutex_);
    return set_;
  }
  // True once set; false when the time runs out first.
  bool Wait(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return set_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool set_ = false;
};

class DesktopTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string path = dir.path().toStdString() + "/desk/socket";
  WindowTree tree;
  void SetUp() override { setenv("SPINDECK_DESKTOP", path.c_str(), 1); }
};

TEST_F(DesktopTest, FindsChildrenInZOrderWithoutRegardToCase) {
  const HWND top = tree.Create(0, "Frame", "f");
  const HWND a = tree.CreateBottom(top, "Child", "a");
  const HWND b = tree.CreateBottom(top, "Other", "b");
  const HWND c = tree.CreateBottom(top, "CHILD", "c");
  DesktopThread host(tree, path);
  ASSERT_TRUE(host.listening());
  EXPECT_EQ(FindWindowA("frame", nullptr), top);
  EXPECT_EQ(FindWindowExA(top, 0, "child", nullptr), a);
  EXPECT_EQ(FindWindowExA(top, a, "child", nullptr), c);
  EXPECT_EQ(FindWindowExA(top, c, "child", nullptr), 0u);
  EXPECT_EQ(FindWindowExA(top, 0, nullptr, "b"), b);
  EXPECT_EQ(FindWindowExA(top, 0, "Child", "c"), c);
  tree.BringToTop(c);
  EXPECT_EQ(FindWindowExA(top, 0, "child", nullptr), c);
  EXPECT_EQ(FindWindowExA(top, 0xDEAD, "child", nullptr), 0u);
}

TEST_F(DesktopTest, TextTravelsBothWaysWithWindowsTruncation) {
  const HWND w = tree.Create(0, "Edit", "");
  DesktopThread host(tree, path);
  EXPECT_EQ(SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("h\xE9llo")), TRUE);
  EXPECT_EQ(GetWindowTextLengthA(w), 5);
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetWindowTextA(w, buffer, 4), 3);
  EXPECT_STREQ(buffer, "h\xE9l");
  char big[16];
  EXPECT_EQ(SendMessageA(w, WM_GETTEXT, sizeof big, reinterpret_cast<LPARAM>(big)), 5);
  EXPECT_STREQ(big, "h\xE9llo");
  EXPECT_EQ(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0), 5);
  EXPECT_EQ(GetWindowTextA(0, big, 16), 0);
  EXPECT_STREQ(big, "");
}

TEST_F(DesktopTest, PostedMessagesAreHandledLater) {
  Flag received;
  Flag release;
  Flag handled;
  const HWND w = tree.Create(0, "Box", "", [&](HWND, const Message& m, MessageResult&) {
    if (m.msg == WM_LBUTTONUP) {
      received.Set();
      release.Wait(kGenerous);
      handled.Set();
    }
    return true;
  });
  DesktopThread host(tree, path);
  EXPECT_EQ(PostMessageA(w, WM_LBUTTONUP, 0, 0), TRUE);
  // The post came back while its handler is still held.
  EXPECT_FALSE(handled.IsSet());
  EXPECT_TRUE(received.Wait(kGenerous));
  release.Set();
  EXPECT_TRUE(handled.Wait(kGenerous));
  EXPECT_EQ(PostMessageA(0x1234, WM_LBUTTONUP, 0, 0), FALSE);
}

TEST_F(DesktopTest, AHungOwnerFailsTheCallWithinTheBound) {
  std::atomic<bool> hang{true};
  Flag received;
  Flag release;
  Flag recovered;
  const HWND w = tree.Create(0, "Slow", "slow", [&](HWND, const Message& m, MessageResult& r) {
    if (m.msg == WM_GETTEXTLENGTH && hang) {
      received.Set();
      // Held until the test releases it, which it does once the call has returned: a call
      // that waited for the owner would come back only when this wait runs out.
      release.Wait(kGenerous);
      recovered.Set();
    }
    r.result = 42;
    return true;
  });
  DesktopThread host(tree, path);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0), 0);
  // The owner still holds the call: the call gave up on its own.
  EXPECT_FALSE(recovered.IsSet());
  EXPECT_TRUE(received.Wait(kGenerous));
  EXPECT_LT(clock.elapsed(), kGenerous.count() / 2);
  hang = false;
  release.Set();
  ASSERT_TRUE(recovered.Wait(kGenerous));
  EXPECT_EQ(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0), 42);
}

// A raw owner answers the first call, then drops the kept connection with the second request
// unread, so that the caller's read fails with ECONNRESET. The call is tried once more on a
// new connection, as after a clean close.
TEST_F(DesktopTest, ACallWhoseConnectionIsResetMidRequestIsTriedAgain) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strcpy(a.sun_path, path.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  const auto answer = [](int fd) {
    std::string buffer;
    char chunk[4096];
    std::optional<std::string> payload;
    bool bad = false;
    while (!(payload = protocol::TakeFrame(buffer, bad)) && !bad) {
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
    protocol::Reply reply;
    reply.id = payload ? protocol::DecodeRequest(*payload).value_or(protocol::Request{}).id : 0;
    reply.result = 7;
    const std::string frame = protocol::EncodeReply(reply);
    (void)::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
  };
  int second = -1;
  std::thread owner([&] {
    const int first = ::accept(listener, nullptr, nullptr);
    answer(first);
    pollfd p{first, POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(kGenerous.count()));
    ::close(first);  // the request unread: the caller's next read is reset
    pollfd l{listener, POLLIN, 0};
    if (::poll(&l, 1, static_cast<int>(kGenerous.count())) != 1) return;
    second = ::accept(listener, nullptr, nullptr);
    answer(second);
  });
  EXPECT_EQ(GetMenuItemCount(5), 7);
  EXPECT_EQ(GetMenuItemCount(5), 7);
  owner.join();
  if (second >= 0) ::close(second);
  ::close(listener);
}

// A peer that asks for a 50 KB text 2,000 times and reads nothing is dropped once its unsent
// replies pass 1 MiB, rather than growing the owner's memory by 100 MB; others are served on.
TEST_F(DesktopTest, APeerThatNeverReadsItsRepliesIsDropped) {
  const HWND big = tree.Create(0, "Big", std::string(50000, 'x'));
  DesktopThread host(tree, path);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strcpy(a.sun_path, path.c_str());
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  std::string requests;
  for (std::uint32_t id = 1; id <= 2000; ++id) {
    protocol::Request r;
    r.id = id;
    r.op = protocol::Op::kSendMessage;
    r.a = big;
    r.b = WM_GETTEXT;
    r.c = 65536;
    requests += protocol::EncodeRequest(r);
  }
  ASSERT_EQ(::send(fd, requests.data(), requests.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(requests.size()));
  // Only now does it read: what the owner kept for it, until the owner hangs up.
  std::size_t received = 0;
  char chunk[65536];
  pollfd p{fd, POLLIN, 0};
  while (::poll(&p, 1, static_cast<int>(kGenerous.count())) == 1) {
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) break;
    received += static_cast<std::size_t>(n);
  }
  ::close(fd);
  EXPECT_LT(received, 4u << 20);
  EXPECT_EQ(GetWindowTextLengthA(big), 50000);
}

TEST_F(DesktopTest, NoListenerMeansNoClientAndBadFramesDoNotHarmTheHost) {
  EXPECT_EQ(FindWindowA("frame", nullptr), 0u);
  EXPECT_EQ(GetMenuItemCount(GetMenu(FindWindowA("frame", nullptr))), -1);
  const HWND top = tree.Create(0, "Frame", "f");
  DesktopThread host(tree, path);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((dir.path().toStdString() + "/desk").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  for (const std::string& junk : {std::string("\xff\xff\xff\xff", 4),
                                  std::string("\x03\0\0\0abc", 7), std::string(100, '\0')}) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, path.c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::write(fd, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
    ::close(fd);
  }
  EXPECT_EQ(FindWindowA("frame", nullptr), top);
}

TEST_F(DesktopTest, RefusesAFolderOpenToOthers) {
  const std::string folder = dir.path().toStdString() + "/open";
  ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
  ::chmod(folder.c_str(), 0777);
  DesktopThread host(tree, folder + "/socket");
  EXPECT_FALSE(host.listening());
}

TEST(DesktopProtocol, RoundTripsAndRefusesMalformedFrames) {
  protocol::Request r;
  r.id = 7;
  r.op = protocol::Op::kSendMessage;
  r.a = 0x10001;
  r.d = 0xFFFFFFFFFFFFFFFFull;
  r.hasText1 = true;
  r.text1 = std::string("a\0b", 3);
  std::string frame = protocol::EncodeRequest(r);
  bool bad = false;
  auto payload = protocol::TakeFrame(frame, bad);
  ASSERT_TRUE(payload);
  auto back = protocol::DecodeRequest(*payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text1, r.text1);
  EXPECT_EQ(back->d, r.d);
  EXPECT_FALSE(protocol::DecodeRequest(payload->substr(0, payload->size() - 1)));
  EXPECT_FALSE(protocol::DecodeRequest(*payload + "x"));
  std::string huge = "\xff\xff\xff\x7f";
  EXPECT_FALSE(protocol::TakeFrame(huge, bad));
  EXPECT_TRUE(bad);
}

}  // namespace
}  // namespace win32
