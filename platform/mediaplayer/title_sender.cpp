#include "platform/mediaplayer/title_sender.h"

#include <chrono>

#include "platform/mediaplayer/icecast_requests.h"
#include "platform/mediaplayer/thread_end.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr auto kTitleRequestBound = 3s;
constexpr auto kRetry = 5s;
// The owner's end waits this long; a thread held in a look-up is let go.
constexpr auto kEndWait = 100ms;

}  // namespace

TitleSender::TitleSender(IcecastUrl url, std::string password)
    : shared_(std::make_shared<Shared>(std::move(url), std::move(password))),
      thread_([shared = shared_] { Run(*shared); }) {}

TitleSender::~TitleSender() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->quit = true;
    shared_->wake.notify_one();
  }
  JoinOrLetGo(thread_, *shared_, kEndWait);
}

void TitleSender::Send(std::string utf8) {
  std::lock_guard lock(shared_->mutex);
  shared_->title = std::move(utf8);
  shared_->pending = true;
  shared_->wake.notify_one();
}

void TitleSender::Run(Shared& s) {
  std::unique_lock lock(s.mutex);
  while (true) {
    s.wake.wait(lock, [&] { return s.quit || s.pending; });
    if (s.quit) break;
    const std::string title = s.title;
    s.pending = false;
    lock.unlock();
    const bool sent = SendTitle(s.url, s.password, title, kTitleRequestBound);
    lock.lock();
    // Not taken: tried again later, unless a newer title or the end comes first.
    if (!sent && !s.pending &&
        !s.wake.wait_for(lock, kRetry, [&] { return s.quit || s.pending; })) {
      s.pending = true;
    }
  }
  s.finished = true;
  s.finishedChanged.notify_all();
}

}  // namespace platform
