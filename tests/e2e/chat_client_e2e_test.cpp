// The program and the stand-in chat client as separate processes: commands typed in the room
// come back as styled lines, whatever happens to the client.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <csignal>

#include "tests/support/fake_chat.h"
#include "tests/support/processes.h"

namespace spindeck::e2e {
namespace {

const std::string kEliteOff = testing::PlainLine("elite text: off");

class ChatClientE2E : public ::testing::Test {
 protected:
  TestDesktop desktop;
  QTemporaryDir folder;

  std::unique_ptr<AolSim> StartClient() {
    auto sim = std::make_unique<AolSim>(desktop.path());
    EXPECT_TRUE(sim->ready());
    sim->Command({"signon", "DjSam"});
    sim->Command({"room", "lobby"});
    sim->Command({"join", "Bob"});
    return sim;
  }
  // The program's two greeting lines, which come once its scanner runs.
  static void WaitForGreeting(AolSim& sim) {
    for (int i = 0; i < 2; ++i) EXPECT_NE(sim.WaitForLine("DjSam", 30000), "<no line>");
  }
  // The user says the command until the program answers it. The program takes what a room
  // shows when it finds the room as read, so a line said before it has found the client (or
  // found it again) goes unanswered; nothing tells the test when that has happened. Any
  // answer after the first is left unread, so the command must be one that may be repeated.
  static bool SayUntilAnswered(AolSim& sim, const std::string& command, const std::string& reply) {
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
      sim.Command({"say", "DjSam", command});
      if (sim.WaitFor(
              [&](const Event& e) { return e.size() >= 4 && e[0] == "line" && e[3] == reply; },
              2000)) {
        return true;
      }
    }
    return false;
  }
};

TEST_F(ChatClientE2E, TheUsersCommandIsAnsweredAndOthersAreIgnored) {
  auto sim = StartClient();
  Spindeck program(desktop.path(), folder.path());
  WaitForGreeting(*sim);
  sim->Command({"say", "Bob", "eliteoff"});
  sim->Command({"say", "DjSam", "eliteoff"});
  EXPECT_EQ(sim->WaitForLine("Bob"), "eliteoff");
  EXPECT_EQ(sim->WaitForLine("DjSam"), "eliteoff");
  EXPECT_EQ(sim->WaitForLine("DjSam"), kEliteOff);
  // Exactly one reply: neither Bob's line nor the program's own reply was obeyed.
  EXPECT_FALSE(sim->WaitFor(
      [](const Event& e) { return e.size() >= 3 && e[0] == "line" && e[2] == "DjSam"; }, 1500));
  EXPECT_TRUE(program.running());
}

TEST_F(ChatClientE2E, KeepsRunningWithoutAClientAndFindsARestartedOne) {
  // The program starts before any client is there.
  Spindeck program(desktop.path(), folder.path());
  {
    // The greeting's second line may still reach this client; the answer comes after it.
    auto sim = StartClient();
    EXPECT_TRUE(SayUntilAnswered(*sim, "eliteoff", kEliteOff));
    sim->Kill();
  }
  // Answered by the program that lost its client.
  auto sim = StartClient();
  EXPECT_TRUE(SayUntilAnswered(*sim, "eliteon", testing::PlainLine("elite text: \xC3\xB8n")));
}

// Only time shows that the program's calls to a stopped client time out: this runs alone.
class ChatClientTimed : public ChatClientE2E {};

TEST_F(ChatClientTimed, AStoppedClientDoesNotHangTheProgram) {
  auto sim = StartClient();
  Spindeck program(desktop.path(), folder.path());
  WaitForGreeting(*sim);
  ::kill(static_cast<pid_t>(sim->pid()), SIGSTOP);
  Spin(5000);  // the program's calls time out meanwhile
  EXPECT_TRUE(program.running());
  ::kill(static_cast<pid_t>(sim->pid()), SIGCONT);
  // Calls queued while it was stopped are answered and dropped; the program answers again.
  EXPECT_TRUE(SayUntilAnswered(*sim, "eliteoff", kEliteOff));
}

}  // namespace
}  // namespace spindeck::e2e
