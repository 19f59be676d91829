#pragma once
// Script mode: commands on standard input, one a line, fields separated by a tab.
#include <string>

#include "aolsim/chat_client.h"

namespace aolsim {

// Carries out one command line (Windows-1252). Returns false for "quit". Commands that make
// no sense are reported on standard error and otherwise skipped.
bool RunCommand(ChatClient& client, const std::string& line);

}  // namespace aolsim
