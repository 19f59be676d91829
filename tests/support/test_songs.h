#pragma once
// Test songs made by scripts/make-test-song, and reading back the WAV output of the player.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace spindeck::testing {

// Runs scripts/make-test-song with `options` into `path`; false when it failed. A song is made
// once for each set of options (in the build tree's test-songs/) and copied afterwards.
bool MakeTestSong(const QString& path, const QStringList& options = {});
// A song of a pure tone at `hz` lasting `seconds` (44.1 kHz stereo, CBR 128 kbit/s), with an
// ID3v1 title when `title` is given (plain ASCII).
bool MakeToneSong(const QString& path, double hz, double seconds, const QString& title = {});

struct WavAudio {
  bool valid = false;
  long rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // interleaved
  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Reads a 16-bit PCM WAV file as the player's wav output writes it.
WavAudio ReadWav(const std::string& path);

// Root mean square of the samples, in units of full scale.
double Rms(const std::vector<std::int16_t>& samples);

// Writes `bytes` to a new file, making its folder when needed.
void WriteFile(const QString& path, const QByteArray& bytes);

}  // namespace spindeck::testing
