#include "platform/mediaplayer/rate_resampler.h"

#include <syn123.h>

#include <algorithm>

namespace platform {
namespace {

constexpr int kChannels = 2;
// The normal (not "dirty") filter, and smoothing of on-the-fly rate changes.
constexpr int kDirty = 0;
constexpr int kSmooth = 1;

}  // namespace

void RateResampler::HandleRelease::operator()(syn123_struct* handle) const {
  syn123_del(handle);
}

RateResampler::RateResampler() {
  int error = SYN123_OK;
  handle_.reset(syn123_new(44100, kChannels, MPG123_ENC_FLOAT_32, 0, &error));
}

RateResampler::~RateResampler() = default;

bool RateResampler::Configure(long inRate, long outRate) {
  if (inRate == inRate_ && outRate == outRate_) return true;
  if (inRate <= 0 || outRate <= 0) return false;
  if (inRate == outRate) {
    inRate_ = inRate;
    outRate_ = outRate;
    resampling_ = false;
    return true;
  }
  if (!handle_ || inRate > syn123_resample_maxrate() || outRate > syn123_resample_maxrate())
    return false;
  if (syn123_setup_resample(handle_.get(), inRate, outRate, kChannels, kDirty, kSmooth) !=
      SYN123_OK) {
    // A failed setup leaves the resampler cleared; put the previous one back.
    if (resampling_)
      syn123_setup_resample(handle_.get(), inRate_, outRate_, kChannels, kDirty, kSmooth);
    return false;
  }
  inRate_ = inRate;
  outRate_ = outRate;
  resampling_ = true;
  return true;
}

void RateResampler::Reset() {
  if (!resampling_) return;
  // Clearing the setup and making it again empties the filter history.
  syn123_setup_resample(handle_.get(), 0, 0, 0, kDirty, kSmooth);
  if (syn123_setup_resample(handle_.get(), inRate_, outRate_, kChannels, kDirty, kSmooth) !=
      SYN123_OK) {
    inRate_ = outRate_ = 0;
    resampling_ = false;
  }
}

std::span<const float> RateResampler::Process(float* in, std::size_t frames) {
  if (!resampling_ || frames == 0) return {in, frames * kChannels};
  // The resampler takes at most maxincount frames at a time (for usual rates far more than a
  // piece of a song); size the output for whole pieces of that many.
  const std::size_t piece =
      std::clamp<std::size_t>(syn123_resample_maxincount(inRate_, outRate_), 1, frames);
  const std::size_t pieces = frames / piece + (frames % piece != 0 ? 1 : 0);
  out_.resize(syn123_resample_count(inRate_, outRate_, piece) * kChannels * pieces);
  std::size_t produced = 0;
  for (std::size_t done = 0; done < frames;) {
    const std::size_t count = std::min(piece, frames - done);
    produced += syn123_resample(handle_.get(), out_.data() + produced * kChannels,
                                in + done * kChannels, count);
    done += count;
  }
  return {out_.data(), produced * kChannels};
}

}  // namespace platform
