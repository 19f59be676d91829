// The chat scanner against a scripted client, through many random schedules of lines, trims,
// failed calls, restarts, room switches, lost subscriptions and renames, in each of its three
// ways of reading: woken by events, polling numbered lines, polling whole texts. Whatever
// happens, no line comes twice, a room's lines come in the order said, no line said before the
// scanner first saw its room comes, no part of a line comes, and no line the program sent
// comes back. A failing schedule is shrunk and printed in the form RunSchedule() takes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <utility>

#include "platform/scanchat/chat_scanner.h"

namespace platform {
namespace {

enum class Mode { kEvents, kSerials, kWholeText };
const char* Name(Mode mode) {
  return mode == Mode::kEvents    ? "Mode::kEvents"
         : mode == Mode::kSerials ? "Mode::kSerials"
                                  : "Mode::kWholeText";
}

constexpr int kRooms = 3;
constexpr std::size_t kHeld = 8;  // a small transcript, so that trims come often

struct Said {
  int epoch;  // which run of the client
  int room;
  int index;  // order in its room and epoch
  std::string sender;
  bool seenBefore;  // the scanner had read the room (this epoch) before it was said
  bool own;
};

// A client whose rooms' transcripts answer the scanner's calls in-process.
class ScriptedClient {
 public:
  explicit ScriptedClient(Mode mode) : mode_(mode) {
    calls.send = [this](win32::HWND w, win32::UINT m, win32::WPARAM wp, win32::LPARAM lp,
                        win32::LRESULT& r) { return Send(w, m, wp, lp, r); };
    calls.owner = [this](win32::HWND w) -> std::uint64_t {
      if (Fails() || Room(w) < 0) return 0;
      return 1000 + static_cast<std::uint64_t>(epoch_);
    };
    calls.hook = [this](win32::WINEVENTPROC proc) -> win32::HWINEVENTHOOK {
      if (mode_ != Mode::kEvents) return 0;
      proc_ = std::move(proc);
      return 7;
    };
    calls.unhook = [this](win32::HWINEVENTHOOK) { proc_ = {}; };
    calls.started = [this](win32::HWINEVENTHOOK) { return subscribed_; };
  }

  static win32::HWND Handle(int room) { return 0x10001 + static_cast<win32::HWND>(room); }
  win32::HWND Top() const { return Handle(top_); }

  std::string Say(int room, const std::string& sender, bool own = false) {
    Transcript& t = rooms_[room];
    const std::string text = "e" + std::to_string(epoch_) + "r" + std::to_string(room) + "n" +
                             std::to_string(t.next) + (own ? " own" : "");
    said[text] = {epoch_, room, static_cast<int>(t.next), sender, t.seen, own};
    t.lines.push_back(sender + ":\t" + text);
    ++t.next;
    if (t.lines.size() > kHeld) t.lines.pop_front();
    Event(win32::EVENT_OBJECT_VALUECHANGE, Handle(room));
    return text;
  }
  // A line the program sends, said under the user's name.
  std::string SayOwn() { return Say(top_, real_, true); }
  void BringToTop(int room) {
    top_ = room;
    Event(win32::EVENT_OBJECT_REORDER, 1);
  }
  void Restart() {
    ++epoch_;
    for (Transcript& t : rooms_) t = Transcript{};
    Subscription(false);
  }
  void Subscription(bool on) {
    subscribed_ = on && mode_ == Mode::kEvents;
    renamed_ = true;  // events were lost: the kept name is asked again
    if (proc_) proc_(7, win32::EVENT_SPINDECK_EVENTSLOST, 0, 0, 0, 0, 0);
  }
  // Renames the user, Me to Me2, then hides the name from the program (its Welcome window
  // gone) while lines still come under Me2, then back to Me.
  void Rename() {
    ++names_;
    real_ = names_ % 3 == 0 ? "Me" : "Me2";
    name_ = names_ % 3 == 2 ? "" : real_;
    renamed_ = subscribed_;
    Event(win32::EVENT_OBJECT_NAMECHANGE, 99);
  }
  bool Subscribed() const { return subscribed_; }
  // True once after a rename whose event reached the program.
  bool TakeRenamed() { return std::exchange(renamed_, false); }
  // The user's name as the client shows it now: "" when it cannot be found.
  const std::string& Name() const { return name_; }

  int failNext = 0;       // calls that fail from now on
  bool growNext = false;  // the next text read finds one more line than the length told
  ScannerCalls calls;
  std::map<std::string, Said> said;

 private:
  struct Transcript {
    std::deque<std::string> lines;
    std::uint64_t next = 1;
    bool seen = false;
  };

  bool Fails() {
    if (failNext == 0) return false;
    --failNext;
    return true;
  }
  int Room(win32::HWND w) const {
    const int room = static_cast<int>(w) - 0x10001;
    return room >= 0 && room < kRooms ? room : -1;
  }
  void Event(win32::DWORD event, win32::HWND window) {
    if (subscribed_ && proc_) proc_(7, event, window, 0, 0, 0, 0);
  }
  static win32::LRESULT CopyLine(const std::string& line, win32::LPARAM buffer) {
    char* out = reinterpret_cast<char*>(buffer);
    win32::WORD size = 0;
    std::memcpy(&size, out, sizeof size);
    const std::size_t n = std::min<std::size_t>(line.size(), size);
    std::memcpy(out, line.data(), n);
    return static_cast<win32::LRESULT>(n);
  }

  bool Send(win32::HWND w, win32::UINT m, win32::WPARAM wp, win32::LPARAM lp, win32::LRESULT& r) {
    const int room = Room(w);
    if (Fails() || room < 0) return false;
    Transcript& t = rooms_[room];
    if (m == win32::WM_GETTEXT && growNext) {
      growNext = false;
      Say(room, "Ann");
    }
    t.seen = true;
    const bool serials = mode_ != Mode::kWholeText;
    const std::uint64_t first = t.next - t.lines.size();
    std::string all;
    for (std::size_t i = 0; i < t.lines.size(); ++i) all += (i ? "\r\n" : "") + t.lines[i];
    switch (m) {
      case win32::WM_GETTEXTLENGTH:
        r = static_cast<win32::LRESULT>(all.size());
        return true;
      case win32::WM_GETTEXT: {
        const std::size_t n = std::min<std::size_t>(all.size(), wp - 1);
        std::memcpy(reinterpret_cast<char*>(lp), all.data(), n);
        reinterpret_cast<char*>(lp)[n] = '\0';
        r = static_cast<win32::LRESULT>(n);
        return true;
      }
      case win32::EM_GETLINECOUNT:
        r = static_cast<win32::LRESULT>(std::max<std::size_t>(1, t.lines.size()));
        return true;
      case win32::EM_GETLINE:
        r = CopyLine(wp < t.lines.size() ? t.lines[wp] : std::string(), lp);
        return true;
      case win32::EM_GETNEXTLINESERIAL:
        r = serials ? static_cast<win32::LRESULT>(t.next) : 0;
        return true;
      case win32::EM_GETFIRSTLINESERIAL:
        r = serials ? static_cast<win32::LRESULT>(first) : 0;
        return true;
      case win32::EM_GETLINEBYSERIAL:
        r = CopyLine(serials && wp >= first && wp < t.next ? t.lines[wp - first] : std::string(),
                     lp);
        return true;
      default:
        r = 0;
        return true;
    }
  }

  Mode mode_;
  Transcript rooms_[kRooms];
  int top_ = 0;
  int epoch_ = 0;
  bool subscribed_ = false;
  std::string real_ = "Me";
  std::string name_ = "Me";
  int names_ = 0;
  bool renamed_ = false;
  win32::WINEVENTPROC proc_;
};

// Runs one schedule in one mode; the first broken rule, or nothing.
std::optional<std::string> RunSchedule(Mode mode, const std::string& schedule) {
  ScriptedClient client(mode);
  OwnLines ownLines;
  // The user's name as the program's chat port keeps it: asked afresh when told to, when no
  // events flow, and after the rename's event.
  std::string keptName = client.Name();
  const auto userName = [&](bool again) {
    if (again || !client.Subscribed() || client.TakeRenamed()) keptName = client.Name();
    return keptName;
  };
  ChatScanner scanner([&client] { return client.Top(); }, &ownLines, userName, client.calls);
  std::optional<std::string> broken;
  std::map<std::pair<int, int>, int> lastIndex;  // (epoch, room) -> index last delivered
  std::map<std::string, int> delivered;
  scanner.setLineHandler([&](const std::string& sender, const std::string& text) {
    if (broken) return;
    const auto it = client.said.find(text);
    if (it == client.said.end() || it->second.sender != sender) {
      broken = "not a line said: " + sender + ": " + text;
    } else if (++delivered[text] > 1) {
      broken = "twice: " + text;
    } else if (it->second.own) {
      broken = "the program's own line: " + text;
    } else if (!it->second.seenBefore) {
      broken = "said before its room was first read: " + text;
    } else {
      int& last = lastIndex.try_emplace({it->second.epoch, it->second.room}, -1).first->second;
      if (it->second.index <= last) broken = "out of order: " + text;
      last = it->second.index;
    }
  });
  const auto settle = [&scanner] {
    // A look queued by an event, then the lines it queued.
    for (int i = 0; i < 2; ++i) QCoreApplication::sendPostedEvents(&scanner);
  };
  client.Say(0, "Bob");
  client.Say(1, "Ann");
  scanner.start();
  client.Subscription(true);
  settle();
  std::istringstream steps(schedule);
  std::string step;
  int said = 0;
  while (steps >> step && !broken) {
    const int arg = step.size() > 1 ? std::stoi(step.substr(1)) : 0;
    switch (step[0]) {
      case 's':
        client.Say(arg, ++said % 2 ? "Bob" : "Ann");
        break;
      case 'b':
        for (int i = 0; i < 10; ++i) client.Say(arg, "Bob");
        break;
      case 'o':
        ownLines.NoteSent(client.SayOwn(), userName(false));
        break;
      case 't':
        client.BringToTop(arg);
        break;
      case 'l':
        scanner.poll();
        break;
      case 'f':
        client.failNext = arg;
        break;
      case 'g':
        client.growNext = true;
        break;
      case 'r':
        client.Restart();
        break;
      case 'u':
        client.Subscription(false);
        break;
      case 'c':
        client.Subscription(true);
        break;
      case 'n':
        client.Rename();
        break;
    }
    settle();
  }
  return broken;
}

std::string RandomSchedule(std::mt19937& random) {
  static const char* const kSteps[] = {"s0", "s0", "s0", "s1", "s2", "b0", "b1", "o",
                                       "o",  "t0", "t1", "t2", "l",  "l",  "l",  "f1",
                                       "f3", "g",  "r",  "u",  "c",  "n"};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kSteps) - 1);
  std::uniform_int_distribution<int> length(3, 16);
  std::string schedule;
  for (int i = length(random); i > 0; --i) schedule += std::string(kSteps[pick(random)]) + " ";
  return schedule;
}

// The failing schedule with as many steps left out as still fail.
std::string Shrink(Mode mode, std::string schedule) {
  std::vector<std::string> steps;
  std::istringstream in(schedule);
  for (std::string s; in >> s;) steps.push_back(s);
  for (std::size_t i = steps.size(); i-- > 0;) {
    std::vector<std::string> fewer = steps;
    fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
    std::string text;
    for (const auto& s : fewer) text += s + " ";
    if (RunSchedule(mode, text)) steps = std::move(fewer);
  }
  std::string text;
  for (const auto& s : steps) text += s + " ";
  return text;
}

// Schedules the random ones once broke, shrunk.
TEST(ScannerSchedules, OwnLinesSentBeforeARenameOrWhileTheNameIsHidden) {
  for (const std::string schedule : {"n u o n n u", "n t2 r n o n u", "n s0 r n o n t0 l"}) {
    for (const Mode mode : {Mode::kEvents, Mode::kSerials, Mode::kWholeText}) {
      EXPECT_EQ(RunSchedule(mode, schedule), std::nullopt) << Name(mode) << ": " << schedule;
    }
  }
}

TEST(ScannerSchedules, OwnLineAfterEventsLostAndFound) {
  for (const Mode mode : {Mode::kEvents, Mode::kSerials, Mode::kWholeText}) {
    EXPECT_EQ(RunSchedule(mode, "u f3 n n c s2 o n s0"), std::nullopt) << Name(mode);
  }
}

TEST(ScannerSchedules, TenThousandRandomSchedulesInEachMode) {
  std::mt19937 random(20261209);
  int failures = 0;
  for (int n = 0; n < 10000 && failures < 3; ++n) {
    const std::string schedule = RandomSchedule(random);
    for (const Mode mode : {Mode::kEvents, Mode::kSerials, Mode::kWholeText}) {
      if (const auto broken = RunSchedule(mode, schedule)) {
        const std::string shrunk = Shrink(mode, schedule);
        ADD_FAILURE() << "schedule " << n << " (" << Name(mode) << "): " << *broken
                      << "\n  replay: RunSchedule(" << Name(mode) << ", \"" << shrunk << "\") -> "
                      << RunSchedule(mode, shrunk).value_or("passes");
        ++failures;
      }
    }
  }
}

}  // namespace
}  // namespace platform
