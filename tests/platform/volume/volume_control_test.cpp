// The computer volume control, with no sound server and with a private PulseAudio server.
#include "platform/volume/volume_control.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>

#include "tests/platform/volume/private_pulse_server.h"

namespace {

using platform::VolumeControl;
using spindeck::testing::PrivatePulseServer;

bool MachineHasSoundCard() {
  return !QDir("/dev/snd").entryList({"controlC*"}, QDir::System).isEmpty();
}

// Claims that setting the volume does not wait for a server, so it runs alone.
TEST(VolumeControlTimed, WithoutAnyServerTheValueIsKeptQuickly) {
  if (MachineHasSoundCard()) GTEST_SKIP() << "a sound card is present; its mixer is left alone";
  const QByteArray old = qgetenv("PULSE_SERVER");
  qputenv("PULSE_SERVER", "unix:/nonexistent/spindeck/pulse/native");
  VolumeControl control;
  EXPECT_EQ(control.volume(), 100);
  QElapsedTimer clock;
  clock.start();
  control.setVolume(70);
  EXPECT_LT(clock.elapsed(), 1500);
  EXPECT_EQ(control.volume(), 70);
  EXPECT_EQ(control.appliedTo(), VolumeControl::AppliedTo::kNothing);
  control.setVolume(150);
  EXPECT_EQ(control.volume(), 100);
  control.setVolume(-5);
  EXPECT_EQ(control.volume(), 0);
  if (old.isEmpty()) {
    qunsetenv("PULSE_SERVER");
  } else {
    qputenv("PULSE_SERVER", old);
  }
}

// The percent of pactl's line "Volume: front-left: 45875 /  70% / -9.29 dB, ...", per channel.
QStringList Percents(const QString& pactlVolume) {
  QStringList found;
  auto it = QRegularExpression(R"((\d+)%)").globalMatch(pactlVolume);
  while (it.hasNext()) found << it.next().captured(1);
  return found;
}

TEST(VolumeControlTest, SetsThePulseServersDefaultSink) {
  PrivatePulseServer server;
  SPINDECK_START_PULSE_OR_SKIP(server);
  VolumeControl control;
  control.setVolume(70);
  EXPECT_EQ(control.appliedTo(), VolumeControl::AppliedTo::kPulseDefaultSink);
  EXPECT_EQ(Percents(server.DefaultSinkVolume()), QStringList({"70", "70"}))
      << server.DefaultSinkVolume().toStdString();
  control.setVolume(7);
  EXPECT_EQ(Percents(server.DefaultSinkVolume()), QStringList({"7", "7"}));
  control.setVolume(100);
  EXPECT_EQ(Percents(server.DefaultSinkVolume()), QStringList({"100", "100"}));
  EXPECT_EQ(control.volume(), 100);
}

}  // namespace
