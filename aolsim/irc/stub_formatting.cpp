#include "aolsim/irc/formatting.h"
#include "platform/text/html_text.h"
#include "platform/text/cp1252.h"
namespace aolsim::irc {
std::vector<std::string> HtmlToIrc(const std::string& html, std::size_t) { auto t = platform::RenderHtml(html); if (t.empty()) return {}; return {platform::Cp1252ToUtf8(t)}; }
std::string IrcToHtml(std::string_view text) { return platform::Utf8ToCp1252(std::string(text)); }
std::string IrcPlainText(std::string_view text) { return std::string(text); }
}
