#include "tests/platform/mediaplayer/controlled_resolver.h"

#include <dlfcn.h>
#include <netdb.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace spindeck::testing {
namespace {

struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool hold = false;
  int waiting = 0;
};

Gate& TheGate() {
  static Gate gate;
  return gate;
}

}  // namespace

void HoldLookUps(bool hold) {
  Gate& gate = TheGate();
  std::lock_guard lock(gate.mutex);
  gate.hold = hold;
  gate.changed.notify_all();
}

int HeldLookUps() {
  Gate& gate = TheGate();
  std::lock_guard lock(gate.mutex);
  return gate.waiting;
}

}  // namespace spindeck::testing

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
  using LookUp = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
  static const auto real = reinterpret_cast<LookUp>(dlsym(RTLD_NEXT, "getaddrinfo"));
  if (node != nullptr && std::strcmp(node, spindeck::testing::kTwoAddressHost) == 0) {
    // Two lists of the C library's own, chained: its freeaddrinfo frees them node by node.
    addrinfo* first = nullptr;
    addrinfo* second = nullptr;
    if (const int error = real("127.0.0.2", service, hints, &first); error != 0) return error;
    if (const int error = real("127.0.0.1", service, hints, &second); error != 0) {
      freeaddrinfo(first);
      return error;
    }
    addrinfo* last = first;
    while (last->ai_next != nullptr) last = last->ai_next;
    last->ai_next = second;
    *result = first;
    return 0;
  }
  if (node == nullptr || std::strcmp(node, spindeck::testing::kSlowHost) != 0) {
    return real(node, service, hints, result);
  }
  spindeck::testing::Gate& gate = spindeck::testing::TheGate();
  {
    std::unique_lock lock(gate.mutex);
    ++gate.waiting;
    gate.changed.wait_for(lock, std::chrono::seconds(20), [&] { return !gate.hold; });
    --gate.waiting;
  }
  return real("127.0.0.1", service, hints, result);
}
