#pragma once
// A short-lived, synchronous connection to a PulseAudio (or PipeWire-pulse) server. Every wait
// is bounded by the deadline given at connection, so that a missing or hung server costs at most
// that long. The server is never started on demand: a machine without one simply has none.
#include <chrono>
#include <memory>

#include "platform/volume/pulse_handles.h"

namespace platform {

class PulseConnection {
 public:
  using Clock = std::chrono::steady_clock;

  // Connects to the server named by the usual client configuration (PULSE_SERVER, the
  // XDG_RUNTIME_DIR socket, client.conf). Returns null when no server answers before `timeout`.
  static std::unique_ptr<PulseConnection> Connect(std::chrono::milliseconds timeout);

  // Only Connect makes connections; the key keeps the constructor usable by make_unique.
  class Key {
    friend class PulseConnection;
    Key() = default;
  };
  explicit PulseConnection(Key) {}

  pa_context* context() const { return context_.get(); }

  // Runs the main loop until `operation` has finished; false when it failed to start or the
  // deadline passed first (the operation is then cancelled). Takes ownership of `operation`.
  bool Complete(pa_operation* operation);

 private:
  // One bounded turn of the main loop; false when the deadline has passed.
  bool Iterate();

  Clock::time_point deadline_;
  PulseMainloop mainloop_;
  PulseContext context_;
};

}  // namespace platform
