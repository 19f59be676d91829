#pragma once
// Audio through one of libout123's output modules ("pulse" or "alsa") on its default device.
#include <memory>
#include <string>

#include "platform/mediaplayer/audio_sink.h"

struct out123_struct;

namespace platform {

class Out123Sink : public AudioSink {
 public:
  // Loads the module and opens its default device. Null when either fails. The module is always
  // named: left to itself libout123 may settle on a module that spins on a machine without
  // sound.
  static std::unique_ptr<Out123Sink> Open(const std::string& module);

  ~Out123Sink() override;

  std::string name() const override { return module_; }
  long Start(long rate) override;
  bool Write(std::int16_t* samples, std::size_t frames) override;
  bool Drain(const std::function<bool()>& interrupted) override;
  void Pause() override;
  void Resume() override;
  void Discard() override;
  void Stop() override;

 private:
  struct HandleRelease {
    void operator()(out123_struct* handle) const;
  };
  class Key {
    friend class Out123Sink;
    Key() = default;
  };

 public:
  explicit Out123Sink(Key) {}

 private:
  std::unique_ptr<out123_struct, HandleRelease> handle_;
  std::string module_;
  long rate_ = 0;
  bool started_ = false;
};

}  // namespace platform
