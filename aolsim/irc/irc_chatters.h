#pragma once
// The demo's chatters as real users of the network: each is an IRC connection of its own to
// the client's server, in the channel of the user's top room.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "aolsim/chat_client.h"
#include "aolsim/chatters.h"
#include "aolsim/irc/irc_connection.h"

namespace aolsim::irc {

class IrcChatters {
 public:
  // The chatters log in as guests: with the server password, never with the user's SASL login.
  IrcChatters(const ChatClient& client, ServerAddress server);
  ChatterVoice Voice();

 private:
  struct Chatter {
    std::unique_ptr<IrcConnection> connection;
    std::set<std::string> channels;  // joined, or to join once registered
    std::string current;             // where the chatter talks
  };
  void Join(const std::string& name);
  void Say(const std::string& name, const std::string& html);

  const ChatClient& client_;
  ServerAddress server_;
  std::map<std::string, Chatter> chatters_;
};

}  // namespace aolsim::irc
