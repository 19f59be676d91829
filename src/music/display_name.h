#pragma once
// A playlist entry as the replies show it: every "." becomes "</b>.", so that after "<b>" the
// song number is bold ("07. a song" gives "07</b>. a song"). Replacing every "</b>." by "."
// gives the entry back.
#include <string>

namespace spindeck {

std::string DisplayName(const std::string& entry);
std::string EntryOfDisplayName(const std::string& displayName);

}  // namespace spindeck
