#pragma once
// Reading the stand-in chat client's windows over the window services, as the program finds
// them: each helper starts from the frame again.
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace spindeck::testing {

win32::HWND Frame();
win32::HWND MdiClient();
// The children of a class in z-order, top first.
std::vector<win32::HWND> Children(win32::HWND parent, const char* className);
std::string Caption(win32::HWND window);
// WM_GETTEXTLENGTH then WM_GETTEXT.
std::string ControlText(win32::HWND window);
// A room window by caption, or 0.
win32::HWND RoomWindow(const std::string& name);
win32::HWND Child(win32::HWND parent, const char* className);
// Names of the member list through the member records in the client's memory.
std::vector<std::string> MemberNames(win32::HWND memberList);

}  // namespace spindeck::testing
