// Reading another process's memory, and who may be trusted as the owner of the desktop.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/desktop_host.h"
#include "platform/win32/win32.h"

namespace win32 {
namespace {

constexpr DWORD kAccess = STANDARD_RIGHTS_REQUIRED | PROCESS_VM_READ;

// A child process holding a member record below 4 GiB: P + 28 holds Q, Q + 6 the name.
// It sends P down a pipe and lives until its stdin pipe closes.
class RecordOwner {
 public:
  explicit RecordOwner(const char (&name)[17]) {
    int up[2], down[2];
    if (::pipe(up) != 0 || ::pipe(down) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(up[0]);
      ::close(down[1]);
      void* low = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
      std::uint32_t p = 0;
      if (low != MAP_FAILED) {
        auto* base = static_cast<unsigned char*>(low);
        p = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(base));
        const std::uint32_t q = p + 256;
        std::memcpy(base + 28, &q, 4);
        std::memcpy(base + 256 + 6, name, 16);
      }
      if (::write(up[1], &p, sizeof p) != sizeof p) _exit(1);
      char byte;
      while (::read(down[0], &byte, 1) > 0) {
      }
      _exit(0);
    }
    ::close(up[1]);
    ::close(down[0]);
    keepAlive_ = down[1];
    if (::read(up[0], &record_, sizeof record_) != sizeof record_) record_ = 0;
    ::close(up[0]);
  }
  ~RecordOwner() {
    if (keepAlive_ >= 0) ::close(keepAlive_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  pid_t pid() const { return pid_; }
  std::uint32_t record() const { return record_; }

 private:
  pid_t pid_ = -1;
  int keepAlive_ = -1;
  std::uint32_t record_ = 0;
};

const void* At(std::uint32_t address) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address));
}

TEST(ProcessAccess, ReadsALowRecordOfAnotherProcess) {
  const char name[17] = "ExactlySixteen16";
  RecordOwner owner(name);
  ASSERT_GT(owner.pid(), 0);
  ASSERT_NE(owner.record(), 0u);
  HANDLE process = OpenProcess(kAccess, FALSE, static_cast<DWORD>(owner.pid()));
  ASSERT_NE(process, nullptr);
  std::uint32_t q = 0;
  SIZE_T got = 0;
  EXPECT_EQ(ReadProcessMemory(process, At(owner.record() + 28), &q, 4, &got), TRUE);
  EXPECT_EQ(got, 4u);
  char bytes[16] = {};
  EXPECT_EQ(ReadProcessMemory(process, At(q + 6), bytes, 16, nullptr), TRUE);
  EXPECT_EQ(std::string(bytes, 16), "ExactlySixteen16");
  // Unmapped memory fails and leaves the buffer as it was.
  char untouched[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(ReadProcessMemory(process, At(16), untouched, 4, &got), FALSE);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(std::string(untouched, 4), "abcd");
  EXPECT_EQ(CloseHandle(process), TRUE);
  EXPECT_EQ(CloseHandle(process), FALSE);
  EXPECT_EQ(ReadProcessMemory(process, At(owner.record() + 28), &q, 4, nullptr), FALSE);
}

TEST(ProcessAccess, OpenProcessNeedsTheReadRightAndAProcessThatExists) {
  EXPECT_EQ(OpenProcess(STANDARD_RIGHTS_REQUIRED, FALSE, static_cast<DWORD>(::getpid())), nullptr);
  EXPECT_EQ(OpenProcess(kAccess, FALSE, 0), nullptr);
  pid_t gone = ::fork();
  if (gone == 0) _exit(0);
  ::waitpid(gone, nullptr, 0);
  EXPECT_EQ(OpenProcess(kAccess, FALSE, static_cast<DWORD>(gone)), nullptr);
}

TEST(ProcessAccess, OpenProcessRefusesAProcessThatMayNotBeRead) {
  if (::getuid() != 0) {
    // An ordinary user may not read init, which runs as root.
    struct stat info {};
    if (::stat("/proc/1", &info) != 0 || info.st_uid == ::getuid()) GTEST_SKIP();
    EXPECT_EQ(OpenProcess(kAccess, FALSE, 1), nullptr);
    return;
  }
  // As root: a child that drops to "nobody" may not read its root parent.
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(2);
    _exit(OpenProcess(kAccess, FALSE, static_cast<DWORD>(parent)) == nullptr ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not drop to nobody; 1: opened anyway";
}

TEST(DesktopTrust, CallsRefuseAFolderThatIsNoLongerClosedToOthers) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/desk";
  const std::string path = folder + "/socket";
  setenv("SPINDECK_DESKTOP", path.c_str(), 1);
  WindowTree tree;
  const HWND frame = tree.Create(0, "AOL Frame25", "");
  DesktopThread host(tree, path);
  ASSERT_TRUE(host.listening());
  EXPECT_EQ(FindWindowA("aol frame25", nullptr), frame);
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  EXPECT_EQ(FindWindowA("aol frame25", nullptr), 0u);
  ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
  EXPECT_EQ(FindWindowA("aol frame25", nullptr), frame);
}

TEST(DesktopTrust, PeersHoldingManyHalfFramesDoNotShutOutACall) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/desk/socket";
  setenv("SPINDECK_DESKTOP", path.c_str(), 1);
  WindowTree tree;
  const HWND frame = tree.Create(0, "AOL Frame25", "");
  DesktopThread host(tree, path);
  ASSERT_TRUE(host.listening());
  std::vector<int> peers;
  for (int i = 0; i < 100; ++i) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      // A frame that announces 1 MiB and never completes.
      const char head[] = {0, 0, 0x10, 0, 'x'};
      (void)::write(fd, head, sizeof head);
    }
    peers.push_back(fd);
    if (i % 20 == 19) {
      EXPECT_EQ(FindWindowA("AOL Frame25", nullptr), frame) << i;
    }
  }
  EXPECT_EQ(FindWindowA("AOL Frame25", nullptr), frame);
  for (int fd : peers) ::close(fd);
}

TEST(DesktopTrust, TheHostRefusesALinkInPlaceOfItsFolder) {
  QTemporaryDir dir;
  const std::string real = dir.path().toStdString() + "/real";
  const std::string link = dir.path().toStdString() + "/link";
  ASSERT_EQ(::mkdir(real.c_str(), 0700), 0);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  WindowTree tree;
  DesktopThread host(tree, link + "/socket");
  EXPECT_FALSE(host.listening());
}

}  // namespace
}  // namespace win32
