#include "platform/volume/pulse_connection.h"

#include <algorithm>

namespace platform {

std::unique_ptr<PulseConnection> PulseConnection::Connect(std::chrono::milliseconds timeout) {
  auto connection = std::make_unique<PulseConnection>(Key{});
  connection->deadline_ = Clock::now() + timeout;
  connection->mainloop_.reset(pa_mainloop_new());
  if (!connection->mainloop_) return nullptr;
  pa_context* raw = pa_context_new(pa_mainloop_get_api(connection->mainloop_.get()), "spin.deck");
  if (raw == nullptr) return nullptr;
  // Own the context from here on; disconnecting one that never connected is harmless.
  connection->context_.reset(raw);
  if (pa_context_connect(raw, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return nullptr;
  while (true) {
    const pa_context_state_t state = pa_context_get_state(raw);
    if (state == PA_CONTEXT_READY) return connection;
    if (!PA_CONTEXT_IS_GOOD(state)) return nullptr;
    if (!connection->Iterate()) return nullptr;
  }
}

bool PulseConnection::Complete(pa_operation* operation) {
  if (operation == nullptr) return false;
  const PulseOperation owned(operation);
  while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
    if (!Iterate() || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_.get()))) {
      pa_operation_cancel(operation);
      return false;
    }
  }
  return pa_operation_get_state(operation) == PA_OPERATION_DONE;
}

bool PulseConnection::Iterate() {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - Clock::now());
  if (left.count() <= 0) return false;
  pa_mainloop* loop = mainloop_.get();
  // prepare/poll/dispatch rather than pa_mainloop_iterate, so that the poll has a timeout.
  if (pa_mainloop_prepare(loop, static_cast<int>(std::min<long long>(left.count(), 100000))) < 0)
    return false;
  if (pa_mainloop_poll(loop) < 0) return false;
  return pa_mainloop_dispatch(loop) >= 0;
}

}  // namespace platform
