#include "platform/mediaplayer/length_scanner.h"

#include <utility>

#include "platform/mediaplayer/decoders/decoder_choice.h"

namespace platform {

LengthScanner::LengthScanner(Found found) : found_(std::move(found)), thread_([this] { Run(); }) {}

LengthScanner::~LengthScanner() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    wantedTicket_ = 0;
  }
  wake_.notify_one();
  thread_.join();
}

void LengthScanner::Scan(const std::string& nativePath, std::uint64_t ticket) {
  {
    std::lock_guard lock(mutex_);
    pendingPath_ = nativePath;
    wantedTicket_ = ticket;
  }
  wake_.notify_one();
}

void LengthScanner::Cancel() {
  std::lock_guard lock(mutex_);
  pendingPath_.reset();
  wantedTicket_ = 0;
}

bool LengthScanner::Wanted(std::uint64_t ticket) const {
  std::lock_guard lock(mutex_);
  return !quit_ && ticket == wantedTicket_;
}

void LengthScanner::Run() {
  while (true) {
    std::string path;
    std::uint64_t ticket = 0;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return quit_ || pendingPath_.has_value(); });
      if (quit_) return;
      path = std::move(*pendingPath_);
      pendingPath_.reset();
      ticket = wantedTicket_;
    }
    const auto frames = ScanSongLength(path, [&] { return !Wanted(ticket); });
    if (!frames) continue;
    std::lock_guard lock(mutex_);
    // Reported under the lock, so that nothing is reported once the destructor has begun.
    if (!quit_ && ticket == wantedTicket_) found_(ticket, *frames);
  }
}

}  // namespace platform
