#pragma once
// A TLS client over a connected non-blocking socket, for the short requests beside the stream:
// the server's certificate must chain to the system's authorities or to those of an extra PEM
// file, and be made out to the host name asked for. Every step is bounded by a deadline.
#include <chrono>
#include <memory>
#include <string>

struct ssl_st;
struct ssl_ctx_st;

namespace platform {

class TlsSession {
 public:
  using Clock = std::chrono::steady_clock;
  // Shakes hands over `fd` (which stays the caller's) with the server `host`; valid() tells
  // whether it succeeded.
  TlsSession(int fd, const std::string& host, const std::string& caFile,
             Clock::time_point deadline);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  bool valid() const { return ssl_ != nullptr; }
  // Sends all of `data`; false when it could not before the deadline.
  bool Write(const std::string& data, Clock::time_point deadline);
  // Reads some bytes into `buffer`; 0 at the end of the answer, the deadline or a fault.
  std::size_t Read(char* buffer, std::size_t size, Clock::time_point deadline);

 private:
  // Waits for what the last call wanted (`result` of it); false at the deadline or a fault.
  bool WaitToRetry(int result, Clock::time_point deadline);

  struct ContextCloser {
    void operator()(ssl_ctx_st* context) const;
  };
  struct SslCloser {
    void operator()(ssl_st* ssl) const;
  };
  int fd_;
  std::unique_ptr<ssl_ctx_st, ContextCloser> context_;
  std::unique_ptr<ssl_st, SslCloser> ssl_;
};

}  // namespace platform
