// The tests' own checks: a process that ends badly, a reply that comes before the one expected
// and a step that hangs each fail the test.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/jukebox.h"
#include "tests/support/process_exit.h"
#include "tests/support/stop_process.h"
#include "tests/support/watchdog.h"

namespace spindeck::e2e {
namespace {

using testing::ExitFault;

TEST(HarnessE2E, CrashesOtherCodesAndSanitizerReportsAreFaults) {
  EXPECT_EQ(ExitFault(QProcess::NormalExit, 0, "a warning\n"), "");
  EXPECT_EQ(ExitFault(QProcess::NormalExit, 2, "", 2), "");
  EXPECT_EQ(ExitFault(QProcess::CrashExit, 6, ""), "it was ended by signal 6 (Aborted)");
  EXPECT_EQ(ExitFault(QProcess::NormalExit, 1, ""), "it exited with 1 instead of 0");
  // Sanitizers that report and let the process go on still exit with 0.
  EXPECT_NE(ExitFault(QProcess::NormalExit, 0, "==1==ERROR: AddressSanitizer: heap-use-after-free"),
            "");
  EXPECT_NE(ExitFault(QProcess::NormalExit, 0, "a.cpp:3:5: runtime error: signed integer overflow"),
            "");
}

// The messages of the failures that the statements add, taken aside so that this test passes.
template <typename Statements>
std::vector<std::string> FailuresOf(Statements statements) {
  ::testing::TestPartResultArray results;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
    statements();
  }
  std::vector<std::string> failures;
  for (int i = 0; i < results.size(); ++i)
    failures.push_back(results.GetTestPartResult(i).message());
  return failures;
}

TEST(HarnessE2E, AProgramThatAbortsAtItsEndFailsTheTest) {
  QProcessEnvironment abortAtExit;
  abortAtExit.insert("SPINDECK_TEST_ABORT_AT_EXIT", "1");
  for (const bool byItself : {true, false}) {
    const auto failures = FailuresOf([&] {
      Jukebox deck(abortAtExit);
      ASSERT_TRUE(deck.started());
      if (byItself) {
        deck.Say("end");
        EXPECT_TRUE(deck.program().WaitForExit(30000));
      }
      // Otherwise the harness ends it with SIGTERM.
    });
    ASSERT_EQ(failures.size(), 1u) << "ended by itself: " << byItself;
    EXPECT_NE(failures[0].find("The program ended badly: it was ended by signal 6"),
              std::string::npos)
        << failures[0];
  }
}

TEST(HarnessE2E, AServerThatCrashesOrWillNotEndFailsTheTest) {
  const auto stopped = [](const QString& script) {
    QProcess server;
    // The script says "ready" once its signal handling is set up.
    server.start("sh", {"-c", script});
    EXPECT_TRUE(server.waitForReadyRead(10000));
    return FailuresOf([&] { testing::StopProcess(server, "sh", [] { return "its output"; }); })
        .size();
  };
  const QString loop = "; echo ready; while :; do sleep 0.1; done";
  EXPECT_EQ(stopped("trap 'exit 0' TERM" + loop), 0u);
  EXPECT_EQ(stopped("trap 'exit 3' TERM" + loop), 1u);
  EXPECT_EQ(stopped("echo ready; kill -SEGV $$"), 1u);
  EXPECT_EQ(stopped("trap '' TERM" + loop), 1u);  // killed 5 s later
}

TEST(HarnessE2E, AReplyBeforeTheSentinelsAnswerFailsTheCheck) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  deck.Say("dj?");
  const auto failures = FailuresOf([&] { EXPECT_FALSE(deck.NothingBefore()); });
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("a reply came before the answer to eliteoff"), std::string::npos)
      << failures[0];
}

TEST(HarnessE2E, AStepThatHangsEndsTheTestProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        const testing::Watchdog bound(std::chrono::milliseconds(100), "the step");
        std::this_thread::sleep_for(std::chrono::seconds(10));
      },
      "the step did not return within 100 ms");
}

}  // namespace
}  // namespace spindeck::e2e
