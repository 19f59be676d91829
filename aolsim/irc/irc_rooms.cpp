#include "aolsim/irc/irc_rooms.h"

#include <cstdio>
#include <memory>
#include <set>
#include <utility>

#include "aolsim/irc/formatting.h"
#include "platform/text/cp1252.h"

namespace aolsim::irc {
namespace {

constexpr std::size_t kMostMembers = 10000;  // names listed for one room
constexpr qint64 kCtcpAnswerGapMs = 2000;

// Control bytes out: a TAB or a line end would shift how the transcript's lines are split,
// and an escape sequence would reach the terminal.
std::string WithoutControls(std::string text) {
  std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7F'; });
  return text;
}

// A name from the wire (UTF-8) as the client's text: without control bytes, and never the
// client's own system sender, which no one on the network may speak as.
std::string Local(const std::string& wire) {
  std::string name = WithoutControls(platform::Utf8ToCp1252(wire));
  if (IrcLower(name) == IrcLower(kSystemSender)) name += '*';
  return name;
}

// A name or reason from the wire inside an OnlineHost line: its markup escaped.
std::string Html(const std::string& wire) {
  return IrcToHtml(wire);
}

std::string Because(const std::string& reason) {
  return reason.empty() ? std::string() : " (" + Html(reason) + ")";
}

// The nicks of a NAMES reply: the server's member prefixes such as @ and + left out, and the
// user and host too when the server adds them.
std::vector<std::string> NamesOf(const std::string& list, const std::string& prefixes) {
  std::vector<std::string> names;
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = std::min(list.find(' ', at), list.size());
    std::string name = list.substr(at, end - at);
    name.erase(0, name.find_first_not_of(prefixes));
    name = NickOf(name);
    if (!name.empty()) names.push_back(Local(name));
    at = end + 1;
  }
  return names;
}

// Numerics that refuse a join, the channel second: no such channel, too many channels, the
// channel held back, full, invite only, banned, wrong key, bad mask, registered nick needed,
// bad name, no joins here, secure connection needed, and the server's own reasons.
bool IsJoinRefusal(const std::string& command) {
  static const std::set<std::string> kRefusals = {"403", "405", "437", "471", "473", "474", "475",
                                                  "476", "477", "479", "480", "489", "520"};
  return kRefusals.contains(command);
}

}  // namespace

std::string ChannelOf(const std::string& room, const ServerFeatures& features) {
  std::string channel = platform::Cp1252ToUtf8(room);
  // Blanks and commas would end the name, or make it two.
  for (char& c : channel) {
    if (c == ' ' || c == ',' || c == '\x07') c = '_';
  }
  if (channel.empty() || features.chanTypes.find(channel[0]) == std::string::npos) {
    channel.insert(0, features.chanTypes.find('#') != std::string::npos
                          ? std::string("#")
                          : features.chanTypes.substr(0, 1));
  }
  // A longer name the server would cut or refuse; cut here, between characters.
  if (channel.size() > features.channelLen) {
    std::size_t end = features.channelLen;
    while (end > 1 && (static_cast<unsigned char>(channel[end]) & 0xC0) == 0x80) --end;
    channel.resize(end);
  }
  return channel;
}

std::string ChannelOf(const std::string& room) {
  return ChannelOf(room, ServerFeatures());
}

IrcRooms::IrcRooms(ChatClient& client, ServerAddress server, std::string version)
    : client_(client),
      version_(std::move(version)),
      connection_(std::move(server),
                  {[this](const std::string& nick) { OnRegistered(nick); },
                   [this](const Message& m) { OnMessage(m); },
                   [this](const std::string& why, int retryMs) { OnLost(why, retryMs); },
                   [this](const std::string& text) { OnProblem(text); }}) {}

bool IrcRooms::SignOn(const std::string& name) {
  if (name.empty() || name.size() > kMaxNickLength) {
    std::fprintf(stderr, "aolsim: a screen name has 1 to %zu characters; \"%s\" has %zu\n",
                 kMaxNickLength, platform::Cp1252ToUtf8(name).c_str(), name.size());
    return false;
  }
  if (name.find_first_of(" ,*?!@#:\t") != std::string::npos || name[0] == '$' ||
      (name[0] >= '0' && name[0] <= '9') || name[0] == '-') {
    std::fprintf(stderr, "aolsim: \"%s\" cannot be a nick on IRC\n",
                 platform::Cp1252ToUtf8(name).c_str());
    return false;
  }
  connection_.Start(platform::Cp1252ToUtf8(name));
  return true;
}

void IrcRooms::SignOff() {
  connection_.Stop("signed off");
  client_.SignOff();
}

void IrcRooms::Finish(std::function<void()> done, int boundMs) {
  auto once = std::make_shared<std::function<void()>>(std::move(done));
  auto finish = [this, once] {
    finishBound_.stop();
    connection_.WhenDrained([] {});
    connection_.Stop("signed off");
    if (*once) std::exchange(*once, nullptr)();
  };
  finishBound_.setSingleShot(true);
  finishBound_.disconnect();
  QObject::connect(&finishBound_, &QTimer::timeout, finish);
  finishBound_.start(boundMs);
  connection_.WhenDrained(finish);
}

void IrcRooms::RoomOpened(const std::string& room) {
  connection_.SendNow("JOIN", {Channel(room)});
}

void IrcRooms::RoomClosed(const std::string& room) {
  connection_.SendNow("PART", {Channel(room)});
}

void IrcRooms::LineSaid(const std::string& room, const std::string& html) {
  const std::string channel = Channel(room);
  for (const std::string& piece : HtmlToIrc(html, connection_.TextRoom(channel))) {
    if (!connection_.Queue("PRIVMSG", {channel, piece})) {
      Notice(room, "Too many lines are waiting to be sent; this one was not sent: " +
                       Html(IrcPlainText(piece)));
      return;
    }
  }
}

std::string IrcRooms::Channel(const std::string& room) const {
  return ChannelOf(room, connection_.features());
}

std::string IrcRooms::Lower(const std::string& text) const {
  return IrcLower(text, connection_.features().caseMapping);
}

std::optional<std::string> IrcRooms::RoomOf(const std::string& channel) const {
  const std::string wanted = Lower(channel);
  for (const std::string& room : client_.RoomNames()) {
    if (Lower(Channel(room)) == wanted) return room;
  }
  return std::nullopt;
}

void IrcRooms::Notice(const std::string& room, const std::string& html) {
  client_.SayIn(room, kSystemSender, html);
}

void IrcRooms::NoticeEverywhere(const std::string& html) {
  for (const std::string& room : client_.RoomNames()) Notice(room, html);
}

void IrcRooms::OnRegistered(const std::string& nick) {
  const std::string name = Local(nick);
  if (client_.user().empty()) {
    client_.SignOn(name);
  } else {
    client_.Rename(client_.user(), name);
  }
  for (const std::string& room : client_.RoomNames()) {
    connection_.SendNow("JOIN", {Channel(room)});
  }
  const std::string& server = connection_.server().host;
  NoticeEverywhere((everRegistered_ ? "Connected again to " : "Connected to ") + Html(server) +
                   " as " + Html(nick) + ".");
  if (nick != connection_.wantedNick()) {
    NoticeEverywhere("The name " + Html(connection_.wantedNick()) + " is taken; you are " +
                     Html(nick) + " for now.");
  }
  everRegistered_ = true;
  outage_ = false;
}

void IrcRooms::OnLost(const std::string& why, int retryMs) {
  // A list half received is of no use; the next connection's NAMES bring it whole.
  names_.clear();
  // One line per outage: the attempts that fail after it are not news.
  if (outage_) return;
  outage_ = true;
  NoticeEverywhere("The connection to the network is lost" + Because(why) + "; trying again in " +
                   std::to_string((retryMs + 999) / 1000) + " s.");
}

void IrcRooms::OnProblem(const std::string& text) {
  std::fprintf(stderr, "aolsim: %s\n", WithoutControls(text).c_str());
  NoticeEverywhere(Html(text));
}

void IrcRooms::OnMessage(const Message& m) {
  const std::string from = NickOf(m.prefix);
  const bool self = Lower(from) == Lower(connection_.nick());
  if (m.command == "PRIVMSG") {
    OnPrivmsg(m);
  } else if (m.command == "JOIN") {
    const std::optional<std::string> room = RoomOf(Param(m, 0));
    if (!room || self) return;
    client_.JoinRoom(*room, Local(from));
    Notice(*room, Html(from) + " has entered the room.");
  } else if (m.command == "PART") {
    const std::optional<std::string> room = RoomOf(Param(m, 0));
    if (!room || self) return;
    client_.LeaveRoom(*room, Local(from));
    Notice(*room, Html(from) + " has left the room" + Because(Param(m, 1)) + ".");
  } else if (m.command == "QUIT") {
    for (const std::string& room : client_.RoomNames()) {
      if (!client_.InRoom(room, Local(from))) continue;
      client_.LeaveRoom(room, Local(from));
      Notice(room, Html(from) + " has signed off" + Because(Param(m, 0)) + ".");
    }
  } else if (m.command == "KICK") {
    const std::optional<std::string> room = RoomOf(Param(m, 0));
    if (!room) return;
    const std::string victim = Param(m, 1);
    if (Lower(victim) == Lower(connection_.nick())) {
      client_.SetMembers(*room, {});
      Notice(*room, "You were removed from the room by " + Html(from) + Because(Param(m, 2)) + ".");
    } else {
      client_.LeaveRoom(*room, Local(victim));
      Notice(*room, Html(victim) + " was removed from the room by " + Html(from) +
                        Because(Param(m, 2)) + ".");
    }
  } else if (m.command == "NICK") {
    OnNick(from, Param(m, 0));
  } else if (m.command == "353" && m.params.size() >= 4) {
    // Only for an open room, and bounded: a server cannot make the list grow without end.
    if (!RoomOf(m.params[2])) return;
    auto& pending = names_[Lower(m.params[2])];
    for (std::string& name : NamesOf(m.params[3], connection_.features().prefixChars)) {
      if (pending.size() < kMostMembers) pending.push_back(std::move(name));
    }
  } else if (m.command == "366") {
    const std::string channel = Param(m, 1);
    const auto pending = names_.find(Lower(channel));
    const std::vector<std::string> names =
        pending == names_.end() ? std::vector<std::string>() : pending->second;
    if (pending != names_.end()) names_.erase(pending);
    if (const std::optional<std::string> room = RoomOf(channel)) client_.SetMembers(*room, names);
  } else if (m.command == "NOTICE") {
    OnNotice(m);
  } else if (m.command == "404") {
    if (const std::optional<std::string> room = RoomOf(Param(m, 1))) {
      Notice(*room, "Your line did not reach the room: " + Html(m.params.back()) + ".");
    }
  } else if (m.command == "470") {
    // The server sends the room's people to another channel: say where.
    if (const std::optional<std::string> room = RoomOf(Param(m, 1))) {
      Notice(*room, "The network sends this room's people to " + Html(Param(m, 2)) +
                        Because(m.params.size() > 3 ? m.params.back() : std::string()) + ".");
    }
  } else if (IsJoinRefusal(m.command)) {
    if (const std::optional<std::string> room = RoomOf(Param(m, 1))) {
      Notice(*room, "You could not enter the room: " + Html(m.params.back()) + ".");
    }
  }
}

void IrcRooms::OnNotice(const Message& m) {
  const std::string text = Param(m, 1);
  // Notices from servers ("*** Looking up your hostname") and CTCP replies are not news.
  if (m.prefix.find('!') == std::string::npos || text.empty() || text[0] == '\x01') return;
  const std::string from = NickOf(m.prefix);
  if (const std::optional<std::string> room = RoomOf(Param(m, 0))) {
    Notice(*room, "Notice from " + Html(from) + ": " + IrcToHtml(text));
    return;
  }
  if (Lower(Param(m, 0)) != Lower(connection_.nick())) return;
  // Services speak to the user in notices ("this nick is registered"): the room on top says.
  const std::vector<std::string> rooms = client_.RoomNames();
  if (!rooms.empty()) {
    Notice(rooms.front(), "Private notice from " + Html(from) + ": " + IrcToHtml(text));
  }
}

void IrcRooms::OnNick(const std::string& from, const std::string& to) {
  const std::string oldName = Local(from);
  const std::string newName = Local(to);
  if (Lower(to) == Lower(connection_.nick()) && oldName == client_.user()) {
    client_.Rename(oldName, newName);
    NoticeEverywhere("You are now known as " + Html(to) + ".");
    return;
  }
  std::vector<std::string> rooms;
  for (const std::string& room : client_.RoomNames()) {
    if (client_.InRoom(room, oldName)) rooms.push_back(room);
  }
  client_.Rename(oldName, newName);
  for (const std::string& room : rooms) {
    Notice(room, Html(from) + " is now known as " + Html(to) + ".");
  }
}

void IrcRooms::OnPrivmsg(const Message& m) {
  const std::string from = NickOf(m.prefix);
  const std::string target = Param(m, 0);
  const std::string text = Param(m, 1);
  const std::optional<std::string> room = RoomOf(target);
  if (!text.empty() && text[0] == '\x01') {
    OnCtcp(from, room, text);
    return;
  }
  if (room) {
    client_.SayIn(*room, Local(from), IrcToHtml(text));
    return;
  }
  if (Lower(target) != Lower(connection_.nick())) return;
  // No window shows private messages: the room on top tells of them.
  const std::vector<std::string> rooms = client_.RoomNames();
  if (!rooms.empty()) {
    Notice(rooms.front(), "Private message from " + Html(from) + ": " + IrcToHtml(text));
  }
}

void IrcRooms::OnCtcp(const std::string& from, const std::optional<std::string>& room,
                      const std::string& body) {
  std::string inner = body.substr(1);
  if (!inner.empty() && inner.back() == '\x01') inner.pop_back();
  const std::size_t blank = inner.find(' ');
  const std::string verb = inner.substr(0, blank);
  const std::string arg = blank == std::string::npos ? std::string() : inner.substr(blank + 1);
  if (verb == "ACTION") {
    // "/me waves" shows as the sender's line "*waves*", as chatters write an action.
    if (room) client_.SayIn(*room, Local(from), "<i>*" + IrcToHtml(arg) + "*</i>");
  } else if (verb == "VERSION" || verb == "PING") {
    // Answered at once, but at most once in a while: a flood of queries must not make the
    // server drop the client for flooding.
    if (ctcpAnswered_.isValid() && ctcpAnswered_.elapsed() < kCtcpAnswerGapMs) return;
    ctcpAnswered_.start();
    const std::string answer = verb == "VERSION" ? "VERSION aolsim " + version_ : "PING " + arg;
    connection_.SendNow("NOTICE", {from, "\x01" + answer.substr(0, 400) + "\x01"});
  }
}

}  // namespace aolsim::irc
