// A window call to an owner that never answers gives up after the call's time bound: the call
// against a plain wait of that bound, so a ratio near 1 means the bound holds.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/win32/desktop_client.h"
#include "platform/win32/desktop_host.h"
#include "platform/win32/win32.h"

namespace {

// Holds the window's owner in its handler until released (or for a minute at most).
class Hold {
 public:
  void Wait() {
    std::unique_lock lock(mutex_);
    released_.wait_for(lock, std::chrono::minutes(1), [this] { return free_; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    free_ = true;
    released_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool free_ = false;
};

void HungOwnerCall(benchmark::State& st) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("desktop").toStdString();
  setenv("SPINDECK_DESKTOP", path.c_str(), 1);
  win32::WindowTree tree;
  Hold hold;
  const win32::HWND window = tree.Create(
      0, "Hung", "hung", [&](win32::HWND, const win32::Message& m, win32::MessageResult&) {
        if (m.msg == win32::WM_GETTEXTLENGTH) hold.Wait();
        return true;
      });
  {
    win32::DesktopThread host(tree, path);
    if (!host.listening()) st.SkipWithError("the desktop does not listen");
    for (auto _ : st) {
      benchmark::DoNotOptimize(win32::SendMessageA(window, win32::WM_GETTEXTLENGTH, 0, 0));
    }
    hold.Release();
  }
}

void BoundBaseline(benchmark::State& st) {
  for (auto _ : st) std::this_thread::sleep_for(std::chrono::milliseconds(win32::kCallTimeoutMs));
}

}  // namespace

BENCHMARK(HungOwnerCall)
    ->Name("HungOwner/spindeck_call")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BoundBaseline)
    ->Name("HungOwner/baseline_wait_of_the_bound")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
