#pragma once
// Test songs in the formats beside MP3: FLAC, Ogg Vorbis (also two chained streams), Opus and
// WAV, each a pure tone, made with the Debian tools flac, oggenc and opusenc from a WAV file
// written here. WAV songs are written directly, with an INFO chunk for their tag.
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace spindeck::testing {

enum class SongFormat {
  kFlac16,         // 16-bit, 44.1 kHz, stereo
  kFlac24At96k,    // 24-bit, 96 kHz, stereo
  kFlacPicture,    // 16-bit, 44.1 kHz, with a 300 KB picture block ahead of the audio
  kVorbis,         // 44.1 kHz stereo
  kVorbisChained,  // two streams of half the length each, one after the other
  kOpusMono,       // 48 kHz
  kOpusStereo,     // 48 kHz
  kWav16,          // 16-bit PCM, 44.1 kHz, stereo
  kWavFloat,       // 32-bit float, 48 kHz, mono
};

// The tag written into a song; empty fields are left out.
struct SongTagText {
  std::string title, artist, album, date, comment;  // UTF-8
};

struct FormatSongSpec {
  SongFormat format = SongFormat::kFlac16;
  double seconds = 1.0;
  double hz = 440.0;
  SongTagText tag;
};

// The sample rate and the exact length in frames of a song made from `spec`.
long SongRate(SongFormat format);
std::int64_t SongFrames(const FormatSongSpec& spec);
// A short name of the format for test messages ("flac16", "opus-mono").
std::string FormatName(SongFormat format);
// Every format, for tables.
std::vector<SongFormat> AllSongFormats();

// Makes the song at `path` (the extension is the caller's choice); false when a tool failed.
bool MakeFormatSong(const QString& path, const FormatSongSpec& spec);

// The frequency of the tone in interleaved samples (counted from upward zero crossings of the
// first channel); 0 when there are none.
double ToneFrequency(const std::vector<std::int16_t>& samples, int channels, long rate);

}  // namespace spindeck::testing
