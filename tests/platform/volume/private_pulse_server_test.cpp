// Where the run promises a sound server, a private server that cannot start fails the test:
// CI must not pass by skipping every test that plays into PulseAudio.
#include "tests/platform/volume/private_pulse_server.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using spindeck::testing::PrivatePulseServer;

// Sets an environment variable for the scope, and puts back what was there.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedVariable() {
    if (had_) {
      qputenv(name_, old_);
    } else {
      qunsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

void StartAServer() {
  PrivatePulseServer server;
  SPINDECK_START_PULSE_OR_SKIP(server);
}

TEST(PrivatePulseServerTest, WhereRequiredAServerThatCannotStartFailsTheTest) {
  ScopedVariable required("SPINDECK_CI_PULSE", "1");
  ScopedVariable noPrograms("PATH", "/nonexistent");
  EXPECT_FATAL_FAILURE(StartAServer(), "SPINDECK_CI_PULSE=1 requires one");
}

TEST(PrivatePulseServerTest, ItsServerIsItsOwnEvenBesideTheRunsServer) {
  ScopedVariable runsServer("PULSE_SERVER", "unix:/nonexistent/the/runs/server");
  PrivatePulseServer first;
  PrivatePulseServer second;
  SPINDECK_START_PULSE_OR_SKIP(first);
  SPINDECK_START_PULSE_OR_SKIP(second);
  EXPECT_NE(first.serverAddress(), second.serverAddress());
  QString info;
  ASSERT_TRUE(second.Pactl({"info"}, &info));
  EXPECT_TRUE(info.contains(PrivatePulseServer::kSinkName)) << info.toStdString();
  ASSERT_TRUE(first.Pactl({"set-sink-volume", "@DEFAULT_SINK@", "30%"}, nullptr));
  EXPECT_TRUE(first.DefaultSinkVolume().contains("30%"));
  EXPECT_FALSE(second.DefaultSinkVolume().contains("30%")) << "the sinks are shared";
}

}  // namespace
