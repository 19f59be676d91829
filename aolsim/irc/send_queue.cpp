#include "aolsim/irc/send_queue.h"

#include <algorithm>

namespace aolsim::irc {

bool SendQueue::Push(std::string line) {
  if (lines_.size() >= kCapacity) return false;
  lines_.push_back(std::move(line));
  return true;
}

void SendQueue::Earn(std::int64_t nowMs) {
  if (lastMs_ >= 0 && nowMs > lastMs_) {
    credit_ = std::min(credit_ + (nowMs - lastMs_), kBurst * kIntervalMs);
  }
  if (nowMs > lastMs_) lastMs_ = nowMs;
}

std::optional<std::string> SendQueue::Pop(std::int64_t nowMs) {
  Earn(nowMs);
  if (lines_.empty() || credit_ < kIntervalMs) return std::nullopt;
  credit_ -= kIntervalMs;
  std::string line = std::move(lines_.front());
  lines_.pop_front();
  return line;
}

std::int64_t SendQueue::WaitMs(std::int64_t nowMs) {
  Earn(nowMs);
  if (lines_.empty()) return -1;
  return std::max<std::int64_t>(0, kIntervalMs - credit_);
}

}  // namespace aolsim::irc
