#include "aolsim/window/window_place.h"

#include <algorithm>

namespace aolsim::window {
namespace {

// The frame's start along one axis of the area.
int Start(int offset, bool fromFarEdge, int frameLength, int areaStart, int areaLength) {
  const int start =
      fromFarEdge ? areaStart + areaLength - frameLength - offset : areaStart + offset;
  return std::max(areaStart, std::min(start, areaStart + areaLength - frameLength));
}

}  // namespace

QPoint FrameTopLeft(const WindowPlace& place, QSize frame, QRect area) {
  return {Start(place.x, place.fromRight, frame.width(), area.x(), area.width()),
          Start(place.y, place.fromBottom, frame.height(), area.y(), area.height())};
}

}  // namespace aolsim::window
