#include "tests/support/format_songs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>

#include "tests/support/run_tool.h"

namespace spindeck::testing {
namespace {

constexpr double kAmplitude = 0.5;

int ChannelsOf(SongFormat format) {
  return format == SongFormat::kOpusMono || format == SongFormat::kWavFloat ? 1 : 2;
}

enum class SampleType { kPcm16, kPcm24, kFloat32 };

SampleType SampleTypeOf(SongFormat format) {
  if (format == SongFormat::kFlac24At96k) return SampleType::kPcm24;
  if (format == SongFormat::kWavFloat) return SampleType::kFloat32;
  return SampleType::kPcm16;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutChunk(std::string& out, const char* id, const std::string& body) {
  out += id;
  PutLe(out, static_cast<std::uint32_t>(body.size()), 4);
  out += body;
  if (body.size() % 2 != 0) out += '\0';
}

// The RIFF INFO list of a tag; empty without fields.
std::string InfoList(const SongTagText& tag) {
  std::string body;
  for (const auto& [id, value] :
       {std::pair{"INAM", tag.title}, std::pair{"IART", tag.artist}, std::pair{"IPRD", tag.album},
        std::pair{"ICRD", tag.date}, std::pair{"ICMT", tag.comment}}) {
    if (!value.empty()) PutChunk(body, id, value + '\0');
  }
  if (body.empty()) return {};
  std::string list;
  PutChunk(list, "LIST", "INFO" + body);
  return list;
}

// A WAV file of the tone: `frames` frames from frame `first` of it.
std::string ToneWav(long rate, int channels, SampleType type, std::int64_t first,
                    std::int64_t frames, double hz, const SongTagText& tag) {
  const int bytesPerSample = type == SampleType::kPcm16 ? 2 : type == SampleType::kPcm24 ? 3 : 4;
  std::string data;
  data.reserve(static_cast<std::size_t>(frames * channels * bytesPerSample));
  for (std::int64_t i = first; i < first + frames; ++i) {
    const double value =
        kAmplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
    for (int c = 0; c < channels; ++c) {
      if (type == SampleType::kFloat32) {
        const float f = static_cast<float>(value);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, 4);
        PutLe(data, bits, 4);
      } else {
        const double full = type == SampleType::kPcm16 ? 32767.0 : 8388607.0;
        PutLe(data,
              static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value * full))),
              bytesPerSample);
      }
    }
  }
  std::string format;
  PutLe(format, type == SampleType::kFloat32 ? 3 : 1, 2);
  PutLe(format, static_cast<std::uint32_t>(channels), 2);
  PutLe(format, static_cast<std::uint32_t>(rate), 4);
  PutLe(format, static_cast<std::uint32_t>(rate * channels * bytesPerSample), 4);
  PutLe(format, static_cast<std::uint32_t>(channels * bytesPerSample), 2);
  PutLe(format, static_cast<std::uint32_t>(bytesPerSample * 8), 2);
  std::string body = "WAVE";
  PutChunk(body, "fmt ", format);
  body += InfoList(tag);
  PutChunk(body, "data", data);
  std::string file;
  PutChunk(file, "RIFF", body);
  return file;
}

bool Write(const QString& path, const std::string& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) &&
         file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
             static_cast<qint64>(bytes.size());
}

QStringList VorbisCommentOptions(const SongTagText& tag, const QString& flag) {
  QStringList options;
  for (const auto& [key, value] : {std::pair{"TITLE", tag.title}, std::pair{"ARTIST", tag.artist},
                                   std::pair{"ALBUM", tag.album}, std::pair{"DATE", tag.date},
                                   std::pair{"COMMENT", tag.comment}}) {
    if (!value.empty()) options << flag << QString(key) + "=" + QString::fromStdString(value);
  }
  return options;
}

bool Oggenc(const QString& source, const QString& out, const SongTagText& tag) {
  return RunTool("oggenc",
                 QStringList{"-Q", "-o", out} << VorbisCommentOptions(tag, "-c") << source);
}

}  // namespace

long SongRate(SongFormat format) {
  switch (format) {
    case SongFormat::kFlac24At96k:
      return 96000;
    case SongFormat::kOpusMono:
    case SongFormat::kOpusStereo:
    case SongFormat::kWavFloat:
      return 48000;
    default:
      return 44100;
  }
}

std::int64_t SongFrames(const FormatSongSpec& spec) {
  return std::llround(spec.seconds * static_cast<double>(SongRate(spec.format)));
}

std::string FormatName(SongFormat format) {
  switch (format) {
    case SongFormat::kFlac16:
      return "flac16";
    case SongFormat::kFlac24At96k:
      return "flac24-96k";
    case SongFormat::kFlacPicture:
      return "flac-picture";
    case SongFormat::kVorbis:
      return "vorbis";
    case SongFormat::kVorbisChained:
      return "vorbis-chained";
    case SongFormat::kOpusMono:
      return "opus-mono";
    case SongFormat::kOpusStereo:
      return "opus-stereo";
    case SongFormat::kWav16:
      return "wav16";
    case SongFormat::kWavFloat:
      return "wav-float";
  }
  return "?";
}

std::vector<SongFormat> AllSongFormats() {
  return {SongFormat::kFlac16,     SongFormat::kFlac24At96k,   SongFormat::kFlacPicture,
          SongFormat::kVorbis,     SongFormat::kVorbisChained, SongFormat::kOpusMono,
          SongFormat::kOpusStereo, SongFormat::kWav16,         SongFormat::kWavFloat};
}

bool MakeFormatSong(const QString& path, const FormatSongSpec& spec) {
  const SongFormat format = spec.format;
  const long rate = SongRate(format);
  const int channels = ChannelsOf(format);
  const SampleType type = SampleTypeOf(format);
  const std::int64_t frames = SongFrames(spec);
  if (format == SongFormat::kWav16 || format == SongFormat::kWavFloat) {
    return Write(path, ToneWav(rate, channels, type, 0, frames, spec.hz, spec.tag));
  }
  QTemporaryDir work;
  if (!work.isValid()) return false;
  const QString source = work.filePath("source.wav");
  if (!Write(source, ToneWav(rate, channels, type, 0, frames, spec.hz, {}))) return false;
  switch (format) {
    case SongFormat::kFlac16:
    case SongFormat::kFlac24At96k:
    case SongFormat::kFlacPicture: {
      QStringList options{"--silent", "--force", "-o", path};
      options << VorbisCommentOptions(spec.tag, "-T");
      if (format == SongFormat::kFlacPicture) {
        const QString picture = work.filePath("cover.jpg");
        if (!Write(picture, std::string(300 * 1024, '\x5A'))) return false;
        options << "--picture"
                << "3|image/jpeg|cover|300x300x24|" + picture;
      }
      return RunTool("flac", options << source);
    }
    case SongFormat::kVorbis:
      return Oggenc(source, path, spec.tag);
    case SongFormat::kVorbisChained: {
      // Two streams of the same tone, the second going on where the first stopped.
      const std::int64_t half = frames / 2;
      const QString first = work.filePath("first.wav");
      const QString second = work.filePath("second.wav");
      if (!Write(first, ToneWav(rate, channels, type, 0, half, spec.hz, {})) ||
          !Write(second, ToneWav(rate, channels, type, half, frames - half, spec.hz, {})) ||
          !Oggenc(first, work.filePath("first.ogg"), spec.tag) ||
          !Oggenc(second, work.filePath("second.ogg"), {})) {
        return false;
      }
      QFile a(work.filePath("first.ogg"));
      QFile b(work.filePath("second.ogg"));
      QFile out(path);
      if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) ||
          !out.open(QIODevice::WriteOnly)) {
        return false;
      }
      return out.write(a.readAll()) > 0 && out.write(b.readAll()) > 0;
    }
    case SongFormat::kOpusMono:
    case SongFormat::kOpusStereo: {
      QStringList options{"--quiet"};
      for (const auto& [flag, value] :
           {std::pair{"--title", spec.tag.title}, std::pair{"--artist", spec.tag.artist},
            std::pair{"--album", spec.tag.album}, std::pair{"--date", spec.tag.date}}) {
        if (!value.empty()) options << flag << QString::fromStdString(value);
      }
      if (!spec.tag.comment.empty()) {
        options << "--comment"
                << "COMMENT=" + QString::fromStdString(spec.tag.comment);
      }
      return RunTool("opusenc", options << source << path);
    }
    default:
      return false;
  }
}

double ToneFrequency(const std::vector<std::int16_t>& samples, int channels, long rate) {
  if (channels <= 0 || rate <= 0) return 0.0;
  const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
  std::size_t firstCrossing = 0;
  std::size_t lastCrossing = 0;
  int crossings = 0;
  for (std::size_t i = 1; i < frames; ++i) {
    const auto before = samples[(i - 1) * static_cast<std::size_t>(channels)];
    const auto now = samples[i * static_cast<std::size_t>(channels)];
    if (before < 0 && now >= 0) {
      if (crossings == 0) firstCrossing = i;
      lastCrossing = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return static_cast<double>(crossings - 1) * static_cast<double>(rate) /
         static_cast<double>(lastCrossing - firstCrossing);
}

}  // namespace spindeck::testing
