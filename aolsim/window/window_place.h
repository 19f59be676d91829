#pragma once
// Where the client's frame goes on the screen when the user names a place (--window-at).
#include <QPoint>
#include <QRect>
#include <QSize>

#include "aolsim/options.h"

namespace aolsim::window {

// The top-left corner of a frame of this size at the place within the screen's free area. The
// frame is kept inside the area where it fits; a larger one keeps its top-left corner in it,
// so the menu bar and the keyword box stay on the screen.
QPoint FrameTopLeft(const WindowPlace& place, QSize frame, QRect area);

}  // namespace aolsim::window
