#include "tests/support/jukebox.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include "tests/support/fake_chat.h"
#include "tests/support/test_songs.h"

namespace spindeck::e2e {
namespace {

// Every styled line starts by closing the tags a chatter may have left open.
constexpr char kStyledStart[] = "</i></u></b>";
constexpr char kNoReply[] = "<no reply>";
// How long the program may take to come up and answer on the busiest machine.
constexpr int kProgramStartMs = 30000;

}  // namespace

std::string Line(const std::string& text) {
  return testing::PlainLine(text);
}

Jukebox::Jukebox(const QProcessEnvironment& environment,
                 const std::function<void(const QString& programFolder)>& prepare) {
  Start({}, environment, prepare);
}

Jukebox::Jukebox(const QStringList& clientOptions, const std::string& user,
                 const QProcessEnvironment& environment)
    : user_(user) {
  Start(clientOptions, environment, {});
}

void Jukebox::Start(const QStringList& clientOptions, const QProcessEnvironment& environment,
                    const std::function<void(const QString& programFolder)>& prepare) {
  if (!root_.isValid()) return;
  QDir().mkpath(musicFolder());
  client_ = std::make_unique<AolSim>(desktop_.path(), clientOptions);
  if (!client_->ready()) return;
  client_->Command({"signon", kUser});
  client_->Command({"room", "lobby"});
  if (!clientOptions.contains("--irc")) {
    client_->Command({"join", kOther});
  } else if (!client_->WaitFor(
                 [](const Event& e) {
                   return e.size() >= 4 && e[0] == "line" && e[2] == "OnlineHost" &&
                          e[3].starts_with("Connected to");
                 },
                 kProgramStartMs)) {
    // Signed on only once the server has welcomed the client: the program must find the user.
    return;
  }
  QDir().mkpath(programFolder());
  if (prepare) prepare(programFolder());
  program_ = std::make_unique<Spindeck>(desktop_.path(), programFolder(), environment);
  // The greeting comes once the chat scanner runs, so what is said from then on is heard.
  for (int i = 0; i < 2; ++i) {
    const std::string line = NextReply(kProgramStartMs);
    if (line == kNoReply) return;
    greeting_.push_back(line);
  }
  // Said once and answered once: a second try would leave a late answer to the first behind,
  // to be taken for the reply to the test's first command.
  Say("eliteoff");
  started_ = NextReply(kProgramStartMs).find("elite text: off") != std::string::npos;
}

bool Jukebox::MakeSong(const QString& fileName, const QStringList& options) {
  return testing::MakeTestSong(song(fileName), options);
}

std::string Jukebox::Refresh() {
  testing::WriteFile(programFolder() + "/dirs.txt", musicFolder().toUtf8() + "\n");
  return Ask("ref");
}

void Jukebox::Say(const std::string& text) {
  SayAs(user_, text);
}

void Jukebox::SayAs(const std::string& name, const std::string& text) {
  client_->Command({"say", name, text});
}

std::string Jukebox::NextReply(int timeoutMs) {
  std::string reply = kNoReply;
  client_->WaitFor(
      [&](const Event& e) {
        if (e.size() >= 4 && e[0] == "line" && e[2] == user_ && e[3].starts_with(kStyledStart)) {
          reply = e[3];
          return true;
        }
        return false;
      },
      timeoutMs);
  return reply;
}

std::string Jukebox::Ask(const std::string& text, int timeoutMs) {
  Say(text);
  return NextReply(timeoutMs);
}

std::string Jukebox::Pos(const std::function<bool(const std::string&)>& shows, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (true) {
    const std::string reply = Ask("pos");
    if (!shows || shows(reply) || reply == kNoReply || deadline.hasExpired()) return reply;
  }
}

bool Jukebox::SeesLine(const std::string& sender, const std::string& text, int timeoutMs) {
  return client_->WaitFor(
      [&](const Event& e) {
        return e.size() >= 4 && e[0] == "line" && e[2] == sender && e[3] == text;
      },
      timeoutMs);
}

bool Jukebox::NothingBefore() {
  const std::string reply = Ask("eliteoff");
  if (reply.find("elite text: off") != std::string::npos) return true;
  ADD_FAILURE() << "a reply came before the answer to eliteoff: " << reply;
  return false;
}

QByteArray ReadAll(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace spindeck::e2e
