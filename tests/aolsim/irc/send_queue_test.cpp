// The outgoing queue's rate: a burst, then one line every two seconds, in order, bounded.
#include "aolsim/irc/send_queue.h"

#include <gtest/gtest.h>

namespace aolsim::irc {
namespace {

TEST(SendQueue, ABurstThenOneLineEveryTwoSecondsInOrderAndNoneLost) {
  SendQueue queue;
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(queue.Push("line " + std::to_string(i)));
  std::vector<std::string> sent;
  while (auto line = queue.Pop(0)) sent.push_back(*line);
  EXPECT_EQ(sent.size(), static_cast<std::size_t>(SendQueue::kBurst));
  EXPECT_EQ(queue.WaitMs(0), SendQueue::kIntervalMs);
  EXPECT_EQ(queue.Pop(1999), std::nullopt);
  EXPECT_EQ(queue.Pop(2000), "line 5");
  EXPECT_EQ(queue.Pop(2000), std::nullopt);
  // A long quiet spell earns one burst, not more.
  EXPECT_EQ(queue.Pop(60000), "line 6");
  EXPECT_EQ(queue.Pop(60000), "line 7");
  EXPECT_EQ(queue.WaitMs(60000), -1);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(queue.Push("x"));
  int burst = 0;
  while (queue.Pop(60000)) ++burst;
  EXPECT_EQ(burst, SendQueue::kBurst - 2);
}

TEST(SendQueue, AFullQueueRefusesALineRatherThanDropOne) {
  SendQueue queue;
  for (std::size_t i = 0; i < SendQueue::kCapacity; ++i) ASSERT_TRUE(queue.Push("x"));
  EXPECT_FALSE(queue.Push("one too many"));
  EXPECT_EQ(queue.size(), SendQueue::kCapacity);
  ASSERT_TRUE(queue.Pop(0));
  EXPECT_TRUE(queue.Push("room again"));
}

}  // namespace
}  // namespace aolsim::irc
