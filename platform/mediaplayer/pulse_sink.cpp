#include "platform/mediaplayer/pulse_sink.h"

#include <pulse/operation.h>

#include <algorithm>

namespace platform {
namespace {

using std::chrono::milliseconds;

// The audio buffered ahead of what is heard: small, so that jumps and the reported position
// stay close to what is heard.
constexpr pa_usec_t kBufferUsec = 250'000;
// The server asks for more audio once this much has been played: the fewer requests, the
// fewer wake-ups, while what is left buffered still covers a busy moment of the machine.
constexpr pa_usec_t kRequestUsec = 60'000;
// A server that takes no audio (and answers nothing) for this long has stopped.
constexpr milliseconds kServerStallLimit(2000);
// The longest single wait of the loop: a write wakes only when the server asks for audio (or
// the stall limit comes nearer); the end of a song asks often whether it was interrupted.
constexpr milliseconds kWriteTurn(500);
constexpr milliseconds kTurn(50);

}  // namespace

std::unique_ptr<PulseSink> PulseSink::Open(milliseconds timeout) {
  auto sink = std::make_unique<PulseSink>(Key{});
  const auto deadline = Clock::now() + timeout;
  sink->mainloop_.reset(pa_mainloop_new());
  if (!sink->mainloop_) return nullptr;
  pa_context* raw = pa_context_new(pa_mainloop_get_api(sink->mainloop_.get()), "spin.deck");
  if (raw == nullptr) return nullptr;
  sink->context_.reset(raw);
  if (pa_context_connect(raw, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return nullptr;
  while (pa_context_get_state(raw) != PA_CONTEXT_READY) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(raw)) || left.count() <= 0) return nullptr;
    if (!sink->Turn(std::min(left, kTurn))) return nullptr;
  }
  return sink;
}

PulseSink::~PulseSink() {
  // The stream goes before the context and the loop that it lives on.
  stream_.reset();
}

bool PulseSink::Turn(milliseconds wait) {
  pa_mainloop* loop = mainloop_.get();
  const auto usec = std::chrono::duration_cast<std::chrono::microseconds>(wait).count();
  if (pa_mainloop_prepare(loop, static_cast<int>(usec)) < 0) return false;
  if (pa_mainloop_poll(loop) < 0) return false;
  return pa_mainloop_dispatch(loop) >= 0;
}

bool PulseSink::StreamGood() const {
  return stream_ && pa_context_get_state(context_.get()) == PA_CONTEXT_READY &&
         pa_stream_get_state(stream_.get()) == PA_STREAM_READY;
}

void PulseSink::Send(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
  Flush();
}

long PulseSink::Start(long rate) {
  if (stream_ && rate == rate_) return rate;
  Stop();
  pa_sample_spec spec{};
  spec.format = PA_SAMPLE_S16LE;
  spec.rate = static_cast<std::uint32_t>(rate);
  spec.channels = kChannels;
  if (rate <= 0 || pa_sample_spec_valid(&spec) == 0) return 0;
  stream_.reset(pa_stream_new(context_.get(), "spin.deck", &spec, nullptr));
  if (!stream_) return 0;
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kBufferUsec, &spec));
  attributes.prebuf = static_cast<std::uint32_t>(-1);
  attributes.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRequestUsec, &spec));
  attributes.fragsize = static_cast<std::uint32_t>(-1);
  // The latency is adjusted so that the whole buffer, the server's share included, stays
  // near the small figure above.
  if (pa_stream_connect_playback(stream_.get(), nullptr, &attributes, PA_STREAM_ADJUST_LATENCY,
                                 nullptr, nullptr) < 0) {
    stream_.reset();
    return 0;
  }
  const auto deadline = Clock::now() + kServerStallLimit;
  while (pa_stream_get_state(stream_.get()) != PA_STREAM_READY) {
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream_.get())) || Clock::now() >= deadline ||
        !Turn(kTurn)) {
      stream_.reset();
      return 0;
    }
  }
  rate_ = rate;
  return rate;
}

bool PulseSink::Write(std::int16_t* samples, std::size_t frames) {
  const auto* data = reinterpret_cast<const unsigned char*>(samples);
  std::size_t left = frames * AudioSink::kBytesPerFrame;
  auto deadline = Clock::now() + kServerStallLimit;
  while (left > 0) {
    if (!StreamGood()) return false;
    const std::size_t room = pa_stream_writable_size(stream_.get());
    if (room == static_cast<std::size_t>(-1)) return false;
    // Whole frames only, and what is kept back counts as written.
    const std::size_t free = room > unsent_.size() ? room - unsent_.size() : 0;
    const std::size_t bytes =
        std::min(free, left) / AudioSink::kBytesPerFrame * AudioSink::kBytesPerFrame;
    if (bytes > 0) {
      unsent_.insert(unsent_.end(), data, data + bytes);
      data += bytes;
      left -= bytes;
      deadline = Clock::now() + kServerStallLimit;
      continue;
    }
    // The buffer is full: hand over what was kept back and wait for the server to ask for more.
    if (!HandOver()) return false;
    const auto wait = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (wait.count() <= 0 || !Turn(std::min(wait, kWriteTurn))) return false;
  }
  return true;
}

bool PulseSink::HandOver() {
  if (unsent_.empty()) return true;
  const bool written =
      StreamGood() && pa_stream_write(stream_.get(), unsent_.data(), unsent_.size(), nullptr, 0,
                                      PA_SEEK_RELATIVE) >= 0;
  unsent_.clear();
  return written;
}

bool PulseSink::Drain(const std::function<bool()>& interrupted) {
  if (interrupted && interrupted()) return false;
  if (!HandOver() || !StreamGood()) return true;
  const PulseOperation drain(pa_stream_drain(stream_.get(), nullptr, nullptr));
  if (!drain) return true;
  // Bounded: what is buffered plays within its length; a server that stopped is let be.
  const auto deadline = Clock::now() + kServerStallLimit;
  while (pa_operation_get_state(drain.get()) == PA_OPERATION_RUNNING) {
    if (interrupted && interrupted()) {
      pa_operation_cancel(drain.get());
      return false;
    }
    if (!StreamGood() || Clock::now() >= deadline || !Turn(kTurn)) break;
  }
  return true;
}

void PulseSink::Pause() {
  HandOver();
  if (StreamGood()) Send(pa_stream_cork(stream_.get(), 1, nullptr, nullptr));
}

void PulseSink::Resume() {
  if (StreamGood()) Send(pa_stream_cork(stream_.get(), 0, nullptr, nullptr));
}

void PulseSink::Discard() {
  unsent_.clear();
  if (StreamGood()) Send(pa_stream_flush(stream_.get(), nullptr, nullptr));
}

void PulseSink::Stop() {
  Discard();
  if (stream_) {
    stream_.reset();
    Flush();
  }
  rate_ = 0;
}

}  // namespace platform
