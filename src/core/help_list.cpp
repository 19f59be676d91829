#include "src/core/help_list.h"

namespace spindeck {

const std::array<const char*, kHelpLineCount>& HelpLines() {
  static constexpr std::array<const char*, kHelpLineCount> kLines = {
      "idle * - goes idle with * reason",
      "xidle - stops idling",
      "p * - plays a song by string",
      "r - random song",
      "r * - random song by string",
      "itempo # - increases song speed",
      "dtempo # - decreases song speed",
      "ff # - fast forward * seconds",
      "rw # - rewind * seconds",
      "stop - stop the song",
      "rst - restart song",
      "pause - pause/unpause song",
      "hide - hides the ccom",
      "show - shows the ccom",
      "next # - next * song",
      "prev # - previous * song",
      "del - delete current mp3",
      "adir * - adds directory",
      "dirs - counts directories/files",
      "ref - refeshes all mp3 directories",
      "pr * - go to privateroom *",
      "id3 - gets id3 info for current mp3",
      "dj * - change your name",
      "dj? - forgot your name?",
      "adv - advertise this if you want to",
      "shuffle - turns shuffle on",
      "xshuffle - turns shuffle mode off",
      "shuffle * - shuffles a string",
      "cont - turns auto continue on",
      "xcont - turns auto continue off",
      "pos - gets song position/length",
      "end - exits spin.deck",
      "repon - repeat mode on",
      "repoff - repeat mode off",
      "tempo - reset tempo to normal",
      "mvol # - sets ccom volume",
      "cvol # - sets computer volume",
      "style * - set style",
      "fa * - set front ascii",
      "ba * - set back ascii",
      "ac * - set ascii color",
      "fc * - set font color",
      "f * - set text font",
      "af * - set ascii font",
      "ma * - set middle ascii",
      "rstyles - refreshes styles",
      "rstyle - random style",
      "sinfo - style info",
      "sstyle * - save style",
      "eliteon - turns elite filter on",
      "eliteoff - turns elite filter off",
      "x * - ignores user by string",
      "unx * - unignores by string",
      "charmap - shows character map",
      "temp - gets local temperature from welcome screen",
      "listen - tells where to hear the music",
  };
  return kLines;
}

void FillHelpList(StateList& list) {
  list.clear();
  for (const char* line : HelpLines()) list.append(line);
}

}  // namespace spindeck
