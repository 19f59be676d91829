#include "src/state/reply_fragments.h"

namespace spindeck {

ReplyFragments BuildReplyFragments(const RuntimeState& state) {
  ReplyFragments f;
  f.asciiColorTag = "<font color=" + state.lblacolor + ">";
  f.textColorTag = "<font color=" + state.lblfcolor + ">";
  f.middleSeparator = " <font color=" + state.lblacolor + ">" + state.lblmascii +
                      "<font color=" + state.lblfcolor + "> ";
  return f;
}

}  // namespace spindeck
