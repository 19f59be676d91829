#pragma once
// Terminal mode, for a person: plain lines are said by the signed-on user, "/as NAME text"
// by another chatter, and other "/" commands are the script commands ("/room jams"). Lines
// that enter a room are shown rendered, in the colours and weights of their HTML.
#include <string>
#include <vector>

#include "aolsim/chat_client.h"

namespace aolsim {

// The HTML rendered as the transcript shows it, with font colours and bold, italic and
// underline as terminal escape sequences; it ends with every attribute reset.
std::string AnsiLine(const std::string& html);

// Shows one event of the client on standard output (UTF-8).
void ShowEvent(const std::vector<std::string>& fields);

// Carries out one typed line (Windows-1252); false for "/quit".
bool RunTerminalLine(ChatClient& client, const std::string& line);

}  // namespace aolsim
