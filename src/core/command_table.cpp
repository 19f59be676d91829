#include "src/core/command_table.h"

#include "src/output/elite_filter.h"

namespace spindeck {

bool ArgumentFits(ArgumentRule rule, const std::string& argument) {
  switch (rule) {
    case ArgumentRule::kNone:
      return argument.empty();
    case ArgumentRule::kRequired:
      return !argument.empty();
    case ArgumentRule::kOptional:
    case ArgumentRule::kAny:
      return true;
  }
  return false;
}

CommandTable DefaultCommandTable() {
  using R = ArgumentRule;
  const CommandHandler later;  // built with its subsystem
  return CommandTable{{
      {"idle", R::kRequired, later},    {"xidle", R::kNone, later},
      {"p", R::kRequired, later},       {"ref", R::kNone, later},
      {"pos", R::kNone, later},         {"mvol", R::kRequired, later},
      {"cvol", R::kRequired, later},    {"end", R::kNone, later},
      {"r", R::kOptional, later},       {"itempo", R::kRequired, later},
      {"dtempo", R::kRequired, later},  {"tempo", R::kNone, later},
      {"ff", R::kRequired, later},      {"rw", R::kRequired, later},
      {"stop", R::kNone, later},        {"rst", R::kNone, later},
      {"pause", R::kNone, later},       {"hide", R::kNone, later},
      {"show", R::kNone, later},        {"next", R::kOptional, later},
      {"prev", R::kOptional, later},    {"del", R::kNone, later},
      {"adir", R::kRequired, later},    {"dirs", R::kAny, later},
      {"pr", R::kRequired, later},      {"adv", R::kAny, later},
      {"shuffle", R::kOptional, later}, {"xshuffle", R::kNone, later},
      {"dj", R::kRequired, later},      {"dj?", R::kNone, later},
      {"style", R::kRequired, later},   {"fa", R::kAny, later},
      {"ba", R::kAny, later},           {"ac", R::kAny, later},
      {"fc", R::kAny, later},           {"f", R::kAny, later},
      {"af", R::kAny, later},           {"ma", R::kAny, later},
      {"sstyle", R::kRequired, later},  {"rstyles", R::kNone, later},
      {"rstyle", R::kNone, later},      {"sinfo", R::kNone, later},
      {"id3", R::kNone, later},         {"cont", R::kNone, later},
      {"xcont", R::kNone, later},       {"repon", R::kNone, later},
      {"repoff", R::kNone, later},      {"eliteon", R::kNone, EliteOn},
      {"eliteoff", R::kNone, EliteOff}, {"x", R::kRequired, later},
      {"unx", R::kRequired, later},     {"charmap", R::kNone, later},
      {"temp", R::kNone, later},        {"re", R::kRequired, later},
  }};
}

}  // namespace spindeck
