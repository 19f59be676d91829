#include "platform/mediaplayer/null_sink.h"

namespace platform {

long NullSink::Start(long rate) {
  clock_.Start(rate);
  return rate;
}

bool NullSink::Write(std::int16_t*, std::size_t frames) {
  clock_.Advance(static_cast<std::int64_t>(frames));
  return true;
}

bool NullSink::Drain(const std::function<bool()>& interrupted) {
  return clock_.WaitUntilHeard(interrupted);
}

}  // namespace platform
