#include "platform/mediaplayer/audio_output_choice.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/mediaplayer/null_sink.h"
#include "platform/mediaplayer/out123_sink.h"
#include "platform/mediaplayer/pulse_sink.h"
#include "platform/mediaplayer/wav_file_sink.h"

namespace platform {
namespace {

// The wait for a sound server to answer; none is started on demand, so a machine without sound
// never gets one started behind its back.
constexpr auto kPulseConnectTimeout = std::chrono::milliseconds(500);

// An ALSA playback device node (pcmC<card>D<device>p).
bool AlsaHasPlaybackDevice() {
  std::error_code error;
  for (std::filesystem::directory_iterator it("/dev/snd", error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with("pcmC") && name.ends_with('p')) return true;
  }
  return false;
}

std::unique_ptr<AudioSink> TryPulse() {
  return PulseSink::Open(kPulseConnectTimeout);
}

std::unique_ptr<AudioSink> TryAlsa() {
  if (!AlsaHasPlaybackDevice()) return nullptr;
  return Out123Sink::Open("alsa");
}

}  // namespace

AudioOutputChoice ParseAudioOutputChoice(const char* value) {
  AudioOutputChoice choice;
  if (value == nullptr) return choice;
  const std::string_view text(value);
  if (text == "null") {
    choice.kind = AudioOutputChoice::Kind::kNull;
  } else if (text == "pulse") {
    choice.kind = AudioOutputChoice::Kind::kPulse;
  } else if (text == "alsa") {
    choice.kind = AudioOutputChoice::Kind::kAlsa;
  } else if (text.starts_with("wav:")) {
    // "wav:" without a path asks for no sound at all.
    choice.kind = text.size() > 4 ? AudioOutputChoice::Kind::kWav : AudioOutputChoice::Kind::kNull;
    choice.wavPath = std::string(text.substr(4));
  }
  return choice;
}

AudioOutputChoice AudioOutputChoiceFromEnvironment() {
  return ParseAudioOutputChoice(std::getenv("SPINDECK_AUDIO"));
}

std::unique_ptr<AudioSink> OpenAudioOutput(const AudioOutputChoice& choice) {
  std::unique_ptr<AudioSink> sink;
  switch (choice.kind) {
    case AudioOutputChoice::Kind::kNull:
      break;
    case AudioOutputChoice::Kind::kWav:
      sink = std::make_unique<WavFileSink>(choice.wavPath);
      break;
    case AudioOutputChoice::Kind::kPulse:
      sink = TryPulse();
      break;
    case AudioOutputChoice::Kind::kAlsa:
      sink = TryAlsa();
      break;
    case AudioOutputChoice::Kind::kAutomatic:
      sink = TryPulse();
      if (!sink) sink = TryAlsa();
      break;
  }
  if (!sink) sink = std::make_unique<NullSink>();
  return sink;
}

}  // namespace platform
