#pragma once
// A libmpg123 handle set up as the player decodes: quiet, gapless (the encoder's delay and
// padding dropped when the stream names them), stereo 32-bit float at any of the library's
// rates, so that mono is spread to both channels and the sample counts of every handle agree.
#include <memory>

struct mpg123_handle_struct;

namespace platform {

struct Mp3HandleRelease {
  void operator()(mpg123_handle_struct* handle) const;
};
using Mp3Handle = std::unique_ptr<mpg123_handle_struct, Mp3HandleRelease>;

// Null when libmpg123 cannot make a handle.
Mp3Handle NewMp3Handle();

}  // namespace platform
