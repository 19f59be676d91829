#include "tests/support/stream_listener.h"

#include <mpg123.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace spindeck::testing {
namespace {

void DeleteDecoder(mpg123_handle* decoder) {
  if (decoder != nullptr) mpg123_delete(decoder);
}

// Turns the event loop until the socket has news or the deadline passes.
void WaitForSocket(QTcpSocket& socket, const QDeadlineTimer& deadline) {
  QEventLoop loop;
  QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())), &loop,
                     &QEventLoop::quit);
  loop.exec();
}

// In-place radix-2 FFT; the size must be a power of two.
void Fft(std::vector<std::complex<double>>& data) {
  const std::size_t n = data.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; (j & bit) != 0; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  for (std::size_t length = 2; length <= n; length <<= 1) {
    const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (std::size_t start = 0; start < n; start += length) {
      std::complex<double> w(1.0);
      for (std::size_t k = 0; k < length / 2; ++k) {
        const std::complex<double> even = data[start + k];
        const std::complex<double> odd = data[start + k + length / 2] * w;
        data[start + k] = even + odd;
        data[start + k + length / 2] = even - odd;
        w *= step;
      }
    }
  }
}

}  // namespace

StreamListener::StreamListener() : decoder_(mpg123_new(nullptr, nullptr), DeleteDecoder) {
  if (!decoder_) return;
  mpg123_param(decoder_.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_MONO_MIX, 0.0);
  // One channel of 32-bit floats at whatever rate the stream has.
  mpg123_format_none(decoder_.get());
  const long* rates = nullptr;
  std::size_t count = 0;
  mpg123_rates(&rates, &count);
  for (std::size_t i = 0; i < count; ++i) {
    mpg123_format(decoder_.get(), rates[i], MPG123_MONO, MPG123_ENC_FLOAT_32);
  }
  if (mpg123_open_feed(decoder_.get()) != MPG123_OK) decoder_.reset();
}

StreamListener::~StreamListener() {
  socket_.abort();
}

bool StreamListener::Connect(const std::string& url, int timeoutMs, bool icyTitles) {
  const QUrl address(QString::fromStdString(url));
  if (!decoder_ || !address.isValid()) return false;
  const QDeadlineTimer deadline(timeoutMs);
  socket_.connectToHost(address.host(), static_cast<quint16>(address.port(80)));
  while (socket_.state() != QAbstractSocket::ConnectedState) {
    if (deadline.hasExpired() || socket_.state() == QAbstractSocket::UnconnectedState) {
      return false;
    }
    WaitForSocket(socket_, deadline);
  }
  socket_.write("GET " + address.path(QUrl::FullyEncoded).toUtf8() +
                " HTTP/1.0\r\nHost: " + address.host().toUtf8() +
                "\r\nUser-Agent: spindeck-test-listener\r\nIcy-MetaData: " +
                (icyTitles ? "1" : "0") + "\r\n\r\n");
  while (!headerDone_) {
    header_ += socket_.readAll();
    const qsizetype end = header_.indexOf("\r\n\r\n");
    if (end >= 0) {
      QByteArray rest = header_.mid(end + 4);
      header_.truncate(end);
      headerDone_ = true;
      if (!header_.startsWith("HTTP/1.0 200") && !header_.startsWith("HTTP/1.1 200")) {
        socket_.abort();
        return false;
      }
      for (const QByteArray& line : header_.split('\n')) {
        if (line.toLower().startsWith("content-type:"))
          contentType_ = line.mid(13).trimmed().toStdString();
        if (line.toLower().startsWith("icy-metaint:")) {
          metaInterval_ = line.mid(12).trimmed().toLong();
          audioLeft_ = metaInterval_;
        }
      }
      if (contentType_.find("ogg") != std::string::npos) ogg_ = std::make_unique<OggOpusFeed>();
      rest = WithoutMetadata(rest);
      if (ogg_) return ogg_->Feed(rest.constData(), rest.size(), samples_) && Decode();
      mpg123_feed(decoder_.get(), reinterpret_cast<const unsigned char*>(rest.constData()),
                  static_cast<std::size_t>(rest.size()));
      return Decode();
    }
    if (deadline.hasExpired() || socket_.state() != QAbstractSocket::ConnectedState) return false;
    WaitForSocket(socket_, deadline);
  }
  return true;
}

QByteArray StreamListener::WithoutMetadata(const QByteArray& bytes) {
  if (metaInterval_ <= 0) return bytes;
  QByteArray audio;
  for (qsizetype at = 0; at < bytes.size();) {
    if (audioLeft_ > 0) {
      const qsizetype take = std::min<qsizetype>(audioLeft_, bytes.size() - at);
      audio += bytes.mid(at, take);
      audioLeft_ -= take;
      at += take;
      continue;
    }
    block_ += bytes[at++];
    const auto length = static_cast<qsizetype>(static_cast<unsigned char>(block_[0])) * 16;
    if (block_.size() < length + 1) continue;
    const QByteArray text = block_.mid(1);
    const qsizetype start = text.indexOf("StreamTitle='");
    if (start >= 0) {
      const qsizetype end = text.indexOf("';", start + 13);
      icyTitle_ = text.mid(start + 13, end < 0 ? -1 : end - start - 13).toStdString();
    }
    block_.clear();
    audioLeft_ = metaInterval_;
  }
  return audio;
}

bool StreamListener::Decode() {
  const QByteArray bytes = WithoutMetadata(socket_.readAll());
  if (ogg_) {
    if (!ogg_->Feed(bytes.constData(), bytes.size(), samples_)) return false;
    if (!samples_.empty()) rate_ = OggOpusFeed::kRate;
    return true;
  }
  if (!bytes.isEmpty() &&
      mpg123_feed(decoder_.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                  static_cast<std::size_t>(bytes.size())) != MPG123_OK) {
    return false;
  }
  float block[4096];
  while (true) {
    std::size_t done = 0;
    const int result =
        mpg123_read(decoder_.get(), reinterpret_cast<unsigned char*>(block), sizeof block, &done);
    samples_.insert(samples_.end(), block, block + done / sizeof(float));
    if (result == MPG123_NEW_FORMAT) {
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(decoder_.get(), &rate_, &channels, &encoding);
    } else if (result == MPG123_NEED_MORE) {
      return true;
    } else if (result != MPG123_OK) {
      return false;
    }
  }
}

std::optional<std::vector<float>> StreamListener::Read(double seconds, int timeoutMs) {
  if (!decoder_ || !headerDone_) return std::nullopt;
  const QDeadlineTimer deadline(timeoutMs);
  while (true) {
    if (!Decode()) return std::nullopt;
    const auto wanted = static_cast<std::size_t>(seconds * static_cast<double>(rate_));
    if (rate_ > 0 && samples_.size() >= wanted) {
      std::vector<float> out(samples_.begin(), samples_.begin() + static_cast<long>(wanted));
      samples_.erase(samples_.begin(), samples_.begin() + static_cast<long>(wanted));
      return out;
    }
    if (deadline.hasExpired() || socket_.state() != QAbstractSocket::ConnectedState) {
      return std::nullopt;
    }
    WaitForSocket(socket_, deadline);
  }
}

void StreamListener::Skip() {
  // What the system already received is taken in first; the decoder follows the stream
  // through it, and its audio is dropped.
  QCoreApplication::processEvents();
  if (decoder_) Decode();
  samples_.clear();
}

bool StreamListener::connected() const {
  return socket_.state() == QAbstractSocket::ConnectedState;
}

double StrongestFrequency(const std::vector<float>& samples, long rate) {
  // Averaged spectra of Hann-windowed blocks of about 1.5 s at 44.1 kHz (0.7 Hz apart), and the
  // peak placed between the bins by a parabola through its neighbours.
  constexpr std::size_t kBlock = 65536;
  std::size_t block = kBlock;
  while (block > samples.size() && block > 1024) block /= 2;
  if (samples.size() < block || rate <= 0) return 0.0;
  std::vector<double> power(block / 2, 0.0);
  std::vector<std::complex<double>> data(block);
  for (std::size_t start = 0; start + block <= samples.size(); start += block / 2) {
    for (std::size_t i = 0; i < block; ++i) {
      const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                               static_cast<double>(block - 1));
      data[i] = samples[start + i] * hann;
    }
    Fft(data);
    for (std::size_t i = 0; i < power.size(); ++i) power[i] += std::norm(data[i]);
  }
  const double binHz = static_cast<double>(rate) / static_cast<double>(block);
  const auto low = static_cast<std::size_t>(std::ceil(50.0 / binHz));
  const auto high = std::min(power.size() - 2, static_cast<std::size_t>(5000.0 / binHz));
  std::size_t best = low;
  for (std::size_t i = low; i <= high; ++i) {
    if (power[i] > power[best]) best = i;
  }
  const double left = power[best - 1], middle = power[best], right = power[best + 1];
  const double bend = left - 2.0 * middle + right;
  const double offset = bend != 0.0 ? 0.5 * (left - right) / bend : 0.0;
  return (static_cast<double>(best) + offset) * binHz;
}

double RmsOf(const std::vector<float>& samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (const float s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

double QuietestRms(const std::vector<float>& samples, long rate) {
  const auto window = static_cast<std::size_t>(rate / 100);
  double quietest = 1.0;
  for (std::size_t at = 0; window > 0 && at + window <= samples.size(); at += window) {
    quietest = std::min(quietest, RmsOf({samples.begin() + static_cast<long>(at),
                                         samples.begin() + static_cast<long>(at + window)}));
  }
  return quietest;
}

}  // namespace spindeck::testing
