// Terminal mode: the colours of a rendered line, and a person's typed lines reaching the room.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "aolsim/terminal_mode.h"

namespace aolsim {
namespace {

TEST(AnsiLine, TurnsFontColoursAndWeightsIntoEscapes) {
  EXPECT_EQ(AnsiLine("<font color=\"#FF8000\">hot</font> cold"),
            "\x1b[38;2;255;128;0mhot\x1b[39m cold\x1b[0m");
  EXPECT_EQ(AnsiLine("<FONT COLOR=red><b>a</b></FONT>"),
            "\x1b[38;2;255;0;0m\x1b[1ma\x1b[22m\x1b[39m\x1b[0m");
  // Nested fonts give back the outer colour; a font without a colour keeps the current one.
  EXPECT_EQ(AnsiLine("<font color=#0000ff>x<font color=#00ff00>y</font>z</font>"),
            "\x1b[38;2;0;0;255mx\x1b[38;2;0;255;0my\x1b[38;2;0;0;255mz\x1b[39m\x1b[0m");
  EXPECT_EQ(AnsiLine("<font face=Arial>x</font>"), "\x1b[39mx\x1b[39m\x1b[0m");
  EXPECT_EQ(AnsiLine("</font>&lt;3 <font color=#zz>"), "<3\x1b[39m\x1b[0m");
}

TEST(TerminalMode, TypedLinesAndSlashCommandsReachTheRoom) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/desktop";
  setenv("SPINDECK_DESKTOP", path.c_str(), 1);
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SPINDECK_DESKTOP", QString::fromStdString(path));
  env.insert("AOLSIM_NAME", "Dee");
  process.setProcessEnvironment(env);
  process.start(AOLSIM_EXE, {});
  ASSERT_TRUE(process.waitForStarted(5000));
  process.write("next please\n/as Ann <font color=#ff0000>hi</font>\n//slash\n");
  process.closeWriteChannel();
  ASSERT_TRUE(process.waitForFinished(5000));
  const QString out = QString::fromUtf8(process.readAllStandardOutput());
  EXPECT_TRUE(out.contains("Dee:\x1b[0m next please")) << out.toStdString();
  EXPECT_TRUE(out.contains("Ann:\x1b[0m \x1b[38;2;255;0;0mhi")) << out.toStdString();
  EXPECT_TRUE(out.contains("Dee:\x1b[0m /slash")) << out.toStdString();
}

}  // namespace
}  // namespace aolsim
