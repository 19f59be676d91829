#include "src/core/command_table.h"

#include "src/core/lifecycle.h"
#include "src/music/id3_tag.h"
#include "src/music/library.h"
#include "src/music/play_modes.h"
#include "src/music/stream_output.h"
#include "src/music/transport.h"
#include "src/output/elite_filter.h"
#include "src/presence/away_mode.h"
#include "src/presence/ignore_by_string.h"
#include "src/settings/style_commands.h"
#include "src/ui/misc_commands.h"

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
  return CommandTable{{
      {"idle", R::kRequired, IdleCommand},
      {"xidle", R::kNone, XidleCommand},
      {"p", R::kRequired, PlayCommand},
      {"ref", R::kNone, RefCommand},
      {"pos", R::kNone, PosCommand},
      {"mvol", R::kRequired, MvolCommand},
      {"cvol", R::kRequired, CvolCommand},
      {"end", R::kNone, EndCommand},
      {"r", R::kOptional, RandomCommand},
      {"itempo", R::kRequired, ItempoCommand},
      {"dtempo", R::kRequired, DtempoCommand},
      {"tempo", R::kNone, TempoCommand},
      {"ff", R::kRequired, FfCommand},
      {"rw", R::kRequired, RwCommand},
      {"stop", R::kNone, StopCommand},
      {"rst", R::kNone, RstCommand},
      {"pause", R::kNone, PauseCommand},
      {"hide", R::kNone, HideCommand},
      {"show", R::kNone, ShowCommand},
      {"next", R::kOptional, NextCommand},
      {"prev", R::kOptional, PrevCommand},
      {"del", R::kNone, DelCommand},
      {"adir", R::kRequired, AdirCommand},
      {"dirs", R::kAny, DirsCommand},
      {"pr", R::kRequired, PrCommand},
      {"adv", R::kAny, AdvCommand},
      {"shuffle", R::kOptional, ShuffleCommand},
      {"xshuffle", R::kNone, XshuffleCommand},
      {"dj", R::kRequired, DjCommand},
      {"dj?", R::kNone, DjQueryCommand},
      {"style", R::kRequired, StyleCommand},
      {"fa", R::kAny, FaCommand},
      {"ba", R::kAny, BaCommand},
      {"ac", R::kAny, AcCommand},
      {"fc", R::kAny, FcCommand},
      {"f", R::kAny, FCommand},
      {"af", R::kAny, AfCommand},
      {"ma", R::kAny, MaCommand},
      {"sstyle", R::kRequired, SstyleCommand},
      {"rstyles", R::kNone, RstylesCommand},
      {"rstyle", R::kNone, RstyleCommand},
      {"sinfo", R::kNone, SinfoCommand},
      {"id3", R::kNone, Id3Command},
      {"cont", R::kNone, ContCommand},
      {"xcont", R::kNone, XcontCommand},
      {"repon", R::kNone, ReponCommand},
      {"repoff", R::kNone, RepoffCommand},
      {"eliteon", R::kNone, EliteOn},
      {"eliteoff", R::kNone, EliteOff},
      {"x", R::kRequired, XCommand},
      {"unx", R::kRequired, UnxCommand},
      {"charmap", R::kNone, CharmapCommand},
      {"temp", R::kNone, TempCommand},
      {"re", R::kRequired, ReCommand},
      {"listen", R::kNone, ListenCommand},
  }};
}

}  // namespace spindeck
