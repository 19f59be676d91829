// The program's end while its sound server has stopped answering (SIGSTOP).
#include <gtest/gtest.h>

#include "tests/platform/volume/private_pulse_server.h"
#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

TEST(SoundServerE2E, EndSaysGoodbyeAndEndsTheProgramWhileTheServerIsStopped) {
  testing::PrivatePulseServer server;
  SPINDECK_START_PULSE_OR_SKIP(server);
  Jukebox deck(server.ProgramEnvironment());
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("long.mp3", {"--seconds", "60", "--volume", "0.1"}));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>001</b> files"));
  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. long"));
  // The song's stream reaches the server before it is stopped.
  QString streams;
  for (int i = 0; i < 100 && streams.trimmed().isEmpty(); ++i) {
    server.Pactl({"list", "short", "sink-inputs"}, &streams);
    if (streams.trimmed().isEmpty()) Spin(100);
  }
  ASSERT_FALSE(streams.trimmed().isEmpty());
  server.Freeze();
  // Let the player fill what the server still takes: its thread then waits in a write that
  // never returns. (Nothing outside the program shows that moment; the checks below hold
  // either way, they only test less if the thread is not stuck yet.)
  Spin(500);

  deck.Say("end");
  EXPECT_NE(deck.NextReply(10000).find("deactivated"), std::string::npos);
  EXPECT_NE(deck.NextReply(10000).find("goodbye: "), std::string::npos);
  for (int i = 0; i < 200 && deck.program().running(); ++i) Spin(100);
  EXPECT_FALSE(deck.program().running());
  server.Thaw();
}

}  // namespace
}  // namespace spindeck::e2e
