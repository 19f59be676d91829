#include "platform/mediaplayer/stream_buffer.h"

#include <utility>

namespace platform {
namespace {

constexpr std::size_t kStreamChannels = 2;

double SecondsOf(std::size_t samples, long rate) {
  return rate > 0 ? static_cast<double>(samples / kStreamChannels) / static_cast<double>(rate)
                  : 0.0;
}

}  // namespace

StreamBuffer::StreamBuffer(double seconds, float gain) : capacitySeconds_(seconds), gain_(gain) {}

void StreamBuffer::Feed(std::span<const std::int16_t> interleaved, long rate) {
  if (interleaved.empty() || rate <= 0) return;
  const double seconds = SecondsOf(interleaved.size(), rate);
  {
    std::lock_guard lock(mutex_);
    if (queuedSeconds_ + seconds > capacitySeconds_) {
      droppedFrames_ += interleaved.size() / kStreamChannels;
      playing_ = true;
      return;
    }
  }
  // The copy is made outside the lock; only the stream's thread takes pieces out meanwhile,
  // so there is still room for it afterwards.
  Piece piece{rate, std::vector<std::int16_t>(interleaved.begin(), interleaved.end())};
  std::lock_guard lock(mutex_);
  queuedSeconds_ += seconds;
  pieces_.push_back(std::move(piece));
  playing_ = true;
}

void StreamBuffer::Idle() {
  std::lock_guard lock(mutex_);
  playing_ = false;
}

bool StreamBuffer::playing() const {
  std::lock_guard lock(mutex_);
  return playing_;
}

std::optional<StreamBuffer::Piece> StreamBuffer::Take() {
  std::lock_guard lock(mutex_);
  if (pieces_.empty()) return std::nullopt;
  Piece piece = std::move(pieces_.front());
  pieces_.pop_front();
  queuedSeconds_ -= SecondsOf(piece.samples.size(), piece.rate);
  if (pieces_.empty()) queuedSeconds_ = 0.0;  // no drift from rounding
  return piece;
}

void StreamBuffer::Clear() {
  std::deque<Piece> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(pieces_);
    queuedSeconds_ = 0.0;
  }
  // Freed outside the lock.
}

double StreamBuffer::queuedSeconds() const {
  std::lock_guard lock(mutex_);
  return queuedSeconds_;
}

std::uint64_t StreamBuffer::droppedFrames() const {
  std::lock_guard lock(mutex_);
  return droppedFrames_;
}

}  // namespace platform
