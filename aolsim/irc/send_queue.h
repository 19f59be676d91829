#pragma once
// The queue that the client's outgoing chat lines wait in, so that it keeps to the rate that
// servers enforce: a short burst, then one line every two seconds, as common clients do.
// Lines leave whole and in order; none is dropped. The queue is bounded: Push refuses a line
// when it is full, and the caller says so. Time is given in milliseconds by the caller.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace aolsim::irc {

class SendQueue {
 public:
  static constexpr int kBurst = 5;
  static constexpr std::int64_t kIntervalMs = 2000;
  static constexpr std::size_t kCapacity = 256;

  // False when the queue is full; the line is then not taken.
  bool Push(std::string line);
  // The next line when it may leave at `nowMs`, and takes it.
  std::optional<std::string> Pop(std::int64_t nowMs);
  // How long until the next line may leave: 0 when it may now, -1 when the queue is empty.
  std::int64_t WaitMs(std::int64_t nowMs);
  std::size_t size() const { return lines_.size(); }

 private:
  // Earns the credit that the time since the last look brings, up to a whole burst.
  void Earn(std::int64_t nowMs);

  std::deque<std::string> lines_;
  std::int64_t credit_ = kBurst * kIntervalMs;  // milliseconds of sending earned
  std::int64_t lastMs_ = -1;
};

}  // namespace aolsim::irc
