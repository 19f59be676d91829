#include "platform/mediaplayer/wav_file_sink.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace platform {
namespace {

constexpr std::size_t kWavHeaderBytes = 44;
constexpr int kBytesPerSample = 2;

void PutLe32(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
void PutLe16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

}  // namespace

long WavFileSink::Start(long rate) {
  if (!file_) {
    file_.reset(std::fopen(path_.c_str(), "wb"));
    rate_ = rate;
    dataBytes_ = 0;
    if (file_) WriteHeader();
  }
  // Once made, the file keeps its first rate; the player resamples later songs to it.
  return NullSink::Start(rate_);
}

bool WavFileSink::Write(std::int16_t* samples, std::size_t frames) {
  NullSink::Write(samples, frames);
  if (!file_) return true;  // a file that could not be made is silent, like the null output
  const std::size_t bytes = frames * kChannels * kBytesPerSample;
  if (bytes > std::numeric_limits<std::uint32_t>::max() - kWavHeaderBytes - dataBytes_) return true;
  // Samples are written in the machine's order, which on the supported machines is WAV's.
  static_assert(std::endian::native == std::endian::little);
  std::fseek(file_.get(), 0, SEEK_END);
  const std::size_t written = std::fwrite(samples, 1, bytes, file_.get());
  dataBytes_ += static_cast<std::uint32_t>(written);
  WriteHeader();
  return true;
}

void WavFileSink::WriteHeader() {
  std::array<unsigned char, kWavHeaderBytes> header{};
  std::memcpy(&header[0], "RIFF", 4);
  PutLe32(&header[4], static_cast<std::uint32_t>(kWavHeaderBytes - 8) + dataBytes_);
  std::memcpy(&header[8], "WAVEfmt ", 8);
  PutLe32(&header[16], 16);
  PutLe16(&header[20], 1);  // PCM
  PutLe16(&header[22], kChannels);
  PutLe32(&header[24], static_cast<std::uint32_t>(rate_));
  PutLe32(&header[28], static_cast<std::uint32_t>(rate_ * kChannels * kBytesPerSample));
  PutLe16(&header[32], kChannels * kBytesPerSample);
  PutLe16(&header[34], 8 * kBytesPerSample);
  std::memcpy(&header[36], "data", 4);
  PutLe32(&header[40], dataBytes_);
  std::fseek(file_.get(), 0, SEEK_SET);
  std::fwrite(header.data(), 1, header.size(), file_.get());
  std::fflush(file_.get());
}

}  // namespace platform
