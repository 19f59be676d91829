#pragma once
// The tag fields of a song file, read by TagLib from the tag its format keeps: ID3v2 for MP3
// (its ID3v1 tag is read by the program itself), Vorbis comments for FLAC, Ogg Vorbis and
// Opus, the INFO chunk for WAV. The format is told by the file's content, not its name.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The fields as the tag holds them, in UTF-8, untrimmed; empty when the tag lacks one. `date`
// is the whole date field ("2004-05-01", "2004").
struct SongTags {
  // The format the content was read as: "mp3", "flac", "vorbis", "opus" or "wav".
  std::string format;
  std::string artist;
  std::string album;
  std::string date;
  std::string title;
  std::string comment;
};

// Nothing when the file cannot be read, or carries no such tag (an MP3 without ID3v2, a file of
// no known format, which is read as MPEG).
std::optional<SongTags> ReadSongTags(const std::string& nativePath);

// The same for the bytes of a whole file held in memory.
std::optional<SongTags> ReadSongTagsFromBytes(std::string_view bytes);

}  // namespace platform
