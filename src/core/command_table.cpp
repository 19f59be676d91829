#include "src/core/command_table.h"

#include "src/music/id3_tag.h"
#include "src/music/library.h"
#include "src/music/play_modes.h"
#include "src/music/transport.h"
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
      {"idle", R::kRequired, later},
      {"xidle", R::kNone, later},
      {"p", R::kRequired, PlayCommand},
      {"ref", R::kNone, RefCommand},
      {"pos", R::kNone, PosCommand},
      {"mvol", R::kRequired, MvolCommand},
      {"cvol", R::kRequired, CvolCommand},
      {"end", R::kNone, later},
      {"r", R::kOptional, RandomCommand},
      {"itempo", R::kRequired, ItempoCommand},
      {"dtempo", R::kRequired, DtempoCommand},
      {"tempo", R::kNone, TempoCommand},
      {"ff", R::kRequired, FfCommand},
      {"rw", R::kRequired, RwCommand},
      {"stop", R::kNone, StopCommand},
      {"rst", R::kNone, RstCommand},
      {"pause", R::kNone, PauseCommand},
      {"hide", R::kNone, later},
      {"show", R::kNone, later},
      {"next", R::kOptional, NextCommand},
      {"prev", R::kOptional, PrevCommand},
      {"del", R::kNone, DelCommand},
      {"adir", R::kRequired, AdirCommand},
      {"dirs", R::kAny, DirsCommand},
      {"pr", R::kRequired, later},
      {"adv", R::kAny, later},
      {"shuffle", R::kOptional, ShuffleCommand},
      {"xshuffle", R::kNone, XshuffleCommand},
      {"dj", R::kRequired, later},
      {"dj?", R::kNone, later},
      {"style", R::kRequired, later},
      {"fa", R::kAny, later},
      {"ba", R::kAny, later},
      {"ac", R::kAny, later},
      {"fc", R::kAny, later},
      {"f", R::kAny, later},
      {"af", R::kAny, later},
      {"ma", R::kAny, later},
      {"sstyle", R::kRequired, later},
      {"rstyles", R::kNone, later},
      {"rstyle", R::kNone, later},
      {"sinfo", R::kNone, later},
      {"id3", R::kNone, Id3Command},
      {"cont", R::kNone, ContCommand},
      {"xcont", R::kNone, XcontCommand},
      {"repon", R::kNone, ReponCommand},
      {"repoff", R::kNone, RepoffCommand},
      {"eliteon", R::kNone, EliteOn},
      {"eliteoff", R::kNone, EliteOff},
      {"x", R::kRequired, later},
      {"unx", R::kRequired, later},
      {"charmap", R::kNone, later},
      {"temp", R::kNone, later},
      {"re", R::kRequired, later},
  }};
}

}  // namespace spindeck
