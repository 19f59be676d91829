#include "platform/files/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/unique_fd.h"

namespace platform {

FileRead ReadFileBytes(const std::filesystem::path& file, std::string& bytes) {
  bytes.clear();
  // Non-blocking open so that a pipe at the path cannot hold the program up.
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!fd.valid()) {
    return (errno == ENOENT || errno == ENOTDIR) ? FileRead::missing : FileRead::failed;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return FileRead::failed;

  std::string result;
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      return FileRead::failed;
    }
    if (got == 0) break;
    result.append(chunk, static_cast<size_t>(got));
  }
  bytes = std::move(result);
  return FileRead::ok;
}

}  // namespace platform
