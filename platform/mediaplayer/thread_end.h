#pragma once
// The end of a worker thread that keeps its own share of all it touches: its owner waits a
// bounded time for the thread to say it has finished, and joins it; a thread stuck in a call
// that cannot be interrupted is let go instead, and ends by itself if the call ever returns.
#include <chrono>
#include <mutex>
#include <thread>

namespace platform {

// `Shared` has `mutex`, `finishedChanged` (a condition variable) and `finished`, which the
// thread sets under the mutex as its very last act on `shared`.
template <class Shared>
void JoinOrLetGo(std::thread& thread, Shared& shared, std::chrono::milliseconds wait) {
  std::unique_lock lock(shared.mutex);
  const bool ended = shared.finishedChanged.wait_for(lock, wait, [&] { return shared.finished; });
  lock.unlock();
  if (ended) {
    thread.join();
  } else {
    thread.detach();
  }
}

}  // namespace platform
