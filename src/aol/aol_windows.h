#pragma once
// The program's way into the chat client's chat room and Welcome window. Every operation
// starts again from the client's frame window; no handle is kept between operations.
#include <string>

#include "platform/win32/win32.h"

namespace spindeck {

// The chat room nearest the top of the z-order, or 0.
win32::HWND FindChatRoom();

// Types one line into the open chat room (replacing what the user had half typed) and
// presses Enter. Without a room nothing is sent.
void ChatSend(const std::string& text);

// A window's caption; empty for window 0.
std::string GetCaption(win32::HWND window);

// The signed-on screen name from the Welcome window's caption "Welcome, NAME!", or empty.
// `welcome`, when given, gets the Welcome window (0 when none was found).
std::string GetScreenName(win32::HWND* welcome = nullptr);

// The frame's document area ("MDIClient"), or 0.
win32::HWND FindMdiClient();

// True when the window has a direct child of the class.
bool HasChild(win32::HWND window, const char* className);

}  // namespace spindeck
