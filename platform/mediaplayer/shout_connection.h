#pragma once
// One source connection to an Icecast server through libshout, in its non-blocking mode: no
// call waits on the network (only the look-up of the host name may), so the stream's thread
// stays in charge of every deadline. Closed and freed with the object.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/mediaplayer/icecast_url.h"
#include "platform/mediaplayer/stream_options.h"

struct shout;

namespace platform {

class ShoutConnection {
 public:
  enum class State { kConnecting, kConnected, kFailed };

  ShoutConnection(const IcecastUrl& url, const std::string& password, const StreamOptions& options);
  ~ShoutConnection();
  ShoutConnection(const ShoutConnection&) = delete;
  ShoutConnection& operator=(const ShoutConnection&) = delete;

  // Starts connecting and logging in.
  State Open();
  // How the login goes on; call until it is no longer kConnecting.
  State Poll();
  // Queues MP3 data and sends what the socket takes now; false when the connection failed.
  bool Send(const std::vector<unsigned char>& data);
  // Bytes queued in libshout that the socket has not taken yet.
  std::size_t queuedBytes() const;

  // After kFailed: whether the server refused the login (a wrong password, or the mount
  // already has a source), and libshout's words for the fault.
  bool loginRefused() const { return error_ == kNoLogin; }
  const std::string& errorText() const { return errorText_; }
  // After kFailed: the server's certificate was not trusted (an unknown authority, or a name
  // other than the host's).
  bool certificateRefused() const { return error_ == kBadCertificate; }

 private:
  static constexpr int kNoLogin = -3;                 // SHOUTERR_NOLOGIN
  static constexpr int kBadCertificate = -12;         // SHOUTERR_TLSBADCERT
  static constexpr int kSendBufferBytes = 32 * 1024;  // the kernel doubles it
  State Failed();
  // Bounds the send buffer of libshout's socket, now connected.
  State Connected();

  struct Closer {
    void operator()(shout* connection) const;
  };
  std::unique_ptr<shout, Closer> shout_;
  std::uint16_t port_;
  int error_ = 0;
  std::string errorText_;
};

}  // namespace platform
