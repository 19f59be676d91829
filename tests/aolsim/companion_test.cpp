// The demo's room: a companion program started with the client and given time to say
// goodbye however the client is ended, and chatters who talk now and then.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <map>
#include <set>

#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"
#include "tests/support/wait_for_file.h"

namespace aolsim_test {

using namespace spindeck::testing;

namespace {

using namespace win32;

// A stand-in for the jukebox: tells whether the desktop was served when it started, and how
// it was asked to end; it takes a second to end, or will not end at all.
const char kPolite[] =
    "trap 'echo term; sleep 1; echo bye; exit 0' TERM\n"
    "[ -S \"$SPINDECK_DESKTOP\" ] && echo served\n"
    "echo started\n"
    "while :; do sleep 0.05; done\n";
const char kStubborn[] =
    "trap '' TERM\n"
    "echo started $$\n"
    "while :; do sleep 0.05; done\n";

struct Fake {
  QTemporaryDir dir;
  QString log = dir.path() + "/log";
  explicit Fake(const char* script) {
    QFile file(dir.path() + "/fake.sh");
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script);
  }
  QStringList args() const {
    return {"--companion-log", log, "--companion", "sh", dir.path() + "/fake.sh"};
  }
  QString Text() const {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }
  bool WaitFor(const QString& text) const {
    return WaitForFile(log, [&] { return Text().contains(text); });
  }
};

TEST(Companion, EveryWayOfEndingWaitsForItsGoodbyeWhileTheRoomGoesOn) {
  const std::map<std::string, int> endings = {{"quit", 0},
                                              {"end of input", 0},
                                              {"SIGINT", SIGINT},
                                              {"SIGTERM", SIGTERM},
                                              {"SIGHUP", SIGHUP}};
  for (const auto& [ending, signal] : endings) {
    SCOPED_TRACE(ending);
    Fake fake(kPolite);
    AolsimProcess client(fake.args());
    ASSERT_TRUE(client.started());
    client.Command({"signon", "Dee"});
    client.Command({"room", "Lobby"});
    client.Sync();
    ASSERT_TRUE(fake.WaitFor("started"));
    EXPECT_TRUE(fake.Text().startsWith("served\n"));

    QElapsedTimer timer;
    timer.start();
    if (ending == "quit") client.Command({"quit"});
    if (ending == "end of input") client.CloseInput();
    if (signal != 0) ::kill(static_cast<pid_t>(client.pid()), signal);
    ASSERT_TRUE(fake.WaitFor("term"));
    // What the companion says on its way out still reaches the room.
    const HWND input = Child(RoomWindow("Lobby"), "RICHCNTL");
    SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("see you"));
    SendMessageA(input, WM_CHAR, 13, 0);
    EXPECT_EQ(client.NextEvent(), "line\tLobby\tDee\tsee you");

    EXPECT_EQ(client.WaitForExit(5000), 0);
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_EQ(fake.Text(), "served\nstarted\nterm\nbye\n");
  }
}

// Measures the client's wait, so it runs alone.
TEST(CompanionTimed, OneThatWillNotEndIsKilledAfterFiveSeconds) {
  Fake fake(kStubborn);
  AolsimProcess client(fake.args());
  ASSERT_TRUE(client.started());
  ASSERT_TRUE(fake.WaitFor("started"));
  const pid_t pid = fake.Text().split(' ').last().trimmed().toInt();
  ASSERT_GT(pid, 0);
  // A session of its own, so that the terminal's Ctrl-C and hang-up do not reach it.
  EXPECT_EQ(::getsid(pid), pid);
  QElapsedTimer timer;
  timer.start();
  ::kill(static_cast<pid_t>(client.pid()), SIGTERM);
  EXPECT_EQ(client.WaitForExit(8000), 0);
  EXPECT_GE(timer.elapsed(), 4500);
  EXPECT_LT(timer.elapsed(), 7000);
  EXPECT_NE(::kill(pid, 0), 0);
}

TEST(Chatters, EachTalksNowAndThenInTheTopRoomWithoutRepeatingItself) {
  AolsimProcess client({"--chatters", "Ann,Bob", "--chatter-pause", "0.01-0.03"});
  ASSERT_TRUE(client.started());
  client.Command({"signon", "Dee"});
  client.Command({"room", "jams"});
  std::map<std::string, std::vector<std::string>> said;
  const auto enough = [&] {
    return said.size() == 2 && said.begin()->second.size() >= 5 &&
           said.rbegin()->second.size() >= 5;
  };
  const QDeadlineTimer deadline(30000);
  while (!enough() && !deadline.hasExpired()) {
    const std::string event = client.NextEvent(static_cast<int>(deadline.remainingTime()));
    const QStringList f = QString::fromStdString(event).split('\t');
    if (f.size() == 4 && f[0] == "line") {
      EXPECT_EQ(f[1], "jams");
      said[f[2].toStdString()].push_back(f[3].toStdString());
    }
  }
  ASSERT_EQ(said.size(), 2u);
  for (const auto& [name, remarks] : said) {
    SCOPED_TRACE(name);
    ASSERT_GE(remarks.size(), 5u);
    for (std::size_t i = 1; i < remarks.size(); ++i) EXPECT_NE(remarks[i], remarks[i - 1]);
  }
  // They are in the room's member list, beside the user.
  const auto names = MemberNames(Child(RoomWindow("jams"), "_AOL_Listbox"));
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
            (std::set<std::string>{"Dee", "Ann", "Bob"}));
}

}  // namespace
}  // namespace aolsim_test
