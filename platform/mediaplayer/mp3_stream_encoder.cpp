#include "platform/mediaplayer/mp3_stream_encoder.h"

#include <lame/lame.h>

namespace platform {
namespace {

// LAME's own advice for the worst case of an output buffer.
std::size_t MaxBytesFor(std::size_t frames) {
  return frames + frames / 4 + 7200;
}

}  // namespace

void Mp3StreamEncoder::Closer::operator()(lame_global_struct* lame) const {
  lame_close(lame);
}

Mp3StreamEncoder::Mp3StreamEncoder(long inputRate, const StreamOptions& options)
    : inputRate_(inputRate) {
  std::unique_ptr<lame_global_struct, Closer> lame(lame_init());
  if (!lame || inputRate <= 0) return;
  lame_set_num_channels(lame.get(), 2);
  lame_set_in_samplerate(lame.get(), static_cast<int>(inputRate));
  lame_set_out_samplerate(lame.get(), static_cast<int>(kOutputRate));
  lame_set_VBR(lame.get(), vbr_off);
  lame_set_brate(lame.get(), KilobitsPerSecondOf(options));
  lame_set_mode(lame.get(), JOINT_STEREO);
  lame_set_quality(lame.get(), options.quality);
  lame_set_bWriteVbrTag(lame.get(), 0);
  if (lame_init_params(lame.get()) < 0) return;
  lame_ = std::move(lame);
}

void Mp3StreamEncoder::Encode(std::span<const std::int16_t> interleaved,
                              std::vector<unsigned char>& out) {
  const std::size_t frames = interleaved.size() / 2;
  if (!lame_ || frames == 0) return;
  const std::size_t start = out.size();
  out.resize(start + MaxBytesFor(frames));
  // LAME takes a non-const pointer but does not write through it.
  const int written = lame_encode_buffer_interleaved(
      lame_.get(), const_cast<short*>(interleaved.data()), static_cast<int>(frames),
      out.data() + start, static_cast<int>(out.size() - start));
  out.resize(start + static_cast<std::size_t>(written > 0 ? written : 0));
}

void Mp3StreamEncoder::Flush(std::vector<unsigned char>& out) {
  if (!lame_) return;
  const std::size_t start = out.size();
  out.resize(start + 7200);
  const int written = lame_encode_flush(lame_.get(), out.data() + start, 7200);
  out.resize(start + static_cast<std::size_t>(written > 0 ? written : 0));
}

}  // namespace platform
