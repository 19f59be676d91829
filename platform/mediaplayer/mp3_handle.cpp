#include "platform/mediaplayer/mp3_handle.h"

#include <mpg123.h>

#include <mutex>

namespace platform {
namespace {

// libmpg123 before 1.27 needed a global initialisation; calling it once is harmless later.
void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

void Mp3HandleRelease::operator()(mpg123_handle_struct* handle) const {
  mpg123_close(handle);
  mpg123_delete(handle);
}

Mp3Handle NewMp3Handle() {
  InitialiseOnce();
  int error = MPG123_OK;
  Mp3Handle handle(mpg123_new(nullptr, &error));
  mpg123_handle* mh = handle.get();
  if (mh == nullptr) return nullptr;
  mpg123_param2(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
  mpg123_format_none(mh);
  const long* rates = nullptr;
  std::size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (std::size_t i = 0; i < rateCount; ++i) {
    mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);
  }
  return handle;
}

}  // namespace platform
