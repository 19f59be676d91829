#pragma once
// Sliding a dropped window back inside the screen and onto edges it was dropped near. The
// window moves in steps of 10 twips, and before every step pending events run, so chat lines
// and timers are handled while it slides.
#include <functional>

namespace spindeck {

constexpr int kSnapStepTwips = 10;
// A window dropped closer than this to an edge slides onto it.
constexpr int kSnapDistanceTwips = 400;

// A window's place on the screen's available area, in twips; (0, 0) is the area's top-left.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct SnapHooks {
  // Lets pending events run; false when the window is gone, which ends the slide.
  std::function<bool()> letEventsRun;
  // Places the window's top-left at this point, in twips.
  std::function<void(int left, int top)> place;
};

// First brings back a window that is off the left, top, bottom or right edge (in this order),
// then slides it onto the left, top, right or bottom edge it is within kSnapDistanceTwips of.
// The position is held in twips throughout, so no step is lost to rounding to pixels.
void SnapToScreenEdges(TwipsRect window, int screenWidth, int screenHeight, const SnapHooks& hooks);

}  // namespace spindeck
