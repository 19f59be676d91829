#pragma once
// The chat commands that change, save, list, pick and describe chat styles.
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// "style name": loads a style whose file gives a front decoration and makes it the one the
// settings file names.
void StyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
// The seven commands that change one field of the working style "default".
void FaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void BaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void AcCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void FcCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void FCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void AfCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void MaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
// "sstyle name": saves the current fields as a style of that name, the DJ as its author.
void SstyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
// "rstyles": lists the styles folder afresh and tells how many styles it holds.
void RstylesCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
// "rstyle": loads a style picked at random from the list.
void RstyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
// "sinfo": names the current style and its author.
void SinfoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);

}  // namespace spindeck
