#pragma once
// The client's side of the IRC protocol on one connection, without the socket: it is told
// that the connection is up, given each received line and the time, and gives back what to
// do (lines to send, "registered", "drop the connection and try again later" ...). The socket
// side (IrcConnection) only carries bytes and keeps the timers.
//
// Registration goes through these states:
//   offline -> capabilities (CAP LS, when a SASL login is wanted) -> authenticating (SASL
//   PLAIN) -> registering (NICK and USER sent, waiting for 001) -> registered.
// - A nick in use (433, 436, 437) is followed by an alternative within the server's NICKLEN:
//   "nick_", "nick__", "nick_1" ..., the last characters of the nick replaced when it is
//   already as long as the server allows. An alternative the server refuses as invalid (432)
//   is taken for one too long, and a shorter one is tried. Only the user's own nick refused
//   as invalid ends the connection for good (stop), with the server's reason.
// - SASL: the CAP LS reply is collected over all its lines; "sasl" must be offered, with
//   PLAIN among its mechanisms when it lists them. A server without CAP (421), a refused
//   request, a failed login (904, 905, 906, 902) or a mechanism list without PLAIN (908) is
//   reported once (problem) and the connection dropped, to be tried again later; when the
//   login is optional the client goes on without it instead. CAP NEW, DEL and LIST change
//   nothing.
// - No 001 within kWelcomeMs of the connection coming up: drop and try again.
// - After 001: PING is answered, ISUPPORT (005) is taken in, the nick follows NICK, and every
//   message is handed on. Chat lines wait in a SendQueue until registered, and leave at its
//   rate.
// - While the wanted nick is held by someone else, the session watches for it to come free,
//   whether or not the holder shares a channel with the user: with MONITOR where the server
//   offers it (005 MONITOR), asking for the nick as soon as the server says it is offline;
//   elsewhere (or with the server's MONITOR list full) by asking ISON every reclaimPollMs,
//   and for the nick when ISON does not list it. A server that knows no ISON gets the NICK
//   itself at that interval. A QUIT or NICK of the holder seen in a shared channel asks for
//   the nick at once.
// No line given to send is longer than 510 bytes (512 with its CR LF).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aolsim/irc/message.h"
#include "aolsim/irc/send_queue.h"
#include "aolsim/irc/server_features.h"

namespace aolsim::irc {

// The longest nick the client takes: what a member record holds.
inline constexpr std::size_t kMaxNickLength = 16;

struct SessionSettings {
  std::string nick;  // the nick the user wants (UTF-8)
  bool sasl = false;
  bool saslOptional = false;  // a failed SASL login goes on without one
  std::string saslAccount;    // empty: the nick
  std::string password;       // the SASL password, or else the server password; may be empty
  std::int64_t reclaimPollMs = 30000;  // how often ISON asks after a held nick
};

class IrcSession {
 public:
  enum class State { kOffline, kCapabilities, kAuthenticating, kRegistering, kRegistered };
  struct Event {
    enum class Kind {
      kSend,        // text: a line to send, without CR LF
      kRegistered,  // text: the nick in use
      kMessage,     // message: a message received once registered
      kProblem,     // text: something the user must know
      kDrop,        // text: why; close the connection and connect again later
      kStop,        // text: why; close the connection and stay away
    };
    Kind kind;
    std::string text;
    Message message;
  };

  static constexpr std::int64_t kWelcomeMs = 60000;
  static constexpr int kNickTries = 8;  // alternatives tried on one connection
  static constexpr std::size_t kLongestCapList = 8192;
  static constexpr std::size_t kLongestLine = 510;

  explicit IrcSession(SessionSettings settings);

  // The nick the user wants from now on; asked for at once when registered.
  void WantNick(const std::string& nick);
  // The connection is up: registration starts.
  void Connected(std::int64_t nowMs);
  // The connection is gone.
  void Disconnected();
  // One received line, without CR LF.
  void Received(std::string_view line, std::int64_t nowMs);
  // Lets the time pass: the welcome deadline, the ISON poll, queued lines.
  void Tick(std::int64_t nowMs);
  // A chat line to send once registered, at the queue's rate. False when the queue is full.
  bool Queue(const std::string& line, std::int64_t nowMs);
  // A line that steers the connection (JOIN, NICK ...): sent at once when registered, else
  // dropped.
  void SendNow(const std::string& line);
  // What to do, in order; taking them empties the list.
  std::vector<Event> TakeEvents();
  // When Tick next has something to do, at the earliest; -1 for never.
  std::int64_t NextTickMs(std::int64_t nowMs);

  State state() const { return state_; }
  bool registered() const { return state_ == State::kRegistered; }
  const std::string& nick() const { return nick_; }
  const std::string& wantedNick() const { return settings_.nick; }
  const ServerFeatures& features() const { return features_; }
  std::size_t queued() const { return queue_.size(); }
  // The bytes of server text the session holds besides its queue (the CAP list, the nick,
  // the ERROR text): bounded whatever the server sends.
  std::size_t heldBytes() const {
    return capList_.size() + nick_.size() + serverError_.size() + monitored_.size();
  }
  // What the server said in its ERROR line, if it sent one on this connection.
  const std::string& serverError() const { return serverError_; }

 private:
  void OnRegistration(const Message& m, std::int64_t nowMs);
  void OnCap(const Message& m);
  void OnAuthenticatePrompt();
  void SaslFailed(const std::string& why, bool serverKnowsCap = true);
  void NickRefused(bool invalid, const Message& m);
  void TryNick(const std::string& nick);
  void OnRegisteredMessage(const Message& m, std::int64_t nowMs);
  // Starts or stops watching the wanted nick, as the nick in use and the server's features say.
  void WatchWantedNick(std::int64_t nowMs);
  void AskForWantedNick();
  bool IsWanted(std::string_view nick) const;
  std::optional<std::string> Alternative(int index) const;
  void Send(std::string line);
  void Emit(Event::Kind kind, std::string text);
  void Flush(std::int64_t nowMs);

  SessionSettings settings_;
  State state_ = State::kOffline;
  ServerFeatures features_;
  SendQueue queue_;
  std::vector<Event> events_;
  std::string nick_;     // in use, or being tried
  std::string capList_;  // CAP LS collected so far
  std::int64_t welcomeBy_ = -1;
  std::int64_t reclaimAt_ = -1;  // the next ISON poll; -1 for none
  std::string monitored_;        // the nick on the server's MONITOR list; empty for none
  bool monitorFull_ = false;     // the server's MONITOR list took no more
  bool isonAsked_ = false;       // an ISON of ours waits for its answer
  bool isonUnknown_ = false;     // the server knows no ISON
  int alternative_ = 0;          // which alternative is being tried; 0 for the wanted nick
  int nickTries_ = 0;
  std::size_t lengthGuess_ = 0;  // the longest nick the server seems to take; 0 unknown
  std::string serverError_;
};

}  // namespace aolsim::irc
