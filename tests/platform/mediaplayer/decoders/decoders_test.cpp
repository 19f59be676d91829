// Every decoder against real files of its format, made here with the Debian encoders: the
// exact length, the whole song decoded, sample-accurate seeking, the tone's pitch; the choice
// of decoder by content, and files that must be refused.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <numbers>

#include "platform/mediaplayer/decoders/decoder_choice.h"
#include "tests/support/format_songs.h"

namespace {

using platform::ChooseDecoder;
using platform::OpenSongDecoder;
using platform::SongDecoder;
using spindeck::testing::AllSongFormats;
using spindeck::testing::FormatName;
using spindeck::testing::FormatSongSpec;
using spindeck::testing::MakeFormatSong;
using spindeck::testing::SongFormat;
using spindeck::testing::SongFrames;
using spindeck::testing::SongRate;

constexpr double kHz = 440.0;
constexpr double kSeconds = 1.0;

// One song of every format, made once for the suite.
struct Songs {
  QTemporaryDir dir;
  std::map<SongFormat, std::string> paths;
};

Songs& SharedSongs() {
  static Songs songs = [] {
    Songs made;
    for (SongFormat format : AllSongFormats()) {
      const QString path = made.dir.filePath(QString::fromStdString(FormatName(format)));
      if (MakeFormatSong(path, {format, kSeconds, kHz, {}})) {
        made.paths[format] = path.toStdString();
      }
    }
    return made;
  }();
  return songs;
}

std::vector<float> DecodeAll(SongDecoder& decoder) {
  std::vector<float> all;
  std::vector<float> piece(1000 * SongDecoder::kChannels);
  while (const std::size_t frames = decoder.Read(piece.data(), 1000)) {
    all.insert(all.end(), piece.begin(),
               piece.begin() + static_cast<long>(frames * SongDecoder::kChannels));
  }
  return all;
}

double LeftFrequency(const std::vector<float>& stereo, long rate) {
  std::vector<std::int16_t> left;
  for (std::size_t i = 0; i < stereo.size(); i += 2) {
    left.push_back(static_cast<std::int16_t>(std::lround(stereo[i] * 32767.0f)));
  }
  return spindeck::testing::ToneFrequency(left, 1, rate);
}

bool Lossless(SongFormat format) {
  return format != SongFormat::kVorbis && format != SongFormat::kVorbisChained &&
         format != SongFormat::kOpusMono && format != SongFormat::kOpusStereo;
}

TEST(SongDecoders, EveryFormatHasItsExactLengthPitchAndSampleAccurateSeeks) {
  for (SongFormat format : AllSongFormats()) {
    SCOPED_TRACE(FormatName(format));
    ASSERT_EQ(SharedSongs().paths.count(format), 1u) << "the song could not be made";
    const std::string& path = SharedSongs().paths.at(format);
    auto decoder = OpenSongDecoder(path);
    ASSERT_NE(decoder, nullptr);
    const long rate = SongRate(format);
    const std::int64_t frames = SongFrames({format, kSeconds, kHz, {}});
    EXPECT_EQ(decoder->sampleRate(), rate);
    EXPECT_TRUE(decoder->lengthExact());
    EXPECT_EQ(decoder->totalFrames(), frames);

    const std::vector<float> all = DecodeAll(*decoder);
    ASSERT_EQ(static_cast<std::int64_t>(all.size() / 2), frames);
    // Mono comes out on both channels.
    EXPECT_EQ(all[2 * 1000], all[2 * 1000 + 1]);
    EXPECT_NEAR(LeftFrequency(all, rate), kHz, 1.0);
    if (Lossless(format)) {
      const double expected = 0.5 * std::sin(2.0 * std::numbers::pi * kHz * 1234.0 / rate);
      EXPECT_NEAR(all[2 * 1234], expected, 1e-3);
    }

    // A seek to a frame that starts no block leaves exactly the rest of the song, and gives
    // the samples found there by playing through: exactly for the lossless formats; for the
    // lossy ones, whose decoders start afresh after a seek and settle within some 50 ms, the
    // settled samples match those of the very frame better than those of its neighbours.
    for (const std::int64_t target : {frames / 3 + 17, std::int64_t{5}, frames - 300}) {
      ASSERT_TRUE(decoder->Seek(target)) << target;
      const std::vector<float> rest = DecodeAll(*decoder);
      ASSERT_EQ(static_cast<std::int64_t>(rest.size() / 2), frames - target) << target;
      const auto distance = [&](std::int64_t shift, std::size_t from, std::size_t to) {
        double sum = 0;
        for (std::size_t i = 2 * from; i < 2 * to; ++i) {
          const double d = rest[i] - all[static_cast<std::size_t>(target + shift) * 2 + i];
          sum += d * d;
        }
        return sum;
      };
      if (Lossless(format)) {
        EXPECT_LT(distance(0, 0, 300), 1e-9) << target;
      } else if (rest.size() / 2 >= 2400) {
        EXPECT_LT(distance(0, 2000, 2400), distance(-1, 2000, 2400)) << target;
        EXPECT_LT(distance(0, 2000, 2400), distance(1, 2000, 2400)) << target;
      }
    }
    // Beyond the end there is nothing more; back at the start all of it again.
    EXPECT_FALSE(decoder->Seek(frames));
    std::vector<float> piece(64 * SongDecoder::kChannels);
    EXPECT_EQ(decoder->Read(piece.data(), 64), 0u);
    EXPECT_TRUE(decoder->Seek(0));
    EXPECT_EQ(static_cast<std::int64_t>(DecodeAll(*decoder).size() / 2), frames);
  }
}

TEST(SongDecoders, TheDecoderIsChosenByContentNotByName) {
  QTemporaryDir dir;
  // A FLAC file named ".mp3" and a WAV file named ".flac" play as what they are.
  const QString flacAsMp3 = dir.filePath("song.mp3");
  ASSERT_TRUE(QFile::copy(QString::fromStdString(SharedSongs().paths.at(SongFormat::kFlac24At96k)),
                          flacAsMp3));
  auto decoder = OpenSongDecoder(flacAsMp3.toStdString());
  ASSERT_NE(decoder, nullptr);
  EXPECT_EQ(decoder->sampleRate(), 96000);
  EXPECT_EQ(decoder->totalFrames(), 96000);

  using namespace std::string_view_literals;
  const auto bytes = [](std::string_view text) {
    return std::vector<unsigned char>(text.begin(), text.end());
  };
  EXPECT_STREQ(ChooseDecoder(bytes("fLaC\0\0\0\x22"sv)).name, "flac");
  EXPECT_STREQ(ChooseDecoder(bytes("RIFF\x24\0\0\0WAVEfmt "sv)).name, "wav");
  EXPECT_STREQ(ChooseDecoder(bytes("RIFF\x24\0\0\0AVI LIST"sv)).name, "mp3");
  std::string ogg = "OggS" + std::string(22, '\0') + '\x01' + '\x13' + "OpusHead";
  EXPECT_STREQ(ChooseDecoder(bytes(ogg)).name, "opus");
  ogg[26] = '\x02';  // two segments: the packet starts one byte later
  EXPECT_STREQ(ChooseDecoder(bytes(ogg)).name, "mp3");
  EXPECT_STREQ(ChooseDecoder(bytes("OggS" + std::string(22, '\0') + "\x01\x1e\x01vorbis")).name,
               "vorbis");
  EXPECT_STREQ(ChooseDecoder(bytes("fLa")).name, "mp3");
  EXPECT_STREQ(ChooseDecoder({}).name, "mp3");
  // An ID3v2 tag of 0x201 bytes of body, with a footer.
  EXPECT_EQ(platform::Id3v2TagSize(bytes("ID3\x04\0\x10\0\0\x04\x01"sv)), 10u + 0x201u + 10u);
  EXPECT_EQ(platform::Id3v2TagSize(bytes("ID3\x04\0\0\0\0\x84\x01"sv)), 0u);
  EXPECT_EQ(platform::Id3v2TagSize(bytes("ID3")), 0u);
}

TEST(SongDecoders, HostileFilesAreRefused) {
  QTemporaryDir dir;
  const auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return dir.filePath(name).toStdString();
  };
  const auto head = [](SongFormat format, qint64 bytes) {
    QFile file(QString::fromStdString(SharedSongs().paths.at(format)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.read(bytes);
  };
  for (const char* name : {"empty.flac", "empty.ogg", "empty.opus", "empty.wav"}) {
    EXPECT_EQ(OpenSongDecoder(write(name, {})), nullptr) << name;
  }
  EXPECT_EQ(OpenSongDecoder(write("text.flac", "just some text, not audio\n")), nullptr);
  EXPECT_EQ(OpenSongDecoder(write("text.opus", QByteArray(5000, 'x'))), nullptr);
  // Cut within the headers: no audio at all.
  EXPECT_EQ(OpenSongDecoder(write("cut.flac", head(SongFormat::kFlac16, 60))), nullptr);
  EXPECT_EQ(OpenSongDecoder(write("cut.ogg", head(SongFormat::kVorbis, 200))), nullptr);
  EXPECT_EQ(OpenSongDecoder(write("cut.opus", head(SongFormat::kOpusStereo, 60))), nullptr);
  EXPECT_EQ(OpenSongDecoder(write("cut.wav", head(SongFormat::kWav16, 40))), nullptr);
  EXPECT_EQ(OpenSongDecoder(write("picture-cut.flac", head(SongFormat::kFlacPicture, 150000))),
            nullptr);
  // Cut in the middle of the audio (of songs long enough that the encoded audio outweighs the
  // headers): what is there plays, and its end is reached.
  for (SongFormat format :
       {SongFormat::kFlac16, SongFormat::kVorbis, SongFormat::kOpusStereo, SongFormat::kWav16}) {
    SCOPED_TRACE(FormatName(format));
    const QString longSong = dir.filePath("long");
    ASSERT_TRUE(MakeFormatSong(longSong, {format, 20.0, kHz, {}}));
    QFile file(longSong);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    auto decoder = OpenSongDecoder(write("half", whole.left(whole.size() / 2)));
    ASSERT_NE(decoder, nullptr);
    const auto frames = static_cast<std::int64_t>(DecodeAll(*decoder).size() / 2);
    EXPECT_GT(frames, SongFrames({format, 1.0, kHz, {}}));
    EXPECT_LT(frames, SongFrames({format, 20.0, kHz, {}}));
  }
  // A missing file and a folder.
  EXPECT_EQ(OpenSongDecoder(dir.filePath("missing.flac").toStdString()), nullptr);
  EXPECT_EQ(OpenSongDecoder(dir.path().toStdString()), nullptr);
}

}  // namespace
