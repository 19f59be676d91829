#pragma once
// The program beside the stand-in chat client, with a music folder of real songs: the user
// (kUser) types commands in the room, another chatter (kOther) sits in it, and the program's
// reply lines are read back one by one.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/processes.h"

namespace spindeck::e2e {

inline constexpr char kUser[] = "DjSam";
inline constexpr char kOther[] = "Bob";

// The chat line of a reply text in the program's empty starting style.
std::string Line(const std::string& text);

// The middle separator of the empty style, between the parts of "pos" and of "matches found".
inline constexpr char kMiddle[] = " <font color=><font color=> ";

class Jukebox {
 public:
  // Starts the client signed on as kUser in the room "lobby" with kOther, then the program in
  // a program folder of its own (which `prepare` may fill first), with `environment` added to
  // its environment. Once the program has announced itself, the elite filter is switched off,
  // so replies read as written.
  explicit Jukebox(const QProcessEnvironment& environment = {},
                   const std::function<void(const QString& programFolder)>& prepare = {});
  // The same with more options for the client (--window); with --irc HOST:PORT the rooms are
  // on an IRC network, and kOther is not made to join (the other people there are real). The
  // client signs on as kUser; `user` is the nick the server gives it, which says and gets
  // the lines.
  explicit Jukebox(const QStringList& clientOptions, const std::string& user = kUser,
                   const QProcessEnvironment& environment = {});

  // Whether the client is ready and the program answered.
  bool started() const { return started_; }
  // The two lines the program announced itself with (as the client reports them, UTF-8).
  const std::vector<std::string>& greeting() const { return greeting_; }

  QString desktop() const { return desktop_.path(); }
  QString programFolder() const { return root_.filePath("program"); }
  QString musicFolder() const { return root_.filePath("music"); }
  // A file of the music folder.
  QString song(const QString& fileName) const { return musicFolder() + "/" + fileName; }
  // Makes a song in the music folder with scripts/make-test-song; false when that failed.
  bool MakeSong(const QString& fileName, const QStringList& options = {});

  // Writes dirs.txt naming the music folder, sends "ref" and gives its reply line.
  std::string Refresh();

  // The user says a line in the room.
  void Say(const std::string& text);
  // Another chatter says a line in the room.
  void SayAs(const std::string& name, const std::string& text);
  // The program's next reply line in the room: a line under the user's name in the style's
  // shape (the user's own lines are skipped). "<no reply>" when none comes in time.
  std::string NextReply(int timeoutMs = 5000);
  // The user says the line; gives the first reply.
  std::string Ask(const std::string& text, int timeoutMs = 5000);
  // Asks "pos" until its reply satisfies `shows` (once without it), and gives the last reply.
  // The position timer updates the times that "pos" reports only when it ticks, which a busy
  // machine may hold back behind the command, so a test asks again until the tick showed.
  std::string Pos(const std::function<bool(const std::string&)>& shows = {}, int timeoutMs = 10000);
  // Takes the client's events until a line from the sender with this text (HTML, as sent)
  // comes; false when it does not come in time.
  bool SeesLine(const std::string& sender, const std::string& text, int timeoutMs = 10000);
  // Says a harmless command (the elite filter off, as it is) and takes the next reply: true
  // when that reply is its answer, so the program answered nothing said before it.
  bool NothingBefore();

  AolSim& client() { return *client_; }
  Spindeck& program() { return *program_; }

 private:
  void Start(const QStringList& clientOptions, const QProcessEnvironment& environment,
             const std::function<void(const QString& programFolder)>& prepare);

  QTemporaryDir root_;
  TestDesktop desktop_;
  std::unique_ptr<AolSim> client_;
  std::unique_ptr<Spindeck> program_;
  bool started_ = false;
  std::vector<std::string> greeting_;
  std::string user_ = kUser;
};

// The whole of a file, or nothing when it cannot be read.
QByteArray ReadAll(const QString& file);

}  // namespace spindeck::e2e
