#include "src/settings/style_commands.h"

namespace spindeck {

void StyleCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void FaCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void BaCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void AcCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void FcCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void FCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void AfCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void MaCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void SstyleCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void RstylesCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void RstyleCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void SinfoCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}

}  // namespace spindeck
