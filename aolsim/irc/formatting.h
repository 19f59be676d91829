#pragma once
#include <string>
#include <string_view>
#include <vector>
namespace aolsim::irc {
std::vector<std::string> HtmlToIrc(const std::string& html, std::size_t maxBytes);
std::string IrcToHtml(std::string_view text);
std::string IrcPlainText(std::string_view text);
}
