#pragma once
// Sends the stream's title to the Icecast server from a thread of its own: the look-up of the
// host name and the request may take as long as they take, and the stream's audio never waits
// for them. Only the latest title counts; one the server did not take is tried again a little
// later. At its end the thread is let go if a look-up holds it.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/mediaplayer/icecast_url.h"

namespace platform {

class TitleSender {
 public:
  TitleSender(IcecastUrl url, std::string password);
  ~TitleSender();
  TitleSender(const TitleSender&) = delete;
  TitleSender& operator=(const TitleSender&) = delete;

  // The title (UTF-8; empty for none) to send now, replacing any not sent yet.
  void Send(std::string utf8);

 private:
  struct Shared {
    Shared(IcecastUrl url, std::string password)
        : url(std::move(url)), password(std::move(password)) {}
    const IcecastUrl url;
    const std::string password;
    std::mutex mutex;
    std::condition_variable wake;
    // Guarded by mutex:
    bool quit = false;
    bool finished = false;
    std::condition_variable finishedChanged;
    std::string title;
    bool pending = false;
  };
  static void Run(Shared& shared);

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace platform
