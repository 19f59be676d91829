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
  handle_ = NewHandle();
}

std::unique_ptr<syn123_struct, RateResampler::HandleRelease> RateResampler::NewHandle() {
  int error = SYN123_OK;
  return std::unique_ptr<syn123_struct, HandleRelease>(
      syn123_new(44100, kChannels, MPG123_ENC_FLOAT_32, 0, &error));
}

// libsyn123 frees some of a handle's buffers twice when a handle set up for more than four
// times its output rate is set up again for another pair, or when a handle whose setup was
// cleared (by zero rates) is set up again. So such a handle is never set up again: a new one
// takes its place.
bool RateResampler::SetUpAgainIsSafe(long inRate, long outRate) const {
  const auto steep = [](long in, long out) { return static_cast<double>(in) > 4.0 * out; };
  return resampling_ && !steep(inRate_, outRate_) && !steep(inRate, outRate);
}

bool RateResampler::SetUpAfresh(long inRate, long outRate) {
  handle_ = NewHandle();
  return handle_ && syn123_setup_resample(handle_.get(), inRate, outRate, kChannels, kDirty,
                                          kSmooth) == SYN123_OK;
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
  // Changing only the rates keeps the filter history where the library can do that safely.
  const bool setUp = SetUpAgainIsSafe(inRate, outRate)
                         ? syn123_setup_resample(handle_.get(), inRate, outRate, kChannels, kDirty,
                                                 kSmooth) == SYN123_OK
                         : SetUpAfresh(inRate, outRate);
  if (!setUp) {
    // A failed setup leaves the resampler cleared; put the previous one back.
    if (resampling_ && !SetUpAfresh(inRate_, outRate_)) {
      inRate_ = outRate_ = 0;
      resampling_ = false;
    } else if (!resampling_) {
      handle_ = NewHandle();
    }
    return false;
  }
  inRate_ = inRate;
  outRate_ = outRate;
  resampling_ = true;
  return true;
}

void RateResampler::Reset() {
  if (!resampling_) return;
  // A new setup on a new handle has an empty filter history.
  if (!SetUpAfresh(inRate_, outRate_)) {
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
