#include "src/presence/ignore_by_string.h"

namespace spindeck {

void xByString(RuntimeState&, const std::string&, bool) {}
void XCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}
void UnxCommand(RuntimeState&, const std::string&, const ReplyFragments&) {}

}  // namespace spindeck
