// Test entry point: every test runs inside a Qt application, as the program does, so that the
// pause helper, timers and sockets have an event loop to turn. Without a display the offscreen
// platform is used, and the player's output is the paced null output.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  // Players made by tests play in silence, paced in real time, unless a test chooses.
  setenv("SPINDECK_AUDIO", "null", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
