#pragma once
// Owners of libpulse's handles, for std::unique_ptr: a main loop, a context (disconnected
// first), a stream (disconnected first) and an operation.
#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#include <pulse/stream.h>

#include <memory>

namespace platform {

struct PulseMainloopFree {
  void operator()(pa_mainloop* m) const { pa_mainloop_free(m); }
};
struct PulseContextRelease {
  void operator()(pa_context* c) const {
    pa_context_disconnect(c);
    pa_context_unref(c);
  }
};
struct PulseStreamRelease {
  void operator()(pa_stream* s) const {
    pa_stream_disconnect(s);
    pa_stream_unref(s);
  }
};
struct PulseOperationUnref {
  void operator()(pa_operation* o) const { pa_operation_unref(o); }
};

using PulseMainloop = std::unique_ptr<pa_mainloop, PulseMainloopFree>;
using PulseContext = std::unique_ptr<pa_context, PulseContextRelease>;
using PulseStream = std::unique_ptr<pa_stream, PulseStreamRelease>;
using PulseOperation = std::unique_ptr<pa_operation, PulseOperationUnref>;

}  // namespace platform
