#include "platform/files/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/files/unique_fd.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The file the write should really replace: the target of a symbolic link, else the path.
fs::path ResolveTarget(const fs::path& file) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(file, ec))) {
    fs::path resolved = fs::weakly_canonical(file, ec);
    if (!ec) return resolved;
  }
  return file;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// Creates a new, empty temporary file next to the target. Its name begins with a dot and ends
// in random letters, so it never matches an extension that the program lists.
UniqueFd CreateTemporary(const fs::path& target, fs::path& temporary) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::minstd_rand pick(seed());
  std::uniform_int_distribution<int> letter(0, sizeof kLetters - 2);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "." + target.filename().string() + ".tmp";
    for (int i = 0; i < 8; ++i) name += kLetters[letter(pick)];
    temporary = folder / name;
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.valid() || errno != EEXIST) return fd;
  }
  return UniqueFd();
}

void SyncFolder(const fs::path& target) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

}  // namespace

bool WriteFileAtomically(const fs::path& file, const std::string& bytes) {
  try {
    if (file.empty() || !file.has_filename()) return false;
    const fs::path target = ResolveTarget(file);

    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0)) return false;

    fs::path temporary;
    UniqueFd fd = CreateTemporary(target, temporary);
    if (!fd.valid()) return false;

    bool ok = WriteAll(fd.get(), bytes);
    if (ok && existed) ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
    if (ok) ok = ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    if (ok) ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
      ::unlink(temporary.c_str());
      return false;
    }
    SyncFolder(target);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace platform
