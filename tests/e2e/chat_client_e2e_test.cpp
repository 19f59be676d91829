// The program and the stand-in chat client as separate processes: commands typed in the room
// come back as styled lines, whatever happens to the client.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/e2e/processes.h"
#include "tests/support/fake_chat.h"

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
    for (int i = 0; i < 2; ++i) EXPECT_NE(sim.WaitForLine("DjSam", 10000), "<no line>");
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
  Spindeck program(desktop.path(), folder.path());
  Spin(800);
  EXPECT_TRUE(program.running());
  {
    auto sim = StartClient();
    Spin(300);
    sim->Command({"say", "DjSam", "eliteoff"});
    // The greeting's second line may still reach this client; the answer comes after it.
    EXPECT_TRUE(sim->WaitFor(
        [](const Event& e) { return e.size() >= 4 && e[0] == "line" && e[3] == kEliteOff; }));
    sim->Kill();
  }
  Spin(500);
  EXPECT_TRUE(program.running());
  auto sim = StartClient();
  Spin(300);
  sim->Command({"say", "DjSam", "eliteon"});
  EXPECT_EQ(sim->WaitForLine("DjSam"), "eliteon");
  EXPECT_EQ(sim->WaitForLine("DjSam"), testing::PlainLine("elite text: \xC3\xB8n"));
}

TEST_F(ChatClientE2E, AStoppedClientDoesNotHangTheProgram) {
  auto sim = StartClient();
  Spindeck program(desktop.path(), folder.path());
  WaitForGreeting(*sim);
  ::kill(static_cast<pid_t>(sim->pid()), SIGSTOP);
  Spin(5000);  // the program's calls time out meanwhile
  EXPECT_TRUE(program.running());
  ::kill(static_cast<pid_t>(sim->pid()), SIGCONT);
  Spin(3000);  // calls queued while stopped are answered and dropped
  sim->Command({"say", "DjSam", "eliteoff"});
  EXPECT_EQ(sim->WaitForLine("DjSam", 8000), "eliteoff");
  EXPECT_EQ(sim->WaitForLine("DjSam", 8000), kEliteOff);
}

}  // namespace
}  // namespace spindeck::e2e
