#pragma once
// The program's two needs of the chat client while it dispatches and replies: who the user
// is, and a way to type a line into the open chat room. The chat-client automation fills it;
// tests use stand-ins of their own.
#include <string>

namespace spindeck {

class ChatPort {
 public:
  virtual ~ChatPort() = default;
  // The user's screen name, or an empty text when the client or its Welcome window is missing.
  virtual std::string GetScreenName() = 0;
  // Types one line into the open chat room; lost silently when no room is open.
  virtual void ChatSend(const std::string& line) = 0;
};

}  // namespace spindeck
