#include "platform/mediaplayer/shout_connection.h"

#include <shout/shout.h>

#include <mutex>

#include "platform/mediaplayer/send_buffer_bound.h"
#include "platform/mediaplayer/stream_encoder.h"

namespace platform {
namespace {

std::once_flag shoutInitialized;
constexpr char kSystemCaDirectory[] = "/etc/ssl/certs";

}  // namespace

static_assert(SHOUTERR_NOLOGIN == -3);
static_assert(SHOUTERR_TLSBADCERT == -12);

void ShoutConnection::Closer::operator()(shout* connection) const {
  // libshout frees only a closed connection; closing one that is not open does nothing.
  shout_close(connection);
  shout_free(connection);
}

ShoutConnection::ShoutConnection(const IcecastUrl& url, const std::string& password,
                                 const StreamOptions& options)
    : port_(static_cast<std::uint16_t>(url.port)) {
  std::call_once(shoutInitialized, [] { shout_init(); });
  shout_.reset(shout_new());
  if (!shout_) return;
  shout_t* s = shout_.get();
  const std::string rate = std::to_string(StreamOutputRate(options.format));
  const std::string bitrate = std::to_string(KilobitsPerSecondOf(options));
  // Ogg goes out as application/ogg, which libshout sends for Ogg of no declared use.
  const bool ogg = options.format == StreamFormat::kOpus;
  // The station's headers; an empty one is left out.
  const auto meta = [s](const char* name, const std::string& value) {
    return value.empty() || shout_set_meta(s, name, value.c_str()) == SHOUTERR_SUCCESS;
  };
  const bool ok =
      shout_set_host(s, url.host.c_str()) == SHOUTERR_SUCCESS &&
      shout_set_port(s, static_cast<unsigned short>(url.port)) == SHOUTERR_SUCCESS &&
      shout_set_user(s, url.user.c_str()) == SHOUTERR_SUCCESS &&
      shout_set_password(s, password.c_str()) == SHOUTERR_SUCCESS &&
      shout_set_mount(s, url.mount.c_str()) == SHOUTERR_SUCCESS &&
      shout_set_protocol(s, SHOUT_PROTOCOL_HTTP) == SHOUTERR_SUCCESS &&
      // TLS from the first byte for icecasts://, as https does; otherwise plain HTTP, as
      // the listeners' address says (left to itself, libshout first asks every server for an
      // upgrade to TLS).
      shout_set_tls(s, url.tls ? SHOUT_TLS_RFC2818 : SHOUT_TLS_DISABLED) == SHOUTERR_SUCCESS &&
      // The system's authorities, and the user's own beside them.
      (!url.tls || shout_set_ca_directory(s, kSystemCaDirectory) == SHOUTERR_SUCCESS) &&
      (url.caFile.empty() || shout_set_ca_file(s, url.caFile.c_str()) == SHOUTERR_SUCCESS) &&
      shout_set_content_format(s, ogg ? SHOUT_FORMAT_OGG : SHOUT_FORMAT_MP3,
                               ogg ? 0U : SHOUT_USAGE_AUDIO, nullptr) == SHOUTERR_SUCCESS &&
      shout_set_nonblocking(s, 1) == SHOUTERR_SUCCESS &&
      shout_set_agent(s, "spin.deck") == SHOUTERR_SUCCESS && meta(SHOUT_META_NAME, options.name) &&
      meta(SHOUT_META_GENRE, options.genre) && meta(SHOUT_META_DESCRIPTION, options.description) &&
      meta(SHOUT_META_URL, options.url) &&
      shout_set_public(s, options.listed ? 1 : 0) == SHOUTERR_SUCCESS &&
      shout_set_audio_info(s, SHOUT_AI_BITRATE, bitrate.c_str()) == SHOUTERR_SUCCESS &&
      shout_set_audio_info(s, SHOUT_AI_SAMPLERATE, rate.c_str()) == SHOUTERR_SUCCESS &&
      shout_set_audio_info(s, SHOUT_AI_CHANNELS, "2") == SHOUTERR_SUCCESS;
  if (!ok) {
    error_ = shout_get_errno(s);
    errorText_ = shout_get_error(s);
    shout_.reset();
  }
}

ShoutConnection::~ShoutConnection() = default;

ShoutConnection::State ShoutConnection::Failed() {
  if (shout_) {
    error_ = shout_get_errno(shout_.get());
    errorText_ = shout_get_error(shout_.get());
  } else if (errorText_.empty()) {
    errorText_ = "libshout could not be set up";
  }
  return State::kFailed;
}

ShoutConnection::State ShoutConnection::Connected() {
  // A second of audio at the highest bit rate, and room for the round trip of a distant
  // server; past it, what the socket does not take waits in libshout, where the stream sees it.
  BoundSendBuffersTo(port_, kSendBufferBytes);
  return State::kConnected;
}

ShoutConnection::State ShoutConnection::Open() {
  if (!shout_) return Failed();
  const int result = shout_open(shout_.get());
  if (result == SHOUTERR_SUCCESS || result == SHOUTERR_CONNECTED) return Connected();
  if (result == SHOUTERR_BUSY || result == SHOUTERR_RETRY) return State::kConnecting;
  return Failed();
}

ShoutConnection::State ShoutConnection::Poll() {
  if (!shout_) return Failed();
  const int result = shout_get_connected(shout_.get());
  if (result == SHOUTERR_CONNECTED) return Connected();
  if (result == SHOUTERR_BUSY || result == SHOUTERR_RETRY) return State::kConnecting;
  return Failed();
}

bool ShoutConnection::Send(const std::vector<unsigned char>& data) {
  if (!shout_) return false;
  const int result = shout_send(shout_.get(), data.data(), data.size());
  if (result == SHOUTERR_SUCCESS || result == SHOUTERR_BUSY || result == SHOUTERR_RETRY) {
    return true;
  }
  Failed();
  return false;
}

std::size_t ShoutConnection::queuedBytes() const {
  if (!shout_) return 0;
  const ssize_t queued = shout_queuelen(shout_.get());
  return queued > 0 ? static_cast<std::size_t>(queued) : 0;
}

}  // namespace platform
