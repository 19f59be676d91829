#include "platform/volume/pulse_sink_volume.h"

#include <pulse/introspect.h>
#include <pulse/volume.h>

#include "platform/volume/pulse_connection.h"

namespace platform {
namespace {

// The server resolves this name to whatever its default sink is at the moment of the call.
constexpr const char* kDefaultSink = "@DEFAULT_SINK@";

struct SinkChannels {
  int channels = 0;
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
  if (eol == 0 && info != nullptr)
    static_cast<SinkChannels*>(userdata)->channels = info->channel_map.channels;
}

void OnSuccess(pa_context*, int success, void* userdata) {
  *static_cast<bool*>(userdata) = success != 0;
}

}  // namespace

bool SetPulseDefaultSinkVolume(int percent, std::chrono::milliseconds timeout) {
  auto connection = PulseConnection::Connect(timeout);
  if (!connection) return false;
  pa_context* context = connection->context();

  // The volume must name as many channels as the sink has, so ask it first.
  SinkChannels sink;
  if (!connection->Complete(
          pa_context_get_sink_info_by_name(context, kDefaultSink, OnSinkInfo, &sink)) ||
      sink.channels <= 0) {
    return false;
  }

  pa_cvolume volume;
  const auto level = static_cast<pa_volume_t>(static_cast<unsigned long long>(PA_VOLUME_NORM) *
                                              static_cast<unsigned>(percent) / 100);
  pa_cvolume_set(&volume, static_cast<unsigned>(sink.channels), level);
  bool confirmed = false;
  return connection->Complete(pa_context_set_sink_volume_by_name(context, kDefaultSink, &volume,
                                                                 OnSuccess, &confirmed)) &&
         confirmed;
}

}  // namespace platform
