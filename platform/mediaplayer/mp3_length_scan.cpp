#include "platform/mediaplayer/mp3_length_scan.h"

#include <fcntl.h>
#include <mpg123.h>
#include <unistd.h>

#include <cerrno>

#include "platform/mediaplayer/mp3_handle.h"

namespace platform {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// What libmpg123 reads through: the file, and the question whether to go on.
struct ScanSource {
  int fd;
  const std::function<bool()>* cancelled;
};

mpg123_ssize_t ReadSource(void* handle, void* buffer, std::size_t bytes) {
  const auto* source = static_cast<ScanSource*>(handle);
  if ((*source->cancelled)()) {
    errno = ECANCELED;
    return -1;
  }
  while (true) {
    const ssize_t done = ::read(source->fd, buffer, bytes);
    if (done >= 0 || errno != EINTR) return done;
  }
}

off_t SeekSource(void* handle, off_t offset, int whence) {
  return ::lseek(static_cast<ScanSource*>(handle)->fd, offset, whence);
}

}  // namespace

std::optional<std::int64_t> ScanMp3Length(const std::string& nativePath,
                                          const std::function<bool()>& cancelled) {
  if (nativePath.empty() || cancelled()) return std::nullopt;
  const FileDescriptor file(::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  ScanSource source{file.get(), &cancelled};
  // Declared after the file, so that it is closed before the file is.
  Mp3Handle handle = NewMp3Handle();
  mpg123_handle* mh = handle.get();
  if (mh == nullptr) return std::nullopt;
  if (mpg123_replace_reader_handle(mh, ReadSource, SeekSource, nullptr) != MPG123_OK ||
      mpg123_open_handle(mh, &source) != MPG123_OK) {
    return std::nullopt;
  }
  // As in playback: damage of any length past the first frame is skipped.
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) return std::nullopt;
  mpg123_param2(mh, MPG123_RESYNC_LIMIT, -1, 0.0);
  const int scanned = mpg123_scan(mh);
  // A cancelled read ends the scan early, with a count of only part of the file.
  if (cancelled() || scanned != MPG123_OK) return std::nullopt;
  const off_t length = mpg123_length(mh);
  if (length <= 0) return std::nullopt;
  return static_cast<std::int64_t>(length);
}

}  // namespace platform
