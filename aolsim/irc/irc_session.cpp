#include "aolsim/irc/irc_session.h"

#include <algorithm>
#include <utility>

namespace aolsim::irc {
namespace {

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t j = 0; j < 3; ++j) {
      group = (group << 8) | (j < n ? static_cast<unsigned char>(bytes[i + j]) : 0u);
    }
    for (std::size_t j = 0; j < 4; ++j) {
      out += j <= n ? kDigits[(group >> (18 - 6 * j)) & 63u] : '=';
    }
  }
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The value of capability `name` in a CAP list ("a b=c sasl=PLAIN,EXTERNAL"): nothing when it
// is not offered, "" when offered without a value.
std::optional<std::string> CapValue(const std::string& list, std::string_view name) {
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = std::min(list.find(' ', at), list.size());
    const std::string_view cap = std::string_view(list).substr(at, end - at);
    const std::size_t equals = cap.find('=');
    if (cap.substr(0, equals) == name) {
      return equals == std::string_view::npos ? std::string() : std::string(cap.substr(equals + 1));
    }
    at = end + 1;
  }
  return std::nullopt;
}

bool ListsPlain(const std::string& mechanisms) {
  const std::string list = "," + Upper(mechanisms) + ",";
  return list.find(",PLAIN,") != std::string::npos;
}

std::string LastParam(const Message& m) {
  return m.params.empty() ? std::string() : m.params.back();
}

}  // namespace

IrcSession::IrcSession(SessionSettings settings) : settings_(std::move(settings)) {
  nick_ = settings_.nick;
}

void IrcSession::WantNick(const std::string& nick) {
  settings_.nick = nick;
  if (!registered()) return;
  if (nick_ != nick) {
    Send(FormatLine("NICK", {nick}));
  } else {
    WatchWantedNick(0);  // the nick in use is the one wanted: nothing to watch any more
  }
}

void IrcSession::Connected(std::int64_t nowMs) {
  capList_.clear();
  serverError_.clear();
  alternative_ = 0;
  nickTries_ = 0;
  reclaimAt_ = -1;
  monitored_.clear();
  monitorFull_ = false;
  isonAsked_ = false;
  isonUnknown_ = false;
  welcomeBy_ = nowMs + kWelcomeMs;
  nick_ = settings_.nick;
  if (settings_.sasl) {
    state_ = State::kCapabilities;
    Send("CAP LS 302");
  } else {
    state_ = State::kRegistering;
    if (!settings_.password.empty()) Send(FormatLine("PASS", {settings_.password}));
  }
  Send(FormatLine("NICK", {nick_}));
  Send(FormatLine("USER", {"aolsim", "0", "*", "aolsim user"}));
}

void IrcSession::Disconnected() {
  state_ = State::kOffline;
  welcomeBy_ = -1;
  reclaimAt_ = -1;
  monitored_.clear();
  capList_.clear();
}

void IrcSession::Received(std::string_view line, std::int64_t nowMs) {
  if (state_ == State::kOffline) return;
  const std::optional<Message> parsed = ParseMessage(line);
  if (!parsed) return;
  const Message& m = *parsed;
  if (m.command == "PING") {
    Send(FormatLine("PONG", {Param(m, 0)}));
    return;
  }
  if (m.command == "ERROR") {
    serverError_ = Param(m, 0).substr(0, kLongestLine);
    return;
  }
  ApplyIsupport(m, features_);
  if (!registered()) {
    OnRegistration(m, nowMs);
    return;
  }
  OnRegisteredMessage(m, nowMs);
  Event event{Event::Kind::kMessage, {}, m};
  events_.push_back(std::move(event));
}

void IrcSession::OnRegisteredMessage(const Message& m, std::int64_t nowMs) {
  const std::string& c = m.command;
  const auto lower = [this](std::string_view text) {
    return IrcLower(text, features_.caseMapping);
  };
  const std::string from = NickOf(m.prefix);
  if (c == "NICK" && lower(from) == lower(nick_)) {
    nick_ = Param(m, 0).substr(0, kLongestLine);
    WatchWantedNick(nowMs);
  } else if ((c == "QUIT" || c == "NICK") && IsWanted(from)) {
    AskForWantedNick();  // the holder left, or took another nick, in a channel we share
  } else if (c == "005") {
    WatchWantedNick(nowMs);  // MONITOR may be offered
  } else if (c == "433" || c == "437") {
    WatchWantedNick(nowMs);  // a nick asked for since the welcome is held too
  } else if (c == "731") {
    // MONITOR's "offline" list: "nick1,nick2".
    const std::string& list = Param(m, 1);
    for (std::size_t at = 0; at <= list.size();) {
      const std::size_t end = std::min(list.find(',', at), list.size());
      if (IsWanted(NickOf(std::string_view(list).substr(at, end - at)))) {
        AskForWantedNick();  // once, however often the line names it
        break;
      }
      at = end + 1;
    }
  } else if (c == "734") {
    // The server's MONITOR list is full: ISON polls instead.
    monitorFull_ = true;
    monitored_.clear();
    WatchWantedNick(nowMs);
  } else if (c == "303" && isonAsked_) {
    isonAsked_ = false;
    const std::string online = " " + lower(Param(m, 1)) + " ";
    if (online.find(" " + lower(settings_.nick) + " ") == std::string::npos) AskForWantedNick();
  } else if (c == "421" && Upper(Param(m, 1)) == "ISON") {
    isonAsked_ = false;
    isonUnknown_ = true;
  }
}

bool IrcSession::IsWanted(std::string_view nick) const {
  return nick_ != settings_.nick && !nick.empty() &&
         IrcLower(nick, features_.caseMapping) == IrcLower(settings_.nick, features_.caseMapping);
}

void IrcSession::AskForWantedNick() {
  if (nick_ != settings_.nick) Send(FormatLine("NICK", {settings_.nick}));
}

void IrcSession::WatchWantedNick(std::int64_t nowMs) {
  if (nick_ == settings_.nick) {
    if (!monitored_.empty()) Send(FormatLine("MONITOR", {"-", std::exchange(monitored_, {})}));
    reclaimAt_ = -1;
    return;
  }
  if (features_.monitor && !monitorFull_) {
    if (monitored_ != settings_.nick) {
      if (!monitored_.empty()) Send(FormatLine("MONITOR", {"-", monitored_}));
      monitored_ = settings_.nick;
      // The server answers at once whether the nick is online (730) or offline (731).
      Send(FormatLine("MONITOR", {"+", monitored_}));
    }
    reclaimAt_ = -1;
  } else if (reclaimAt_ < 0) {
    reclaimAt_ = nowMs + settings_.reclaimPollMs;
  }
}

void IrcSession::OnRegistration(const Message& m, std::int64_t nowMs) {
  const std::string& c = m.command;
  if (c == "CAP") {
    OnCap(m);
  } else if (c == "AUTHENTICATE") {
    if (state_ == State::kAuthenticating && Param(m, 0) == "+") OnAuthenticatePrompt();
  } else if (c == "903" || c == "907") {
    if (state_ == State::kAuthenticating) {
      state_ = State::kRegistering;
      Send("CAP END");
    }
  } else if (c == "902" || c == "904" || c == "905" || c == "906") {
    if (state_ == State::kAuthenticating) SaslFailed("the SASL login failed: " + LastParam(m));
  } else if (c == "908") {
    if (state_ == State::kAuthenticating && !ListsPlain(Param(m, 1))) {
      SaslFailed("the server's SASL login does not take PLAIN, only " + Param(m, 1));
    }
  } else if (c == "421") {
    if (Upper(Param(m, 1)) == "CAP" && state_ == State::kCapabilities) {
      SaslFailed("the server knows no CAP, so it offers no SASL login", false);
    }
  } else if (c == "433" || c == "436" || c == "437") {
    NickRefused(false, m);
  } else if (c == "432") {
    NickRefused(true, m);
  } else if (c == "464" || c == "465") {
    Emit(Event::Kind::kProblem, "the server refuses the connection: " + LastParam(m));
  } else if (c == "001") {
    state_ = State::kRegistered;
    welcomeBy_ = -1;
    if (!Param(m, 0).empty()) nick_ = Param(m, 0).substr(0, kLongestLine);
    WatchWantedNick(nowMs);
    Emit(Event::Kind::kRegistered, nick_);
    Flush(nowMs);
  }
}

void IrcSession::OnCap(const Message& m) {
  const std::string sub = Upper(Param(m, 1));
  if (state_ != State::kCapabilities) return;  // NEW, DEL and late replies change nothing
  if (sub == "LS") {
    // "CAP * LS * :caps" is followed by more lines; the last has no "*".
    const bool more = m.params.size() >= 4 && m.params[2] == "*";
    if (capList_.size() < kLongestCapList) {
      capList_ += ' ';
      capList_ += LastParam(m).substr(0, kLongestCapList - capList_.size());
    }
    if (more) return;
    const std::optional<std::string> sasl = CapValue(capList_, "sasl");
    if (!sasl) {
      SaslFailed("the server offers no SASL login");
    } else if (!sasl->empty() && !ListsPlain(*sasl)) {
      SaslFailed("the server's SASL login does not take PLAIN, only " + *sasl);
    } else {
      Send("CAP REQ :sasl");
    }
  } else if (sub == "ACK") {
    if (CapValue(LastParam(m), "sasl")) {
      state_ = State::kAuthenticating;
      Send("AUTHENTICATE PLAIN");
    }
  } else if (sub == "NAK") {
    SaslFailed("the server refused the SASL login");
  }
}

void IrcSession::OnAuthenticatePrompt() {
  const std::string& account =
      settings_.saslAccount.empty() ? settings_.nick : settings_.saslAccount;
  const std::string encoded = Base64(account + '\0' + account + '\0' + settings_.password);
  // Pieces of 400 bytes; one of exactly 400 is followed by "+".
  for (std::size_t at = 0; at <= encoded.size(); at += 400) {
    const std::string piece = encoded.substr(at, 400);
    Send("AUTHENTICATE " + (piece.empty() ? std::string("+") : piece));
    if (piece.size() < 400) break;
  }
}

void IrcSession::SaslFailed(const std::string& why, bool serverKnowsCap) {
  if (settings_.saslOptional) {
    Emit(Event::Kind::kProblem, why + "; going on without a login");
    state_ = State::kRegistering;
    if (serverKnowsCap) Send("CAP END");
    return;
  }
  Emit(Event::Kind::kProblem, why + "; not logged in, trying again later");
  state_ = State::kOffline;
  Emit(Event::Kind::kDrop, why);
}

void IrcSession::NickRefused(bool invalid, const Message& m) {
  if (invalid && alternative_ == 0) {
    std::string why = "the server refuses the nick " + nick_;
    if (features_.nickLen > 0 && nick_.size() > features_.nickLen) {
      why += ": it allows at most " + std::to_string(features_.nickLen) + " characters";
    } else if (!LastParam(m).empty() && m.params.size() >= 3) {
      why += ": " + LastParam(m);
    }
    Emit(Event::Kind::kProblem, why);
    state_ = State::kOffline;
    Emit(Event::Kind::kStop, why);
    return;
  }
  if (++nickTries_ > kNickTries) {
    const std::string why = "the nick " + settings_.nick + " and the others like it are taken";
    Emit(Event::Kind::kProblem, why);
    state_ = State::kOffline;
    Emit(Event::Kind::kDrop, why);
    return;
  }
  const std::string& tried = Param(m, 1);
  const auto lower = [this](std::string_view text) {
    return IrcLower(text, features_.caseMapping);
  };
  std::size_t shorter = 0;
  if (invalid) {
    // An alternative refused as invalid is taken for too long: the next ones are shorter.
    shorter = nick_.size() > 1 ? nick_.size() - 1 : 1;
  } else if (!tried.empty() && tried.size() < nick_.size() &&
             lower(nick_.substr(0, tried.size())) == lower(tried)) {
    // Some servers cut a long nick to their length without a word, and then find it taken.
    shorter = tried.size();
  } else {
    ++alternative_;
  }
  if (shorter > 0) lengthGuess_ = lengthGuess_ == 0 ? shorter : std::min(lengthGuess_, shorter);
  if (alternative_ == 0) alternative_ = 1;
  const std::optional<std::string> next = Alternative(alternative_);
  if (!next) {
    const std::string why = "no other nick like " + settings_.nick + " fits the server's limit";
    Emit(Event::Kind::kProblem, why);
    state_ = State::kOffline;
    Emit(Event::Kind::kDrop, why);
    return;
  }
  TryNick(*next);
}

std::optional<std::string> IrcSession::Alternative(int index) const {
  const std::string suffix = index <= 2 ? std::string(static_cast<std::size_t>(index), '_')
                                        : "_" + std::to_string(index - 2);
  std::size_t limit = kMaxNickLength;
  if (features_.nickLen > 0) limit = std::min(limit, features_.nickLen);
  if (lengthGuess_ > 0) limit = std::min(limit, lengthGuess_);
  if (limit <= suffix.size()) return std::nullopt;
  const std::string& wanted = settings_.nick;
  return wanted.substr(0, std::min(wanted.size(), limit - suffix.size())) + suffix;
}

void IrcSession::TryNick(const std::string& nick) {
  nick_ = nick;
  Send(FormatLine("NICK", {nick_}));
}

void IrcSession::Tick(std::int64_t nowMs) {
  if (state_ != State::kOffline && !registered() && welcomeBy_ >= 0 && nowMs >= welcomeBy_) {
    state_ = State::kOffline;
    Emit(Event::Kind::kDrop,
         "no welcome from the server within " + std::to_string(kWelcomeMs / 1000) + " s");
    return;
  }
  if (registered() && reclaimAt_ >= 0 && nowMs >= reclaimAt_) {
    if (nick_ == settings_.nick) {
      reclaimAt_ = -1;
    } else if (isonUnknown_) {
      AskForWantedNick();
      reclaimAt_ = nowMs + settings_.reclaimPollMs;
    } else {
      Send(FormatLine("ISON", {settings_.nick}));
      isonAsked_ = true;
      reclaimAt_ = nowMs + settings_.reclaimPollMs;
    }
  }
  Flush(nowMs);
}

bool IrcSession::Queue(const std::string& line, std::int64_t nowMs) {
  if (!queue_.Push(line)) return false;
  Flush(nowMs);
  return true;
}

void IrcSession::SendNow(const std::string& line) {
  if (registered()) Send(line);
}

void IrcSession::Flush(std::int64_t nowMs) {
  if (!registered()) return;
  while (std::optional<std::string> line = queue_.Pop(nowMs)) Send(std::move(*line));
}

std::int64_t IrcSession::NextTickMs(std::int64_t nowMs) {
  std::int64_t next = -1;
  const auto consider = [&next](std::int64_t at) {
    if (at >= 0 && (next < 0 || at < next)) next = at;
  };
  if (!registered()) consider(welcomeBy_);
  if (registered()) {
    consider(reclaimAt_);
    const std::int64_t wait = queue_.WaitMs(nowMs);
    if (wait >= 0) consider(nowMs + wait);
  }
  return next;
}

std::vector<IrcSession::Event> IrcSession::TakeEvents() {
  return std::exchange(events_, {});
}

void IrcSession::Send(std::string line) {
  if (line.size() > kLongestLine) line.resize(kLongestLine);
  Emit(Event::Kind::kSend, std::move(line));
}

void IrcSession::Emit(Event::Kind kind, std::string text) {
  events_.push_back(Event{kind, std::move(text), {}});
}

}  // namespace aolsim::irc
