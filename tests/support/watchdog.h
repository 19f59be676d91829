#pragma once
// A bound of its own for a step that could otherwise hang until the test runner's timeout (a
// destructor that waits for a thread): when the scope is not left within the time, the test
// program says what hung and aborts, so the test fails at once and for that reason.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace spindeck::testing {

class Watchdog {
 public:
  Watchdog(std::chrono::milliseconds bound, std::string what);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable left_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace spindeck::testing
