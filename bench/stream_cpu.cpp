#include "bench/stream_cpu.h"

#include <sys/stat.h>

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/bench_icecast.h"
#include "bench/chat_stage.h"
#include "bench/child_process.h"

namespace spindeck::bench {
namespace {

constexpr double kGoalRatio = 1.2;
constexpr char kPassword[] = "bench-source-password";

bool OnPath(const char* program) {
  return RunChild({"sh", "-c", std::string("command -v ") + program + " >/dev/null"},
                  ChildOutput::kKeep)
             .exitCode == 0;
}

// The program's CPU seconds per second of the song while it plays and streams it; negative
// after printing why it could not be measured.
double ProgramCpuPerSecond(const std::string& songFolder, const std::string& work,
                           const BenchIcecast& server, double songSeconds) {
  const std::string passwordFile = work + "/stream-password.txt";
  std::ofstream(passwordFile) << kPassword << "\n";
  ::chmod(passwordFile.c_str(), 0600);
  const std::string settings =
      "[stream]\r\nURL=icecast://source@127.0.0.1:" + std::to_string(server.port()) +
      "/spindeck.mp3\r\nPASSWORDFILE=" + passwordFile + "\r\n";
  ChatStage stage(songFolder, "pulse", StageCast::kProgramAndClient, settings);
  if (!stage.ready()) {
    std::printf("  not measured: %s\n", stage.problem().c_str());
    return -1;
  }
  const double perSecond = ProgramCpuPlayingSongOne(stage, songSeconds);
  if (perSecond < 0) return -1;
  // Checked at the end, so that the connection's start is inside the window.
  if (!server.HasSource("/spindeck.mp3")) {
    std::printf("  not measured: the program's stream did not reach the server\n");
    return -1;
  }
  return perSecond;
}

}  // namespace

bool MeasureStreamCpu(const std::string& folder, double songSeconds) {
  std::printf(
      "\nPlaying and streaming to Icecast, whole-process CPU seconds per second of the song; "
      "baseline ffmpeg -re ... -c:a libmp3lame -compression_level 2 -b:a 128k icecast://... plus "
      "mpg123 -o pulse, "
      "same song, server and sink:\n");
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

  const ChildRun ffmpeg = RunChild(
      {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-re", "-i", song, "-c:a",
       "libmp3lame", "-compression_level", "2", "-b:a", "128k", "-content_type", "audio/mpeg",
       "icecast://source:" + std::string(kPassword) +
           "@127.0.0.1:" + std::to_string(server.port()) + "/ff.mp3"},
      ChildOutput::kKeep);
  const ChildRun mpg123 = RunChild({"mpg123", "-q", "-o", "pulse", song}, ChildOutput::kKeep);
  if (ffmpeg.exitCode != 0 || mpg123.exitCode != 0) {
    std::printf("  not measured: %s failed\n", ffmpeg.exitCode != 0 ? "ffmpeg" : "mpg123");
    return false;
  }
  const double ours = ProgramCpuPerSecond(songFolder, folder, server, songSeconds);
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
                "spindeck, playing and streaming", ours, ratio, kGoalRatio,
                ratio <= kGoalRatio ? "met" : "MISSED");
  } else {
    std::printf("  %-32s %.4f CPU-s/s (the baseline used none)\n",
                "spindeck, playing and streaming", ours);
  }
  return true;
}

}  // namespace spindeck::bench
