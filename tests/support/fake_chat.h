#pragma once
// A chat client stand-in for unit tests: a fixed screen name and a record of sent lines.
#include <memory>
#include <string>
#include <vector>

#include "src/core/chat_port.h"
#include "src/state/runtime_state.h"

namespace spindeck::testing {

class FakeChat : public ChatPort {
 public:
  explicit FakeChat(std::string screenName) : screenName_(std::move(screenName)) {}
  std::string GetScreenName() override { return screenName_; }
  void ChatSend(const std::string& line) override { sent.push_back(line); }

  std::string screenName_;
  std::vector<std::string> sent;
};

// Installs a FakeChat into the state and returns it (the state owns it).
inline FakeChat& InstallFakeChat(RuntimeState& state, const std::string& screenName = "DjSam") {
  auto chat = std::make_unique<FakeChat>(screenName);
  FakeChat& ref = *chat;
  state.chat = std::move(chat);
  return ref;
}

// A state whose style fields are all empty, so a reply's line is predictable.
inline std::string PlainLine(const std::string& reply) {
  return "</i></u></b><font color=><font face=\"\"><font color=><font face=\"\"> " + reply +
         " <font color=><font face=\"\"><font color=#ffffff>";
}

}  // namespace spindeck::testing
