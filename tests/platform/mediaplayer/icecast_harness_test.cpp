// The test Icecast server itself: it comes up on loopback, reports its mounts, and a restart
// comes back on the same port (the stream tests rely on all three).
#include <gtest/gtest.h>

#include "tests/support/icecast_server.h"

namespace {

using spindeck::testing::IcecastServer;

TEST(IcecastHarness, StartsAnswersAndRestartsOnItsPort) {
  IcecastServer server;
  ASSERT_TRUE(server.Start());
  const int port = server.port();
  EXPECT_GT(port, 0);
  EXPECT_FALSE(server.HasSource("/spindeck.mp3"));
  EXPECT_FALSE(server.Title("/spindeck.mp3").has_value());
  EXPECT_EQ(server.ListenUrl("/spindeck.mp3"),
            "http://127.0.0.1:" + std::to_string(port) + "/spindeck.mp3");

  server.Stop();
  EXPECT_FALSE(server.running());
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(server.port(), port);
  EXPECT_NE(server.log().find("server started"), std::string::npos) << server.log();
}

}  // namespace
