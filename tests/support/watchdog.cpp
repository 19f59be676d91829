#include "tests/support/watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace spindeck::testing {

Watchdog::Watchdog(std::chrono::milliseconds bound, std::string what)
    : thread_([this, bound, what = std::move(what)] {
        std::unique_lock lock(mutex_);
        if (left_.wait_for(lock, bound, [this] { return done_; })) return;
        std::fprintf(stderr, "%s did not return within %lld ms: the test fails here\n",
                     what.c_str(), static_cast<long long>(bound.count()));
        std::fflush(stderr);
        std::abort();
      }) {}

Watchdog::~Watchdog() {
  {
    const std::lock_guard lock(mutex_);
    done_ = true;
  }
  left_.notify_all();
  thread_.join();
}

}  // namespace spindeck::testing
