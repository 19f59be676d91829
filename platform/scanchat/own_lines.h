#pragma once
// Remembers the lines the program itself typed into the chat room, so that a scanner can
// leave them out when they come back as lines of the user: no reply is ever taken for a
// command, whatever its first word.
#include <QElapsedTimer>
#include <deque>
#include <string>

namespace platform {

class OwnLines {
 public:
  // Each scanner reads the log on its own behalf; up to 32 readers.
  int AddReader() { return readers_ < 32 ? readers_++ : 31; }
  // Notes a line as sent (its HTML, as typed into the room), with the user's screen name when
  // it was sent, where known: the line comes back under that name even if the user is renamed
  // before it is read.
  void NoteSent(const std::string& html, const std::string& sentAs = {});
  // True, once for each reader, when a line of the user with this shown text is one the
  // program sent.
  bool TakeIfOwn(const std::string& shownText, int reader);
  // True when TakeIfOwn would take it, without taking it: a cheap look before asking who the
  // user is.
  bool Holds(const std::string& shownText, int reader);
  // True when Holds would, for a line noted as sent under this name or while the name could
  // not be known.
  bool HoldsSentAs(const std::string& shownText, const std::string& sender, int reader);

 private:
  struct Sent {
    std::string shown;
    std::string sentAs;
    qint64 at;
    unsigned takenBy = 0;
  };
  void DropExpired();
  Sent* Find(const std::string& shownText, int reader, const std::string* sentAs = nullptr);

  std::deque<Sent> sent_;
  QElapsedTimer clock_;
  int readers_ = 0;
};

}  // namespace platform
