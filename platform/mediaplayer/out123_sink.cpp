#include "platform/mediaplayer/out123_sink.h"

#include <out123.h>

namespace platform {
namespace {

// A small device buffer keeps pause, jumps and the reported position close to what is heard.
constexpr double kDeviceBufferSeconds = 0.2;

}  // namespace

void Out123Sink::HandleRelease::operator()(out123_struct* handle) const {
  out123_del(handle);
}

std::unique_ptr<Out123Sink> Out123Sink::Open(const std::string& module) {
  if (module.empty()) return nullptr;
  auto sink = std::make_unique<Out123Sink>(Key{});
  sink->handle_.reset(out123_new());
  out123_handle* ao = sink->handle_.get();
  if (ao == nullptr) return nullptr;
  out123_param2(ao, OUT123_ADD_FLAGS, OUT123_QUIET, 0.0, nullptr);
  out123_param2(ao, OUT123_DEVICEBUFFER, 0, kDeviceBufferSeconds, nullptr);
  out123_param_string(ao, OUT123_NAME, "spin.deck");
  // The device is NULL, the module's default: an empty device name is refused.
  if (out123_open(ao, module.c_str(), nullptr) != OUT123_OK) return nullptr;
  sink->module_ = module;
  return sink;
}

Out123Sink::~Out123Sink() {
  if (started_) Stop();
}

long Out123Sink::Start(long rate) {
  if (started_ && rate == rate_) return rate;
  if (started_) Stop();
  if (out123_start(handle_.get(), rate, kChannels, MPG123_ENC_SIGNED_16) != OUT123_OK) return 0;
  started_ = true;
  rate_ = rate;
  return rate;
}

bool Out123Sink::Write(std::int16_t* samples, std::size_t frames) {
  const std::size_t bytes = frames * AudioSink::kBytesPerFrame;
  return out123_play(handle_.get(), samples, bytes) == bytes;
}

bool Out123Sink::Drain(const std::function<bool()>& interrupted) {
  if (interrupted && interrupted()) return false;
  // Bounded by the small device buffer.
  out123_drain(handle_.get());
  return true;
}

void Out123Sink::Pause() {
  out123_pause(handle_.get());
}

void Out123Sink::Resume() {
  out123_continue(handle_.get());
}

void Out123Sink::Discard() {
  out123_drop(handle_.get());
}

void Out123Sink::Stop() {
  out123_drop(handle_.get());
  out123_stop(handle_.get());
  started_ = false;
  rate_ = 0;
}

}  // namespace platform
