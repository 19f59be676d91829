#pragma once
// The chat commands that change, save, list, pick and describe chat styles.
#include <string>

#include "src/core/reply_fragments.h"
#include "src/core/runtime_state.h"

namespace spindeck {

void StyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
// The seven commands that change one field of the working style "default".
void FaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void BaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void AcCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void FcCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void FCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void AfCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void MaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void SstyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void RstylesCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void RstyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void SinfoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);

}  // namespace spindeck
