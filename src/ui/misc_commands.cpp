#include "src/ui/misc_commands.h"

namespace spindeck {

void EndCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void HideCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void ShowCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void DjCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void DjQueryCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void PrCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void AdvCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void CharmapCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void TempCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}

}  // namespace spindeck
