#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "platform/win32/desktop_host.h"
#include "platform/win32/desktop_protocol.h"
#include "platform/win32/win32.h"

namespace win32 {
namespace {

// Long enough for the busiest machine; a test waits this long only when something is wrong.
constexpr int kGenerousMs = 30000;

// Turns this thread's event loop until `done` or the generous limit.
bool PumpUntil(const std::function<bool()>& done) {
  QTimer tick;  // wakes the loop now and then to look at `done` again
  tick.start(10);
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > kGenerousMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

struct Seen {
  DWORD event;
  HWND hwnd;
  bool operator==(const Seen&) const = default;
};

// A hook that writes down what it gets.
class Recorder {
 public:
  explicit Recorder(DWORD first = EVENT_MIN, DWORD last = EVENT_MAX, DWORD process = 0,
                    DWORD flags = 0) {
    hook_ = SetWinEventHook(
        first, last, nullptr,
        [this](HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD thread, DWORD) {
          seen.push_back({event, hwnd});
          if (event != EVENT_SPINDECK_EVENTSLOST) lastThread = thread;
        },
        process, 0, flags);
  }
  ~Recorder() { Unhook(); }
  void Unhook() {
    if (hook_ != 0) UnhookWinEvent(hook_);
    hook_ = 0;
  }
  HWINEVENTHOOK hook() const { return hook_; }
  bool Has(Seen s) const { return std::find(seen.begin(), seen.end(), s) != seen.end(); }
  int Lost() const {
    return static_cast<int>(
        std::count(seen.begin(), seen.end(), Seen{EVENT_SPINDECK_EVENTSLOST, 0}));
  }
  // What came after the last EVENT_SPINDECK_EVENTSLOST.
  std::vector<Seen> SinceLost() const {
    auto it = std::find(seen.rbegin(), seen.rend(), Seen{EVENT_SPINDECK_EVENTSLOST, 0});
    return {it.base(), seen.end()};
  }
  std::vector<Seen> seen;
  DWORD lastThread = 0;

 private:
  HWINEVENTHOOK hook_ = 0;
};

// A subscriber on a plain socket, read only when the test says so.
class RawSubscriber {
 public:
  explicit RawSubscriber(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, path.c_str());
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    protocol::Request r;
    r.id = 1;
    r.op = protocol::Op::kSubscribe;
    r.a = EVENT_MIN;
    r.b = EVENT_MAX;
    const std::string frame = protocol::EncodeRequest(r);
    connected_ = connected_ &&
                 ::write(fd_, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    // Subscribed once the reply is here.
    while (connected_) {
      bool bad = false;
      if (auto payload = protocol::TakeFrame(buffer_, bad)) {
        connected_ = protocol::DecodeReply(*payload).has_value();
        break;
      }
      connected_ = Fill();
    }
  }
  ~RawSubscriber() { ::close(fd_); }
  bool connected() const { return connected_; }
  // The next event, or nullopt after the limit.
  std::optional<protocol::Event> Next() {
    while (true) {
      bool bad = false;
      if (auto payload = protocol::TakeFrame(buffer_, bad)) {
        if (auto event = protocol::DecodeEvent(*payload)) return event;
        continue;
      }
      if (!Fill()) return std::nullopt;
    }
  }

 private:
  bool Fill() {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, kGenerousMs) <= 0) return false;
    char chunk[65536];
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  int fd_;
  bool connected_ = false;
  std::string buffer_;
};

class WinEventTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string path = dir.path().toStdString() + "/desk/socket";
  WindowTree tree;
  void SetUp() override { setenv("SPINDECK_DESKTOP", path.c_str(), 1); }
};

TEST_F(WinEventTest, TreeChangesReachTheHookWithTheirWindows) {
  DesktopThread host(tree, path);
  ASSERT_TRUE(host.listening());
  Recorder all;
  ASSERT_NE(all.hook(), 0u);
  // Once the owner has taken the subscription the hook is told to read everything.
  ASSERT_TRUE(PumpUntil([&] { return all.Lost() == 1; }));
  const HWND top = tree.Create(0, "Frame", "f");
  const DWORD owner = GetWindowThreadProcessId(top, nullptr);
  const HWND a = tree.CreateBottom(top, "Edit", "a");
  const HWND b = tree.CreateBottom(top, "Edit", "b");
  tree.BringToTop(b);
  tree.BringToTop(b);  // already on top: no change
  tree.SetCaption(a, "x");
  tree.SetCaption(a, "x");  // the same text: no change
  EXPECT_EQ(SendMessageA(a, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("y")), TRUE);
  tree.NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, b);
  tree.Destroy(top);
  ASSERT_TRUE(PumpUntil([&] { return all.Has({EVENT_OBJECT_DESTROY, top}); }));
  const std::vector<Seen> expected = {{EVENT_OBJECT_CREATE, top},    {EVENT_OBJECT_CREATE, a},
                                      {EVENT_OBJECT_CREATE, b},      {EVENT_OBJECT_REORDER, top},
                                      {EVENT_OBJECT_NAMECHANGE, a},  {EVENT_OBJECT_NAMECHANGE, a},
                                      {EVENT_OBJECT_VALUECHANGE, b}, {EVENT_OBJECT_DESTROY, b},
                                      {EVENT_OBJECT_DESTROY, a},     {EVENT_OBJECT_DESTROY, top}};
  EXPECT_EQ(all.SinceLost(), expected);
  EXPECT_NE(owner, 0u);
  EXPECT_EQ(all.lastThread, owner);
}

TEST_F(WinEventTest, FiltersChooseTheEventsAndUnhookingStopsThem) {
  EXPECT_EQ(SetWinEventHook(1, 2, nullptr, {}, 0, 0, 0), 0u);
  EXPECT_EQ(SetWinEventHook(
                2, 1, nullptr, [](auto...) {}, 0, 0, 0),
            0u);
  int module = 0;
  EXPECT_EQ(SetWinEventHook(
                1, 2, &module, [](auto...) {}, 0, 0, 0),
            0u);
  setenv("SPINDECK_WINEVENTS", "0", 1);
  EXPECT_EQ(SetWinEventHook(
                1, 2, nullptr, [](auto...) {}, 0, 0, 0),
            0u);
  unsetenv("SPINDECK_WINEVENTS");
  EXPECT_EQ(UnhookWinEvent(0x7777), FALSE);

  DesktopThread host(tree, path);
  Recorder names(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE);
  Recorder all;
  Recorder otherProcess(EVENT_MIN, EVENT_MAX, static_cast<DWORD>(::getpid()) + 1);
  Recorder notOwn(EVENT_MIN, EVENT_MAX, 0, WINEVENT_SKIPOWNPROCESS);
  ASSERT_TRUE(PumpUntil(
      [&] { return names.Lost() + all.Lost() + otherProcess.Lost() + notOwn.Lost() == 4; }));
  const HWND w = tree.Create(0, "Edit", "a");
  tree.SetCaption(w, "b");
  ASSERT_TRUE(PumpUntil([&] { return all.Has({EVENT_OBJECT_NAMECHANGE, w}); }));
  EXPECT_EQ(names.SinceLost(), (std::vector<Seen>{{EVENT_OBJECT_NAMECHANGE, w}}));
  EXPECT_TRUE(otherProcess.SinceLost().empty());
  EXPECT_TRUE(notOwn.SinceLost().empty());

  const HWINEVENTHOOK namesHook = names.hook();
  names.Unhook();
  EXPECT_EQ(UnhookWinEvent(namesHook), FALSE);
  tree.SetCaption(w, "c");
  tree.Destroy(w);
  ASSERT_TRUE(PumpUntil([&] { return all.Has({EVENT_OBJECT_DESTROY, w}); }));
  EXPECT_EQ(names.SinceLost().size(), 1u);
}

TEST_F(WinEventTest, ACallbackThatTurnsTheEventLoopIsNotEnteredAgain) {
  DesktopThread host(tree, path);
  RawSubscriber watcher(path);  // sees what the hook's connection is sent, at the same time
  ASSERT_TRUE(watcher.connected());
  const HWND w = tree.Create(0, "Edit", "a");
  int depth = 0, deepest = 0;
  bool valueSeenInside = false, valueSeenAfter = false;
  HWINEVENTHOOK other = 0;
  HWINEVENTHOOK self = 0;
  self = SetWinEventHook(
      EVENT_MIN, EVENT_MAX, nullptr,
      [&](HWINEVENTHOOK, DWORD event, HWND, LONG, LONG, DWORD, DWORD) {
        ++depth;
        deepest = std::max(deepest, depth);
        if (event == EVENT_SPINDECK_EVENTSLOST && !valueSeenInside && !valueSeenAfter) {
          // Unhooking another hook, whose events are already queued, is safe too.
          UnhookWinEvent(other);
          tree.NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, w);
          while (true) {
            auto e = watcher.Next();
            if (!e || e->event == EVENT_OBJECT_VALUECHANGE) break;
          }
          // The event now waits on the hook's socket: turning the loop reads it.
          for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
          valueSeenInside = depth > 1;
        } else if (event == EVENT_OBJECT_VALUECHANGE) {
          valueSeenAfter = true;
          UnhookWinEvent(self);  // unhooking itself inside its callback
        }
        --depth;
      },
      0, 0, 0);
  other = SetWinEventHook(
      EVENT_MIN, EVENT_MAX, nullptr, [](auto...) { FAIL(); }, 0, 0, 0);
  ASSERT_NE(self, 0u);
  ASSERT_TRUE(PumpUntil([&] { return valueSeenAfter; }));
  EXPECT_EQ(deepest, 1);
  EXPECT_FALSE(valueSeenInside);
  EXPECT_EQ(UnhookWinEvent(self), FALSE);
}

TEST_F(WinEventTest, ASubscriberThatStopsReadingNeitherHoldsTheOwnerNorMissesTheMark) {
  const HWND w = tree.Create(0, "Edit", "");
  DesktopThread host(tree, path);
  RawSubscriber idle(path);
  ASSERT_TRUE(idle.connected());
  constexpr int kFlood = 40000;  // far more than the socket and the owner's bound hold
  for (int i = 1; i <= kFlood; ++i) {
    tree.SetCaption(w, std::to_string(i));
    // The owner still answers calls while the subscriber's backlog piles up.
    if (i % 4000 == 0) {
      char text[16];
      ASSERT_EQ(GetWindowTextA(w, text, sizeof text), static_cast<int>(std::to_string(i).size()));
      EXPECT_EQ(std::string(text), std::to_string(i));
    }
  }
  int events = 0, marks = 0;
  while (marks == 0) {
    auto e = idle.Next();
    ASSERT_TRUE(e) << "no EVENT_SPINDECK_EVENTSLOST after " << events << " events";
    if (e->event == EVENT_SPINDECK_EVENTSLOST) {
      ++marks;
    } else {
      ++events;
    }
  }
  EXPECT_LT(events, kFlood);
  // After the mark the subscriber gets events again, and no second mark.
  tree.NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, w);
  while (true) {
    auto e = idle.Next();
    ASSERT_TRUE(e);
    EXPECT_NE(e->event, EVENT_SPINDECK_EVENTSLOST);
    if (e->event == EVENT_OBJECT_VALUECHANGE) break;
  }
}

TEST_F(WinEventTest, AClientThatDiesAndComesBackIsFoundAgainByHooksAndCalls) {
  const HWND w = tree.Create(0, "Edit", "kept");
  Recorder all;
  std::optional<DesktopThread> host;
  host.emplace(tree, path);
  ASSERT_TRUE(PumpUntil([&] { return all.Lost() == 1; }));
  char text[16];
  EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 4);
  host.reset();
  ASSERT_TRUE(PumpUntil([&] { return all.Lost() == 2; }));
  EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 0);
  host.emplace(tree, path);
  ASSERT_TRUE(PumpUntil([&] { return all.Lost() == 3; }));
  tree.NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, w);
  ASSERT_TRUE(PumpUntil([&] { return all.Has({EVENT_OBJECT_VALUECHANGE, w}); }));
  EXPECT_EQ(all.SinceLost(), (std::vector<Seen>{{EVENT_OBJECT_VALUECHANGE, w}}));
  EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 4);
}

TEST_F(WinEventTest, AnOwnerThatRefusesTheSubscriptionIsNotTakenForOne) {
  // An owner without events closes a connection that asks for an operation it does not know.
  const std::string folder = dir.path().toStdString() + "/desk";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strcpy(a.sun_path, path.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  Recorder all;
  pollfd p{listener, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, kGenerousMs), 1);
  const int refused = ::accept(listener, nullptr, nullptr);
  char request[256];
  EXPECT_GT(::read(refused, request, sizeof request), 0);
  ::close(refused);
  ::close(listener);
  ::unlink(path.c_str());

  const HWND w = tree.Create(0, "Edit", "a");
  DesktopThread host(tree, path);
  ASSERT_TRUE(PumpUntil([&] { return all.Lost() == 1; }));
  tree.NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, w);
  ASSERT_TRUE(PumpUntil([&] { return all.Has({EVENT_OBJECT_VALUECHANGE, w}); }));
  EXPECT_EQ(all.seen,
            (std::vector<Seen>{{EVENT_SPINDECK_EVENTSLOST, 0}, {EVENT_OBJECT_VALUECHANGE, w}}));
}

TEST_F(WinEventTest, CallsKeepWorkingAcrossAnOwnerRestart) {
  const HWND w = tree.Create(0, "Edit", "kept");
  char text[16];
  for (int round = 0; round < 3; ++round) {
    DesktopThread host(tree, path);
    // The first call of a round finds the connection of the last round hung up.
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 4);
    EXPECT_EQ(GetWindowTextLengthA(w), 4);
  }
}

}  // namespace
}  // namespace win32
