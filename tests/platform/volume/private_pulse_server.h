#pragma once
// A PulseAudio server of the test's own: a null sink as the default output, a private 0700
// runtime folder, found by the test process through PULSE_SERVER. Header-only, so that other
// test folders can use it too.
//
// Each test starts its own server even when the run already has one (scripts/with-pulse):
// tests run in parallel, and one test's sink volume must not be another's.
#include <gtest/gtest.h>
#include <signal.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "tests/support/wait_for_file.h"

namespace spindeck::testing {

class PrivatePulseServer {
 public:
  static constexpr const char* kSinkName = "spindeck_test_sink";

  PrivatePulseServer() = default;
  PrivatePulseServer(const PrivatePulseServer&) = delete;
  PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

  ~PrivatePulseServer() {
    if (server_.state() != QProcess::NotRunning) {
      Thaw();
      server_.terminate();
      if (!server_.waitForFinished(3000)) {
        server_.kill();
        server_.waitForFinished(3000);
      }
    }
    if (hadPulseServer_) {
      qputenv("PULSE_SERVER", oldPulseServer_);
    } else {
      qunsetenv("PULSE_SERVER");
    }
  }

  // Starts the server and points this process at it. False (with the reason in error()) when
  // pulseaudio is missing or does not come up within a few seconds.
  bool Start() {
    if (!dir_.isValid()) return Fail("no temporary folder");
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString script = dir_.filePath("server.pa");
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly)) return Fail("cannot write the server script");
    file.write(QByteArray("load-module module-null-sink sink_name=") + kSinkName +
               "\nload-module module-native-protocol-unix\nset-default-sink " + kSinkName + "\n");
    file.close();
    hadPulseServer_ = qEnvironmentVariableIsSet("PULSE_SERVER");
    oldPulseServer_ = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", serverAddress().toUtf8());
    return Launch();
  }

  // Kills the server at once, as a crash would; Restart brings it back at the same address.
  void Kill() {
    Thaw();
    server_.kill();
    server_.waitForFinished(5000);
  }
  bool Restart() { return Launch(); }

  // Stops the server with SIGSTOP, so that it holds every connection without answering, and
  // lets it go on.
  void Freeze() {
    if (server_.state() == QProcess::Running) ::kill(server_.processId(), SIGSTOP);
    frozen_ = true;
  }
  void Thaw() {
    if (frozen_ && server_.state() == QProcess::Running) ::kill(server_.processId(), SIGCONT);
    frozen_ = false;
  }

  QString serverAddress() const { return "unix:" + dir_.filePath("pulse/native"); }
  // What a program needs in its environment to play on this server.
  QProcessEnvironment ProgramEnvironment() const {
    QProcessEnvironment env;
    env.insert("PULSE_SERVER", serverAddress());
    env.insert("SPINDECK_AUDIO", "pulse");
    return env;
  }

  // Runs pactl against the server; its output goes to `output` when given.
  bool Pactl(const QStringList& arguments, QString* output) const {
    QProcess pactl;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", serverAddress());
    pactl.setProcessEnvironment(env);
    pactl.start("pactl", arguments);
    if (!pactl.waitForFinished(5000) || pactl.exitStatus() != QProcess::NormalExit ||
        pactl.exitCode() != 0) {
      return false;
    }
    if (output != nullptr) *output = QString::fromLocal8Bit(pactl.readAllStandardOutput());
    return true;
  }

  // The default sink's volume as pactl shows it, e.g. "Volume: front-left: 45875 /  70% ...".
  QString DefaultSinkVolume() const {
    QString text;
    Pactl({"get-sink-volume", "@DEFAULT_SINK@"}, &text);
    return text;
  }

  // Starts recording what reaches the sink (its monitor) into a 16-bit stereo WAV file. The
  // low latency keeps the last moments when the recorder is ended with SIGINT or SIGTERM.
  bool StartRecordingMonitor(QProcess& recorder, const QString& file) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", serverAddress());
    recorder.setProcessEnvironment(env);
    recorder.start("parecord", {"--latency-msec=20", "-d", QString(kSinkName) + ".monitor",
                                "--file-format=wav", "--format=s16le", "--channels=2", file});
    return recorder.waitForStarted(5000);
  }

  // How much sound a recording still being written holds, in milliseconds (from its WAV
  // header's rate and its size); -1 before the header is there. The recorder runs at the
  // sink's pace, so once it holds as much as the time since it started, whatever the sink
  // played until then is in it.
  static qint64 RecordedMs(const QString& file) {
    QFile wav(file);
    if (!wav.open(QIODevice::ReadOnly)) return -1;
    const QByteArray header = wav.read(44);
    if (header.size() < 44) return -1;
    qint64 bytesPerSecond = 0;
    for (int i = 31; i >= 28; --i) bytesPerSecond = bytesPerSecond * 256 + quint8(header[i]);
    if (bytesPerSecond <= 0) return -1;
    return (wav.size() - 44) * 1000 / bytesPerSecond;
  }

  QString error() const { return error_; }
  QString folder() const { return dir_.path(); }

 private:
  bool Launch() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", dir_.path());
    env.insert("HOME", dir_.path());
    env.remove("PULSE_SERVER");
    server_.setProcessEnvironment(env);
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start("pulseaudio", {"-n", "-F", dir_.filePath("server.pa"), "--daemonize=no",
                                 "--exit-idle-time=-1", "--disallow-exit"});
    if (!server_.waitForStarted(3000)) return Fail("pulseaudio did not start");
    // The server answers once its socket is there; the wait wakes as its folder changes.
    const QString socket = dir_.filePath("pulse/native");
    bool answered = false;
    WaitForFile(socket, [&] {
      answered = QFile::exists(socket) && Pactl({"info"}, nullptr);
      return answered || server_.state() == QProcess::NotRunning;
    });
    if (answered) return true;
    if (server_.state() == QProcess::NotRunning) {
      return Fail("pulseaudio ended: " + QString::fromLocal8Bit(server_.readAll()));
    }
    return Fail("pulseaudio did not answer");
  }

  bool Fail(const QString& why) {
    error_ = why;
    return false;
  }

  QTemporaryDir dir_;
  QProcess server_;
  bool hadPulseServer_ = false;
  QByteArray oldPulseServer_;
  bool frozen_ = false;
  QString error_;
};

// True when the run promises a working sound server (scripts/with-pulse sets
// SPINDECK_CI_PULSE=1): there a private server that cannot start is a fault, not a reason to
// skip, so that CI cannot pass without having played a sound.
inline bool PulseRequired() {
  return qgetenv("SPINDECK_CI_PULSE") == "1";
}

}  // namespace spindeck::testing

// Starts `server` (a PrivatePulseServer) in a test body. When it cannot start, the test is
// skipped, or fails where PulseRequired().
#define SPINDECK_START_PULSE_OR_SKIP(server)                                       \
  do {                                                                             \
    if (!(server).Start()) {                                                       \
      if (::spindeck::testing::PulseRequired()) {                                  \
        FAIL() << "no private PulseAudio, and SPINDECK_CI_PULSE=1 requires one: "  \
               << (server).error().toStdString();                                  \
      }                                                                            \
      GTEST_SKIP() << "no private PulseAudio: " << (server).error().toStdString(); \
    }                                                                              \
  } while (false)
