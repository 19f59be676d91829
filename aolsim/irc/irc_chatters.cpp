#include "aolsim/irc/irc_chatters.h"

#include "aolsim/irc/formatting.h"
#include "aolsim/irc/irc_rooms.h"
#include "platform/text/cp1252.h"

namespace aolsim::irc {

IrcChatters::IrcChatters(const ChatClient& client, ServerAddress server)
    : client_(client), server_(std::move(server)) {
  if (server_.sasl) {
    server_.sasl = false;
    server_.password.clear();
  }
}

ChatterVoice IrcChatters::Voice() {
  return {[this](const std::string& name) { Join(name); },
          [this](const std::string& name, const std::string& html) { Say(name, html); }};
}

void IrcChatters::Join(const std::string& name) {
  const std::vector<std::string> rooms = client_.RoomNames();
  if (rooms.empty()) return;
  Chatter& chatter = chatters_[name];
  chatter.current = ChannelOf(rooms.front());
  if (!chatter.connection) {
    IrcConnection::Handlers handlers;
    handlers.registered = [&chatter](const std::string&) {
      for (const std::string& channel : chatter.channels) {
        chatter.connection->SendNow("JOIN", {channel});
      }
    };
    chatter.connection = std::make_unique<IrcConnection>(server_, std::move(handlers));
    chatter.connection->Start(platform::Cp1252ToUtf8(name));
  }
  if (chatter.channels.insert(chatter.current).second) {
    chatter.connection->SendNow("JOIN", {chatter.current});
  }
}

void IrcChatters::Say(const std::string& name, const std::string& html) {
  const auto it = chatters_.find(name);
  if (it == chatters_.end() || it->second.current.empty()) return;
  Chatter& chatter = it->second;
  for (const std::string& piece : HtmlToIrc(html, chatter.connection->TextRoom(chatter.current))) {
    chatter.connection->Queue("PRIVMSG", {chatter.current, piece});
  }
}

}  // namespace aolsim::irc
