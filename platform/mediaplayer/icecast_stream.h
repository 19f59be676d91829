#pragma once
// The stream to an Icecast server: a thread of its own takes the audio the player feeds into
// its buffer, encodes it (MP3 or Ogg Opus) and sends it as it comes, so the pace is the player's
// output's.
// It sends silence while nothing plays (stopped, paused, between songs) or when a playing
// player fed nothing for two seconds, so that listeners stay connected. It connects in the
// background and again after any loss, waiting 1 s, 2 s, 4 s ... up to a minute between tries;
// while it is not connected, fed audio is dropped. Titles go out from a thread of their own.
// Problems, and audio dropped for a slow connection, go to standard error, once each while
// they last. Nothing here waits on the network on the owner's thread or the player's, and the
// stream's own thread waits on it only while it is not sending.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/mediaplayer/icecast_url.h"
#include "platform/mediaplayer/stream_buffer.h"
#include "platform/mediaplayer/stream_options.h"

namespace platform {

class IcecastStream {
 public:
  IcecastStream(IcecastUrl url, std::string password, StreamOptions options = {});
  // Ends the thread, closing the connection; returns within two seconds of Quit (or of its own
  // start, without Quit). A thread held longer (a host name look-up that hangs) is let go: it
  // owns all it touches.
  ~IcecastStream();
  IcecastStream(const IcecastStream&) = delete;
  IcecastStream& operator=(const IcecastStream&) = delete;

  // Asks the thread to end without waiting for it; the destructor's wait counts from here.
  void Quit();

  // Where the player hands over what it plays.
  const std::shared_ptr<StreamBuffer>& buffer() const { return buffer_; }
  // The title listeners see from now on (UTF-8); sent again after every reconnect.
  void SetTitle(std::string utf8);

 private:
  struct Shared {
    Shared(IcecastUrl url, std::string password, StreamOptions options,
           std::shared_ptr<StreamBuffer> buffer)
        : url(std::move(url)),
          password(std::move(password)),
          options(std::move(options)),
          buffer(std::move(buffer)) {}
    const IcecastUrl url;
    const std::string password;
    const StreamOptions options;
    const std::shared_ptr<StreamBuffer> buffer;

    std::mutex mutex;
    std::condition_variable wake;
    // Guarded by mutex:
    bool quit = false;
    bool finished = false;
    std::condition_variable finishedChanged;
    std::string title;
    bool titleChanged = false;
  };

  static void Run(Shared& shared);

  std::shared_ptr<StreamBuffer> buffer_;
  std::shared_ptr<Shared> shared_;
  std::optional<std::chrono::steady_clock::time_point> quitAt_;
  std::thread thread_;
};

}  // namespace platform
