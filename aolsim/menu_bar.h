#pragma once
// The frame's menu bar, whose item texts reveal the client's version.
#include <string>

#include "platform/win32/window_tree.h"

namespace aolsim {

// True for the versions the client can play: 8, 7, 6, 5, 4, 3 and 2.5.
bool KnownVersion(const std::string& version);

// Replaces the window's menu bar with that of the version (which must be known). Versions
// 4 to 8 have six menus and an item "About AOL V.0" under Help; 3 has eight menus and 2.5
// has seven, whose texts name no version.
void BuildMenuBar(win32::WindowTree& tree, win32::HWND frame, const std::string& version);

}  // namespace aolsim
