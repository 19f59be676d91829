#pragma once
#include <array>
#include <functional>
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// What a command accepts after its word. A line that breaks the rule is ignored silently.
enum class ArgumentRule {
  kNone,      // the argument must be empty
  kRequired,  // the argument must not be empty
  kOptional,  // both forms, with different effects
  kAny,       // not tested
};

using CommandHandler =
    std::function<void(RuntimeState&, const std::string& argument, const ReplyFragments&)>;

struct CommandRow {
  std::string word;
  ArgumentRule rule;
  CommandHandler handler;  // empty: the command is known but does nothing yet
};

constexpr std::size_t kCommandCount = 55;
using CommandTable = std::array<CommandRow, kCommandCount>;

// The 55 commands in the order in which they are tested.
CommandTable DefaultCommandTable();

// True when the argument satisfies the rule.
bool ArgumentFits(ArgumentRule rule, const std::string& argument);

}  // namespace spindeck
