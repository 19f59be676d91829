#include "platform/mediaplayer/tls_session.h"

#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

#include <cerrno>

namespace platform {

void TlsSession::ContextCloser::operator()(SSL_CTX* context) const {
  SSL_CTX_free(context);
}

void TlsSession::SslCloser::operator()(SSL* ssl) const {
  SSL_free(ssl);
}

TlsSession::TlsSession(int fd, const std::string& host, const std::string& caFile,
                       Clock::time_point deadline)
    : fd_(fd) {
  context_.reset(SSL_CTX_new(TLS_client_method()));
  if (!context_) return;
  SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, nullptr);
  if (SSL_CTX_set_default_verify_paths(context_.get()) != 1) return;
  if (!caFile.empty() &&
      SSL_CTX_load_verify_locations(context_.get(), caFile.c_str(), nullptr) != 1) {
    return;
  }
  std::unique_ptr<SSL, SslCloser> ssl(SSL_new(context_.get()));
  if (!ssl || SSL_set_fd(ssl.get(), fd) != 1) return;
  // The certificate must name the host (a name, or an address written as one).
  if (SSL_set1_host(ssl.get(), host.c_str()) != 1) return;
  SSL_set_hostflags(ssl.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
  SSL_set_tlsext_host_name(ssl.get(), host.c_str());
  while (true) {
    const int result = SSL_connect(ssl.get());
    if (result == 1) break;
    ssl_ = std::move(ssl);
    const bool retry = WaitToRetry(result, deadline);
    ssl = std::move(ssl_);
    if (!retry) return;
  }
  ssl_ = std::move(ssl);
}

TlsSession::~TlsSession() = default;

bool TlsSession::WaitToRetry(int result, Clock::time_point deadline) {
  const int error = SSL_get_error(ssl_.get(), result);
  short events = 0;
  if (error == SSL_ERROR_WANT_READ) {
    events = POLLIN;
  } else if (error == SSL_ERROR_WANT_WRITE) {
    events = POLLOUT;
  } else {
    return false;
  }
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd entry{fd_, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool TlsSession::Write(const std::string& data, Clock::time_point deadline) {
  if (!ssl_) return false;
  std::size_t sent = 0;
  while (sent < data.size()) {
    std::size_t written = 0;
    const int result = SSL_write_ex(ssl_.get(), data.data() + sent, data.size() - sent, &written);
    if (result == 1) {
      sent += written;
    } else if (!WaitToRetry(result, deadline)) {
      return false;
    }
  }
  return true;
}

std::size_t TlsSession::Read(char* buffer, std::size_t size, Clock::time_point deadline) {
  if (!ssl_) return 0;
  while (true) {
    std::size_t got = 0;
    const int result = SSL_read_ex(ssl_.get(), buffer, size, &got);
    if (result == 1) return got;
    if (!WaitToRetry(result, deadline)) return 0;
  }
}

}  // namespace platform
