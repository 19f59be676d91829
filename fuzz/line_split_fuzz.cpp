// Feeds arbitrary bytes as chat lines to the line split and the dispatcher.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "src/state/chat_line.h"
#include "src/core/dispatch.h"
#include "src/state/runtime_state.h"

namespace {

class QuietChat : public spindeck::ChatPort {
 public:
  std::string GetScreenName() override { return "me"; }
  void ChatSend(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const spindeck::SplitLine split = spindeck::SplitChatText(text);
  if (split.word.size() + split.argument.size() > text.size()) __builtin_trap();
  if (split.word.find(' ') != std::string::npos) __builtin_trap();
  static spindeck::RuntimeState state;
  if (!state.chat) state.chat = std::make_unique<QuietChat>();
  // Only the commands that touch nothing outside the state: later handlers pause and use files.
  if (split.word == "eliteon" || split.word == "eliteoff") {
    spindeck::DispatchChatLine(state, {"me", text});
  }
  return 0;
}
