#pragma once
// The chat client's rooms on an IRC network: each room is the channel "#NAME", the user is
// the nick, and what happens on either side is carried to the other. Lines the user says go
// out as PRIVMSG, their HTML turned into IRC formatting; other people's lines come in as
// theirs, their formatting turned into HTML; the member lists follow NAMES, JOIN, PART, QUIT,
// KICK and NICK; and what the server tells the room (people coming and going, the connection
// lost and found again) enters the transcript as lines from OnlineHost.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "aolsim/chat_client.h"
#include "aolsim/irc/irc_connection.h"
#include "aolsim/room_network.h"

namespace aolsim::irc {

// The client's own sender, for what the network says. A nick from the network that would read
// the same is shown with a '*', which no nick holds.
inline constexpr char kSystemSender[] = "OnlineHost";

// The channel of a room (UTF-8): "#NAME", or the name itself when it starts with a channel
// type of the server's; at most as long as the server allows.
std::string ChannelOf(const std::string& room, const ServerFeatures& features);
std::string ChannelOf(const std::string& room);  // with the usual features

class IrcRooms : public RoomNetwork {
 public:
  IrcRooms(ChatClient& client, ServerAddress server, std::string version);

  void RoomOpened(const std::string& room) override;
  void RoomClosed(const std::string& room) override;
  void LineSaid(const std::string& room, const std::string& html) override;
  bool SignOn(const std::string& name) override;
  void SignOff() override;
  // Lets the lines still waiting leave, for at most `boundMs`, then says QUIT and calls
  // `done`: the last lines said before the client ends (the program's goodbye) are not lost.
  void Finish(std::function<void()> done, int boundMs);

 private:
  void OnRegistered(const std::string& nick);
  void OnMessage(const Message& m);
  void OnPrivmsg(const Message& m);
  void OnNotice(const Message& m);
  void OnCtcp(const std::string& from, const std::optional<std::string>& room,
              const std::string& body);
  void OnNick(const std::string& from, const std::string& to);
  void OnLost(const std::string& why, int retryMs);
  void OnProblem(const std::string& text);
  std::string Channel(const std::string& room) const;
  // Nicks and channels as the server folds their case.
  std::string Lower(const std::string& text) const;
  // The open room of a channel the server names, if any.
  std::optional<std::string> RoomOf(const std::string& channel) const;
  // A line from OnlineHost (HTML) in one room, or in every room.
  void Notice(const std::string& room, const std::string& html);
  void NoticeEverywhere(const std::string& html);

  ChatClient& client_;
  std::string version_;
  IrcConnection connection_;
  std::map<std::string, std::vector<std::string>> names_;  // NAMES being listed, per channel
  bool everRegistered_ = false;
  bool outage_ = false;  // the loss is told; the next ones are not until connected again
  QTimer finishBound_;
  QElapsedTimer ctcpAnswered_;
};

}  // namespace aolsim::irc
