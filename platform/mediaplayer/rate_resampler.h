#pragma once
// Changes the sample rate of interleaved stereo float audio with libsyn123's resampler. Playing
// a song at rate r resamples it from r times its own rate to the output rate, so that speed and
// pitch change together.
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

struct syn123_struct;

namespace platform {

class RateResampler {
 public:
  RateResampler();
  ~RateResampler();
  RateResampler(const RateResampler&) = delete;
  RateResampler& operator=(const RateResampler&) = delete;

  // Sets the rates. Equal rates pass the audio through untouched. Changing only the rates keeps
  // the filter history, so a change of speed in the middle of a song does not click. False
  // (and the previous setting kept) when the pair cannot be resampled.
  bool Configure(long inRate, long outRate);

  // Clears the filter history, for a jump to another place or another song.
  void Reset();

  // Resamples `frames` frames from `in` (which it may overwrite). The result stays valid until
  // the next call.
  std::span<const float> Process(float* in, std::size_t frames);

 private:
  struct HandleRelease {
    void operator()(syn123_struct* handle) const;
  };
  static std::unique_ptr<syn123_struct, HandleRelease> NewHandle();
  // True when the handle in use may be set up again for the pair, keeping its history.
  bool SetUpAgainIsSafe(long inRate, long outRate) const;
  // Replaces the handle with a new one set up for the pair; false when that fails.
  bool SetUpAfresh(long inRate, long outRate);

  std::unique_ptr<syn123_struct, HandleRelease> handle_;
  std::vector<float> out_;
  long inRate_ = 0;
  long outRate_ = 0;
  bool resampling_ = false;
};

}  // namespace platform
