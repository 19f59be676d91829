#include "tests/support/test_songs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <cmath>
#include <cstring>

namespace spindeck::testing {

bool MakeTestSong(const QString& path, const QStringList& options) {
  QProcess process;
#ifdef SPINDECK_TEST_SONG_CACHE
  // Each set of options is made once for the whole build tree and copied from then on.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  if (!environment.contains("SPINDECK_TEST_SONG_CACHE"))
    environment.insert("SPINDECK_TEST_SONG_CACHE", QStringLiteral(SPINDECK_TEST_SONG_CACHE));
  process.setProcessEnvironment(environment);
#endif
  process.start(QStringLiteral(SPINDECK_SOURCE_DIR "/scripts/make-test-song"), QStringList(options)
                                                                                   << path);
  return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0 && QFile::exists(path);
}

bool MakeToneSong(const QString& path, double hz, double seconds, const QString& title) {
  QStringList options = {"--freq", QString::number(hz), "--seconds", QString::number(seconds)};
  if (!title.isEmpty()) options << "--title" << title;
  return MakeTestSong(path, options);
}

WavAudio ReadWav(const std::string& path) {
  WavAudio audio;
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return audio;
  const QByteArray bytes = file.readAll();
  if (bytes.size() < 44 || !bytes.startsWith("RIFF") || bytes.mid(8, 8) != "WAVEfmt ") return audio;
  const auto u16 = [&](int at) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  const auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
  audio.channels = static_cast<int>(u16(22));
  audio.rate = static_cast<long>(u32(24));
  const std::size_t dataBytes = std::min<std::size_t>(u32(40), bytes.size() - 44);
  audio.samples.resize(dataBytes / 2);
  std::memcpy(audio.samples.data(), bytes.constData() + 44, audio.samples.size() * 2);
  audio.valid = u16(34) == 16 && audio.channels > 0;
  return audio;
}

double Rms(const std::vector<std::int16_t>& samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (const std::int16_t s : samples) sum += (s / 32768.0) * (s / 32768.0);
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

}  // namespace spindeck::testing
