#pragma once
// The media player: plays one song file (MP3, FLAC, Ogg Vorbis, Opus or WAV) at a time in the
// background, with the members that the music commands use. Call it only from the thread that made
// it (the program's event loop); it decodes and plays on a thread of its own and reports back on
// the event loop only through the end-of-stream notification and its properties.
//
// Paths are native file names (the bytes that the file system holds, usually UTF-8), not
// Windows-1252 text: FileName gives back exactly the path given to Open.
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/mediaplayer/icecast_url.h"
#include "platform/mediaplayer/stream_options.h"

namespace platform {

class IcecastStream;
class LengthScanner;
class PlaybackEngine;

class MediaPlayer : public QObject {
  Q_OBJECT

 public:
  // The output is chosen from SPINDECK_AUDIO as it is at construction (see
  // audio_output_choice.h); it is opened when the first song starts.
  explicit MediaPlayer(QObject* parent = nullptr);
  // Stops playback and the player's threads, within about a tenth of a second; within two
  // seconds even when the sound server or the Icecast server has stopped answering.
  ~MediaPlayer() override;

  // Loads the file and starts playing it from its start, replacing any song. Its decoder is
  // chosen by its content, not its name. A file that cannot be played (missing, of no format
  // the player decodes, no complete frame) leaves FileName empty and the player stopped. Only
  // the start of the file (and what its format needs for the length) is read here. FLAC, Ogg
  // and WAV files give their exact length at once; an MP3's comes from the stream's header, or
  // is estimated, and is made exact by a scan of the file on a thread of the player's own,
  // whose result StateChanged announces.
  void Open(const std::string& path);
  // Resumes a paused song; starts a stopped one from its position (the start after Stop or
  // after its end).
  void Play();
  // Pauses the playing song.
  void Pause();
  // Stops and rewinds to the start; the file stays loaded.
  void Stop();

  // The path of the loaded file; empty when none.
  std::string FileName() const { return fileName_; }
  // The length of the loaded song in seconds; 0 when none. Exact once the song's scan is done.
  double Duration() const;
  // The position in the loaded song in seconds.
  double CurrentPosition() const;
  // Moves to `seconds` (limited to 0..Duration), to the sample. Reaching the end this way ends
  // the song, as playing to it does. Ignored without a song, or for NaN.
  void SetCurrentPosition(double seconds);

  // Speed factor, 1.0 = normal; speed and pitch change together.
  double Rate() const { return rate_; }
  // Limited to kMinRate..kMaxRate (zero and negative rates give kMinRate); NaN is refused and
  // the rate stays as it was.
  void SetRate(double rate);
  static constexpr double kMinRate = 0.25;
  static constexpr double kMaxRate = 4.0;

  // 0 stopped, 1 paused, 2 playing.
  int PlayState() const;

  // Loudness in hundredths of a decibel, 0 = full: the audio is scaled by 10^(Volume/2000), so
  // -2500 is -25 dB. Limited to kMinVolume..0.
  int Volume() const { return volume_; }
  void SetVolume(int hundredthsOfDb);
  static constexpr int kMinVolume = -10000;

  // Called on the event loop, like the EndOfStream signal, when a song has played to its end.
  void SetEndOfStreamHandler(std::function<void(int result)> handler);

  // The output in use: "pulse", "alsa", "null" or "wav"; empty until the first song started.
  std::string OutputName() const;

  // Begins sending what plays, and silence while nothing plays, to the Icecast server at
  // `url`, logging in with `password`; a stream started before is closed first. Returns at
  // once: the connection is made, and made again after any loss, on the stream's own thread.
  // Problems (refused login, mount in use, server gone) go to standard error, each once while
  // it lasts. The stream gets the audio after the rate change, at full level times the
  // options' gain whatever the volume, as MP3 at the options' bit rate and 44.1 kHz; what the
  // sound server does with it later (the computer's own volume) does not reach the stream,
  // nor does a slow or lost server reach the sound server.
  void StartStream(const IcecastUrl& url, const std::string& password,
                   const StreamOptions& options = {});
  // The title listeners see from now on (Windows-1252 text); ignored without a stream. Stop
  // clears it for listeners, and Play of a stopped song shows it again.
  void SetStreamTitle(const std::string& title);
  // True once StartStream was called.
  bool Streaming() const { return stream_ != nullptr; }

 signals:
  // A song has played to its end (or was moved to its end). `result` is always 0.
  void EndOfStream(int result);
  // The state, the length, the position or the pace of the position may have changed other
  // than by playing on: a call of Open, Play, Pause, Stop, SetCurrentPosition or SetRate, the
  // end of a song, or the song's exact length becoming known. While the player is not playing,
  // its properties change only when this is emitted; while it plays, its position moves on at
  // Rate() seconds of the song per second until this is emitted.
  void StateChanged();

 private:
  void DeliverEndOfStream(std::uint64_t generation);
  void DeliverLength(std::uint64_t ticket, std::int64_t frames);

  std::unique_ptr<PlaybackEngine> engine_;
  std::unique_ptr<LengthScanner> scanner_;
  std::unique_ptr<IcecastStream> stream_;
  std::string streamTitle_;  // UTF-8, as sent
  // Counts the songs opened; the scan of the current one carries its number.
  std::uint64_t openCount_ = 0;
  std::function<void(int)> endHandler_;
  std::string fileName_;
  long sampleRate_ = 0;
  std::int64_t totalFrames_ = 0;
  double rate_ = 1.0;
  int volume_ = 0;
};

}  // namespace platform
