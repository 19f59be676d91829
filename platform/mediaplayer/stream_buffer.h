#pragma once
// The hand-over of audio from the playback thread to the stream's thread: a bounded queue of
// pieces of interleaved 16-bit stereo PCM, each with its sample rate. Feeding only copies under
// a short lock and never waits for the stream; when the queue is full the piece is dropped
// from the stream (and counted), so the sound server's audio never waits on the network.
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace platform {

class StreamBuffer {
 public:
  struct Piece {
    long rate = 0;
    std::vector<std::int16_t> samples;  // interleaved stereo
  };

  // Holds at most `seconds` of audio; the player feeds it at `gain` (linear).
  StreamBuffer(double seconds, float gain);
  float gain() const { return gain_; }

  // From the playback thread: queues a copy of the piece, or drops it when the queue is full.
  // The player counts as playing from then on.
  void Feed(std::span<const std::int16_t> interleaved, long rate);
  // From the playback thread: nothing plays now (stopped, paused, or a song's end reached),
  // so the stream may fill the time with silence at once.
  void Idle();
  // Whether the player plays: fed since it was last idle (and not idle since it was made).
  bool playing() const;
  // From the stream's thread: the oldest piece, if any.
  std::optional<Piece> Take();
  // Drops everything queued, as while the server cannot be reached (not counted: nobody
  // listens then).
  void Clear();
  // Seconds of audio queued.
  double queuedSeconds() const;
  // Frames dropped from the stream so far.
  std::uint64_t droppedFrames() const;

 private:
  const double capacitySeconds_;
  const float gain_;
  mutable std::mutex mutex_;
  // Guarded by mutex_:
  std::deque<Piece> pieces_;
  double queuedSeconds_ = 0.0;
  std::uint64_t droppedFrames_ = 0;
  bool playing_ = false;
};

}  // namespace platform
