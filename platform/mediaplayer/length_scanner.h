#pragma once
// A thread of the player's own that finds the exact length of the loaded song (ScanSongLength)
// while it plays, with a decoder of its own. A new request or Cancel stops the scan
// under way within one read of the file.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace platform {

class LengthScanner {
 public:
  // Called on the scanner's thread with the ticket of a finished scan and the length in frames.
  // It must only hand the news over to the owner's thread.
  using Found = std::function<void(std::uint64_t ticket, std::int64_t frames)>;

  explicit LengthScanner(Found found);
  // Stops a scan under way and the thread.
  ~LengthScanner();
  LengthScanner(const LengthScanner&) = delete;
  LengthScanner& operator=(const LengthScanner&) = delete;

  // Scans `nativePath` in place of any earlier request; `ticket` (not 0) comes back with the
  // length. Returns at once.
  void Scan(const std::string& nativePath, std::uint64_t ticket);
  // Drops the request under way; no length is reported for it.
  void Cancel();

 private:
  void Run();
  bool Wanted(std::uint64_t ticket) const;

  const Found found_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  // Guarded by mutex_:
  std::optional<std::string> pendingPath_;
  std::uint64_t wantedTicket_ = 0;
  bool quit_ = false;

  std::thread thread_;  // last, so that it starts after everything above exists
};

}  // namespace platform
