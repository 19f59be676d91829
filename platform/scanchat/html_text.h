#pragma once
#include <string>

namespace platform {

// A chat line's HTML as the chat client shows it: tags removed, entities decoded, runs of
// blanks collapsed to one, blanks at the start and end dropped. Windows-1252 in and out.
std::string RenderChatHtml(const std::string& html);

}  // namespace platform
