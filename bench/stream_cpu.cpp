#include "bench/stream_cpu.h"

#include <sys/stat.h>

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_icecast.h"
#include "bench/chat_stage.h"
#include "bench/child_process.h"

namespace spindeck::bench {
namespace {

constexpr double kStreamGoalRatio = 1.2;
constexpr char kPassword[] = "bench-source-password";

bool OnPath(const char* program) {
  return RunChild({"sh", "-c", std::string("command -v ") + program + " >/dev/null"},
                  ChildOutput::kKeep)
             .exitCode == 0;
}

// One of the stream's formats, as the program is set to it and as ffmpeg makes it.
struct Format {
  const char* name;
  const char* setting;  // the stream's FORMAT
  const char* mount;
  std::vector<std::string> ffmpegCodec;  // ffmpeg's options from the codec to the content type
};

// The program's CPU seconds per second of the song while it plays and streams it; negative
// after printing why it could not be measured.
double ProgramCpuPerSecond(const std::string& songFolder, const std::string& work,
                           const BenchIcecast& server, double songSeconds, const Format& format) {
  const std::string passwordFile = work + "/stream-password.txt";
  std::ofstream(passwordFile) << kPassword << "\n";
  ::chmod(passwordFile.c_str(), 0600);
  const std::string settings =
      "[stream]\r\nURL=icecast://source@127.0.0.1:" + std::to_string(server.port()) + format.mount +
      "\r\nPASSWORDFILE=" + passwordFile + "\r\nFORMAT=" + format.setting + "\r\n";
  ChatStage stage(songFolder, "pulse", StageCast::kProgramAndClient, settings);
  if (!stage.ready()) {
    std::printf("  not measured: %s\n", stage.problem().c_str());
    return -1;
  }
  const double perSecond = ProgramCpuPlayingSongOne(stage, songSeconds);
  if (perSecond < 0) return -1;
  // Checked at the end, so that the connection's start is inside the window.
  if (!server.HasSource(format.mount)) {
    std::printf("  not measured: the program's stream did not reach the server\n");
    return -1;
  }
  return perSecond;
}

// The program against ffmpeg plus mpg123 for one format; false when it could not be measured.
bool MeasureFormat(const Format& format, const std::string& song, const std::string& songFolder,
                   const std::string& folder, const BenchIcecast& server, double songSeconds) {
  std::printf(" %s:\n", format.name);
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel",
                                      "error",  "-re",      "-i",           song};
  command.insert(command.end(), format.ffmpegCodec.begin(), format.ffmpegCodec.end());
  command.push_back("icecast://source:" + std::string(kPassword) +
                    "@127.0.0.1:" + std::to_string(server.port()) + "/ff" + format.mount);
  const ChildRun ffmpeg = RunChild(command, ChildOutput::kKeep);
  const ChildRun mpg123 = RunChild({"mpg123", "-q", "-o", "pulse", song}, ChildOutput::kKeep);
  if (ffmpeg.exitCode != 0 || mpg123.exitCode != 0) {
    std::printf("  not measured: %s failed\n", ffmpeg.exitCode != 0 ? "ffmpeg" : "mpg123");
    return false;
  }
  const double ours = ProgramCpuPerSecond(songFolder, folder, server, songSeconds, format);
  if (ours < 0) return false;

  const double ff = ffmpeg.cpuSeconds / songSeconds;
  const double mp = mpg123.cpuSeconds / songSeconds;
  std::printf("  %-32s %.4f CPU-s/s (took %.1f s for the %.0f s song)\n", "ffmpeg to Icecast", ff,
              ffmpeg.wallSeconds, songSeconds);
  std::printf("  %-32s %.4f CPU-s/s\n", "mpg123 -o pulse", mp);
  const double base = ff + mp;
  if (base > 0) {
    const double ratio = ours / base;
    std::printf("  %-32s %.4f CPU-s/s = %.2f x their sum, goal <= %.1f x: %s\n",
                "spindeck, playing and streaming", ours, ratio, kStreamGoalRatio,
                ratio <= kStreamGoalRatio ? "met" : "MISSED");
  } else {
    std::printf("  %-32s %.4f CPU-s/s (the baseline used none)\n",
                "spindeck, playing and streaming", ours);
  }
  return true;
}

}  // namespace

bool MeasureStreamCpu(const std::string& folder, double songSeconds) {
  std::printf(
      "\nPlaying and streaming to Icecast, whole-process CPU seconds per second of the song; "
      "baseline ffmpeg -re ... icecast://... (MP3: -c:a libmp3lame -compression_level 2 -b:a "
      "128k; Opus: -c:a libopus -b:a 96k) plus mpg123 -o pulse, same song, server and sink:\n");
  if (std::getenv("PULSE_SERVER") == nullptr) {
    std::printf("  not measured: PULSE_SERVER is not set (run it inside scripts/with-pulse)\n");
    return false;
  }
  for (const char* program : {"ffmpeg", "icecast2", "mpg123"}) {
    if (!OnPath(program)) {
      std::printf("  not measured: needs %s\n", program);
      return true;
    }
  }
  const std::string songFolder = folder + "/stream-song";
  const std::string song = songFolder + "/stream song.mp3";
  std::error_code error;
  std::filesystem::create_directories(songFolder, error);
  const ChildRun made =
      RunChild({SPINDECK_SOURCE_DIR "/scripts/make-test-song", "--seconds",
                std::to_string(static_cast<int>(songSeconds)), "--volume", "0.3", song},
               ChildOutput::kKeep);
  QTemporaryDir serverFolder;
  if (made.exitCode != 0 || !serverFolder.isValid()) {
    std::printf("  not measured: the song or the server's folder could not be made\n");
    return false;
  }
  BenchIcecast server(serverFolder.path().toStdString(), kPassword);
  if (!server.ready()) {
    std::printf("  not measured: %s\n", server.problem().c_str());
    return false;
  }

  const Format formats[] = {
      {"MP3",
       "mp3",
       "/spindeck.mp3",
       {"-c:a", "libmp3lame", "-compression_level", "2", "-b:a", "128k", "-content_type",
        "audio/mpeg", "-f", "mp3"}},
      {"Opus",
       "opus",
       "/spindeck.opus",
       {"-c:a", "libopus", "-b:a", "96k", "-content_type", "application/ogg", "-f", "ogg"}},
  };
  bool measured = true;
  for (const Format& format : formats) {
    measured = MeasureFormat(format, song, songFolder, folder, server, songSeconds) && measured;
  }
  return measured;
}

}  // namespace spindeck::bench