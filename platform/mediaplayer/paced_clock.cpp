#include "platform/mediaplayer/paced_clock.h"

#include <algorithm>
#include <thread>

namespace platform {
namespace {

// Drain sleeps in slices this long, so that a stop or a jump is seen promptly.
constexpr auto kDrainSlice = std::chrono::milliseconds(20);
// A writer this late has missed its time (the machine was busy); the clock starts afresh
// instead of letting it rush the missed audio through.
constexpr auto kLateLimit = std::chrono::milliseconds(200);

}  // namespace

void PacedClock::Start(long rate) {
  rate_ = rate > 0 ? rate : 1;
  anchor_ = Clock::now();
  anchorFrames_ = writtenFrames_ = 0;
  paused_ = false;
}

PacedClock::Clock::time_point PacedClock::HeardAt(std::int64_t frames) const {
  const auto offset = std::chrono::duration<double>(static_cast<double>(frames - anchorFrames_) /
                                                    static_cast<double>(rate_));
  return anchor_ + std::chrono::duration_cast<Clock::duration>(offset);
}

void PacedClock::Advance(std::int64_t frames) {
  if (paused_) Resume();
  const auto due = HeardAt(writtenFrames_);
  const auto now = Clock::now();
  if (now > due + kLateLimit) {
    anchor_ = now;
    anchorFrames_ = writtenFrames_;
  } else if (due > now) {
    std::this_thread::sleep_until(due);
  }
  writtenFrames_ += frames;
}

bool PacedClock::WaitUntilHeard(const std::function<bool()>& interrupted) {
  const auto end = HeardAt(writtenFrames_);
  while (true) {
    if (interrupted && interrupted()) return false;
    const auto now = Clock::now();
    if (now >= end) return true;
    std::this_thread::sleep_for(std::min<Clock::duration>(end - now, kDrainSlice));
  }
}

void PacedClock::Pause() {
  if (paused_) return;
  const auto now = Clock::now();
  const double heard = anchorFrames_ + std::chrono::duration<double>(now - anchor_).count() *
                                           static_cast<double>(rate_);
  anchorFrames_ = std::min<std::int64_t>(writtenFrames_, static_cast<std::int64_t>(heard));
  anchor_ = now;
  paused_ = true;
}

void PacedClock::Resume() {
  if (!paused_) return;
  anchor_ = Clock::now();
  paused_ = false;
}

void PacedClock::Discard() {
  anchor_ = Clock::now();
  anchorFrames_ = writtenFrames_;
}

}  // namespace platform
