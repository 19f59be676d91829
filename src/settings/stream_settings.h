#pragma once
// The stream's settings: the section "stream" of the settings file, read at start-up, and the
// password file it names. The program only reads this section, and writing its own keys keeps
// every other line of the file, so the section stays as the user wrote it.
//
//   [stream]
//   URL=icecast://source@host:8000/spindeck.mp3   (icecasts://... over TLS)
//   CAFILE=my-ca.pem   (optional) authorities trusted beside the system's, for icecasts://
//   PASSWORDFILE=stream-password.txt   (relative to the program folder, or absolute)
//   LISTENURL=http://radio.example/spindeck.mp3   (optional; the http form of URL by default)
//   FORMAT=mp3         or opus (Ogg Opus)
//   BITRATE=128        kbit/s: MP3's constant rate (32 to 320, as MP3 has them); Opus's
//                      (6 to 510, 96 by default)
//   QUALITY=2          LAME's, 0 (best, slowest) to 9
//   STREAMGAIN=0       the stream's level in dB (-60 to 20): the music at full level, whatever
//                      the DJ's own volume, times this
//   NAME=, GENRE=, DESCRIPTION=, STATIONURL=   the station as Icecast shows it
//   PUBLIC=0           1: listed in Icecast's public directories
#include <filesystem>
#include <optional>
#include <string>

#include "platform/mediaplayer/icecast_url.h"
#include "platform/mediaplayer/stream_options.h"

namespace spindeck {

inline constexpr char kStreamSection[] = "stream";

struct StreamSettings {
  platform::IcecastUrl url;
  std::string password;   // the password file's first line
  std::string listenUrl;  // where listeners hear the stream (Windows-1252 settings text)
  platform::StreamOptions options;
};

// The stream's settings from the settings file `settingsFile`, with PASSWORDFILE taken
// relative to `programFolder`. Nothing when the file has no stream URL (then `problem` stays
// empty: nothing is to be streamed), or when the settings cannot be used (then `problem` says
// why, in English for the user).
std::optional<StreamSettings> ReadStreamSettings(const std::filesystem::path& settingsFile,
                                                 const std::filesystem::path& programFolder,
                                                 std::string& problem);

// The password in `file`: its first line, without its line end. Nothing, with the reason in
// `problem`, when the file is missing, not a plain file, unreadable, empty, owned by another
// user than the program's (effective) one, or open to other users than its owner (any
// permission for the group or for others): a password others may read is no secret. The file
// is opened once and the open file is checked, so it cannot be swapped between check and read.
std::optional<std::string> ReadPasswordFile(const std::filesystem::path& file,
                                            std::string& problem);

}  // namespace spindeck
