#include "src/output/styled_message.h"

#include "src/output/elite_filter.h"

namespace spindeck {

std::string ComposeStyled(const RuntimeState& state, const std::string& reply) {
  const std::string q = "\"";
  std::string line;
  line.reserve(160 + reply.size());
  line += "</i></u></b><font color=" + state.lblacolor + "><font face=" + q + state.lblafont + q +
          ">" + state.lblfascii;
  line += "<font color=" + state.lblfcolor + "><font face=" + q + state.lblfont + q + "> ";
  line += reply;
  line += " <font color=" + state.lblacolor + "><font face=" + q + state.lblafont + q + ">" +
          state.lblbascii + "<font color=#ffffff>";
  return line;
}

void SendStyled(RuntimeState& state, const std::string& reply) {
  if (state.chat) state.chat->ChatSend(ComposeStyled(state, reply));
}

void Reply(RuntimeState& state, const std::string& text) {
  SendStyled(state, EliteText(state, text));
}

}  // namespace spindeck
